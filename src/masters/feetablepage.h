#pragma once

#include "masters/feemasterpage.h"
#include "masters/masterdata.h"

#include <array>
#include <cstdint>

class QLabel;
class QLayout;

namespace pelanova {

class GradientButton;
class NumericEdit;

// Page 銀行手数料 of the fee master: the consignor's own bank and branch and
// its fee table (the 24 fee columns of M_銀行): per relation two band limits
// and, per band, the telegraphic and the document fee.
class FeeTablePage : public FeeMasterPage
{
public:
    FeeTablePage(MessageBoxes &boxes, sql::Database &db, QWidget *parent);

    // Shows the consignor's bank and fee table; empty without a fee table.
    void load(const std::optional<std::string> &consignor) override;
    // Writes the 24 values into the row shown (nothing without one).
    void save() override;
    // Shows the stored fee table again, after asking.
    void cancel() override;

    QString snapshot() const override;

    QLabel *lblBankCode;
    QLabel *lblBankName;
    QLabel *lblSitenCode;
    QLabel *lblSitenName;
    // The 24 entries by the positions of kFeeColumns (bandLimitColumn,
    // telegraphicFeeColumn, documentFeeColumn): edtKingaku_1 to _6 the band
    // limits, edtKingaku_1_Den to _9_Den and _1_Bun to _9_Bun the fees.
    std::array<NumericEdit *, kFeeColumnCount> edtKingaku{};
    // lblKingaku_1 to _6: the lower bound of the band below each band limit,
    // by relation × 2 + limit.
    std::array<QLabel *, kFeeRelationCount * kBandLimitsPerRelation> lblKingaku{};
    GradientButton *btnSaveBank;
    GradientButton *btnCancelBank;

private:
    QLayout *buildOwnBank();
    QWidget *buildTable();
    void clear();
    // A band label follows its band limit entry; an empty entry leaves it.
    void edtKingakuExit(int relation, int limit);
    void followLimits();

    // The M_銀行 row shown and saved into.
    // The consignor's row as the page shows it: a save is stored only while
    // the stored row still holds these fees.
    std::optional<ConsignorRow> m_row;
};

} // namespace pelanova
