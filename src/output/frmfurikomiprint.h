#pragma once

#include "output/furikomi.h"
#include "reports/baselrep.h"
#include "shell/formbase.h"

#include <QPointer>

#include <functional>
#include <string>

class QDialog;
class QLabel;

namespace pelanova {

class GradientButton;
class KeyedComboBox;
class StripedGrid;

// 総合振込依頼書印刷: the transfers of one consignor and transfer request date,
// of one facility or of all facilities merged, with their fees; from here the
// request form, the fee list and the bank's file are made.
class TfrmFurikomiPrint : public TfrmBase
{
    Q_OBJECT

public:
    TfrmFurikomiPrint(ScreenContext &context, QWidget *parent);

    // What the grid says when a load found no line.
    static constexpr const char *kNoLinesOfFacility = "この施設の振込データはありません。";
    static constexpr const char *kNoLinesOfConsignor = "この委託者のこの日の振込データはありません。";

    GradientButton *btnHistory;
    GradientButton *btnFurikomiCreate;
    GradientButton *btnPrintTesuuryou;
    GradientButton *btnPrint;
    KeyedComboBox *cmbItakusya;
    KeyedComboBox *cmbFurikomiDate;
    KeyedComboBox *cmbBumon;
    QLabel *pnlKensu;
    QLabel *pnlKingaku;  // 合計振込金額: the delivered amounts
    QLabel *pnlAitesaki; // 先方負担手数料: the fees the recipients bear
    QLabel *pnlShiharai; // 支払金額合計: what is paid after them, as printed
    // 未作成, 作成済み（日時）, 作成後に変更あり（日時） in red.
    QLabel *lblFileState;
    StripedGrid *GridList;

    void cmbFurikomiDateClick();
    void cmbBumonClick();
    void cmbItakusyaClick();
    void btnPrintClick();
    void btnPrintTesuuryouClick();
    void btnFurikomiCreateClick();
    void btnHistoryClick();

    // The aggregation statement of the last load, handed to the outputs.
    const std::string &statement() const { return m_statement; }
    TBaseLRep *requestReport() const { return m_request; }
    TBaseLRep *feeReport() const { return m_fees; }
    // Runs the file creation dialog modally (tests script it).
    std::function<int(QDialog &)> execDialog;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void LoadLines();
    void showFileState();
    int selectedDate() const;
    int selectedFacility() const;
    std::string selectedConsignor() const;

    std::string m_statement;
    output::FurikomiList m_list; // the lines the grid shows
    QPointer<TBaseLRep> m_request;
    QPointer<TBaseLRep> m_fees;
    bool m_shown = false;
};

} // namespace pelanova
