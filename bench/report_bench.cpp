// The transfer request form of one consignor and date built from a real
// database (38 transfers a page, so 38,000 transfers give 1,000 pages): time
// to the first shown page, time to render every page into the preview store,
// the PDF's time and size, and peak memory (VmHWM) at 100 and 1,000 pages.
//
// The application is readied before the timing starts, as the program's
// start-up readies it (the fonts loaded, freed memory kept for reuse). Each
// figure is also given as the ratio its target is set in: the first page
// against the statement's first row plus two pages' rendering, and the peak
// memory of 1,000 pages against that of 100, both reports from databases of
// the same transfers and recipients (the shorter report's date holds fewer
// of them). On SQLite always, and on a PostgreSQL
// server too when PELANOVA_TEST_POSTGRES or --db names one (a fresh schema of
// it is filled).
//
// Usage: report_bench [pages] [--db LOCATION]   (default 1000; the memory
// figures are taken in child processes so that each starts from a fresh peak)

#include "benchsupport.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "core/userinterface.h"
#include "output/furikomi.h"
#include "output/transferreports.h"
#include "reports/baselrep.h"
#include "shell/startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <fstream>
#include <string>

using namespace pelanova;

namespace {

constexpr int kLinesPerPage = 38;
constexpr int kDate = 20080115;
constexpr int kEarlierDate = 20071225;
constexpr int kStoredPages = 1000; // the database holds as many transfers as 1,000 pages, whatever the report's length
const std::string kConsignor = "0000012345";

// A database as twenty facilities' imports leave it: transfers to distinct
// accounts, recipients with kanji names and fee categories on both sides.
// Of the stored transfers, the first `transfers` are the report's date's,
// the rest an earlier date's: reports of each length come from one database.
void fillDatabase(sql::Database &db, int transfers, int stored)
{
    schema::createOwnDatabase(db);
    sql::Transaction tx(db);
    db.exec("INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 銀行名, 支店番号, 支店名, 預金種目, 口座番号, "
            + feeColumnList() + ") VALUES ('0000012345', 'ｼｬｶｲﾌｸｼﾎｳｼﾞﾝ ﾍﾟﾗﾉｳﾞｧｶｲ', 1, 'ﾐｽﾞﾅﾐ', 1, 'ﾎﾝﾃﾝ', 1, "
            "'1234567', " + feeValueList(kDefaultFeeTable) + ")");
    constexpr int kFacilities = 20;
    for (int date : {kEarlierDate, kDate}) {
        for (int f = 1; f <= kFacilities; ++f) {
            sql::Statement h = db.prepare("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード, データ区分, 委託者コード) "
                                          "VALUES (?, ?, 1, ?)");
            h.bind(1, date).bind(2, f).bind(3, kConsignor);
            h.run();
        }
    }
    sql::Statement d = db.prepare(
        "INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番, データ区分, 引落銀行番号, 引落銀行名, "
        "引落支店番号, 引落支店名, 預金項目, 口座番号, 預金者名, 引落金額) VALUES (?, ?, ?, 2, ?, ?, ?, ?, 1, ?, ?, ?)");
    sql::Statement r = db.prepare("INSERT INTO M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号, 手数料区分, "
                                  "手数料金額, 銀行名漢字, 支店名漢字) VALUES (?, ?, ?, ?, ?, 30000, ?, ?)");
    for (int i = 0; i < stored; ++i) {
        const int facility = 1 + i % kFacilities;
        char account[12];
        std::snprintf(account, sizeof account, "%07d", i);
        const int bank = 1 + i % 9;
        const int branch = 100 + i % 13;
        d.reset();
        d.bind(1, i < transfers ? kDate : kEarlierDate).bind(2, facility).bind(3, int64_t(facility) * 10000 + i / kFacilities);
        d.bind(4, bank).bind(5, "ﾐﾂﾋﾞｼ").bind(6, branch).bind(7, "ｼﾝｼﾞｭｸ").bind(8, account);
        d.bind(9, "ｶ)ﾍﾟﾗﾉｳﾞｧｼｮｳｼﾞ " + std::to_string(i)).bind(10, 1000 + (i * 7919) % 90000);
        d.run();
        if (i % 3 == 0) {
            r.reset();
            r.bind(1, kConsignor).bind(2, bank).bind(3, branch).bind(4, account).bind(5, i % 2);
            r.bind(6, "みずなみ銀行").bind(7, "本店営業部");
            r.run();
        }
    }
    tx.commit();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long peakRssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

struct Figures
{
    double firstRowMs = 0;
    double queryMs = 0;
    double firstMs = 0;
    double allMs = 0;
    double pdfMs = 0;
    int images = 0;
    long long storeBytes = 0;
    long long pdfBytes = 0;
};

// The server named, or none.
std::string serverLocation(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--db")
            return argv[i + 1];
    }
    const char *env = std::getenv("PELANOVA_TEST_POSTGRES");
    return env ? env : "";
}

Figures run(int pages, const std::string &server, int trials)
{
    const QString base = QDir::temp().filePath(QStringLiteral("pelanova-bench-%1").arg(QCoreApplication::applicationPid()));
    QFile::remove(base + QStringLiteral(".db"));
    sql::Database db;
    const std::string schemaName = "report_bench_" + std::to_string(QCoreApplication::applicationPid());
    if (server.empty()) {
        db.open((base + QStringLiteral(".db")).toStdString(), sql::Database::Mode::Create);
    } else {
        sql::Database admin;
        admin.open(server, sql::Database::Mode::ReadWrite);
        admin.exec("DROP SCHEMA IF EXISTS " + schemaName + " CASCADE");
        admin.exec("CREATE SCHEMA " + schemaName);
        db.open(server + " options='-c search_path=" + schemaName + "'", sql::Database::Mode::ReadWrite);
    }
    fillDatabase(db, pages * kLinesPerPage, std::max(pages, kStoredPages) * kLinesPerPage);
    if (!server.empty())
        db.exec("ANALYZE");

    bench::StderrBoxes boxes;
    const QString pdf = base + QStringLiteral(".pdf");
    QPointer<TBaseLRep> window;
    Figures f;
    // The first page and the statement's first row, in turn, `trials` times
    // (medians: one run of either varies by tens of milliseconds here); the
    // last window stays to render every page.
    std::vector<double> firstRows, firsts, queries;
    QElapsedTimer timer;
    for (int trial = 0; trial < trials; ++trial) {
        if (window)
            delete window.data();
        timer.start();
        {
            sql::Statement st = db.prepare(output::BuildFurikomiSql(kDate, kConsignor, -1));
            st.step();
            firstRows.push_back(timer.nsecsElapsed() / 1e6);
            while (st.step()) {
            }
            queries.push_back(timer.nsecsElapsed() / 1e6);
        }
        timer.restart();
        output::ShowTransferRequest(window, boxes, db, kConsignor, kDate, -1,
                                    output::BuildFurikomiSql(kDate, kConsignor, -1));
        firsts.push_back(timer.nsecsElapsed() / 1e6);
    }
    f.firstRowMs = median(firstRows);
    f.queryMs = median(queries);
    f.firstMs = median(firsts);
    window->setPdfFileDialogHook([pdf](const QString &) { return pdf; });
    while (window->isWorkerRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    f.allMs = timer.nsecsElapsed() / 1e6;
    f.images = window->engine().store().count();
    f.storeBytes = window->engine().store().fileSize();
    timer.restart();
    window->ActPdfExecute();
    f.pdfMs = timer.nsecsElapsed() / 1e6;
    f.pdfBytes = QFile(pdf).size();
    QFile::remove(pdf);
    delete window.data();
    db.close();
    QFile::remove(base + QStringLiteral(".db"));
    if (!server.empty()) {
        sql::Database admin;
        admin.open(server, sql::Database::Mode::ReadWrite);
        admin.exec("DROP SCHEMA " + schemaName + " CASCADE");
    }
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The application as the program's start-up readies it, and the fonts as
    // its first window leaves them: a report is opened from the print screen,
    // never before any text was drawn.
    prepareApplication(app);
    {
        QLabel label(QStringLiteral("振込依頼書　手数料一覧表　受取人一覧表"));
        label.grab();
    }

    if (argc >= 3 && std::string(argv[1]) == "--rss") {
        run(std::atoi(argv[2]), argc >= 4 ? argv[3] : "", 1);
        std::printf("%ld\n", peakRssKb());
        return 0;
    }
    const int pages = argc >= 2 && argv[1][0] != '-' ? std::atoi(argv[1]) : 1000;
    const std::string server = serverLocation(argc, argv);
    std::vector<std::string> engines{""};
    if (!server.empty())
        engines.push_back(server);
    for (const std::string &location : engines) {
        const char *engine = location.empty() ? "SQLite" : "PostgreSQL";
        const Figures f = run(pages, location, 5);
        const double twoPages = 2 * f.allMs / pages;
        std::printf("%s: request form of %d transfers: %d pages (%d preview images)\n", engine, pages * kLinesPerPage,
                    pages, f.images);
        std::printf("first page shown            %.1f ms (the aggregation statement alone: first row %.1f ms, "
                    "all rows %.1f ms)\n",
                    f.firstMs, f.firstRowMs, f.queryMs);
        std::printf("first page / (first row + two pages %.1f ms)  %.2f (target <= 1)\n", twoPages,
                    f.firstMs / (f.firstRowMs + twoPages));
        std::printf("all pages in the store      %.1f ms (%.2f ms/page, store file %.1f MB)\n", f.allMs,
                    f.allMs / pages, f.storeBytes / 1048576.0);
        std::printf("first page / whole report   %.2f %% (target <= 2 %%)\n", 100.0 * f.firstMs / f.allMs);
        std::printf("PDF                         %.1f s, %.1f pages/s, %.2f MB (target <= 10 MB)\n", f.pdfMs / 1000,
                    pages * 1000.0 / f.pdfMs, f.pdfBytes / 1048576.0);

        long peak[2] = {0, 0};
        const int lengths[2] = {100, 1000};
        for (int i = 0; i < 2; ++i) {
            QProcess child;
            QStringList arguments{QStringLiteral("--rss"), QString::number(lengths[i])};
            if (!location.empty())
                arguments << QString::fromStdString(location);
            child.start(QCoreApplication::applicationFilePath(), arguments);
            child.waitForFinished(-1);
            const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
            peak[i] = out.split('\n').last().toLong();
            std::printf("peak RSS (VmHWM) %5d pages %ld kB\n", lengths[i], peak[i]);
        }
        std::printf("peak RSS 1000 / 100 pages   %.3f (target <= 1.05)\n", double(peak[1]) / double(peak[0]));
    }
    return 0;
}
