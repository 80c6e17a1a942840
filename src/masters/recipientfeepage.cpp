#include "masters/masterrules.h"
#include "masters/recipientfeepage.h"

#include "core/tesuuryou.h"
#include "core/unitapp.h"
#include "masters/masterdata.h"
#include "masters/masterswidgets.h"
#include "widgets/busyscope.h"
#include "widgets/valuepanel.h"
#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"
#include "widgets/stripedgrid.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QVBoxLayout>

namespace pelanova {


namespace {

constexpr const char *kRecipientGone = "登録してある振込先は見つかりませんでした。";

const QColor kStripe(241, 240, 209);
const QColor kSelected(0, 128, 0);

using Column = RecipientFeePage::Column;

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
        if (logicalIndex != Column::ColCategory && logicalIndex != Column::ColThreshold) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        // Either section may be repainted alone; both draw the whole shared cell.
        const int left = sectionViewportPosition(Column::ColCategory);
        const int width = sectionSize(Column::ColCategory) + sectionSize(Column::ColThreshold);
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = QRect(left, rect.top(), width, rect.height());
        option.section = Column::ColCategory;
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
QLineEdit *detailField(QWidget *parent, int width, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
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

// An integer as the screen reads numbers: 0 when empty or not a number.
qint64 integerOf(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

RecipientFeePage::RecipientFeePage(MessageBoxes &boxes, sql::Database &db, QWidget *parent)
    : FeeMasterPage(boxes, db, parent)
{
    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->setSpacing(12);
    buildGrid();
    page->addWidget(GridList);
    auto *right = new QVBoxLayout;
    right->setSpacing(10);
    buildDetail(right);
    page->addLayout(right, 1);
    chkTesuuryouClick();
}

void RecipientFeePage::buildGrid()
{
    GridList = new StripedGrid(this);
    GridList->setObjectName(QStringLiteral("GridList"));
    GridList->setHorizontalHeader(new SharedCaptionHeader(GridList));
    GridList->setColumns({{QStringLiteral("振込先名"), 250, Qt::AlignLeft, false},
                          {QStringLiteral("銀行名"), 0, Qt::AlignLeft, true},
                          {QStringLiteral("支店名"), 0, Qt::AlignLeft, true},
                          {QStringLiteral("口座番号"), 0, Qt::AlignLeft, true},
                          {QStringLiteral("手数料区分"), 20, Qt::AlignHCenter, false, true},
                          {QStringLiteral("手数料金額"), 80, Qt::AlignRight, false}});
    GridList->setLineHeight(20);
    // Grid rows count from the caption row: the first recipient is row 2, white.
    GridList->setStripePhase(1);
    GridList->setStripeColour(kStripe);
    GridList->setSelectionColour(kSelected);
    // The amount shows only beside a ticked category, grouped.
    GridList->setShownText([grid = GridList](int line, int column) {
        const QString text = grid->cellText(line, column);
        if (column != ColThreshold)
            return text;
        return grid->cellText(line, ColCategory) != QLatin1String("0") ? masters::groupedAmount(integerOf(text))
                                                                        : QString();
    });
    GridList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    GridList->setFixedWidth(374);
}

void RecipientFeePage::buildDetail(QVBoxLayout *right)
{
    pnlBank = new QFrame(this);
    pnlBank->setObjectName(QStringLiteral("pnlBank"));
    auto *bank = new QGridLayout(pnlBank);
    bank->setContentsMargins(0, 0, 0, 0);
    bank->setHorizontalSpacing(8);
    bank->setVerticalSpacing(6);

    EditUketori = detailField(pnlBank, 300, "EditUketori");
    {
        QPalette pal = EditUketori->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, QPalette::Base, QColor(0, 64, 64));
            pal.setColor(group, QPalette::Text, Qt::white);
        }
        EditUketori->setPalette(pal);
    }
    EditBankCode = detailField(pnlBank, 60, "EditBankCode");
    EditBankName = detailField(pnlBank, 220, "EditBankName");
    EditSitenCode = detailField(pnlBank, 60, "EditSitenCode");
    EditSitenName = detailField(pnlBank, 220, "EditSitenName");
    pnlYokin = valuePanel(pnlBank);
    pnlYokin->setObjectName(QStringLiteral("pnlYokin"));
    pnlYokin->setFixedSize(80, 22);
    pnlYokin->setAlignment(Qt::AlignCenter);
    EditKouzaNo = detailField(pnlBank, 100, "EditKouzaNo");

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
    fee->addWidget(masters::fieldLabel(QStringLiteral("手数料区分"), this));
    chkTesuuryou = new QCheckBox(QStringLiteral("相手先"), this);
    chkTesuuryou->setObjectName(QStringLiteral("chkTesuuryou"));
    fee->addWidget(chkTesuuryou);
    EditTesuuryou = new NumericEdit(this);
    EditTesuuryou->setMaxDigits(masters::rules::kAmountDigits);
    EditTesuuryou->setObjectName(QStringLiteral("EditTesuuryou"));
    EditTesuuryou->setDigitGrouping(true);
    EditTesuuryou->setFixedWidth(100);
    fee->addWidget(EditTesuuryou);
    fee->addWidget(new QLabel(QStringLiteral("円以上"), this));
    fee->addStretch(1);
    right->addLayout(fee);
    on(chkTesuuryou, &QCheckBox::toggled, [this](bool) { chkTesuuryouClick(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnSave = masters::bodyButton(QStringLiteral("  登  録"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = masters::bodyButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    right->addLayout(buttons);
    right->addStretch(1);
    on(btnSave, &QAbstractButton::clicked, [this] { save(); });
    on(btnCancel, &QAbstractButton::clicked, [this] { cancel(); });
}

void RecipientFeePage::load(const std::optional<std::string> &consignor)
{
    m_consignor = consignor;
    m_loading = true;
    struct Finish
    {
        RecipientFeePage *page;
        ~Finish()
        {
            page->m_loading = false;
            page->GridList->viewport()->update();
        }
    } finish{this};

    GridList->clearLines();
    m_snapshot.clear();
    if (!consignor)
        return;
    const BusyScope busy(GridList);
    for (const masters::RecipientLine &line : masters::loadRecipientLines(m_db, *consignor)) {
        GridList->addLine({q(line.name), QString::asprintf("%.4lld", static_cast<long long>(line.bankNumber)),
                           QString::asprintf("%.3lld", static_cast<long long>(line.branchNumber)),
                           q(line.account), QString::number(line.category), QString::number(line.threshold)});
    }
}

bool RecipientFeePage::selectLine(int line)
{
    if (m_loading)
        return true;
    if (line < 0)
        return false;
    // The question is the user's to answer: the cursor stays as it is.
    const BusyScope frozen(GridList, BusyScope::Cursor::Unchanged);

    // The line being left is still the selected one, so it is what is saved.
    if (!m_snapshot.isEmpty() && snapshot() != m_snapshot)
        askToSave(kAskSave);

    const QString bankCode = GridList->cellText(line, ColBank);
    const QString branchCode = GridList->cellText(line, ColBranch);
    const QString account = GridList->cellText(line, ColAccount);
    const std::optional<masters::RecipientDetail> detail = masters::findRecipient(
        m_db, m_consignor.value_or(std::string()), integerOf(bankCode), integerOf(branchCode), utf8(account));

    EditUketori->setText(GridList->cellText(line, ColName));
    EditBankCode->setText(bankCode);
    EditSitenCode->setText(branchCode);
    EditKouzaNo->setText(account);
    if (detail) {
        EditBankName->setText(q(detail->bankName));
        EditSitenName->setText(q(detail->branchName));
        pnlYokin->setText(q(GetYokinSyubetuName(detail->accountType)));
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
    takeSnapshot();
    return true;
}

void RecipientFeePage::chkTesuuryouClick()
{
    masters::setFieldEnabled(EditTesuuryou, chkTesuuryou->isChecked());
}

void RecipientFeePage::save()
{
    const int line = GridList->currentLine();
    if (line < 0)
        return;
    const bool recipientBears = chkTesuuryou->isChecked();
    const qint64 threshold = EditTesuuryou->value();
    const std::string consignor = m_consignor.value_or(std::string());
    // The line shows the category as the list read it (or as this page last
    // stored it): the stored row must still hold that.
    const masters::RecipientFee shown{integerOf(GridList->cellText(line, ColCategory)),
                                      integerOf(GridList->cellText(line, ColThreshold))};
    bool saved = false;
    changeWatched(m_watcher, consignor, std::nullopt, [&] {
        saved = masters::saveRecipientFee(m_db, consignor, integerOf(EditBankCode->text()),
                                          integerOf(EditSitenCode->text()), utf8(EditKouzaNo->text()), shown,
                                          {recipientBears ? 1 : 0, threshold});
    });
    if (!saved) {
        // Nothing was written: the line and the snapshot keep showing the
        // stored values, so the edit is still pending.
        ErrorMsg(m_boxes, kRecipientGone);
        return;
    }
    GridList->setCellText(line, ColCategory, recipientBears ? QStringLiteral("1") : QStringLiteral("0"));
    GridList->setCellText(line, ColThreshold, threshold != 0 ? QString::number(threshold) : QString());
    takeSnapshot();
}

void RecipientFeePage::cancel()
{
    const int line = GridList->currentLine();
    if (line < 0 || snapshot() == m_snapshot)
        return;
    if (!confirmCancel())
        return;
    chkTesuuryou->setChecked(GridList->cellText(line, ColCategory) != QLatin1String("0"));
    chkTesuuryouClick();
    EditTesuuryou->setText(GridList->cellText(line, ColThreshold));
    takeSnapshot();
}

QString RecipientFeePage::snapshot() const
{
    return EditBankCode->text() + EditSitenCode->text() + EditBankName->text() + EditSitenName->text() +
           pnlYokin->text() + EditKouzaNo->text() +
           (chkTesuuryou->isChecked() ? QStringLiteral("1") : QStringLiteral("0")) + EditTesuuryou->text();
}

bool RecipientFeePage::hasUnsavedEdits() const
{
    return GridList->currentLine() >= 0 && FeeMasterPage::hasUnsavedEdits();
}

} // namespace pelanova
