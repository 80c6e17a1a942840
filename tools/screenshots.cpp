// pelanova-screenshots: pictures of the windows on the demo data, for a
// person to look at (the tests check behaviour, not looks).
//   pelanova-screenshots FOLDER [--bank-master FILE] [--server CONNECTION]
// writes the PNG files into FOLDER. The demo database is made afresh in a
// temporary folder; with a bank master (scripts/bank-master.sh) the bank and
// branch names show in kanji.
#include "app/screens.h"
#include "clicontext.h"
#include "core/cp932.h"
#include "core/datamodule.h"
#include "core/schema.h"
#include "core/sql.h"
#include "demo.h"
#include "core/records.h"
#include "core/userinterface.h"
#include "import/frmimport.h"
#include "import/importengine.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formfurikomitesuuryouall.h"
#include "masters/formshisetumaster.h"
#include "masters/masterfiles.h"
#include "masters/masterimportdialog.h"
#include "output/frmfurikomicreate.h"
#include "output/frmfurikomiprint.h"
#include "reports/baselrep.h"
#include "reports/printchoice.h"
#include "reports/printmsg.h"
#include "shell/formcarender.h"
#include "shell/formmain.h"
#include "screenshotfiles.h"
#include "masters/formkakusyu.h"
#include "core/inifile.h"
#include "core/datalocation.h"
#include "widgets/keyedlists.h"
#include "shell/startup.h"
#include "widgets/ellipsisedit.h"
#include "widgets/filedialogs.h"
#include "widgets/gradientbutton.h"
#include "widgets/japanesefonts.h"
#include "widgets/messageboxes.h"
#include "widgets/keyedlists.h"
#include "widgets/monthcalendar.h"
#include "widgets/numericedit.h"
#include "widgets/pagecontrol.h"
#include "widgets/stripedgrid.h"
#include "widgets/titlelabel.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

using namespace pelanova;

namespace {

using namespace screenshots;

QDir g_out;
int g_failures = 0;

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void save(const QPixmap &picture, const char *name)
{
    const QString path = g_out.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (picture.save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "pelanova-screenshots: cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

void save(QWidget &widget, const char *name)
{
    settle();
    save(widget.grab(), name);
}

// Message boxes as the program shows them; the next one is pictured under
// the name given, then answered with its default button. The others answer
// unseen, as the command-line tool's do.
class PictureBoxes : public MessageBoxes
{
public:
    explicit PictureBoxes(MessageBoxes &unseen) : m_unseen(unseen) {}
    void pictureNext(const char *name) { m_next = name; }

    int messageBox(const std::string &text, const std::string &title, MessageIcon icon, MessageButtons buttons,
                   int defaultButton) override
    {
        if (m_next.empty())
            return m_unseen.messageBox(text, title, icon, buttons, defaultButton);
        const std::string name = std::exchange(m_next, std::string());
        QTimer::singleShot(0, [name] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                ++g_failures;
                return;
            }
            save(*box, name.c_str());
            if (QAbstractButton *button = box->defaultButton())
                button->click();
            else
                box->reject();
        });
        return m_real.messageBox(text, title, icon, buttons, defaultButton);
    }

private:
    MessageBoxes &m_unseen;
    QtMessageBoxes m_real;
    std::string m_next;
};

void waitForPreview(TBaseLRep &report)
{
    QElapsedTimer timer;
    timer.start();
    while (report.isWorkerRunning() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// The preview with its file menu and the printer submenu open, as the print
// system lists the printers. Menus are windows of their own: they are drawn
// onto the preview's picture where they stand.
void printerMenu(TBaseLRep &preview)
{
    QMenu *printers = preview.printerMenu();
    auto *file = qobject_cast<QMenu *>(printers->parentWidget());
    if (!file) {
        ++g_failures;
        return;
    }
    const QRect fileTitle = preview.menuBar()->actionGeometry(file->menuAction());
    file->popup(preview.menuBar()->mapToGlobal(fileTitle.bottomLeft()));
    file->setActiveAction(printers->menuAction());
    printers->popup(file->mapToGlobal(file->actionGeometry(printers->menuAction()).topRight()));
    settle();
    QPixmap picture = preview.grab();
    QPainter painter(&picture);
    for (QMenu *menu : {file, printers})
        painter.drawPixmap(preview.mapFromGlobal(menu->pos()), menu->grab());
    painter.end();
    save(picture, "printer-menu");
    printers->hide();
    file->hide();
}

// The preview of an import of the recipients: the demo's recipients as
// exported, two fee categories and a name changed.
void masterImportPreview(const sql::Database &db)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("recipients.csv")).toStdString();
    masters::exportMaster(db, masters::MasterKind::Recipients, path);
    std::ifstream in(path, std::ios::binary);
    std::string text = cp932::decode(std::string(std::istreambuf_iterator<char>(in), {}));
    int edited = 0;
    for (size_t at = text.find(",1,30000\r\n"); at != std::string::npos && edited < 2;
         at = text.find(",1,30000\r\n", at + 1), ++edited)
        text.replace(at, 8, edited == 0 ? ",0,30000" : ",1,50000");
    const masters::ImportPlan plan = masters::planImport(db, masters::MasterKind::Recipients, text, {});
    TfrmMasterImport preview(plan, QString::fromStdString(path));
    preview.show();
    save(preview, "master-import");
}

// The controls of the kit side by side.
void controlKit()
{
    QWidget window;
    window.resize(640, 420);
    auto *layout = new QVBoxLayout(&window);
    auto *row = new QHBoxLayout;
    auto *title = new TitleLabel(QStringLiteral("総合振込依頼書"), &window);
    title->setPixelFont(QStringLiteral("ＭＳ ゴシック"), 15, true);
    title->setTextColour(Qt::blue);
    title->setGradient(QColor(233, 252, 188), QColor(233, 252, 188));
    title->setOutline(QColor(255, 128, 0), 2);
    title->setFixedSize(176, 41);
    row->addWidget(title);
    auto *two = new GradientButton(QStringLiteral("  手数料"), QStringLiteral("  印　刷"), &window);
    two->setFixedSize(116, 41);
    two->setPicture(window.style()->standardIcon(QStyle::SP_FileIcon), 20);
    row->addWidget(two);
    auto *amount = new NumericEdit(&window);
    amount->setDigitGrouping(true);
    amount->setValue(1234567);
    row->addWidget(amount);
    auto *disabled = new NumericEdit(&window);
    disabled->setText(QStringLiteral("12"));
    disabled->setEnabled(false);
    row->addWidget(disabled);
    layout->addLayout(row);
    auto *row2 = new QHBoxLayout;
    auto *combo = new KeyedComboBox(&window);
    combo->setShownText(shownTabAsBar());
    combo->addKeyedItem(QStringLiteral("1234567890\t社会福祉法人　ひかり会"));
    row2->addWidget(combo);
    auto *file = new EllipsisEdit(&window);
    file->setText(QStringLiteral("C:\\振込\\FB0115.TXT"));
    row2->addWidget(file);
    layout->addLayout(row2);
    auto *grid = new StripedGrid(&window);
    grid->setColumns({{QStringLiteral("施設名"), 120, Qt::AlignLeft, false},
                      {QStringLiteral("振込日"), 90, Qt::AlignLeft, false},
                      {QStringLiteral("金額"), 90, Qt::AlignRight, false}});
    for (int i = 0; i < 6; ++i)
        grid->addLine({QStringLiteral("第%1施設").arg(i + 1), QStringLiteral("2008/01/15"),
                       QString::number((i + 1) * 1000)});
    grid->setCurrentLine(2);
    layout->addWidget(grid);
    window.show();
    save(window, "kit");
}

// The main window on the demo data: the menu and every screen, some in the
// states a clerk sees most.

// The server the settings screen's connection test reaches (--server), or
// one that is not there.
std::string g_server;

void screens(const std::string &exe, PictureBoxes &boxes, const QString &workFolder)
{
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    TfrmMain main(exe, applicationServices(boxes, files, dates), applicationScreens());
    if (!main.FormShow()) {
        std::fprintf(stderr, "pelanova-screenshots: the main window did not start\n");
        ++g_failures;
        return;
    }
    main.resize(1024, 720);
    main.show();
    save(main, "menu");

    main.ShowScreen(ScreenImport);
    save(main, "import");
    if (auto *import = qobject_cast<TfrmImport *>(main.hostedScreen())) {
        const QString faulty = QDir(workFolder).filePath(QStringLiteral("HONSHA_1216.txt"));
        QFile file(faulty);
        const std::string bytes = faultyFile();
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        import->EditFurikomiDate->setText(QStringLiteral("2026/12/16"));
        files.answer(faulty);
        boxes.pictureNext("import-refused");
        import->btnImportClick();
    }

    main.ShowScreen(ScreenFurikomiPrint);
    if (auto *print = qobject_cast<TfrmFurikomiPrint *>(main.hostedScreen())) {
        print->GridList->setCurrentLine(2);
        save(main, "print");
        TfrmFurikomiCreate creation(main.screenContext(), print);
        creation.execDialog = [](QDialog &) { return 0; };
        creation.ShowForConsignor(print->cmbItakusya->currentKey().toStdString(),
                                  print->cmbFurikomiDate->currentKey().toInt(), print->statement());
        creation.show();
        save(creation, "file-creation");
        creation.close();
        // A day whose lines include a name in small kana and a line of 0 yen.
        for (int i = 0; i < print->cmbFurikomiDate->count(); ++i) {
            if (print->cmbFurikomiDate->key(i) == QStringLiteral("20261215"))
                print->cmbFurikomiDate->setCurrentIndex(i);
        }
        print->cmbFurikomiDateClick();
        TfrmFurikomiCreate notes(main.screenContext(), print);
        notes.execDialog = [&](QDialog &dialog) {
            auto &d = static_cast<TfrmFurikomiCreate &>(dialog);
            d.edtFileName->setText(QDir(workFolder).filePath(QStringLiteral("BANK1215")));
            boxes.pictureNext("file-creation-notes");
            d.btnCreateClick();
            return 0;
        };
        notes.ShowForConsignor(print->cmbItakusya->currentKey().toStdString(), 20261215, print->statement());
        // The day's file is made now: the print screen says so, and then
        // that a facility's later file left it behind.
        print->cmbFurikomiDateClick();
        save(main, "print-made");
        importLateFile(main.dm(), workFolder.toStdString());
        print->cmbFurikomiDateClick();
        save(main, "print-changed");
        print->execDialog = [](QDialog &dialog) {
            dialog.resize(980, 300);
            dialog.show();
            save(dialog, "history");
            return 0;
        };
        print->btnHistoryClick();
        print->btnPrintClick();
        if (TBaseLRep *preview = print->requestReport()) {
            preview->resize(1000, 800);
            waitForPreview(*preview);
            save(*preview, "preview");
            preview->Act80Execute(50);
            waitForPreview(*preview);
            save(*preview, "preview-50");
            printerMenu(*preview);
            preview->close();
        }
    }
    TPrintMsg *notice = TPrintMsg::showNotice();
    save(*notice, "print-notice");
    TPrintMsg::closeNotice();

    main.ShowScreen(ScreenShisetuMaster);
    if (auto *facilities = qobject_cast<TfrmShisetuMaster *>(main.hostedScreen())) {
        facilities->GridList->setCurrentLine(1);
        facilities->btnEditClick();
        save(main, "facilities");
        facilities->btnCancelClick();
    }

    main.ShowScreen(ScreenFurikomiTesuuryou);
    if (auto *fees = qobject_cast<TfrmFurikomiTesuuryou *>(main.hostedScreen())) {
        fees->TabFurikomi->GridList->setCurrentLine(2);
        save(main, "fees-recipients");
        fees->PageControl1->setCurrentIndex(TfrmFurikomiTesuuryou::PageBank);
        save(main, "fees-table");
        const std::string consignor = fees->selectedConsignor();
        TfrmFurikomiTesuuryouAll bulk(boxes, main.dm().ADOConFurikomi, [consignor] { return consignor; });
        bulk.show();
        save(bulk, "fees-bulk");

        // The header buttons' menus, drawn onto the screen where they open.
        for (auto [button, name] : {std::pair{fees->btnMasterFiles, "fees-master-files"},
                                    std::pair{fees->btnFurikomiPrint, "fees-print-menu"}}) {
            QMenu *menu = button->menu();
            menu->popup(button->mapToGlobal(button->rect().bottomLeft()));
            settle();
            QPixmap picture = main.grab();
            QPainter painter(&picture);
            painter.drawPixmap(main.mapFromGlobal(menu->pos()), menu->grab());
            painter.end();
            save(picture, name);
            menu->hide();
        }
        masterImportPreview(main.dm().ADOConFurikomi);
    }

    // Left open: the window's end drops it without storing anything.
    main.ShowScreen(ScreenKakusyu);
    save(main, "settings");
    if (auto *settings = qobject_cast<TfrmKakusyu *>(main.hostedScreen())) {
        settings->cmbEngine->setCurrentIndex(1);
        const QTemporaryDir nowhere;
        settings->EditConnection->setText(g_server.empty() ? QStringLiteral("host=") + nowhere.path()
                                                                 + QStringLiteral(" dbname=pelanova user=keiri")
                                                           : QString::fromStdString(g_server));
        settings->btnTestConnectionClick();
        save(main, "settings-postgres");
    }
}

// The start-up when the settings name a server that is not running.
void startupServerStopped(PictureBoxes &boxes)
{
    QTemporaryDir installation;
    const std::string exe = QDir(installation.path()).filePath(QStringLiteral("pelanova")).toStdString();
    std::filesystem::create_directories(std::filesystem::path(installation.path().toStdString()) / "data");
    const DataLocation location = portableLocation(exe);
    IniFile settings(location.settingsFile);
    settings.writeString("Database", "Engine", "PostgreSQL");
    settings.writeString("Database", "Connection", "host=" + installation.path().toStdString() + " dbname=pelanova user=keiri");
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    boxes.pictureNext("startup-server-stopped");
    runMainWindow(location, applicationServices(boxes, files, dates), applicationScreens(), [] { return 0; });
}

// The print dialog as the preview opens it, for a report of 12 pages.
void printDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    PrintRequest request;
    request.maxPage = 12;
    request.toPage = 12;
    preparePrintDialog(dialog, request);
    dialog.show();
    // With its options open: the page range is there.
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text().startsWith(QStringLiteral("オプション")))
            button->click();
    }
    save(dialog, "print-dialog");
    if (auto *tabs = dialog.findChild<QTabWidget *>()) {
        tabs->setCurrentIndex(tabs->count() - 1);
        save(dialog, "print-dialog-options");
    }
}

void calendar()
{
    TfrmCarender dialog;
    dialog.MonthCalendar1->setDate(QDate::currentDate());
    dialog.show();
    save(dialog, "calendar");
}

// The file dialog as the settings screen opens it, on a folder with a match.
void fileDialog()
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("2026年12月"));
    for (const char *name : {"銀行マスタ.mdb", "FB0115.txt"}) {
        QFile file(QDir(folder.path()).filePath(QString::fromUtf8(name)));
        file.open(QIODevice::WriteOnly);
    }
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ++g_failures;
            return;
        }
        dialog->resize(640, 400);
        QElapsedTimer wait; // the folder is read in the background
        wait.start();
        while (wait.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        save(*dialog, "file-dialog");
        dialog->reject();
    });
    QtFileDialogs files;
    files.getOpenFileName(nullptr, QString(), folder.path(), QStringLiteral("銀行データ|銀行マスタ.mdb"));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own settings (the file dialog's history) stay out of the user's folders.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString bankMaster;
    QString folder;
    bool understood = true;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--bank-master") && i + 1 < args.size())
            bankMaster = args[++i];
        else if (args[i] == QStringLiteral("--server") && i + 1 < args.size())
            g_server = args[++i].toStdString();
        else if (folder.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            folder = args[i];
        else
            understood = false;
    }
    if (!understood || folder.isEmpty()) {
        std::fprintf(stderr, "usage: pelanova-screenshots FOLDER [--bank-master FILE] [--server CONNECTION]\n");
        return 2;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "pelanova-screenshots: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    g_out = QDir(folder);
    // Qt's own texts in Japanese, as the program has them.
    prepareApplication(app);

    cli::ConsoleMessageBoxes boxes;
    QTemporaryDir installation;
    const std::string exe = QDir(installation.path()).filePath(QStringLiteral("pelanova")).toStdString();
    try {
        std::filesystem::create_directories(std::filesystem::path(installation.path().toStdString()) / "data");
        const std::string db = TDM1::ownDatabaseFor(exe);
        if (!bankMaster.isEmpty())
            std::filesystem::copy_file(bankMaster.toStdString(), TDM1::builtBankMasterPathFor(db));
        {
            sql::Database created;
            created.open(db, sql::Database::Mode::Create);
            schema::createOwnDatabase(created);
        }
        TDM1 dm(exe, &boxes);
        demo::fillDemoDatabase(dm);
        importNoteDay(dm, installation.path().toStdString());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pelanova-screenshots: the demo database: %s\n", e.what());
        return 1;
    }

    controlKit();
    PictureBoxes pictured(boxes);
    screens(exe, pictured, installation.path());
    startupServerStopped(pictured);
    calendar();
    fileDialog();
    printDialog();
    return g_failures == 0 ? 0 : 1;
}
