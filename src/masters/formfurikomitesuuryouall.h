#pragma once

#include "core/lineswatcher.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;

namespace pelanova {

class GradientButton;
class MessageBoxes;
class NumericEdit;

namespace sql {
class Database;
}

// 振込手数料一括登録: writes one fee category into every recipient of the
// consignor selected on the fee master. Ends with Accepted after an update,
// Rejected otherwise.
class TfrmFurikomiTesuuryouAll : public QDialog
{
    Q_OBJECT

public:
    // consignorCode is asked when the update is confirmed.
    TfrmFurikomiTesuuryouAll(MessageBoxes &messages, sql::Database &database,
                             std::function<std::string()> consignorCode, QWidget *parent = nullptr);

    // Called before the update: writes a backup of the database, or throws
    // (BackupError) to stop the update.
    void setBackupHandler(std::function<void()> handler) { m_backup = std::move(handler); }
    // Told before and after the registration changes the consignor's fees.
    void setLinesWatcher(LinesWatcher *watcher) { m_watcher = watcher; }

    void chkTesuuryouClick();
    // 登録開始: asks, updates, confirms and ends with OK.
    void btnStartClick();

    QCheckBox *chkTesuuryou;
    NumericEdit *EditTesuuryou;
    GradientButton *btnStart;
    GradientButton *btnCancel;

private:
    MessageBoxes &m_messages;
    sql::Database &m_db;
    std::function<std::string()> m_consignorCode;
    std::function<void()> m_backup;
    LinesWatcher *m_watcher = nullptr;
};

} // namespace pelanova
