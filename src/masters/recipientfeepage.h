#pragma once

#include "masters/feemasterpage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace pelanova {

class GradientButton;
class NumericEdit;
class StripedGrid;

// Page 振込先手数料 of the fee master: the consignor's recipients (M_受取人) in
// a grid, the detail of the selected one, and its fee category (who bears the
// fee, from which amount on), saved per recipient. Moving to another line with
// unsaved edits asks whether to save them first.
class RecipientFeePage : public FeeMasterPage
{
public:
    // Grid columns: the name shown, the key columns (hidden), the fee category.
    enum Column { ColName = 0, ColBank = 1, ColBranch = 2, ColAccount = 3, ColCategory = 4, ColThreshold = 5 };

    RecipientFeePage(MessageBoxes &boxes, sql::Database &db, QWidget *parent);

    // Lists the consignor's recipients by name; no line is selected.
    void load(const std::optional<std::string> &consignor) override;
    // Before the grid moves to the line: the question about the edits of the
    // line left, then the new line's detail. False keeps the grid where it is.
    bool selectLine(int line);
    // Saves the fee category of the selected recipient; nothing without one.
    void save() override;
    // Shows the selected line's stored category again, after asking.
    void cancel() override;
    void chkTesuuryouClick();

    QString snapshot() const override;
    // Edits count only while a line is selected.
    bool hasUnsavedEdits() const override;

    StripedGrid *GridList;
    QWidget *pnlBank;
    QLineEdit *EditUketori;
    QLineEdit *EditBankCode;
    QLineEdit *EditBankName;
    QLineEdit *EditSitenCode;
    QLineEdit *EditSitenName;
    QLabel *pnlYokin;
    QLineEdit *EditKouzaNo;
    QCheckBox *chkTesuuryou;
    NumericEdit *EditTesuuryou;
    GradientButton *btnSave;
    GradientButton *btnCancel;

private:
    void buildGrid();
    void buildDetail(QVBoxLayout *right);

    // Row selections while the list is filled are not the user's.
    bool m_loading = false;
};

} // namespace pelanova
