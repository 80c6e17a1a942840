#include "masters/masterrules.h"
#include "masters/feetablepage.h"

#include "masters/masterswidgets.h"
#include "widgets/busyscope.h"
#include "widgets/valuepanel.h"
#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pelanova {

namespace {

constexpr int labelIndex(int relation, int limit) { return relation * kBandLimitsPerRelation + limit; }

} // namespace

FeeTablePage::FeeTablePage(MessageBoxes &boxes, sql::Database &db, QWidget *parent)
    : FeeMasterPage(boxes, db, parent)
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addLayout(buildOwnBank());

    auto *tableRow = new QHBoxLayout;
    tableRow->addWidget(buildTable());
    tableRow->addStretch(1);
    page->addLayout(tableRow);

    auto *buttons = new QHBoxLayout;
    btnSaveBank = masters::bodyButton(QStringLiteral("登録"), this);
    btnSaveBank->setObjectName(QStringLiteral("btnSaveBank"));
    btnCancelBank = masters::bodyButton(QStringLiteral("キャンセル"), this);
    btnCancelBank->setObjectName(QStringLiteral("btnCancelBank"));
    buttons->addWidget(btnSaveBank);
    buttons->addWidget(btnCancelBank);
    buttons->addStretch(1);
    page->addLayout(buttons);
    page->addStretch(1);
    on(btnSaveBank, &QAbstractButton::clicked, [this] { save(); });
    on(btnCancelBank, &QAbstractButton::clicked, [this] { cancel(); });
}

QLayout *FeeTablePage::buildOwnBank()
{
    auto *own = new QGridLayout;
    own->setHorizontalSpacing(10);
    auto valueLabel = [this](int width, const char *name) {
        QLabel *label = valuePanel(this);
        label->setObjectName(QLatin1String(name));
        label->setFixedSize(width, 22);
        return label;
    };
    lblBankCode = valueLabel(60, "lblBankCode");
    lblBankName = valueLabel(220, "lblBankName");
    lblSitenCode = valueLabel(60, "lblSitenCode");
    lblSitenName = valueLabel(220, "lblSitenName");
    own->addWidget(masters::fieldLabel(QStringLiteral("銀行コード"), this), 0, 0);
    own->addWidget(lblBankCode, 0, 1);
    own->addWidget(masters::fieldLabel(QStringLiteral("銀行名"), this), 0, 2);
    own->addWidget(lblBankName, 0, 3);
    own->addWidget(masters::fieldLabel(QStringLiteral("支店コード"), this), 1, 0);
    own->addWidget(lblSitenCode, 1, 1);
    own->addWidget(masters::fieldLabel(QStringLiteral("支店名"), this), 1, 2);
    own->addWidget(lblSitenName, 1, 3);
    own->setColumnStretch(4, 1);
    return own;
}

QWidget *FeeTablePage::buildTable()
{
    auto *frame = new QFrame(this);
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
    auto text = [frame](const QString &caption) { return new QLabel(caption, frame); };
    // Columns: 0 relation, 1 lower bound, 2 limit, 3 "円未満", 4 電信, 5 "円", 6 文書, 7 "円".
    table->addWidget(heading(QStringLiteral("振　込　先")), 0, 0);
    table->addWidget(heading(QStringLiteral("金額範囲")), 0, 1, 1, 3);
    table->addWidget(heading(QStringLiteral("電信")), 0, 4, 1, 2);
    table->addWidget(heading(QStringLiteral("文書")), 0, 6, 1, 2);

    auto entry = [frame](const QString &name) {
        auto *edit = new NumericEdit(frame);
        edit->setMaxDigits(masters::rules::kAmountDigits);
        edit->setObjectName(name);
        edit->setDigitGrouping(true);
        edit->setFixedWidth(90);
        return edit;
    };
    // The limit entries are numbered 1 to 6, the fee entries 1 to 9 through
    // the relations' bands.
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        for (int limit = 0; limit < kBandLimitsPerRelation; ++limit)
            edtKingaku[bandLimitColumn(relation, limit)] =
                entry(QStringLiteral("edtKingaku_%1").arg(labelIndex(relation, limit) + 1));
        for (int band = 0; band < kBandsPerRelation; ++band) {
            const int number = relation * kBandsPerRelation + band + 1;
            edtKingaku[telegraphicFeeColumn(relation, band)] = entry(QStringLiteral("edtKingaku_%1_Den").arg(number));
            edtKingaku[documentFeeColumn(relation, band)] = entry(QStringLiteral("edtKingaku_%1_Bun").arg(number));
        }
    }

    const QString relations[kFeeRelationCount] = {QStringLiteral("当銀行当支店宛て"), QStringLiteral("当行他支店宛て"),
                                                  QStringLiteral("他銀行宛て")};
    // One table line per band: the band's lower bound (the limit above it),
    // its own limit (the last band has none), its two fees.
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        const int top = 1 + relation * kBandsPerRelation;
        QLabel *name = heading(relations[relation]);
        name->setMinimumWidth(150);
        table->addWidget(name, top, 0, kBandsPerRelation, 1);
        for (int band = 0; band < kBandsPerRelation; ++band) {
            const int row = top + band;
            if (band > 0) {
                const int below = labelIndex(relation, band - 1);
                QLabel *bound = text(band == 1 ? QStringLiteral("10,000 円以上") : QStringLiteral("30,000 円以上"));
                bound->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                bound->setMinimumWidth(110);
                bound->setObjectName(QStringLiteral("lblKingaku_%1").arg(below + 1));
                lblKingaku[below] = bound;
                table->addWidget(bound, row, 1);
            }
            if (band < kBandsPerRelation - 1) {
                table->addWidget(edtKingaku[bandLimitColumn(relation, band)], row, 2);
                table->addWidget(text(QStringLiteral("円未満")), row, 3);
            }
            table->addWidget(edtKingaku[telegraphicFeeColumn(relation, band)], row, 4);
            table->addWidget(text(QStringLiteral("円")), row, 5);
            table->addWidget(edtKingaku[documentFeeColumn(relation, band)], row, 6);
            table->addWidget(text(QStringLiteral("円")), row, 7);
        }
    }
    // Tab goes through the table as it reads: line by line, band limit
    // first, then the telegraphic and the document fee.
    QWidget *previous = nullptr;
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        for (int band = 0; band < kBandsPerRelation; ++band) {
            QList<QWidget *> order;
            if (band < kBandsPerRelation - 1)
                order << edtKingaku[bandLimitColumn(relation, band)];
            order << edtKingaku[telegraphicFeeColumn(relation, band)] << edtKingaku[documentFeeColumn(relation, band)];
            for (QWidget *next : order) {
                if (previous)
                    QWidget::setTabOrder(previous, next);
                previous = next;
            }
        }
    }
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        for (int limit = 0; limit < kBandLimitsPerRelation; ++limit)
            on(edtKingaku[bandLimitColumn(relation, limit)], &QLineEdit::editingFinished,
               [this, relation, limit] { edtKingakuExit(relation, limit); });
    }
    return frame;
}

void FeeTablePage::load(const std::optional<std::string> &consignor)
{
    const BusyScope busy;
    m_consignor = consignor;
    m_row = consignor ? loadConsignorRow(m_db, *consignor) : std::nullopt;
    const std::optional<ConsignorRow> &row = m_row;
    if (row) {
        lblBankCode->setText(QString::asprintf("%.4lld", static_cast<long long>(row->bankNumber)));
        lblSitenCode->setText(QString::asprintf("%.3lld", static_cast<long long>(row->branchNumber)));
        lblBankName->setText(q(row->shownBankName()));
        lblSitenName->setText(q(row->shownBranchName()));
        for (int i = 0; i < kFeeColumnCount; ++i)
            edtKingaku[i]->setText(row->missingFees[i] ? QString() : QString::number(feeValue(*row, i)));
        // The lower bounds read what the limits above them say.
        followLimits();
    } else {
        clear();
    }
    takeSnapshot();
}

void FeeTablePage::clear()
{
    for (QLabel *label : {lblBankCode, lblBankName, lblSitenCode, lblSitenName})
        label->clear();
    for (NumericEdit *edit : edtKingaku)
        edit->clear();
}

void FeeTablePage::edtKingakuExit(int relation, int limit)
{
    const NumericEdit *entry = edtKingaku[bandLimitColumn(relation, limit)];
    if (entry->text().isEmpty())
        return;
    lblKingaku[labelIndex(relation, limit)]->setText(masters::groupedAmount(entry->value()) + QStringLiteral(" 円以上"));
}

void FeeTablePage::followLimits()
{
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        for (int limit = 0; limit < kBandLimitsPerRelation; ++limit)
            edtKingakuExit(relation, limit);
    }
}

void FeeTablePage::save()
{
    if (m_row) {
        FeeTable table;
        for (int i = 0; i < kFeeColumnCount; ++i)
            feeValue(table, i) = edtKingaku[i]->value();
        changeWatched(m_watcher, m_consignor.value_or(std::string()), std::nullopt,
                      [&] { masters::saveFeeTable(m_db, *m_row, table); });
        static_cast<FeeTable &>(*m_row) = table;
        m_row->missingFees.reset();
    }
    followLimits();
    takeSnapshot();
}

void FeeTablePage::cancel()
{
    if (snapshot() == m_snapshot || !confirmCancel())
        return;
    load(m_consignor);
}

QString FeeTablePage::snapshot() const
{
    QString all;
    for (const NumericEdit *edit : edtKingaku)
        all += edit->text();
    return all;
}

} // namespace pelanova
