#include "output/frmfurikomicreate.h"
#include "widgets/utf8text.h"

#include "core/datamodule.h"
#include "core/holidays.h"
#include "core/inifile.h"
#include "core/tesuuryou.h"
#include "core/unitapp.h"
#include "core/userinterface.h"
#include "output/filehistory.h"
#include "output/transferfile.h"
#include "shell/screencontext.h"
#include "widgets/busyscope.h"
#include "widgets/valuepanel.h"
#include "widgets/ellipsisedit.h"
#include "widgets/filedialogs.h"
#include "widgets/guard.h"

#include <QDate>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace pelanova {
namespace {

constexpr const char *kExists = "すでにファイルが存在しています。上書きしますか？";
constexpr const char *kDone = "振込データの作成が完了しました。";
constexpr const char *kWarningsQuestion = "警告があります。作成しますか？";
constexpr const char *kNotesIntro = "次のとおり作成します。";

} // namespace

TfrmFurikomiCreate::TfrmFurikomiCreate(ScreenContext &context, QWidget *parent)
    : QDialog(parent), m_context(context)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(this);

    auto *dateGroup = new QGroupBox(QStringLiteral("振込依頼日"), this);
    auto *dateRow = new QHBoxLayout(dateGroup);
    lblDate = new QLabel(dateGroup);
    lblWeek = new QLabel(dateGroup);
    lblSyuku = new QLabel(dateGroup);
    QPalette red = lblSyuku->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblSyuku->setPalette(red);
    dateRow->addWidget(lblDate);
    dateRow->addWidget(lblWeek);
    dateRow->addWidget(lblSyuku);
    dateRow->addStretch(1);
    layout->addWidget(dateGroup);

    auto *info = new QGroupBox(QStringLiteral("引落情報"), this);
    auto *grid = new QGridLayout(info);
    auto row = [&](int r, const QString &caption) {
        grid->addWidget(new QLabel(caption, info), r, 0);
        QLabel *value = valuePanel(info);
        value->setMinimumWidth(260);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(value, r, 1);
        return value;
    };
    lblItakusyaCode = row(0, QStringLiteral("委託者番号"));
    lblItakusyaName = row(1, QStringLiteral("委託者名"));
    lblBank = row(2, QStringLiteral("引落銀行"));
    lblYokin = row(3, QStringLiteral("預金種別"));
    lblKouza = row(4, QStringLiteral("口座番号"));
    layout->addWidget(info);

    auto *fileGroup = new QGroupBox(QStringLiteral("作成ファイル名"), this);
    auto *fileRow = new QHBoxLayout(fileGroup);
    edtFileName = new EllipsisEdit(fileGroup);
    edtFileName->setMinimumWidth(360);
    fileRow->addWidget(edtFileName);
    layout->addWidget(fileGroup);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnCreate = new QPushButton(QStringLiteral("作成開始"), this);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnCreate->setAutoDefault(false);
    btnClose->setAutoDefault(false);
    buttons->addWidget(btnCreate);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);

    connectGuarded(this, m_context.messages, edtFileName, &EllipsisEdit::ellipsisClicked,
                   [this] { edtFileNameEllipsisClick(); });
    connectGuarded(this, m_context.messages, btnCreate, &QPushButton::clicked, [this] { btnCreateClick(); });
    connectGuarded(this, m_context.messages, btnClose, &QPushButton::clicked, [this] { btnCloseClick(); });

    const TSettings settings = m_context.dm.settings({settings::FileName});
    edtFileName->setText(q(settings.ReadString("FileName")));
}

void TfrmFurikomiCreate::ShowForConsignor(const std::string &consignorCode, int date, const std::string &statement)
{
    m_consignor = consignorCode;
    m_date = date;
    m_statement = statement;

    const QDate day(date / 10000, date / 100 % 100, date % 100);
    lblDate->setText(QStringLiteral("%1年%2月%3日").arg(day.year()).arg(day.month()).arg(day.day()));
    static const char *const kWeekdays[] = {"（月）", "（火）", "（水）", "（木）", "（金）", "（土）", "（日）"};
    const int weekday = day.isValid() ? day.dayOfWeek() : 0;
    lblWeek->setText(weekday ? QString::fromUtf8(kWeekdays[weekday - 1]) : QString());
    const QColor colour = weekday == 7 ? Qt::red : weekday == 6 ? Qt::blue : Qt::black;
    QPalette palette = lblWeek->palette();
    palette.setColor(QPalette::WindowText, colour);
    lblWeek->setPalette(palette);
    const bool holiday = day.isValid() && isNationalHoliday(date);
    lblSyuku->setText(holiday ? QStringLiteral("（祝）") : QString());

    if (const std::optional<ConsignorRow> c = loadConsignorRow(m_context.dm.ADOConFurikomi, consignorCode)) {
        lblItakusyaCode->setText(q(c->code));
        lblItakusyaName->setText(q(c->name));
        lblBank->setText(QStringLiteral("%1-%2").arg(c->bankNumber).arg(c->branchNumber));
        lblYokin->setText(q(GetYokinSyubetuName(c->accountType)));
        lblKouza->setText(q(c->account));
    }
    execDialog(*this);
}

void TfrmFurikomiCreate::edtFileNameEllipsisClick()
{
    const QString folder = QFileInfo(edtFileName->text()).absolutePath();
    const QString chosen = m_context.files.getSaveFileName(this, QString::fromUtf8(kTitle), folder,
                                                           QStringLiteral("振込データ(*.txt)|*.TXT"), QString());
    if (!chosen.isEmpty())
        edtFileName->setText(q(output::withTxtExtension(chosen.toStdString())));
}

void TfrmFurikomiCreate::btnCreateClick()
{
    MessageBoxes &boxes = m_context.messages;
    const std::string target = output::withTxtExtension(edtFileName->text().toStdString());
    edtFileName->setText(q(target));

    // The file is built whole in memory and checked as the bank will read it
    // before anything is asked or written.
    output::BankFile file;
    {
        BusyScope busy;
        const output::TransferFileForm form = output::readTransferFileForm(IniFile(m_context.dm.settingsFile()));
        file = output::prepareBankFile(m_context.dm.ADOConFurikomi, m_context.dm.ADOConBank, m_consignor, m_date,
                                       m_statement, form);
    }
    switch (file.state()) {
    case output::BankFile::State::NothingToTransfer:
        boxes.messageBox(file.refusal(), kTitle, MessageIcon::Information, MessageButtons::Ok, kDefaultButton1);
        return;
    case output::BankFile::State::Refused:
        boxes.messageBox(file.refusal(), kTitle, MessageIcon::Error, MessageButtons::Ok, kDefaultButton1);
        return;
    case output::BankFile::State::Ready:
        break;
    }
    // A day's file made before would pay every recipient twice if both went
    // to the bank.
    if (const std::optional<output::CreatedFile> made =
            output::lastCreatedFile(m_context.dm.ADOConFurikomi, m_consignor, m_date);
        made
        && boxes.messageBox(output::createdAgainQuestion(*made), kTitle, MessageIcon::Question, MessageButtons::YesNo,
                            kDefaultButton2)
               != IdYes)
        return;
    std::error_code ec;
    if (std::filesystem::exists(target, ec)
        && boxes.messageBox(kExists, kTitle, MessageIcon::Question, MessageButtons::YesNo, kDefaultButton2) != IdYes)
        return;
    // Warnings need a yes; the converted names and the lines left out are said.
    const std::string warnings = file.warnings();
    const std::string notes = file.notes();
    if (!warnings.empty()) {
        const std::string question =
            kWarningsQuestion + std::string("\n\r") + warnings + (notes.empty() ? "" : "\n\r" + notes);
        if (boxes.messageBox(question, kTitle, MessageIcon::Question, MessageButtons::YesNo, kDefaultButton2)
            != IdYes)
            return;
    } else if (!notes.empty()) {
        boxes.messageBox(kNotesIntro + std::string("\n\r") + notes, kTitle, MessageIcon::Information,
                         MessageButtons::Ok, kDefaultButton1);
    }

    for (;;) {
        const std::string error = output::writeBankFile(m_context.dm.ADOConFurikomi, file, target);
        if (error.empty())
            break;
        // 再試行 and 無視 both try again; 中止 gives up.
        if (boxes.messageBox(error, kTitle, MessageIcon::None, MessageButtons::AbortRetryIgnore, kDefaultButton1)
            == IdAbort)
            return;
    }
    boxes.messageBox(kDone, kTitle, MessageIcon::Information, MessageButtons::Ok, kDefaultButton1);
    TSettings settings = m_context.dm.settings({settings::FileName});
    settings.WriteString("FileName", target);
}

} // namespace pelanova
