#include "masters/formshisetumaster.h"

#include "core/datamodule.h"
#include "core/unitapp.h"
#include "masters/masterdata.h"
#include "masters/masterfileactions.h"
#include "masters/masterrules.h"
#include "masters/masterswidgets.h"
#include "widgets/busyscope.h"
#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"
#include "widgets/stripedgrid.h"

#include <QDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace pelanova {

using masters::fillField;
using masters::setFieldEnabled;

TfrmShisetuMaster::TfrmShisetuMaster(ScreenContext &context, QWidget *parent)
    : TfrmBase(context, parent)
{
    setWindowTitle(QStringLiteral("施設マスター"));
    setTitle(QStringLiteral("施設マスター"));
    masters::setScreenFont(body());

    btnNew = createHeaderButton(QStringLiteral(" 新　規"));
    btnNew->setObjectName(QStringLiteral("btnNew"));
    btnEdit = createHeaderButton(QStringLiteral(" 修　正"));
    btnEdit->setObjectName(QStringLiteral("btnEdit"));
    btnExport = createHeaderButton(QStringLiteral("エクスポート…"));
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnImport = createHeaderButton(QStringLiteral("インポート…"));
    btnImport->setObjectName(QStringLiteral("btnImport"));
    execDialog = [](QDialog &dialog) { return dialog.exec(); };
    on(btnExport, &QAbstractButton::clicked, [this] { btnExportClick(); });
    on(btnImport, &QAbstractButton::clicked, [this] { btnImportClick(); });
    on(btnNew, &QAbstractButton::clicked, [this] { btnNewClick(); });
    on(btnEdit, &QAbstractButton::clicked, [this] { btnEditClick(); });

    auto *layout = new QHBoxLayout(body());
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(16);

    GridList = new StripedGrid(body());
    GridList->setObjectName(QStringLiteral("GridList"));
    QFont gridFont(QStringLiteral("Tahoma"));
    gridFont.setPixelSize(11);
    GridList->setFont(gridFont);
    GridList->horizontalHeader()->setFont(gridFont);
    GridList->setColumns({{QStringLiteral("施設コード"), 64, Qt::AlignLeft, false},
                          {QStringLiteral("施　　設　　名"), 218, Qt::AlignLeft, false}});
    GridList->setLineHeight(20);
    GridList->setStripeColour(QColor(0xF1, 0xF0, 0xD1));
    GridList->setFixedWidth(310);
    // The selected facility line: white text on green, at the cell's top left.
    GridList->setCellPainter([this](QPainter &painter, const QRect &rect, int line, int column, bool selected) {
        if (!selected)
            return false;
        painter.fillRect(rect, QColor(0, 128, 0));
        painter.setPen(Qt::white);
        painter.setFont(GridList->font());
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, GridList->cellText(line, column));
        return true;
    });
    on(GridList, &QAbstractItemView::doubleClicked,
            [this](const QModelIndex &index) { GridListDblClick(index.row()); });
    layout->addWidget(GridList);

    auto *entry = new QWidget(body());
    auto *form = new QGridLayout(entry);
    form->setContentsMargins(0, 0, 0, 0);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(10);

    EditCode = new NumericEdit(entry);
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditCode->setMaxDigits(masters::rules::kFacilityCodeDigits);
    EditCode->setFixedWidth(60);
    EditName = new QLineEdit(entry);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditName->setMinimumWidth(300);
    EditFileName = new QLineEdit(entry);
    EditFileName->setObjectName(QStringLiteral("EditFileName"));
    EditFileName->setMaxLength(masters::rules::kFileNameCharacters);
    EditFileName->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditFileName->setFixedWidth(EditFileName->fontMetrics().horizontalAdvance(QStringLiteral("12345678901234567890")) + 16);

    form->addWidget(masters::fieldLabel(QStringLiteral("施設コード"), entry), 0, 0);
    form->addWidget(EditCode, 0, 1, Qt::AlignLeft);
    form->addWidget(masters::fieldLabel(QStringLiteral("施設名"), entry), 1, 0);
    form->addWidget(EditName, 1, 1);
    form->addWidget(masters::fieldLabel(QStringLiteral("ファイル名"), entry), 2, 0);
    form->addWidget(EditFileName, 2, 1, Qt::AlignLeft);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnSave = masters::bodyButton(QStringLiteral("　登　録"), entry);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = masters::bodyButton(QStringLiteral("キャンセル"), entry);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setFocusPolicy(Qt::ClickFocus);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    form->addLayout(buttons, 3, 0, 1, 2);
    form->setRowStretch(4, 1);
    form->setColumnStretch(2, 1);
    on(btnSave, &QAbstractButton::clicked, [this] { btnSaveClick(); });
    on(btnCancel, &QAbstractButton::clicked, [this] { btnCancelClick(); });

    layout->addWidget(entry, 1);

    FormCreate();
}

sql::Database &TfrmShisetuMaster::db() const
{
    return context().dm.ADOConFurikomi;
}

void TfrmShisetuMaster::FormCreate()
{
    SetEditMode(ModeBrowse);
    LoadFacilityList();
}

void TfrmShisetuMaster::SetEditMode(EditMode mode)
{
    m_mode = mode;
    const bool browsing = mode == ModeBrowse;
    GridList->setEnabled(browsing);
    if (browsing) {
        fillField(EditCode, QString());
        fillField(EditName, QString());
        fillField(EditFileName, QString());
    }
    setFieldEnabled(EditCode, false);
    setFieldEnabled(EditName, !browsing);
    setFieldEnabled(EditFileName, !browsing);
    btnNew->setEnabled(browsing);
    btnEdit->setEnabled(browsing);
    btnExport->setEnabled(browsing);
    btnImport->setEnabled(browsing);
    btnSave->setEnabled(!browsing);
    btnCancel->setEnabled(!browsing);
}

void TfrmShisetuMaster::LoadFacilityList()
{
    const int selected = GridList->currentLine();
    const BusyScope busy(GridList);

    GridList->clearLines();
    for (const masters::Facility &facility : masters::loadFacilities(db()))
        GridList->addLine({QString::number(facility.code), q(facility.name)});
    if (selected >= 0 && selected < GridList->lineCount())
        GridList->setCurrentLine(selected);
}

QString TfrmShisetuMaster::selectedCode() const
{
    const int line = GridList->currentLine();
    return line >= 0 ? GridList->cellText(line, 0) : QString();
}

void TfrmShisetuMaster::btnNewClick()
{
    SetEditMode(ModeNew);
    fillField(EditCode, QString());
    fillField(EditName, QString());
    fillField(EditFileName, QString());
    fillField(EditCode, QString::number(masters::nextFacilityCode(db())));
    EditName->setFocus();
}

void TfrmShisetuMaster::btnEditClick()
{
    // Without a facility line there is nothing to edit, and no statement is
    // built from an empty code.
    const std::optional<int64_t> code = masters::facilityCodeOf(utf8(selectedCode()));
    if (!code)
        return;

    SetEditMode(ModeEdit);
    const std::optional<masters::Facility> facility = masters::findFacility(db(), *code);
    m_shown = facility;
    if (!facility) {
        fillField(EditCode, QString());
        fillField(EditName, QString());
        fillField(EditFileName, QString());
        ErrorMsg(context().messages, "登録してある施設は見つかりませんでした。");
        return;
    }
    fillField(EditCode, QString::number(facility->code));
    fillField(EditName, q(facility->name));
    fillField(EditFileName, q(facility->fileName.value_or(std::string())));
    EditName->setFocus();
}

void TfrmShisetuMaster::btnExportClick()
{
    exportMasterFile(context(), this, masters::MasterKind::Facilities);
}

void TfrmShisetuMaster::btnImportClick()
{
    if (importMasterFile(context(), this, masters::MasterKind::Facilities, execDialog))
        LoadFacilityList();
}

void TfrmShisetuMaster::GridListDblClick(int row)
{
    if (!GridList->isEnabled() || StripedGrid::lineOfRow(row) < 0)
        return;
    btnEditClick();
}

bool TfrmShisetuMaster::CheckEntry()
{
    if (const masters::rules::Fault fault = masters::rules::facilityCodeFault(utf8(EditCode->text()))) {
        ErrorMsg(context().messages, *fault);
        EditCode->setFocus();
        return false;
    }
    if (const masters::rules::Fault fault = masters::rules::facilityNameFault(utf8(EditName->text()))) {
        ErrorMsg(context().messages, *fault);
        EditName->setFocus();
        return false;
    }
    if (m_mode == ModeNew) {
        const std::optional<int64_t> code = masters::facilityCodeOf(utf8(EditCode->text()));
        if (!code || masters::facilityCodeInUse(db(), *code)) {
            ErrorMsg(context().messages, "施設コードはすでに使用されています。");
            EditCode->setFocus();
            return false;
        }
    }
    return true;
}

void TfrmShisetuMaster::WriteEntry()
{
    if (m_mode == ModeNew) {
        const std::optional<int64_t> code = masters::facilityCodeOf(utf8(EditCode->text()));
        if (code)
            masters::insertFacility(db(), *code, utf8(EditName->text()), utf8(EditFileName->text()));
    } else if (m_mode == ModeEdit) {
        if (m_shown)
            masters::updateFacility(db(), *m_shown, utf8(EditName->text()), utf8(EditFileName->text()));
    }
}

bool TfrmShisetuMaster::IsEntryChanged() const
{
    return EditCode->isModified() || EditName->isModified() || EditFileName->isModified();
}

void TfrmShisetuMaster::saveEntry()
{
    if (!CheckEntry())
        return;
    WriteEntry();
    const int selected = GridList->currentLine();
    SetEditMode(ModeBrowse);
    LoadFacilityList();
    if (selected >= 0 && selected < GridList->lineCount())
        GridList->setCurrentLine(selected);
}

void TfrmShisetuMaster::btnSaveClick()
{
    saveEntry();
}

void TfrmShisetuMaster::btnCancelClick()
{
    if (m_mode == ModeBrowse)
        return;
    if (!IsEntryChanged()) {
        SetEditMode(ModeBrowse);
        return;
    }
    // "キャンセルしますか？": はい cancels the entry, いいえ keeps what was
    // typed and stores it as 登録 does (with its checks), キャンセル goes back
    // to the entry.
    switch (YesNoCancelMsg(context().messages, "変更されている項目があります。キャンセルしますか？",
                           kDefaultButton3)) {
    case IdYes:
        SetEditMode(ModeBrowse);
        break;
    case IdNo:
        saveEntry();
        break;
    default:
        break;
    }
}

} // namespace pelanova
