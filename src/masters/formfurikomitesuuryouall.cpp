#include "masters/masterrules.h"
#include "masters/formfurikomitesuuryouall.h"

#include "core/sql.h"
#include "core/unitapp.h"
#include "masters/masterdata.h"
#include "masters/masterswidgets.h"
#include "widgets/gradientbutton.h"
#include "widgets/guard.h"
#include "widgets/numericedit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pelanova {

namespace {
constexpr const char *kCaption = "振込手数料一括登録";
}

TfrmFurikomiTesuuryouAll::TfrmFurikomiTesuuryouAll(MessageBoxes &messages, sql::Database &database,
                                                   std::function<std::string()> consignorCode, QWidget *parent)
    : QDialog(parent), m_messages(messages), m_db(database), m_consignorCode(std::move(consignorCode))
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setFixedSize(400, 184);
    masters::setScreenFont(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);

    auto *explanation = new QLabel(QStringLiteral("振込先の手数料を一括で登録することができます。\n"
                                                  "手数料区分を設定して『登録開始』ボタンを押してください。"),
                                   this);
    explanation->setFrameShape(QFrame::Box);
    explanation->setMargin(6);
    layout->addWidget(explanation);

    auto *fee = new QHBoxLayout;
    fee->setSpacing(8);
    fee->addWidget(new QLabel(QStringLiteral("手数料区分"), this));
    chkTesuuryou = new QCheckBox(QStringLiteral("相手先"), this);
    chkTesuuryou->setObjectName(QStringLiteral("chkTesuuryou"));
    fee->addWidget(chkTesuuryou);
    EditTesuuryou = new NumericEdit(this);
    EditTesuuryou->setMaxDigits(masters::rules::kAmountDigits);
    EditTesuuryou->setObjectName(QStringLiteral("EditTesuuryou"));
    EditTesuuryou->setFixedWidth(100);
    fee->addWidget(EditTesuuryou);
    fee->addWidget(new QLabel(QStringLiteral("円以上"), this));
    fee->addStretch(1);
    layout->addLayout(fee);
    layout->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnStart = masters::bodyButton(QStringLiteral("登録開始"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnCancel = masters::bodyButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnStart);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    // The amount is open for typing at first although the tick is clear.
    connect(chkTesuuryou, &QAbstractButton::clicked, this, [this] { chkTesuuryouClick(); });
    connectGuarded(this, m_messages, btnStart, &QAbstractButton::clicked, [this] { btnStartClick(); });
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

void TfrmFurikomiTesuuryouAll::chkTesuuryouClick()
{
    EditTesuuryou->setEnabled(chkTesuuryou->isChecked());
}

void TfrmFurikomiTesuuryouAll::btnStartClick()
{
    if (m_messages.messageBox("設定された内容で登録します。\n\rよろしいですか？", kCaption, MessageIcon::Question,
                              MessageButtons::YesNo, kDefaultButton2) != IdYes)
        return;
    const std::string code = m_consignorCode ? m_consignorCode() : std::string();
    if (code.empty()) {
        ErrorMsg(m_messages, "委託者が選択されていません。");
        return;
    }
    if (m_backup) {
        try {
            m_backup();
        } catch (const std::exception &error) {
            ErrorMsg(m_messages, std::string("バックアップを作成できないため、登録を中止しました。\n\r") + error.what());
            return;
        }
    }
    // The message of the registration comes first, then what it left behind.
    if (m_watcher)
        m_watcher->before(code, std::nullopt);
    try {
        masters::applyBulkFee(m_db, code, chkTesuuryou->isChecked(), EditTesuuryou->value());
    } catch (...) {
        if (m_watcher)
            m_watcher->after(code, std::nullopt);
        throw;
    }
    m_messages.messageBox("設定された内容で登録しました。", kCaption, MessageIcon::Information, MessageButtons::Ok,
                          kDefaultButton1);
    if (m_watcher)
        m_watcher->after(code, std::nullopt);
    accept();
}

} // namespace pelanova
