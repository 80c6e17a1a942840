#include "masters/formkakusyu.h"

#include "core/datamodule.h"
#include "core/inifile.h"
#include "core/unitapp.h"
#include "core/userinterface.h"
#include "masters/masterdata.h"
#include "masters/masterswidgets.h"
#include "widgets/busyscope.h"
#include "widgets/filedialogs.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/numericedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <exception>

namespace pelanova {


namespace {

// The settings items of this screen; the bank path is asked for as
// "Bankdata", which names the same item.
TSettings screenSettings(const TDM1 &dm)
{
    return dm.settings({settings::TesuuryouKubun, settings::TesuuryouKingaku, settings::BankData,
                        settings::LedraData, settings::ClearingHouse, settings::Designation, settings::LineBreak,
                        settings::DatabaseEngine, settings::DatabaseConnection});
}

// A choice of the bank file's form: items "stored value TAB shown text", the
// first one the default.
KeyedComboBox *formChoice(const char *name, const ChoiceSetting &setting, QWidget *parent)
{
    auto *combo = new KeyedComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setShownText(shownAfterTab());
    combo->setItemHeight(20);
    combo->setMinimumWidth(160);
    for (const SettingChoice &choice : setting.choices)
        combo->addKeyedItem(QString::fromUtf8(choice.value) + QLatin1Char('\t') + QString::fromUtf8(choice.shown));
    return combo;
}

// Selects the item of the stored value; an unknown or missing value shows the
// default, as the writer reads it.
void selectStored(KeyedComboBox *combo, const std::string &value)
{
    int index = 0;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->key(i) == q(value))
            index = i;
    combo->setCurrentIndex(index);
}

// The folder part of a path written with either kind of separator.
QString folderOf(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut);
}

QGroupBox *group(const QString &title, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setFixedWidth(620);
    return box;
}

QLabel *note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 160));
    label->setPalette(pal);
    return label;
}

} // namespace

TfrmKakusyu::TfrmKakusyu(ScreenContext &context, QWidget *parent)
    : TfrmBase(context, parent)
{
    setWindowTitle(QStringLiteral("各種設定"));
    setTitle(QStringLiteral("各種設定"));
    masters::setScreenFont(body());

    btnDel = createHeaderButton(QStringLiteral("全データ"), QStringLiteral("削　　除"));
    btnDel->setObjectName(QStringLiteral("btnDel"));
    on(btnDel, &QAbstractButton::clicked, [this] { btnDelClick(); });

    auto *layout = new QVBoxLayout(body());
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);

    grpTesuuryou = group(QStringLiteral("手数料区分"), body());
    {
        auto *box = new QGridLayout(grpTesuuryou);
        chkTesuuryou = new QCheckBox(QStringLiteral("相手先"), grpTesuuryou);
        chkTesuuryou->setObjectName(QStringLiteral("chkTesuuryou"));
        EditTesuuryou = new NumericEdit(grpTesuuryou);
        EditTesuuryou->setObjectName(QStringLiteral("EditTesuuryou"));
        EditTesuuryou->setFixedWidth(100);
        auto *line = new QHBoxLayout;
        line->setSpacing(8);
        line->addWidget(chkTesuuryou);
        line->addWidget(EditTesuuryou);
        line->addWidget(new QLabel(QStringLiteral("円以上"), grpTesuuryou));
        line->addStretch(1);
        box->addLayout(line, 0, 0);
        box->addWidget(note(QStringLiteral("振込データ取込時の手数料区分を設定します。"), grpTesuuryou), 1, 0);
    }
    layout->addWidget(grpTesuuryou);

    auto pathGroup = [this](const QString &title, QLineEdit *&edit, GradientButton *&browse, const QString &remark) {
        QGroupBox *box = group(title, body());
        auto *grid = new QGridLayout(box);
        grid->addWidget(new QLabel(QStringLiteral("データの場所"), box), 0, 0);
        edit = new QLineEdit(box);
        edit->setMinimumWidth(420);
        grid->addWidget(edit, 0, 1);
        browse = masters::bodyButton(QStringLiteral("参照"), box, 64);
        browse->setFixedHeight(26);
        grid->addWidget(browse, 0, 2);
        if (!remark.isEmpty())
            grid->addWidget(note(remark, box), 1, 0, 1, 3);
        return box;
    };

    // The accounting database's place is kept but not offered.
    grpLedra = pathGroup(QStringLiteral("財務会計"), EditLedraData, btnLedraTo, QString());
    EditLedraData->setObjectName(QStringLiteral("EditLedraData"));
    grpLedra->hide();
    layout->addWidget(grpLedra);
    on(btnLedraTo, &QAbstractButton::clicked, [this] { btnLedraToClick(); });

    grpBank = pathGroup(QStringLiteral("銀行マスタ"), EditBankData, btnBankTo,
                        QStringLiteral("弊社の会計システムをご使用の場合に設定すると銀行名を漢字で表示できます。"));
    EditBankData->setObjectName(QStringLiteral("EditBankData"));
    layout->addWidget(grpBank);
    on(btnBankTo, &QAbstractButton::clicked, [this] { btnBankToClick(); });

    grpOutput = group(QStringLiteral("銀行提出データの形式"), body());
    {
        auto *grid = new QGridLayout(grpOutput);
        KeyedComboBox **combos[] = {&cmbClearingHouse, &cmbDesignation, &cmbLineBreak};
        const char *names[] = {"cmbClearingHouse", "cmbDesignation", "cmbLineBreak"};
        int row = 0;
        for (const ChoiceSetting &setting : choiceSettings()) {
            KeyedComboBox *combo = *combos[row] = formChoice(names[row], setting, grpOutput);
            auto *caption = new QLabel(QString::fromUtf8(setting.label), grpOutput);
            caption->setBuddy(combo);
            grid->addWidget(caption, row * 2, 0);
            grid->addWidget(combo, row * 2, 1);
            // A stored value that is none of the choices is said below its list.
            QLabel *unknown = note(QString(), grpOutput);
            QPalette red = unknown->palette();
            red.setColor(QPalette::WindowText, Qt::red);
            unknown->setPalette(red);
            unknown->setWordWrap(true);
            unknown->hide();
            lblUnknown[row] = unknown;
            grid->addWidget(unknown, row * 2 + 1, 0, 1, 3);
            ++row;
        }
        row *= 2;
        grid->setColumnStretch(2, 1);
        grid->addWidget(note(QStringLiteral("振込データ作成時のファイルの形式です。振込先の銀行の指定に合わせてください。"),
                             grpOutput),
                        row, 0, 1, 3);
    }
    layout->addWidget(grpOutput);

    grpDatabase = group(QStringLiteral("データベース"), body());
    {
        auto *grid = new QGridLayout(grpDatabase);
        cmbEngine = formChoice("cmbEngine", databaseEngineChoice(), grpDatabase);
        cmbEngine->setMinimumWidth(260);
        auto *engineCaption = new QLabel(QStringLiteral("保存先"), grpDatabase);
        engineCaption->setBuddy(cmbEngine);
        grid->addWidget(engineCaption, 0, 0);
        grid->addWidget(cmbEngine, 0, 1, 1, 2);
        EditConnection = new QLineEdit(grpDatabase);
        EditConnection->setObjectName(QStringLiteral("EditConnection"));
        EditConnection->setMinimumWidth(380);
        EditConnection->setPlaceholderText(QStringLiteral("host=サーバー名 dbname=pelanova user=利用者名"));
        auto *connectionCaption = new QLabel(QStringLiteral("接続先"), grpDatabase);
        connectionCaption->setBuddy(EditConnection);
        grid->addWidget(connectionCaption, 1, 0);
        grid->addWidget(EditConnection, 1, 1);
        btnTestConnection = masters::bodyButton(QStringLiteral("接続テスト"), grpDatabase, 96);
        btnTestConnection->setObjectName(QStringLiteral("btnTestConnection"));
        btnTestConnection->setFixedHeight(26);
        grid->addWidget(btnTestConnection, 1, 2);
        lblConnection = new QLabel(grpDatabase);
        lblConnection->setObjectName(QStringLiteral("lblConnection"));
        lblConnection->setWordWrap(true);
        lblConnection->hide();
        grid->addWidget(lblConnection, 2, 0, 1, 3);
        grid->setColumnStretch(1, 1);
        QLabel *remark = note(QStringLiteral("共有のサーバーを使うときは PostgreSQL を選び、接続先を libpq の形式で"
                                             "書きます。パスワードは ~/.pgpass で渡します。起動し直すと使われます。"),
                              grpDatabase);
        remark->setWordWrap(true);
        grid->addWidget(remark, 3, 0, 1, 3);
    }
    layout->addWidget(grpDatabase);
    on(cmbEngine, &QComboBox::currentIndexChanged, [this] { engineChanged(); });
    on(btnTestConnection, &QAbstractButton::clicked, [this] { btnTestConnectionClick(); });

    layout->addStretch(1);

    FormCreate();
}

void TfrmKakusyu::FormCreate()
{
    const TSettings items = screenSettings(context().dm);
    chkTesuuryou->setChecked(items.ReadBool("TesuuryouKubun"));
    EditTesuuryou->setText(q(items.ReadString("TesuuryouKingaku")));
    EditBankData->setText(q(items.ReadString("Bankdata")));
    EditLedraData->setText(q(items.ReadString("LedraData")));
    selectStored(cmbClearingHouse, items.ReadString("ClearingHouse"));
    selectStored(cmbDesignation, items.ReadString("Designation"));
    selectStored(cmbLineBreak, items.ReadString("LineBreak"));
    selectStored(cmbEngine, items.ReadString("Engine"));
    EditConnection->setText(q(items.ReadString("Connection")));
    engineChanged();
    // The list shows the choice the bank file gets; an unknown stored value
    // is named beside it until the screen stores the choice shown.
    const IniFile ini(context().dm.settingsFile());
    for (size_t i = 0; i < choiceSettings().size(); ++i) {
        const std::optional<std::string> unknown = unknownChoice(ini, choiceSettings()[i]);
        lblUnknown[i]->setText(unknown ? q(*unknown) : QString());
        lblUnknown[i]->setVisible(unknown.has_value());
    }
}

void TfrmKakusyu::FormClose()
{
    TSettings items = screenSettings(context().dm);
    // A settings file that cannot be written must not keep the screen from
    // closing nor the bank master from being reconnected.
    try {
        items.WriteBool("TesuuryouKubun", chkTesuuryou->isChecked());
        items.WriteString("TesuuryouKingaku", utf8(EditTesuuryou->text()));
        items.WriteString("ClearingHouse", utf8(cmbClearingHouse->currentKey()));
        items.WriteString("Designation", utf8(cmbDesignation->currentKey()));
        items.WriteString("LineBreak", utf8(cmbLineBreak->currentKey()));
        // The settings file never holds a password.
        const std::string connection = utf8(EditConnection->text().trimmed());
        if (connectionHasPassword(connection)) {
            ErrorMsg(context().messages, kPasswordInSettingsText);
        } else {
            items.WriteString("Engine", utf8(cmbEngine->currentKey()));
            items.WriteString("Connection", connection);
        }
    } catch (const std::exception &error) {
        ErrorMsg(context().messages, ErrorText(error));
    }

    const std::string bankPath = utf8(EditBankData->text());
    if (context().dm.ConnectBank(bankPath)) {
        try {
            items.WriteString("Bankdata", bankPath);
        } catch (const std::exception &error) {
            ErrorMsg(context().messages, ErrorText(error));
        }
    } else {
        ErrorMsg(context().messages, "銀行マスタデータベースに接続できませんでした。");
    }
}

void TfrmKakusyu::engineChanged()
{
    const bool server = cmbEngine->currentKey() == QLatin1String("PostgreSQL");
    EditConnection->setEnabled(server);
    btnTestConnection->setEnabled(server);
    lblConnection->hide();
}

void TfrmKakusyu::btnTestConnectionClick()
{
    ConnectionAnswer answer;
    {
        const BusyScope busy; // a server that does not answer takes up to 10 seconds
        answer = testOwnDatabase(utf8(EditConnection->text().trimmed()));
    }
    QPalette pal = lblConnection->palette();
    pal.setColor(QPalette::WindowText, answer.ok ? QColor(0, 128, 0) : QColor(Qt::red));
    lblConnection->setPalette(pal);
    lblConnection->setText(q(displayText(answer.text)));
    lblConnection->show();
}

void TfrmKakusyu::btnBankToClick()
{
    // The accounting system's Access master, or the one built from the public
    // bank code list (scripts/bank-master.sh).
    const QString path = context().files.getOpenFileName(
        this, QString(), folderOf(EditBankData->text()),
        QStringLiteral("銀行データ|銀行マスタ.mdb|銀行データ（公開データ）|銀行マスタ.db"), QString());
    if (!path.isEmpty())
        EditBankData->setText(path);
}

void TfrmKakusyu::btnLedraToClick()
{
    const QString path = context().files.getOpenFileName(this, QString(), folderOf(EditLedraData->text()),
                                                         QStringLiteral("財務会計データ|Ledra.mdb"), QString());
    if (!path.isEmpty())
        EditLedraData->setText(path);
}

void TfrmKakusyu::btnDelClick()
{
    if (YesNoMsg(context().messages, "全データを削除します\n\rよろしいですか？", kDefaultButton1) != IdYes)
        return;
    bool deleted = false;
    std::string backupFailure;
    {
        BusyScope busy;
        try {
            context().dm.BackupNow();
            masters::deleteAllData(context().dm.ADOConFurikomi);
            deleted = true;
        } catch (const BackupError &error) {
            backupFailure = error.what();
        } catch (const std::exception &) {
            deleted = false;
        }
    }
    if (!backupFailure.empty()) {
        ErrorMsg(context().messages, "バックアップを作成できないため、削除を中止しました。\n\r" + backupFailure);
        return;
    }
    context().messages.messageBox(deleted ? "全データを削除しました。" : "全データの削除に失敗しました。", kAppTitle,
                                  MessageIcon::Information, MessageButtons::Ok, kDefaultButton1);
}

} // namespace pelanova
