#pragma once

#include "masters/feetablepage.h"
#include "masters/masterfiles.h"
#include "masters/recipientfeepage.h"
#include "reports/baselrep.h"
#include "shell/formbase.h"

#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <string>

class QAction;
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
// (page 振込先手数料, RecipientFeePage) and the consignor's own fee table (page
// 銀行手数料, FeeTablePage). The screen keeps the consignor list and the pages
// and asks about a page's unsaved edits when the user moves on.
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
    // The recipient list as an Excel workbook, the printed list's columns.
    void recipientListExcelClick();
    // The recipients and the consignors (their fee tables) as files, and back.
    void exportClick(masters::MasterKind kind);
    void importClick(masters::MasterKind kind);

    // Code of the consignor selected in cmbItakusya; empty when none.
    std::string selectedConsignor() const;

    // Runs a modal dialog of this screen and returns its result; tests
    // replace it to answer the dialog.
    std::function<int(QDialog &)> execDialog;

    GradientButton *btnTesuuryouAll;
    GradientButton *btnFurikomiPrint;
    // btnFurikomiPrint's menu: the preview as ever, or an Excel workbook.
    QAction *actFurikomiPreview;
    QAction *actFurikomiExcel;
    // マスタ入出力: export and import of the recipients and the consignors.
    GradientButton *btnMasterFiles;
    QAction *actExportRecipients;
    QAction *actImportRecipients;
    QAction *actExportConsignors;
    QAction *actImportConsignors;
    KeyedComboBox *cmbItakusya;
    PageControl *PageControl1;
    RecipientFeePage *TabFurikomi;
    FeeTablePage *TabBank;


protected:
    void btnMenuClick() override;

private:
    void FormCreate();
    void LoadConsignors();
    // Both pages show the selected consignor afresh.
    void loadPages();
    FeeMasterPage *page(int index) const;

    sql::Database &db() const;

    QPointer<TBaseLRep> m_recipientList;
};

} // namespace pelanova
