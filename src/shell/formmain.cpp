#include "shell/formmain.h"
#include "core/inifile.h"

#include "core/datamodule.h"
#include "core/unitapp.h"
#include "core/userinterface.h"
#include "shell/hostedscreen.h"
#include "shell/hostpanel.h"
#include "widgets/titlelabel.h"

#include <QCloseEvent>

#include <exception>
#include <QVBoxLayout>

namespace pelanova {

TfrmMain::TfrmMain(const std::string &executablePath, Services services, ScreenFactories factories,
                   QWidget *parent)
    : TfrmMain(std::make_unique<TDM1>(executablePath, &services.messages), services, std::move(factories),
               parent)
{
}

TfrmMain::TfrmMain(std::unique_ptr<TDM1> dataModule, Services services, ScreenFactories factories,
                   QWidget *parent)
    : QWidget(parent), m_services(services), m_factories(std::move(factories)), m_dm(std::move(dataModule))
{
    setWindowTitle(QString::fromUtf8(kAppTitle));
    resize(1024, 700);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlTitle = new TitleLabel(QString::fromUtf8(kAppTitle), this);
    pnlTitle->setFixedHeight(41);
    pnlTitle->setPixelFont(QStringLiteral("ＭＳ ゴシック"), 21, true);
    pnlTitle->setTextColour(QColor(0, 64, 0));
    pnlTitle->setHighlight(QColor(255, 255, 221), QPoint(-1, -1));
    pnlTitle->setGradient(QColor(255, 255, 255), QColor(177, 222, 239));
    layout->addWidget(pnlTitle);

    auto *frame = new QVBoxLayout;
    frame->setContentsMargins(3, 3, 3, 3);
    FormPanel1 = new HostPanel(this);
    frame->addWidget(FormPanel1);
    layout->addLayout(frame, 1);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // The screens go before the data module and the context they refer to;
    // they are destroyed without their close handling.
    qDeleteAll(FormPanel1->findChildren<HostedScreen *>(Qt::FindDirectChildrenOnly));
}

void TfrmMain::FormCreate()
{
    if (m_services.linesWatcher)
        m_linesWatcher = m_services.linesWatcher(*m_dm, m_services.messages);
    m_context.emplace(ScreenContext{
        *m_dm,
        m_services.messages,
        m_services.files,
        m_services.dates,
        [this](uint8_t id) { ShowScreen(id); },
        [this](uint8_t id) { return id == ScreenEnd || (id < m_factories.size() && bool(m_factories[id])); },
        m_linesWatcher.get(),
    });
    ShowScreen(ScreenMenu);
}

HostedScreen *TfrmMain::hostedScreen() const
{
    return FormPanel1->hostedScreen();
}

HostedScreen *TfrmMain::screen(uint8_t screenId) const
{
    if (screenId >= m_screens.size())
        return nullptr;
    HostedScreen *s = m_screens[screenId];
    return s && !s->isClosing() ? s : nullptr;
}

void TfrmMain::ShowScreen(uint8_t screenId)
{
    if (screenId == ScreenEnd) {
        close();
        return;
    }
    if (screenId >= m_screens.size() || !m_factories[screenId])
        return;

    HostPanel::Cover cover(FormPanel1);
    // A close handling that fails still lets the next screen open; its error
    // is reported afterwards.
    std::exception_ptr closeError;
    if (HostedScreen *current = FormPanel1->hostedScreen()) {
        try {
            current->closeScreen();
        } catch (...) {
            closeError = std::current_exception();
        }
    }
    // A screen that is being discarded is never shown again; the next use
    // makes a new one.
    QPointer<HostedScreen> &slot = m_screens[screenId];
    if (slot && slot->isClosing())
        slot = nullptr;
    if (!slot) {
        FormPanel1->setScreen(nullptr);
        try {
            slot = m_factories[screenId](*m_context, FormPanel1);
        } catch (...) {
            // A screen that fails while it opens (a statement the database
            // refuses) leaves the user on the menu, not on an empty window.
            if (screenId != ScreenMenu)
                ShowScreen(ScreenMenu);
            throw;
        }
    }
    FormPanel1->setScreen(slot);
    if (closeError)
        std::rethrow_exception(closeError);
}

bool TfrmMain::FormShow()
{
    if (m_dm->ADOConFurikomi.isOpen()) {
        const std::vector<std::string> unknown = unknownChoices(IniFile(m_dm->settingsFile()));
        if (!unknown.empty()) {
            std::string text = "設定ファイルに選べない値があります。設定画面で選び直してください。";
            for (const std::string &line : unknown)
                text += "\n\r" + line;
            m_services.messages.messageBox(text, kAppTitle, MessageIcon::Warning, MessageButtons::Ok, kDefaultButton1);
        }
        return true;
    }
    std::string text = "データベースの接続に失敗しました。\n\r処理を中断します。";
    if (!m_dm->ownDatabaseProblem().empty())
        text += "\n\r" + m_dm->ownDatabaseProblem() + "\n\r" + m_dm->ownDatabasePath();
    m_services.messages.messageBox(text, "データベースの接続", MessageIcon::Error, MessageButtons::Ok,
                                   kDefaultButton1);
    return false;
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (YesNoMsg(m_services.messages, "システムを終了します。よろしいですか？", kDefaultButton2) == IdYes)
        event->accept();
    else
        event->ignore();
}

int runMainWindow(const DataLocation &location, TfrmMain::Services services, ScreenFactories screens,
                  const std::function<int()> &exec)
{
    std::unique_ptr<TfrmMain> main;
    try {
        main = std::make_unique<TfrmMain>(std::make_unique<TDM1>(location, &services.messages), services,
                                          std::move(screens));
    } catch (const std::exception &error) {
        // Nothing can run without the data module and the menu.
        services.messages.messageBox(ErrorText(error), kAppTitle, MessageIcon::Error, MessageButtons::Ok,
                                     kDefaultButton1);
        return 1;
    }
    if (!main->FormShow())
        return 1;
    try {
        main->dm().backups().writeFirstOfDay(main->dm().ADOConFurikomi);
    } catch (const std::exception &error) {
        // The day's work can go on; the clerk is told that it has no backup.
        services.messages.messageBox(std::string("本日のバックアップを作成できませんでした。\n\r") + error.what(),
                                     kAppTitle, MessageIcon::Warning, MessageButtons::Ok, kDefaultButton1);
    }
    main->showMaximized();
    return exec();
}

} // namespace pelanova
