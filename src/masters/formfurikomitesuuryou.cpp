#include "masters/formfurikomitesuuryou.h"

#include "core/datamodule.h"
#include "core/unitapp.h"
#include "masters/formfurikomitesuuryouall.h"
#include "masters/masterfileactions.h"
#include "widgets/filedialogs.h"
#include "widgets/utf8text.h"
#include "masters/masterswidgets.h"
#include "masters/recipientlist.h"
#include "reports/baselrep.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/pagecontrol.h"
#include "widgets/stripedgrid.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pelanova {


namespace {
constexpr const char *kAskSaveAndLeave = "データは変更されています。\n\r登録してメニュー画面に戻りますか？";
}

TfrmFurikomiTesuuryou::TfrmFurikomiTesuuryou(ScreenContext &context, QWidget *parent)
    : TfrmBase(context, parent)
{
    execDialog = [](QDialog &dialog) { return dialog.exec(); };

    const QString caption = QString::fromUtf8(FeeMasterPage::kCaption);
    setWindowTitle(caption);
    setTitle(caption);
    masters::setScreenFont(body());

    btnTesuuryouAll = createHeaderButton(QStringLiteral("手数料区分"), QStringLiteral("一括登録"));
    btnTesuuryouAll->setObjectName(QStringLiteral("btnTesuuryouAll"));
    btnFurikomiPrint = createHeaderButton(QStringLiteral("振込先"), QStringLiteral("印　刷"));
    btnFurikomiPrint->setObjectName(QStringLiteral("btnFurikomiPrint"));
    auto *printMenu = new QMenu(btnFurikomiPrint);
    actFurikomiPreview = printMenu->addAction(QStringLiteral("印刷プレビュー…"));
    actFurikomiExcel = printMenu->addAction(QStringLiteral("Excel に書き出す（.xlsx）…"));
    btnFurikomiPrint->setMenu(printMenu);
    on(actFurikomiPreview, &QAction::triggered, [this] { btnFurikomiPrintClick(); });
    on(actFurikomiExcel, &QAction::triggered, [this] { recipientListExcelClick(); });

    btnMasterFiles = createHeaderButton(QStringLiteral("マスタ"), QStringLiteral("入出力"));
    btnMasterFiles->setObjectName(QStringLiteral("btnMasterFiles"));
    auto *filesMenu = new QMenu(btnMasterFiles);
    actExportRecipients = filesMenu->addAction(QStringLiteral("受取人マスタのエクスポート…"));
    actImportRecipients = filesMenu->addAction(QStringLiteral("受取人マスタのインポート…"));
    filesMenu->addSeparator();
    actExportConsignors = filesMenu->addAction(QStringLiteral("委託者マスタ（銀行手数料）のエクスポート…"));
    actImportConsignors = filesMenu->addAction(QStringLiteral("委託者マスタ（銀行手数料）のインポート…"));
    btnMasterFiles->setMenu(filesMenu);
    using masters::MasterKind;
    on(actExportRecipients, &QAction::triggered, [this] { exportClick(MasterKind::Recipients); });
    on(actImportRecipients, &QAction::triggered, [this] { importClick(MasterKind::Recipients); });
    on(actExportConsignors, &QAction::triggered, [this] { exportClick(MasterKind::Consignors); });
    on(actImportConsignors, &QAction::triggered, [this] { importClick(MasterKind::Consignors); });
    on(btnTesuuryouAll, &QAbstractButton::clicked, [this] { btnTesuuryouAllClick(); });

    auto *layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    auto *strip = new QHBoxLayout;
    strip->addWidget(new QLabel(QStringLiteral("委託者コード"), body()));
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
    TabFurikomi = new RecipientFeePage(context.messages, db(), PageControl1);
    TabBank = new FeeTablePage(context.messages, db(), PageControl1);
    TabFurikomi->setLinesWatcher(context.linesWatcher);
    TabBank->setLinesWatcher(context.linesWatcher);
    PageControl1->addTab(TabFurikomi, QStringLiteral("振込先手数料"));
    PageControl1->addTab(TabBank, QStringLiteral("銀行手数料"));
    layout->addWidget(PageControl1, 1);


    TabFurikomi->GridList->setMoveQuestion([this](int line) {
        bool allow = false;
        return guarded([&] { GridListSelectCell(line, allow); }) && allow;
    });
    // A question that fails (a save refused by the database) keeps the page.
    PageControl1->setChangeQuestion([this](int from, int to) {
        bool allow = false;
        return guarded([&] { PageControl1Changing(from, to, allow); }) && allow;
    });
    on(PageControl1, &QTabWidget::currentChanged, [this](int page) { PageControl1Change(page); });

    FormCreate();
}

sql::Database &TfrmFurikomiTesuuryou::db() const
{
    return context().dm.ADOConFurikomi;
}

FeeMasterPage *TfrmFurikomiTesuuryou::page(int index) const
{
    if (index == PageFurikomi)
        return TabFurikomi;
    if (index == PageBank)
        return TabBank;
    return nullptr;
}

void TfrmFurikomiTesuuryou::FormCreate()
{
    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(PageFurikomi);
    }
    LoadConsignors();
    if (cmbItakusya->count() > 0)
        cmbItakusya->setCurrentIndex(0);
    loadPages();
}

std::string TfrmFurikomiTesuuryou::selectedConsignor() const
{
    const int index = cmbItakusya->currentIndex();
    if (index < 0)
        return {};
    return GetToken('\t', 0, utf8(cmbItakusya->itemText(index)));
}

void TfrmFurikomiTesuuryou::LoadConsignors()
{
    cmbItakusya->clear();
    for (const std::string &item : LoadItakusya(db()))
        cmbItakusya->addKeyedItem(q(item));
    btnTesuuryouAll->setEnabled(cmbItakusya->count() > 0);
}

void TfrmFurikomiTesuuryou::loadPages()
{
    std::optional<std::string> consignor;
    if (cmbItakusya->currentIndex() >= 0)
        consignor = selectedConsignor();
    TabBank->load(consignor);
    TabFurikomi->load(consignor);
}

void TfrmFurikomiTesuuryou::cmbItakusyaClick()
{
    // Choosing a consignor, even the one shown, loads both pages again: the
    // shown page's unsaved edits are asked about first, as a page change
    // asks, and saved for the consignor they were made for.
    if (FeeMasterPage *shown = page(PageControl1->currentIndex()))
        shown->offerToSave(FeeMasterPage::kAskSave);
    loadPages();
}

void TfrmFurikomiTesuuryou::GridListSelectCell(int line, bool &allow)
{
    allow = TabFurikomi->selectLine(line);
}

void TfrmFurikomiTesuuryou::btnSaveClick()
{
    TabFurikomi->save();
}

void TfrmFurikomiTesuuryou::btnCancelClick()
{
    TabFurikomi->cancel();
}

void TfrmFurikomiTesuuryou::btnSaveBankClick()
{
    TabBank->save();
}

void TfrmFurikomiTesuuryou::btnCancelBankClick()
{
    TabBank->cancel();
}

void TfrmFurikomiTesuuryou::PageControl1Changing(int from, int to, bool &allow)
{
    allow = true;
    if (from == to)
        return;
    if (FeeMasterPage *left = page(from))
        left->offerToSave(FeeMasterPage::kAskSave);
}

void TfrmFurikomiTesuuryou::PageControl1Change(int index)
{
    if (FeeMasterPage *shown = page(index))
        shown->takeSnapshot();
}

void TfrmFurikomiTesuuryou::btnMenuClick()
{
    FeeMasterPage *shown = page(PageControl1->currentIndex());
    const bool edited = shown && shown->hasUnsavedEdits();

    // The menu is shown first; the question comes while it is up, and the
    // screen goes whatever the answer.
    TfrmBase::btnMenuClick();
    if (edited)
        shown->askToSave(kAskSaveAndLeave);
}

void TfrmFurikomiTesuuryou::btnTesuuryouAllClick()
{
    TfrmFurikomiTesuuryouAll dialog(context().messages, db(), [this] { return selectedConsignor(); }, this);
    dialog.setBackupHandler([this] { context().dm.BackupNow(); });
    dialog.setLinesWatcher(context().linesWatcher);
    if (execDialog(dialog) == QDialog::Accepted) {
        TabFurikomi->reload();
        TabFurikomi->GridList->viewport()->update();
    }
}

void TfrmFurikomiTesuuryou::btnFurikomiPrintClick()
{
    ShowRecipientList(m_recipientList, context().messages, db(), this);
}

} // namespace pelanova

namespace pelanova {

void TfrmFurikomiTesuuryou::recipientListExcelClick()
{
    QString chosen;
    QString path = context().files.getSaveFileName(this, QStringLiteral("振込先一覧の書き出し"), QDir::homePath(),
                                                   QStringLiteral("Excel ブック(*.xlsx)|*.xlsx"),
                                                   QStringLiteral("受取人一覧.xlsx"), &chosen);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    if (QFileInfo::exists(path)
        && YesNoMsg(context().messages, utf8(path) + "\n\rはすでにあります。上書きしますか？", kDefaultButton2) != IdYes)
        return;
    masters::exportMaster(db(), masters::MasterKind::RecipientList, utf8(path));
    context().messages.messageBox("受取人一覧を書き出しました。\n\r" + utf8(path), kAppTitle, MessageIcon::Information,
                                  MessageButtons::Ok, kDefaultButton1);
}

void TfrmFurikomiTesuuryou::exportClick(masters::MasterKind kind)
{
    exportMasterFile(context(), this, kind);
}

void TfrmFurikomiTesuuryou::importClick(masters::MasterKind kind)
{
    // Edits not yet saved are the user's to keep or drop first.
    FeeMasterPage *shown = page(PageControl1->currentIndex());
    if (shown)
        shown->offerToSave(FeeMasterPage::kAskSave);
    if (!importMasterFile(context(), this, kind, execDialog))
        return;
    // A consignor the import added joins the list; the one shown stays.
    const QString selected = cmbItakusya->currentKey();
    LoadConsignors();
    for (int i = 0; i < cmbItakusya->count(); ++i) {
        if (cmbItakusya->key(i) == selected)
            cmbItakusya->setCurrentIndex(i);
    }
    if (cmbItakusya->currentIndex() < 0 && cmbItakusya->count() > 0)
        cmbItakusya->setCurrentIndex(0);
    loadPages();
}

} // namespace pelanova
