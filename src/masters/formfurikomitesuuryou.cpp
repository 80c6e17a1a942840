#include "masters/formfurikomitesuuryou.h"

#include "core/datamodule.h"
#include "core/tesuuryou.h"
#include "core/unitapp.h"
#include "masters/formfurikomitesuuryouall.h"
#include "masters/masterswidgets.h"
#include "masters/recipientlist.h"
#include "output/furikomi.h"
#include "reports/baselrep.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/numericedit.h"
#include "widgets/pagecontrol.h"
#include "widgets/stripedgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QVBoxLayout>

namespace pelanova {

using masters::qs;
using masters::ss;

namespace {

constexpr const char *kCaption = "振込手数料";
constexpr const char *kAskSave = "データは変更されています。\n\r登録しますか？";
constexpr const char *kAskSaveAndLeave = "データは変更されています。\n\r登録してメニュー画面に戻りますか？";
constexpr const char *kRecipientGone = "登録してある振込先は見つかりませんでした。";
constexpr const char *kAskCancel = "データは変更されています。キャンセルすると元に戻ります。\n\rよろしいですか？";

enum Column { ColName = 0, ColBank = 1, ColBranch = 2, ColAccount = 3, ColCategory = 4, ColThreshold = 5 };

const QColor kStripe(241, 240, 209);
const QColor kSelected(0, 128, 0);

// The grid's caption row with one caption cell over the fee category and its
// amount (columns 4 and 5).
class SharedCaptionHeader : public QHeaderView
{
public:
    explicit SharedCaptionHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
    {
        setSectionsClickable(false);
        setHighlightSections(false);
        setSectionResizeMode(QHeaderView::Fixed);
        setMinimumSectionSize(0);
        setStretchLastSection(false);
        setDefaultAlignment(Qt::AlignCenter);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        if (logicalIndex != ColCategory && logicalIndex != ColThreshold) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        // Either section may be repainted alone; both draw the whole shared cell.
        const int left = sectionViewportPosition(ColCategory);
        const int width = sectionSize(ColCategory) + sectionSize(ColThreshold);
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = QRect(left, rect.top(), width, rect.height());
        option.section = ColCategory;
        option.text = QStringLiteral("手数料区分");
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::End;
        option.state |= QStyle::State_Enabled | QStyle::State_Raised;
        painter->save();
        painter->setClipRect(option.rect);
        style()->drawControl(QStyle::CE_Header, &option, painter, this);
        painter->restore();
    }
};

// A field of the read-only detail: black text on the button face, out of the
// tab order, so that it reads clearly and is plainly not for typing.
QLineEdit *detailField(QWidget *parent, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setFixedWidth(width);
    QPalette pal = edit->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, pal.color(group, QPalette::Button));
        pal.setColor(group, QPalette::Text, pal.color(group, QPalette::WindowText));
    }
    edit->setPalette(pal);
    return edit;
}

QLabel *plainLabel(const QString &text, QWidget *parent, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(alignment);
    return label;
}

// The hourglass cursor for the life of the object.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Suspends a widget's redrawing for the life of the object, then repaints it.
struct SuspendRedraw
{
    explicit SuspendRedraw(QWidget *widget) : widget(widget), wasEnabled(widget->updatesEnabled())
    {
        widget->setUpdatesEnabled(false);
    }
    ~SuspendRedraw()
    {
        widget->setUpdatesEnabled(wasEnabled);
        widget->update();
    }
    QWidget *widget;
    bool wasEnabled;
};

// An integer as the screen reads numbers: 0 when empty or not a number.
qint64 integerOf(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

TfrmFurikomiTesuuryou::TfrmFurikomiTesuuryou(ScreenContext &context, QWidget *parent)
    : TfrmBase(context, parent)
{
    execDialog = [](QDialog &dialog) { return dialog.exec(); };

    setWindowTitle(QString::fromUtf8(kCaption));
    setTitle(QString::fromUtf8(kCaption));
    masters::setScreenFont(body());

    btnTesuuryouAll = createHeaderButton(QStringLiteral("手数料区分"), QStringLiteral("一括登録"));
    btnTesuuryouAll->setObjectName(QStringLiteral("btnTesuuryouAll"));
    btnFurikomiPrint = createHeaderButton(QStringLiteral("振込先"), QStringLiteral("印　刷"));
    btnFurikomiPrint->setObjectName(QStringLiteral("btnFurikomiPrint"));
    on(btnFurikomiPrint, &QAbstractButton::clicked, [this] { btnFurikomiPrintClick(); });
    on(btnTesuuryouAll, &QAbstractButton::clicked, [this] { btnTesuuryouAllClick(); });

    auto *layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    auto *strip = new QHBoxLayout;
    strip->addWidget(plainLabel(QStringLiteral("委託者コード"), body()));
    cmbItakusya = new KeyedComboBox(body());
    cmbItakusya->setObjectName(QStringLiteral("cmbItakusya"));
    cmbItakusya->setShownText(shownTabAsBar());
    cmbItakusya->setMinimumWidth(360);
    strip->addWidget(cmbItakusya);
    strip->addStretch(1);
    layout->addLayout(strip);
    on(cmbItakusya, &QComboBox::activated, [this](int) { cmbItakusyaClick(); });

    PageControl1 = new PageControl(body());
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabWidth(150);
    TabFurikomi = new QWidget;
    TabBank = new QWidget;
    PageControl1->addTab(TabFurikomi, QStringLiteral("振込先手数料"));
    PageControl1->addTab(TabBank, QStringLiteral("銀行手数料"));
    layout->addWidget(PageControl1, 1);

    buildRecipientPage();
    buildFeeTablePage();

    // A question that fails (a save refused by the database) keeps the page.
    PageControl1->setChangeQuestion([this](int from, int to) {
        bool allow = false;
        return guarded([&] { PageControl1Changing(from, to, allow); }) && allow;
    });
    on(PageControl1, &QTabWidget::currentChanged, [this](int page) { PageControl1Change(page); });

    FormCreate();
}

void TfrmFurikomiTesuuryou::buildRecipientPage()
{
    auto *page = new QHBoxLayout(TabFurikomi);
    page->setContentsMargins(6, 6, 6, 6);
    page->setSpacing(12);

    GridList = new StripedGrid(TabFurikomi);
    GridList->setObjectName(QStringLiteral("GridList"));
    GridList->setHorizontalHeader(new SharedCaptionHeader(GridList));
    GridList->setColumns({{QStringLiteral("振込先名"), 250, Qt::AlignLeft, false},
                          {QStringLiteral("銀行名"), 0, Qt::AlignLeft, true},
                          {QStringLiteral("支店名"), 0, Qt::AlignLeft, true},
                          {QStringLiteral("口座番号"), 0, Qt::AlignLeft, true},
                          {QStringLiteral("手数料区分"), 20, Qt::AlignHCenter, false},
                          {QStringLiteral("手数料金額"), 80, Qt::AlignRight, false}});
    GridList->setLineHeight(20);
    GridList->setStripeColour(kStripe);
    GridList->setSelectionColour(kSelected);
    GridList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    GridList->setFixedWidth(374);
    GridList->setCellPainter([this](QPainter &painter, const QRect &rect, int line, int column, bool selected) {
        return paintGridCell(painter, rect, line, column, selected);
    });
    GridList->setMoveQuestion([this](int line) {
        bool allow = false;
        return guarded([&] { GridListSelectCell(line, allow); }) && allow;
    });
    page->addWidget(GridList);

    auto *right = new QVBoxLayout;
    right->setSpacing(10);

    pnlBank = new QFrame(TabFurikomi);
    pnlBank->setObjectName(QStringLiteral("pnlBank"));
    auto *bank = new QGridLayout(pnlBank);
    bank->setContentsMargins(0, 0, 0, 0);
    bank->setHorizontalSpacing(8);
    bank->setVerticalSpacing(6);

    EditUketori = detailField(pnlBank, 300);
    EditUketori->setObjectName(QStringLiteral("EditUketori"));
    {
        QPalette pal = EditUketori->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, QPalette::Base, QColor(0, 64, 64));
            pal.setColor(group, QPalette::Text, Qt::white);
        }
        EditUketori->setPalette(pal);
    }
    EditBankCode = detailField(pnlBank, 60);
    EditBankName = detailField(pnlBank, 220);
    EditSitenCode = detailField(pnlBank, 60);
    EditSitenName = detailField(pnlBank, 220);
    pnlYokin = new QLabel(pnlBank);
    pnlYokin->setObjectName(QStringLiteral("pnlYokin"));
    pnlYokin->setFrameShape(QFrame::Panel);
    pnlYokin->setFrameShadow(QFrame::Sunken);
    pnlYokin->setFixedSize(80, 22);
    pnlYokin->setAlignment(Qt::AlignCenter);
    EditKouzaNo = detailField(pnlBank, 100);
    EditBankCode->setObjectName(QStringLiteral("EditBankCode"));
    EditBankName->setObjectName(QStringLiteral("EditBankName"));
    EditSitenCode->setObjectName(QStringLiteral("EditSitenCode"));
    EditSitenName->setObjectName(QStringLiteral("EditSitenName"));
    EditKouzaNo->setObjectName(QStringLiteral("EditKouzaNo"));

    int row = 0;
    auto addDetail = [&](const QString &caption, QWidget *field) {
        bank->addWidget(masters::fieldLabel(caption, pnlBank), row, 0);
        bank->addWidget(field, row, 1, Qt::AlignLeft);
        ++row;
    };
    addDetail(QStringLiteral("受取人名"), EditUketori);
    addDetail(QStringLiteral("銀行番号"), EditBankCode);
    addDetail(QStringLiteral("銀 行 名"), EditBankName);
    addDetail(QStringLiteral("支店番号"), EditSitenCode);
    addDetail(QStringLiteral("支 店 名"), EditSitenName);
    addDetail(QStringLiteral("預金種別"), pnlYokin);
    addDetail(QStringLiteral("口座番号"), EditKouzaNo);
    right->addWidget(pnlBank);

    auto *fee = new QHBoxLayout;
    fee->setSpacing(8);
    fee->addWidget(masters::fieldLabel(QStringLiteral("手数料区分"), TabFurikomi));
    chkTesuuryou = new QCheckBox(QStringLiteral("相手先"), TabFurikomi);
    chkTesuuryou->setObjectName(QStringLiteral("chkTesuuryou"));
    fee->addWidget(chkTesuuryou);
    EditTesuuryou = new NumericEdit(TabFurikomi);
    EditTesuuryou->setObjectName(QStringLiteral("EditTesuuryou"));
    EditTesuuryou->setDigitGrouping(true);
    EditTesuuryou->setFixedWidth(100);
    fee->addWidget(EditTesuuryou);
    fee->addWidget(plainLabel(QStringLiteral("円以上"), TabFurikomi));
    fee->addStretch(1);
    right->addLayout(fee);
    on(chkTesuuryou, &QCheckBox::toggled, [this](bool) { chkTesuuryouClick(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnSave = masters::bodyButton(QStringLiteral("  登  録"), TabFurikomi);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = masters::bodyButton(QStringLiteral("キャンセル"), TabFurikomi);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    right->addLayout(buttons);
    right->addStretch(1);
    on(btnSave, &QAbstractButton::clicked, [this] { btnSaveClick(); });
    on(btnCancel, &QAbstractButton::clicked, [this] { btnCancelClick(); });

    page->addLayout(right, 1);
}

void TfrmFurikomiTesuuryou::buildFeeTablePage()
{
    auto *page = new QVBoxLayout(TabBank);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);

    auto *own = new QGridLayout;
    own->setHorizontalSpacing(10);
    auto valueLabel = [this](int width) {
        auto *label = new QLabel(TabBank);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setFixedSize(width, 22);
        return label;
    };
    lblBankCode = valueLabel(60);
    lblBankName = valueLabel(220);
    lblSitenCode = valueLabel(60);
    lblSitenName = valueLabel(220);
    lblBankCode->setObjectName(QStringLiteral("lblBankCode"));
    lblBankName->setObjectName(QStringLiteral("lblBankName"));
    lblSitenCode->setObjectName(QStringLiteral("lblSitenCode"));
    lblSitenName->setObjectName(QStringLiteral("lblSitenName"));
    own->addWidget(masters::fieldLabel(QStringLiteral("銀行コード"), TabBank), 0, 0);
    own->addWidget(lblBankCode, 0, 1);
    own->addWidget(masters::fieldLabel(QStringLiteral("銀行名"), TabBank), 0, 2);
    own->addWidget(lblBankName, 0, 3);
    own->addWidget(masters::fieldLabel(QStringLiteral("支店コード"), TabBank), 1, 0);
    own->addWidget(lblSitenCode, 1, 1);
    own->addWidget(masters::fieldLabel(QStringLiteral("支店名"), TabBank), 1, 2);
    own->addWidget(lblSitenName, 1, 3);
    own->setColumnStretch(4, 1);
    page->addLayout(own);

    auto *frame = new QFrame(TabBank);
    frame->setFrameShape(QFrame::Box);
    auto *table = new QGridLayout(frame);
    table->setHorizontalSpacing(6);
    table->setVerticalSpacing(4);
    auto heading = [frame](const QString &text) {
        auto *label = new QLabel(text, frame);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window, QColor(233, 252, 188));
        label->setPalette(pal);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Raised);
        label->setMinimumHeight(22);
        return label;
    };
    // Columns: 0 group, 1 lower bound, 2 limit, 3 "円未満", 4 電信, 5 "円", 6 文書, 7 "円".
    table->addWidget(heading(QStringLiteral("振　込　先")), 0, 0);
    table->addWidget(heading(QStringLiteral("金額範囲")), 0, 1, 1, 3);
    table->addWidget(heading(QStringLiteral("電信")), 0, 4, 1, 2);
    table->addWidget(heading(QStringLiteral("文書")), 0, 6, 1, 2);

    auto entry = [frame](const QString &name) {
        auto *edit = new NumericEdit(frame);
        edit->setObjectName(name);
        edit->setDigitGrouping(true);
        edit->setFixedWidth(90);
        return edit;
    };
    for (int limit = 0; limit < 6; ++limit)
        edtKingaku[limit] = entry(QStringLiteral("edtKingaku_%1").arg(limit + 1));
    for (int line = 0; line < 9; ++line) {
        edtKingaku[6 + line] = entry(QStringLiteral("edtKingaku_%1_Den").arg(line + 1));
        edtKingaku[15 + line] = entry(QStringLiteral("edtKingaku_%1_Bun").arg(line + 1));
    }

    const QString groups[3] = {QStringLiteral("当銀行当支店宛て"), QStringLiteral("当行他支店宛て"),
                               QStringLiteral("他銀行宛て")};
    for (int group = 0; group < 3; ++group) {
        const int top = 1 + group * 3;
        QLabel *name = heading(groups[group]);
        name->setMinimumWidth(150);
        table->addWidget(name, top, 0, 3, 1);
        for (int line = 0; line < 3; ++line) {
            const int row = top + line;
            if (line > 0) {
                QLabel *bound = plainLabel(line == 1 ? QStringLiteral("10,000 円以上") : QStringLiteral("30,000 円以上"),
                                           frame, Qt::AlignRight | Qt::AlignVCenter);
                bound->setMinimumWidth(110);
                bound->setObjectName(QStringLiteral("lblKingaku_%1").arg(group * 2 + line));
                lblKingaku[group * 2 + line - 1] = bound;
                table->addWidget(bound, row, 1);
            }
            if (line < 2) {
                table->addWidget(edtKingaku[masters::bandLimitIndex(group, line)], row, 2);
                table->addWidget(plainLabel(QStringLiteral("円未満"), frame), row, 3);
            }
            table->addWidget(edtKingaku[6 + group * 3 + line], row, 4);
            table->addWidget(plainLabel(QStringLiteral("円"), frame), row, 5);
            table->addWidget(edtKingaku[15 + group * 3 + line], row, 6);
            table->addWidget(plainLabel(QStringLiteral("円"), frame), row, 7);
        }
    }
    // Tab goes through the table as it reads: line by line, band limit
    // first, then the telegraphic and the document fee.
    QWidget *previous = nullptr;
    for (int group = 0; group < 3; ++group) {
        for (int line = 0; line < 3; ++line) {
            QList<QWidget *> order;
            if (line < 2)
                order << edtKingaku[masters::bandLimitIndex(group, line)];
            order << edtKingaku[6 + group * 3 + line] << edtKingaku[15 + group * 3 + line];
            for (QWidget *next : order) {
                if (previous)
                    QWidget::setTabOrder(previous, next);
                previous = next;
            }
        }
    }
    for (int limit = 0; limit < 6; ++limit)
        on(edtKingaku[limit], &QLineEdit::editingFinished, [this, limit] { edtKingakuExit(limit); });

    auto *tableRow = new QHBoxLayout;
    tableRow->addWidget(frame);
    tableRow->addStretch(1);
    page->addLayout(tableRow);

    auto *buttons = new QHBoxLayout;
    btnSaveBank = masters::bodyButton(QStringLiteral("登録"), TabBank);
    btnSaveBank->setObjectName(QStringLiteral("btnSaveBank"));
    btnCancelBank = masters::bodyButton(QStringLiteral("キャンセル"), TabBank);
    btnCancelBank->setObjectName(QStringLiteral("btnCancelBank"));
    buttons->addWidget(btnSaveBank);
    buttons->addWidget(btnCancelBank);
    buttons->addStretch(1);
    page->addLayout(buttons);
    page->addStretch(1);
    on(btnSaveBank, &QAbstractButton::clicked, [this] { btnSaveBankClick(); });
    on(btnCancelBank, &QAbstractButton::clicked, [this] { btnCancelBankClick(); });
}

sql::Database &TfrmFurikomiTesuuryou::db() const
{
    return context().dm.ADOConFurikomi;
}

void TfrmFurikomiTesuuryou::FormCreate()
{
    for (QLineEdit *edit : {EditUketori, EditBankCode, EditBankName, EditSitenCode, EditSitenName, EditKouzaNo})
        edit->clear();
    pnlYokin->clear();
    chkTesuuryouClick();

    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(PageFurikomi);
    }
    LoadConsignors();
    if (cmbItakusya->count() > 0)
        cmbItakusya->setCurrentIndex(0);
    m_consignor = selectedConsignor();
    LoadFeeTable();
    LoadRecipients();
    m_feeTableSnapshot = FeeTableSnapshot();
}

std::string TfrmFurikomiTesuuryou::selectedConsignor() const
{
    const int index = cmbItakusya->currentIndex();
    if (index < 0)
        return {};
    return GetToken('\t', 0, ss(cmbItakusya->itemText(index)));
}

void TfrmFurikomiTesuuryou::LoadConsignors()
{
    cmbItakusya->clear();
    for (const std::string &item : output::LoadItakusya(db()))
        cmbItakusya->addKeyedItem(qs(item));
    btnTesuuryouAll->setEnabled(cmbItakusya->count() > 0);
}

void TfrmFurikomiTesuuryou::LoadFeeTable()
{
    const WaitCursor wait;
    m_feeTableRow.reset();
    if (cmbItakusya->currentIndex() < 0) {
        ClearFeeTable();
        return;
    }
    const std::optional<masters::FeeTable> table = masters::loadFeeTable(db(), m_consignor);
    if (!table) {
        ClearFeeTable();
        return;
    }
    m_feeTableRow = table->id;
    lblBankCode->setText(QString::asprintf("%.4lld", static_cast<long long>(table->bankNumber)));
    lblSitenCode->setText(QString::asprintf("%.3lld", static_cast<long long>(table->branchNumber)));
    lblBankName->setText(qs(table->bankName));
    lblSitenName->setText(qs(table->branchName));
    for (int i = 0; i < masters::kFeeColumnCount; ++i)
        edtKingaku[i]->setText(table->values[i] ? QString::number(*table->values[i]) : QString());
    // The lower bounds read what the limits above them say.
    for (int limit = 0; limit < 6; ++limit)
        edtKingakuExit(limit);
}

void TfrmFurikomiTesuuryou::ClearFeeTable()
{
    for (QLabel *label : {lblBankCode, lblBankName, lblSitenCode, lblSitenName})
        label->clear();
    for (NumericEdit *edit : edtKingaku)
        edit->clear();
}

void TfrmFurikomiTesuuryou::LoadRecipients()
{
    // Row selection events of the reload are not the user's.
    m_loading = true;
    struct Finish
    {
        TfrmFurikomiTesuuryou *screen;
        ~Finish()
        {
            screen->m_loading = false;
            screen->GridList->viewport()->update();
        }
    } finish{this};

    GridList->clearLines();
    m_recipientSnapshot.clear();
    if (cmbItakusya->currentIndex() < 0)
        return;
    const WaitCursor wait;
    const SuspendRedraw suspend(GridList);
    for (const masters::RecipientLine &line : masters::loadRecipientLines(db(), m_consignor)) {
        GridList->addLine({qs(line.name), QString::asprintf("%.4lld", static_cast<long long>(line.bankNumber)),
                           QString::asprintf("%.3lld", static_cast<long long>(line.branchNumber)),
                           qs(line.account), QString::number(line.category), QString::number(line.threshold)});
    }
}

void TfrmFurikomiTesuuryou::cmbItakusyaClick()
{
    // Choosing a consignor, even the one shown, loads both pages again: the
    // shown page's unsaved edits are asked about first, as a page change
    // asks, and saved for the consignor they were made for.
    askSaveEdits(PageControl1->currentIndex());
    m_consignor = selectedConsignor();
    LoadFeeTable();
    m_feeTableSnapshot = FeeTableSnapshot();
    LoadRecipients();
}

bool TfrmFurikomiTesuuryou::recipientCurrent() const
{
    return GridList->currentLine() >= 0;
}

bool TfrmFurikomiTesuuryou::askSave(const char *text)
{
    return context().messages.messageBox(text, kCaption, MessageIcon::Question, MessageButtons::YesNo,
                                         kDefaultButton1) == IdYes;
}

void TfrmFurikomiTesuuryou::GridListSelectCell(int line, bool &allow)
{
    if (m_loading) {
        allow = true;
        return;
    }
    if (line < 0) {
        allow = false;
        return;
    }
    const SuspendRedraw suspend(GridList);

    if (!m_recipientSnapshot.isEmpty() && RecipientSnapshot() != m_recipientSnapshot) {
        // The row being left is still the current one, so it is what is saved.
        if (askSave(kAskSave))
            btnSaveClick();
    }

    const QString bankCode = GridList->cellText(line, ColBank);
    const QString branchCode = GridList->cellText(line, ColBranch);
    const QString account = GridList->cellText(line, ColAccount);
    const std::optional<masters::RecipientDetail> detail = masters::findRecipient(
        db(), m_consignor, integerOf(bankCode), integerOf(branchCode), ss(account));

    EditUketori->setText(GridList->cellText(line, ColName));
    EditBankCode->setText(bankCode);
    EditSitenCode->setText(branchCode);
    EditKouzaNo->setText(account);
    if (detail) {
        EditBankName->setText(qs(detail->bankName));
        EditSitenName->setText(qs(detail->branchName));
        pnlYokin->setText(qs(GetYokinSyubetuName(detail->accountType)));
        chkTesuuryou->setChecked(detail->category != 0);
        EditTesuuryou->setText(detail->threshold != 0 ? QString::number(detail->threshold) : QString());
    } else {
        EditBankName->clear();
        EditSitenName->clear();
        pnlYokin->clear();
        chkTesuuryou->setChecked(false);
        EditTesuuryou->clear();
    }
    chkTesuuryouClick();
    m_recipientSnapshot = RecipientSnapshot();
    allow = true;
}

void TfrmFurikomiTesuuryou::chkTesuuryouClick()
{
    masters::setFieldEnabled(EditTesuuryou, chkTesuuryou->isChecked());
}

void TfrmFurikomiTesuuryou::btnSaveClick()
{
    const int line = GridList->currentLine();
    if (line < 0)
        return;
    const bool recipientBears = chkTesuuryou->isChecked();
    const qint64 threshold = EditTesuuryou->value();
    if (!masters::saveRecipientFee(db(), m_consignor, integerOf(EditBankCode->text()),
                                   integerOf(EditSitenCode->text()), ss(EditKouzaNo->text()), recipientBears ? 1 : 0,
                                   threshold)) {
        // Nothing was written: the line and the snapshot keep showing the
        // stored values, so the edit is still pending.
        ErrorMsg(context().messages, kRecipientGone);
        return;
    }
    GridList->setCellText(line, ColCategory, recipientBears ? QStringLiteral("1") : QStringLiteral("0"));
    GridList->setCellText(line, ColThreshold, threshold != 0 ? QString::number(threshold) : QString());
    m_recipientSnapshot = RecipientSnapshot();
}

void TfrmFurikomiTesuuryou::btnCancelClick()
{
    const int line = GridList->currentLine();
    if (line < 0 || RecipientSnapshot() == m_recipientSnapshot)
        return;
    if (YesNoMsg(context().messages, kAskCancel, kDefaultButton1) != IdYes)
        return;
    chkTesuuryou->setChecked(GridList->cellText(line, ColCategory) != QLatin1String("0"));
    chkTesuuryouClick();
    EditTesuuryou->setText(GridList->cellText(line, ColThreshold));
    m_recipientSnapshot = RecipientSnapshot();
}

void TfrmFurikomiTesuuryou::edtKingakuExit(int limit)
{
    const QString text = edtKingaku[limit]->text();
    if (text.isEmpty())
        return;
    lblKingaku[limit]->setText(masters::groupedAmount(edtKingaku[limit]->value()) + QStringLiteral(" 円以上"));
}

void TfrmFurikomiTesuuryou::btnSaveBankClick()
{
    if (m_feeTableRow) {
        std::array<int64_t, masters::kFeeColumnCount> values{};
        for (int i = 0; i < masters::kFeeColumnCount; ++i)
            values[i] = edtKingaku[i]->value();
        masters::saveFeeTable(db(), *m_feeTableRow, values);
    }
    for (int limit = 0; limit < 6; ++limit)
        edtKingakuExit(limit);
    m_feeTableSnapshot = FeeTableSnapshot();
}

void TfrmFurikomiTesuuryou::btnCancelBankClick()
{
    if (FeeTableSnapshot() == m_feeTableSnapshot)
        return;
    if (YesNoMsg(context().messages, kAskCancel, kDefaultButton1) != IdYes)
        return;
    LoadFeeTable();
    m_feeTableSnapshot = FeeTableSnapshot();
}

void TfrmFurikomiTesuuryou::PageControl1Changing(int from, int to, bool &allow)
{
    allow = true;
    if (from != to)
        askSaveEdits(from);
}

void TfrmFurikomiTesuuryou::askSaveEdits(int page)
{
    if (page == PageFurikomi) {
        if (recipientCurrent() && RecipientSnapshot() != m_recipientSnapshot && askSave(kAskSave))
            btnSaveClick();
    } else if (page == PageBank) {
        if (FeeTableSnapshot() != m_feeTableSnapshot && askSave(kAskSave))
            btnSaveBankClick();
    }
}

void TfrmFurikomiTesuuryou::PageControl1Change(int page)
{
    if (page == PageFurikomi)
        m_recipientSnapshot = RecipientSnapshot();
    else if (page == PageBank)
        m_feeTableSnapshot = FeeTableSnapshot();
}

void TfrmFurikomiTesuuryou::btnMenuClick()
{
    const int page = PageControl1->currentIndex();
    const bool recipientEdited = recipientCurrent() && RecipientSnapshot() != m_recipientSnapshot;
    const bool feeTableEdited = FeeTableSnapshot() != m_feeTableSnapshot;

    // The menu is shown first; the question comes while it is up, and the
    // screen goes whatever the answer.
    TfrmBase::btnMenuClick();
    if (page == PageFurikomi && recipientEdited) {
        if (askSave(kAskSaveAndLeave))
            btnSaveClick();
    } else if (page == PageBank && feeTableEdited) {
        if (askSave(kAskSaveAndLeave))
            btnSaveBankClick();
    }
}

void TfrmFurikomiTesuuryou::btnTesuuryouAllClick()
{
    TfrmFurikomiTesuuryouAll dialog(context().messages, db(), [this] { return selectedConsignor(); }, this);
    dialog.setBackupHandler([this] { context().dm.BackupNow(); });
    if (execDialog(dialog) == QDialog::Accepted) {
        LoadRecipients();
        GridList->viewport()->update();
    }
}

void TfrmFurikomiTesuuryou::btnFurikomiPrintClick()
{
    ShowRecipientList(m_recipientList, context().messages, db(), this);
}

QString TfrmFurikomiTesuuryou::RecipientSnapshot() const
{
    return EditBankCode->text() + EditSitenCode->text() + EditBankName->text() + EditSitenName->text() +
           pnlYokin->text() + EditKouzaNo->text() + (chkTesuuryou->isChecked() ? QStringLiteral("1") : QStringLiteral("0")) +
           EditTesuuryou->text();
}

QString TfrmFurikomiTesuuryou::FeeTableSnapshot() const
{
    QString snapshot;
    for (const NumericEdit *edit : edtKingaku)
        snapshot += edit->text();
    return snapshot;
}

bool TfrmFurikomiTesuuryou::paintGridCell(QPainter &painter, const QRect &rect, int line, int column, bool selected)
{
    const QPalette pal = GridList->palette();
    QColor ink;
    if (selected) {
        painter.fillRect(rect, kSelected);
        ink = pal.color(QPalette::Active, QPalette::HighlightedText);
    } else {
        // Grid rows count from the caption row: the first recipient is row 2, white.
        painter.fillRect(rect, line % 2 == 0 ? pal.color(QPalette::Active, QPalette::Base) : kStripe);
        ink = pal.color(GridList->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    }
    const QString category = GridList->cellText(line, ColCategory);
    if (column == ColCategory) {
        QStyleOptionButton mark;
        mark.rect = QRect(rect.left() + rect.width() / 2 - 7, rect.top() + (rect.height() - 14) / 2, 14, 14);
        mark.state = QStyle::State_Enabled | (category != QLatin1String("0") ? QStyle::State_On : QStyle::State_Off);
        mark.palette = pal;
        GridList->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &mark, &painter, GridList);
        return true;
    }
    QString text = GridList->cellText(line, column);
    if (column == ColThreshold)
        text = category != QLatin1String("0") ? masters::groupedAmount(integerOf(text)) : QString();
    const Qt::Alignment alignment = GridList->columnDefinition(column).alignment;
    painter.setPen(ink);
    painter.setFont(GridList->font());
    painter.drawText(rect.adjusted(2, 0, -2, 0),
                     int(alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine, text);
    return true;
}

} // namespace pelanova
