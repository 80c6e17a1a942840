#include "masters/masterimportdialog.h"

#include "core/unitapp.h"
#include "masters/masterfiles.h"
#include "masters/masterswidgets.h"
#include "widgets/utf8text.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelanova {

TfrmMasterImport::TfrmMasterImport(const masters::ImportPlan &plan, const QString &fileName, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("インポートの確認"));
    masters::setScreenFont(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(q(masters::sheetName(plan.kind)) + QStringLiteral("：")
                                     + QFileInfo(fileName).fileName(),
                                 this));
    lblCounts = new QLabel(q(plan.countsText()), this);
    lblCounts->setObjectName(QStringLiteral("lblCounts"));
    QFont bold = lblCounts->font();
    bold.setBold(true);
    lblCounts->setFont(bold);
    layout->addWidget(lblCounts);

    lstChanges = new QListWidget(this);
    lstChanges->setObjectName(QStringLiteral("lstChanges"));
    for (const std::string &line : plan.changeLines())
        lstChanges->addItem(q(line));
    lstChanges->setMinimumSize(640, 260);
    layout->addWidget(lstChanges, 1);

    layout->addWidget(new QLabel(QStringLiteral("この内容で取り込みますか？（取り込む前にバックアップを作成します）"), this));
    auto *buttons = new QDialogButtonBox(this);
    btnYes = buttons->addButton(QStringLiteral("はい(&Y)"), QDialogButtonBox::YesRole);
    btnNo = buttons->addButton(QStringLiteral("いいえ(&N)"), QDialogButtonBox::NoRole);
    btnYes->setObjectName(QStringLiteral("btnYes"));
    btnNo->setObjectName(QStringLiteral("btnNo"));
    btnYes->setAutoDefault(false);
    btnNo->setDefault(true);
    btnNo->setFocus();
    connect(btnYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnNo, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace pelanova
