#pragma once

#include "masters/masterdata.h"
#include "reports/baselrep.h"
#include "shell/formbase.h"

#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;

namespace pelanova {

class GradientButton;
class KeyedComboBox;
class NumericEdit;
class PageControl;
class StripedGrid;

// 振込手数料: for one consignor at a time, the fee category of each recipient
// (page 振込先手数料, M_受取人) and the consignor's own fee table (page
// 銀行手数料, the 24 fee columns of M_銀行). Unsaved edits are detected by
// snapshots of each page's texts and asked about when the user moves on.
class TfrmFurikomiTesuuryou : public TfrmBase
{
    Q_OBJECT

public:
    enum Page { PageFurikomi = 0, PageBank = 1 };

    TfrmFurikomiTesuuryou(ScreenContext &context, QWidget *parent);

    // Consignor chosen in the selector (by the user).
    void cmbItakusyaClick();
    // Before the grid moves to another recipient line; allow false keeps it.
    void GridListSelectCell(int line, bool &allow);
    void chkTesuuryouClick();
    void btnSaveClick();
    void btnCancelClick();
    void btnSaveBankClick();
    void btnCancelBankClick();
    // Before the user turns the page: the questions about the page left.
    // The page always turns.
    void PageControl1Changing(int from, int to, bool &allow);
    // After the page turned: the new page's snapshot.
    void PageControl1Change(int page);
    void btnTesuuryouAllClick();
    // Shows the recipient list, in the one preview window this screen keeps.
    void btnFurikomiPrintClick();
    TBaseLRep *recipientList() const { return m_recipientList; }

    // Code of the consignor selected in cmbItakusya; empty when none.
    std::string selectedConsignor() const;

    QString RecipientSnapshot() const;
    QString FeeTableSnapshot() const;

    // Runs a modal dialog of this screen and returns its result; tests
    // replace it to answer the dialog.
    std::function<int(QDialog &)> execDialog;

    GradientButton *btnTesuuryouAll;
    GradientButton *btnFurikomiPrint;
    KeyedComboBox *cmbItakusya;
    PageControl *PageControl1;
    QWidget *TabFurikomi;
    QWidget *TabBank;

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

    QLabel *lblBankCode;
    QLabel *lblBankName;
    QLabel *lblSitenCode;
    QLabel *lblSitenName;
    // edtKingaku_1 to _6, edtKingaku_1_Den to _9_Den, edtKingaku_1_Bun to
    // _9_Bun: the order of masters::kFeeTableColumns.
    std::array<NumericEdit *, masters::kFeeColumnCount> edtKingaku{};
    // lblKingaku_1 to _6: the lower bound of the line below each band limit.
    std::array<QLabel *, 6> lblKingaku{};
    GradientButton *btnSaveBank;
    GradientButton *btnCancelBank;

protected:
    void btnMenuClick() override;

private:
    void FormCreate();
    void buildRecipientPage();
    void buildFeeTablePage();
    void LoadConsignors();
    void LoadFeeTable();
    void ClearFeeTable();
    void LoadRecipients();
    // A band label follows its band limit entry; an empty entry leaves it.
    void edtKingakuExit(int limit);
    bool recipientCurrent() const;
    bool askSave(const char *text);
    // When the page has unsaved edits: asks whether to save them, and on
    // はい saves them.
    void askSaveEdits(int page);
    bool paintGridCell(QPainter &painter, const QRect &rect, int line, int column, bool selected);

    sql::Database &db() const;

    // The consignor both pages show and save for; the selector may already
    // name the next one while the edits of this one are asked about.
    std::string m_consignor;
    QString m_recipientSnapshot;
    QString m_feeTableSnapshot;
    bool m_loading = false;
    // The M_銀行 row the fee table page shows and saves into.
    std::optional<int64_t> m_feeTableRow;
    QPointer<TBaseLRep> m_recipientList;
};

} // namespace pelanova
