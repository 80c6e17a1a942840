#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;

namespace pelanova {

struct ScreenContext;
class StripedGrid;

// 作成履歴: the bank files made of one consignor's lines, newest first, each
// with what it carried and where it went, and how it stands now (the file on
// disk held against its SHA-256, the data against its fingerprint).
class TfrmFurikomiHistory : public QDialog
{
    Q_OBJECT

public:
    TfrmFurikomiHistory(ScreenContext &context, QWidget *parent = nullptr);

    // Lists the consignor's files (read now) and shows the dialog modally.
    void ShowForConsignor(const std::string &consignorCode, const std::string &consignorName);
    std::function<int(QDialog &)> execDialog = [](QDialog &dialog) { return dialog.exec(); };

    QLabel *lblItakusya;
    StripedGrid *GridList;
    QPushButton *btnClose;

    static constexpr const char *kTitle = "作成履歴";

private:
    ScreenContext &m_context;
};

} // namespace pelanova
