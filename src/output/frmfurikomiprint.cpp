#include "output/frmfurikomiprint.h"
#include "widgets/utf8text.h"

#include "core/datamodule.h"
#include "core/unitapp.h"
#include "output/filehistory.h"
#include "output/frmfurikomicreate.h"
#include "output/frmfurikomihistory.h"
#include "output/furikomi.h"
#include "output/transferreports.h"
#include "widgets/busyscope.h"
#include "widgets/valuepanel.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/stripedgrid.h"

#include <QCoreApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pelanova {
namespace {

// "20080115" → "2008年1月15日"; a key that is no date is left undrawn.
std::optional<QString> shownDate(const QString &item)
{
    bool ok = false;
    const int date = item.section(QLatin1Char('\t'), 0, 0).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return QStringLiteral("%1年%2月%3日").arg(date / 10000).arg(date / 100 % 100).arg(date % 100);
}

QLabel *totalsPanel(QWidget *parent)
{
    QLabel *panel = valuePanel(parent);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, QColor(0, 0x80, 0));
    panel->setPalette(palette);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    panel->setMinimumWidth(140);
    return panel;
}

} // namespace

TfrmFurikomiPrint::TfrmFurikomiPrint(ScreenContext &context, QWidget *parent) : TfrmBase(context, parent)
{
    execDialog = [](QDialog &dialog) { return dialog.exec(); };
    setWindowTitle(QStringLiteral("総合振込依頼書印刷"));
    setTitle(QStringLiteral("総合振込依頼書"));

    btnHistory = createHeaderButton(QStringLiteral(" 作成履歴"));
    btnFurikomiCreate = createHeaderButton(QStringLiteral(" 振込作成"));
    btnPrintTesuuryou = createHeaderButton(QStringLiteral("  手数料"), QStringLiteral("  印　刷"));
    btnPrint = createHeaderButton(QStringLiteral("  依頼書"), QStringLiteral("  印  刷"));

    auto *layout = new QVBoxLayout(body());
    layout->setContentsMargins(6, 6, 6, 6);
    auto *selection = new QHBoxLayout;
    auto combo = [&](const QString &label, ShownTextFunction shown, int width) {
        selection->addWidget(new QLabel(label, body()));
        auto *box = new KeyedComboBox(body());
        box->setShownText(std::move(shown));
        box->setItemHeight(16);
        box->setMinimumWidth(width);
        selection->addWidget(box);
        selection->addSpacing(12);
        return box;
    };
    cmbItakusya = combo(QStringLiteral("委託者コード"), shownTabAsBar(), 260);
    cmbFurikomiDate = combo(QStringLiteral("振込依頼日"), shownDate, 140);
    cmbBumon = combo(QStringLiteral("振込部門"), shownAfterTab(), 180);
    selection->addStretch(1);
    layout->addLayout(selection);

    auto *totals = new QHBoxLayout;
    totals->addStretch(1);
    totals->addWidget(new QLabel(QStringLiteral("振込件数"), body()));
    pnlKensu = totalsPanel(body());
    totals->addWidget(pnlKensu);
    totals->addWidget(new QLabel(QStringLiteral("件"), body()));
    totals->addSpacing(16);
    // The delivered amounts, the fees the recipients bear and what is paid
    // after them: the last is the total the request form and fee list print.
    auto amountPanel = [&](const QString &caption) {
        totals->addSpacing(16);
        totals->addWidget(new QLabel(caption, body()));
        QLabel *panel = totalsPanel(body());
        totals->addWidget(panel);
        totals->addWidget(new QLabel(QStringLiteral("円"), body()));
        return panel;
    };
    pnlKingaku = amountPanel(QStringLiteral("合計振込金額"));
    pnlAitesaki = amountPanel(QStringLiteral("先方負担手数料"));
    pnlShiharai = amountPanel(QStringLiteral("支払金額合計"));
    layout->addLayout(totals);
    // Below the totals: whether the day's bank file was made, and from the
    // lines shown.
    auto *state = new QHBoxLayout;
    state->addStretch(1);
    state->addWidget(new QLabel(QStringLiteral("振込データ"), body()));
    lblFileState = new QLabel(body());
    lblFileState->setObjectName(QStringLiteral("lblFileState"));
    lblFileState->setMinimumWidth(280);
    state->addWidget(lblFileState);
    layout->addLayout(state);

    GridList = new StripedGrid(body());
    GridList->setColumns({
        {QStringLiteral("振込先銀行"), 73, Qt::AlignLeft, false},
        {QStringLiteral("振込先銀行"), 140, Qt::AlignLeft, false},
        {QStringLiteral("振込先支店"), 140, Qt::AlignLeft, false},
        {QStringLiteral("預金種目"), 59, Qt::AlignHCenter, false},
        {QStringLiteral("振込先名"), 189, Qt::AlignLeft, false},
        {QStringLiteral("振込金額"), 90, Qt::AlignRight, false},
        {QStringLiteral("自施設"), 57, Qt::AlignRight, false},
        {QStringLiteral("相手先"), 57, Qt::AlignRight, false},
    });
    GridList->setLineHeight(20);
    layout->addWidget(GridList, 1);

    on(cmbFurikomiDate, QOverload<int>::of(&QComboBox::activated), [this] { cmbFurikomiDateClick(); });
    on(cmbBumon, QOverload<int>::of(&QComboBox::activated), [this] { cmbBumonClick(); });
    on(cmbItakusya, QOverload<int>::of(&QComboBox::activated), [this] { cmbItakusyaClick(); });
    on(btnPrint, &QAbstractButton::clicked, [this] { btnPrintClick(); });
    on(btnPrintTesuuryou, &QAbstractButton::clicked, [this] { btnPrintTesuuryouClick(); });
    on(btnFurikomiCreate, &QAbstractButton::clicked, [this] { btnFurikomiCreateClick(); });
    on(btnHistory, &QAbstractButton::clicked, [this] { btnHistoryClick(); });

    FormCreate();
}

void TfrmFurikomiPrint::FormCreate()
{
    for (QLabel *panel : {pnlKensu, pnlKingaku, pnlAitesaki, pnlShiharai, lblFileState})
        panel->clear();
    GridList->clearLines();
    const sql::Database &db = context().dm.ADOConFurikomi;
    for (const std::string &item : LoadItakusya(db))
        cmbItakusya->addKeyedItem(q(item));
    cmbItakusya->setCurrentIndex(cmbItakusya->count() > 0 ? 0 : -1);
    for (const std::string &item : output::LoadFurikomiDates(db))
        cmbFurikomiDate->addKeyedItem(q(item));
    cmbFurikomiDate->setCurrentIndex(-1);
}

void TfrmFurikomiPrint::showEvent(QShowEvent *event)
{
    TfrmBase::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] {
        BusyScope busy;
        if (cmbFurikomiDate->count() == 0)
            return;
        cmbFurikomiDate->setCurrentIndex(0);
        cmbFurikomiDateClick();
    });
}

int TfrmFurikomiPrint::selectedDate() const { return cmbFurikomiDate->currentKey().toInt(); }

int TfrmFurikomiPrint::selectedFacility() const
{
    bool ok = false;
    const int key = cmbBumon->currentKey().toInt(&ok);
    return ok ? key : -1;
}

std::string TfrmFurikomiPrint::selectedConsignor() const { return cmbItakusya->currentKey().toStdString(); }

void TfrmFurikomiPrint::cmbFurikomiDateClick()
{
    cmbBumon->clear();
    if (cmbFurikomiDate->currentIndex() < 0 || cmbItakusya->currentIndex() < 0)
        return;
    for (const std::string &item :
         output::LoadBumon(context().dm.ADOConFurikomi, selectedConsignor(), selectedDate()))
        cmbBumon->addKeyedItem(q(item));
    cmbBumon->setCurrentIndex(0);
    cmbBumonClick();
}

void TfrmFurikomiPrint::cmbBumonClick()
{
    if (cmbFurikomiDate->currentIndex() < 0)
        return;
    LoadLines();
}

void TfrmFurikomiPrint::cmbItakusyaClick()
{
    if (cmbFurikomiDate->currentIndex() < 0)
        return;
    LoadLines();
}

void TfrmFurikomiPrint::LoadLines()
{
    BusyScope busy(GridList);
    GridList->clearLines();
    m_list = output::FurikomiList();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const int facility = selectedFacility();
    btnFurikomiCreate->setEnabled(output::isAllFacilityMode(facility));
    // The grid draws the priced lines where they are kept: no copy of their
    // texts per cell, however long the month.
    const auto show = [this, facility] {
        GridList->setLineSource(int(m_list.lines.size()), [this](int line, int column) {
            const output::TFurikomiLine &l = m_list.lines[size_t(line)];
            const std::string *cells[] = {&l.code,  &l.bankName, &l.branchName, &l.depositType,
                                          &l.payee, &l.amount,   &l.ownFee,     &l.recipientFee};
            return column >= 0 && column < 8 ? q(*cells[column]) : QString();
        });
        pnlKensu->setText(q(output::totalCountText(m_list.count)));
        pnlKingaku->setText(q(output::totalSumText(m_list.sum)));
        pnlAitesaki->setText(q(output::totalSumText(m_list.recipientFees)));
        pnlShiharai->setText(q(output::totalSumText(m_list.paid)));
        GridList->setEmptyText(m_list.lines.empty() ? QString::fromUtf8(output::isAllFacilityMode(facility)
                                                                             ? kNoLinesOfConsignor
                                                                             : kNoLinesOfFacility)
                                                    : QString());
    };
    m_statement = output::BuildFurikomiSql(selectedDate(), selectedConsignor(), facility);
    try {
        output::LoadFurikomiList(context().dm.ADOConFurikomi, selectedDate(), selectedConsignor(), facility, m_list);
    } catch (...) {
        show(); // the lines read before the failure
        throw;
    }
    show();
    showFileState();
}

void TfrmFurikomiPrint::showFileState()
{
    if (cmbFurikomiDate->currentIndex() < 0 || cmbItakusya->currentIndex() < 0) {
        lblFileState->clear();
        return;
    }
    // The merged lines' fingerprint comes with the lines in the all-facility
    // mode; one facility's view makes it anew.
    const output::DayFileState state =
        output::dayFileState(context().dm.ADOConFurikomi, selectedConsignor(), selectedDate(),
                             m_list.allFacilities && m_list.totalsSet ? &m_list.fingerprint : nullptr);
    lblFileState->setText(q(output::dayStateText(state)));
    QPalette palette = lblFileState->palette();
    palette.setColor(QPalette::WindowText,
                     state.state == output::DayState::ChangedSince ? QColor(Qt::red) : QColor(Qt::black));
    lblFileState->setPalette(palette);
}

void TfrmFurikomiPrint::btnHistoryClick()
{
    if (cmbItakusya->currentIndex() < 0)
        return;
    TfrmFurikomiHistory dialog(context(), this);
    dialog.execDialog = execDialog;
    dialog.ShowForConsignor(selectedConsignor(), GetToken('\t', 1, utf8(cmbItakusya->itemText(cmbItakusya->currentIndex()))));
}

void TfrmFurikomiPrint::btnPrintClick()
{
    // Printing says nothing when it cannot start.
    if (cmbFurikomiDate->currentIndex() < 0 || cmbItakusya->currentIndex() < 0)
        return;
    try {
        output::ShowTransferRequest(m_request, context().messages, context().dm.ADOConFurikomi, selectedConsignor(),
                                    selectedDate(), selectedFacility(), m_statement, this);
    } catch (...) {
    }
}

void TfrmFurikomiPrint::btnPrintTesuuryouClick()
{
    if (cmbFurikomiDate->currentIndex() < 0 || cmbItakusya->currentIndex() < 0)
        return;
    try {
        output::ShowFeeReport(m_fees, context().messages, context().dm.ADOConFurikomi, selectedConsignor(),
                              selectedDate(), selectedFacility(), m_statement, this);
    } catch (...) {
    }
}

void TfrmFurikomiPrint::btnFurikomiCreateClick()
{
    if (cmbFurikomiDate->currentIndex() < 0 || cmbItakusya->currentIndex() < 0)
        return;
    {
        TfrmFurikomiCreate dialog(context(), this);
        dialog.execDialog = execDialog;
        dialog.ShowForConsignor(selectedConsignor(), selectedDate(), m_statement);
    }
    showFileState();
}

} // namespace pelanova
