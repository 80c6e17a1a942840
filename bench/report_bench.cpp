// Report engine figures: time to the first shown page, time to render every
// page into the preview store, PDF pages per second, and peak memory (VmHWM)
// at 100 and 1,000 pages. The report has the shape of the transfer request
// form: three header bands and a 40-row grid with 38 detail lines a page, one
// data row per line.
//
// Usage: report_bench [pages]   (default 1000; the memory figures are taken
// in child processes so that each starts from a fresh peak)

#include "core/userinterface.h"
#include "reports/baselrep.h"
#include "reports/reportdataset.h"
#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <fstream>
#include <string>

using namespace pelanova;

namespace {

constexpr int kLinesPerPage = 38;

class SilentBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &text, const std::string &, MessageIcon, MessageButtons, int) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return IdOk;
    }
};

// Rows computed from their index, so that the figures measure the engine and
// not the data.
class GeneratedRows : public ReportDataSet
{
public:
    explicit GeneratedRows(int rows) : m_rows(rows) {}
    bool isOpen() const override { return m_open; }
    void open() override { m_open = true; m_row = 0; }
    void close() override { m_open = false; }
    void first() override { m_row = 0; }
    void next() override { ++m_row; }
    bool eof() const override { return !m_open || m_row >= m_rows; }
    int row() const { return m_row; }

private:
    int m_rows;
    int m_row = 0;
    bool m_open = false;
};

class BenchReport : public Report
{
public:
    explicit BenchReport(int pages) : Report(QStringLiteral("rptBench")), m_rows(pages * kLinesPerPage)
    {
        setDataSet(&m_rows);
        ReportBand *title = layout().addBand(QRect(37, 37, 720, 25));
        title->addField(QRect(0, 0, 720, 25), QStringLiteral("銀　行　振　込　依　頼　書"), HAlign::Center)->font =
            ReportFont{kFontGothic, 13, true, false};
        ReportField *page = title->addField(QRect(640, 0, 80, 25), QString(), HAlign::Right);
        title->beforePrint = [this, page] { page->text = QStringLiteral("%1 ﾍﾟｰｼﾞ").arg(pageNumber()); };
        ReportBand *date = layout().addBand(QRect(37, 62, 720, 23));
        date->addField(QRect(0, 0, 68, 23), QStringLiteral("振込依頼日"));
        date->addField(QRect(68, 0, 652, 23), QStringLiteral("2008年  1月 15日"));
        ReportBand *name = layout().addBand(QRect(37, 85, 720, 40));
        name->addField(QRect(0, 0, 68, 40), QStringLiteral("依頼人名"));
        name->addField(QRect(68, 0, 652, 40), QStringLiteral("社会福祉法人　ペラノヴァ会"));

        ReportRowGrid *grid = layout().addRowGrid(QRect(37, 125, 720, 936), 40);
        const Borders head{BorderLine::Thick, BorderLine::Normal, BorderLine::None, BorderLine::Thick};
        ReportRowLayout *titleRow = grid->addRowLayout(23);
        titleRow->addField(QRect(0, 0, 290, 23), QStringLiteral("振　込　先　銀　行"), HAlign::Center,
                           {BorderLine::Thick, BorderLine::Thick, BorderLine::None, BorderLine::Thick});
        titleRow->addField(QRect(290, 0, 34, 23), QStringLiteral("種別"), HAlign::Center, head);
        titleRow->addField(QRect(324, 0, 56, 23), QStringLiteral("口座番号"), HAlign::Left, head);
        titleRow->addField(QRect(380, 0, 226, 23), QStringLiteral("受　　取　　人"), HAlign::Center, head);
        titleRow->addField(QRect(606, 0, 80, 23), QStringLiteral("金　　額"), HAlign::Center, head);
        titleRow->addField(QRect(686, 0, 34, 23), QStringLiteral("区分"), HAlign::Center,
                           {BorderLine::Thick, BorderLine::Normal, BorderLine::Thick, BorderLine::Thick});

        ReportRowLayout *detail = grid->addRowLayout(23);
        const Borders cell{BorderLine::Thin, BorderLine::Normal, BorderLine::None, BorderLine::None};
        ReportField *code = detail->addField(QRect(0, 0, 56, 23), {}, HAlign::Center,
                                             {BorderLine::Thin, BorderLine::Thick, BorderLine::None, BorderLine::None});
        ReportField *bank = detail->addField(QRect(56, 0, 117, 23), {}, HAlign::Left, cell);
        ReportField *branch = detail->addField(QRect(173, 0, 117, 23), {}, HAlign::Left, cell);
        ReportField *kind = detail->addField(QRect(290, 0, 34, 23), {}, HAlign::Center, cell);
        ReportField *account = detail->addField(QRect(324, 0, 56, 23), {}, HAlign::Left, cell);
        ReportField *payee = detail->addField(QRect(380, 0, 226, 23), {}, HAlign::Left, cell);
        payee->wordWrap = true;
        ReportField *amount = detail->addField(QRect(606, 0, 80, 23), {}, HAlign::Right, cell);
        ReportField *wire = detail->addField(QRect(686, 0, 34, 23), {}, HAlign::Center,
                                             {BorderLine::Thin, BorderLine::Normal, BorderLine::Normal, BorderLine::None});
        detail->beforePrint = [=, this] {
            if (m_rows.eof()) {
                detail->clearTexts();
                return;
            }
            const int n = m_rows.row();
            code->text = QString::asprintf("%.4d-%.3d", n % 10000, n % 1000);
            bank->text = QStringLiteral("みずなみ銀行");
            branch->text = QStringLiteral("本店営業部");
            kind->text = QStringLiteral("普通");
            account->text = QString::asprintf("%07d", n);
            payee->text = QStringLiteral("ｶ)ﾍﾟﾗﾉｳﾞｧｼｮｳｼﾞ %1").arg(n);
            amount->text = QLocale(QLocale::English).toString(n * 1000 + 123);
            wire->text = QStringLiteral("電信");
            m_total += n;
            m_rows.next();
        };
        ReportRowLayout *total = grid->addRowLayout(23);
        ReportField *totalTitle = total->addField(QRect(0, 0, 380, 23), {}, HAlign::Center,
                                                  {BorderLine::Thick, BorderLine::Thick, BorderLine::None, BorderLine::Thick});
        total->addField(QRect(380, 0, 340, 23), {}, HAlign::Right,
                        {BorderLine::Thick, BorderLine::Thick, BorderLine::Thick, BorderLine::Thick});
        total->beforePrint = [this, totalTitle] {
            totalTitle->text = m_rows.eof() ? QStringLiteral("合　　　計") : QStringLiteral("次項に続く＞＞");
        };
        grid->rowChoice = [=](int row) { return row == 0 ? titleRow : row == 39 ? total : detail; };
    }

protected:
    void ActPrintPrepare() override { m_total = 0; }

private:
    GeneratedRows m_rows;
    long long m_total = 0;
};

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
    double firstMs = 0;
    double allMs = 0;
    double pdfMs = 0;
    double quarterFirstMs = 0;
    double quarterAllMs = 0;
    int quarterSheets = 0;
    int images = 0;
    long long storeBytes = 0;
    long long pdfBytes = 0;
};

Figures run(int pages)
{
    SilentBoxes boxes;
    auto *report = new TBaseLRep(std::make_unique<BenchReport>(pages), boxes);
    const QString pdf = QDir::temp().filePath(QStringLiteral("pelanova-bench-%1.pdf").arg(QCoreApplication::applicationPid()));
    report->setPdfFileDialogHook([pdf](const QString &) { return pdf; });
    Figures f;
    QElapsedTimer timer;
    timer.start();
    report->ShowReport();
    f.firstMs = timer.nsecsElapsed() / 1e6;
    while (report->isWorkerRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    f.allMs = timer.nsecsElapsed() / 1e6;
    f.images = report->engine().store().count();
    f.storeBytes = report->engine().store().fileSize();
    timer.restart();
    report->ActPdfExecute();
    f.pdfMs = timer.nsecsElapsed() / 1e6;
    f.pdfBytes = QFile(pdf).size();
    timer.restart();
    report->Act80Execute(25);
    f.quarterFirstMs = timer.nsecsElapsed() / 1e6;
    while (report->isWorkerRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    f.quarterAllMs = timer.nsecsElapsed() / 1e6;
    f.quarterSheets = report->engine().store().count();
    QFile::remove(pdf);
    delete report;
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installJapaneseFonts();

    if (argc >= 3 && std::string(argv[1]) == "--rss") {
        run(std::atoi(argv[2]));
        std::printf("%ld\n", peakRssKb());
        return 0;
    }
    const int pages = argc >= 2 ? std::atoi(argv[1]) : 1000;
    const Figures f = run(pages);
    std::printf("pages                       %d (%d lines each, %d preview images)\n", pages,
                kLinesPerPage, f.images);
    std::printf("first page shown            %.1f ms\n", f.firstMs);
    std::printf("all pages in the store      %.1f ms (%.2f ms/page, store file %.1f MB)\n", f.allMs,
                f.allMs / pages, f.storeBytes / 1048576.0);
    std::printf("first page / whole report   %.2f %%\n", 100.0 * f.firstMs / f.allMs);
    std::printf("PDF                         %.1f ms, %.1f pages/s, %.1f MB\n", f.pdfMs,
                pages * 1000.0 / f.pdfMs, f.pdfBytes / 1048576.0);

    std::printf("25 %% preview                first sheet %.1f ms, all %d sheets %.1f ms\n",
                f.quarterFirstMs, f.quarterSheets, f.quarterAllMs);

    for (int n : {100, 1000}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rss"), QString::number(n)});
        child.waitForFinished(-1);
        const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        std::printf("peak RSS (VmHWM) %5d pages %s kB\n", n, qPrintable(out.split('\n').last()));
    }
    return 0;
}
