// pelanova-screenshots: pictures of the windows on the demo data, for a
// person to look at (the tests check behaviour, not looks).
//   pelanova-screenshots FOLDER [--bank-master FILE]
// writes the PNG files into FOLDER. The demo database is made afresh in a
// temporary folder; with a bank master (scripts/bank-master.sh) the bank and
// branch names show in kanji.
#include "app/screens.h"
#include "clicontext.h"
#include "core/datamodule.h"
#include "core/schema.h"
#include "core/sqlite.h"
#include "demo.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formfurikomitesuuryouall.h"
#include "masters/formshisetumaster.h"
#include "output/frmfurikomicreate.h"
#include "output/frmfurikomiprint.h"
#include "reports/baselrep.h"
#include "reports/printmsg.h"
#include "shell/formcarender.h"
#include "shell/formmain.h"
#include "widgets/ellipsisedit.h"
#include "widgets/filedialogs.h"
#include "widgets/gradientbutton.h"
#include "widgets/japanesefonts.h"
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
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace pelanova;

namespace {

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
void screens(const std::string &exe, MessageBoxes &boxes)
{
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    TfrmMain main(exe, {boxes, files, dates}, applicationScreens());
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
    }

    // Left open: the window's end drops it without storing anything.
    main.ShowScreen(ScreenKakusyu);
    save(main, "settings");
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
        else if (folder.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            folder = args[i];
        else
            understood = false;
    }
    if (!understood || folder.isEmpty()) {
        std::fprintf(stderr, "usage: pelanova-screenshots FOLDER [--bank-master FILE]\n");
        return 2;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "pelanova-screenshots: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    g_out = QDir(folder);
    installJapaneseFonts();

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
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pelanova-screenshots: the demo database: %s\n", e.what());
        return 1;
    }

    controlKit();
    screens(exe, boxes);
    calendar();
    fileDialog();
    return g_failures == 0 ? 0 : 1;
}
