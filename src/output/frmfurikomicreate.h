#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace pelanova {

struct ScreenContext;
class EllipsisEdit;

// 総合振込データ作成: writes the merged transfer file of one consignor and
// transfer request date for the bank. The file is built and checked whole
// before the target is touched: what the bank would refuse is listed and
// nothing written, what it may change is listed and asked about. The file
// replaces the target in one step, so a failure never leaves a partial file.
class TfrmFurikomiCreate : public QDialog
{
    Q_OBJECT

public:
    TfrmFurikomiCreate(ScreenContext &context, QWidget *parent = nullptr);

    // Keeps the selection, fills the labels and shows the dialog modally
    // (through execDialog).
    void ShowForConsignor(const std::string &consignorCode, int date, const std::string &statement);
    std::function<int(QDialog &)> execDialog = [](QDialog &dialog) { return dialog.exec(); };

    void edtFileNameEllipsisClick();
    void btnCreateClick();
    void btnCloseClick() { close(); }

    QLabel *lblDate;
    QLabel *lblWeek;
    QLabel *lblSyuku; // "（祝）" on a national holiday
    QLabel *lblItakusyaCode;
    QLabel *lblItakusyaName;
    QLabel *lblBank;
    QLabel *lblYokin;
    QLabel *lblKouza;
    EllipsisEdit *edtFileName;
    QPushButton *btnCreate;
    QPushButton *btnClose;

    static constexpr const char *kTitle = "総合振込データ作成";

private:
    ScreenContext &m_context;
    std::string m_consignor;
    int m_date = 0;
    std::string m_statement;
};

} // namespace pelanova
