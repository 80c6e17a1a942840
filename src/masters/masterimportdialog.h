#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace pelanova {

namespace masters {
struct ImportPlan;
}

// What an import of a master file will do, asked before it is applied: the
// counts (追加 / 変更 / 変更なし) and each added or changed row. はい applies;
// いいえ, the default, and Esc leave the master as it is.
class TfrmMasterImport : public QDialog
{
    Q_OBJECT

public:
    TfrmMasterImport(const masters::ImportPlan &plan, const QString &fileName, QWidget *parent = nullptr);

    QLabel *lblCounts;
    QListWidget *lstChanges;
    QPushButton *btnYes;
    QPushButton *btnNo;
};

} // namespace pelanova
