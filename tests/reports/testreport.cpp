#include "testreport.h"

#include "reports/printmsg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace pelanova::test {

TestReport::TestReport(int rows, int linesPerPage, RenderLog *log)
    : Report(QStringLiteral("rptTest")), m_rows(rows), m_log(log)
{
    setDataSet(&m_rows);
    ReportBand *title = layout().addBand(QRect(37, 37, 720, 25));
    title->addField(QRect(0, 0, 720, 25), QStringLiteral("試　験　帳　票"), HAlign::Center)->font =
        ReportFont{kFontGothic, 13, true, false};
    m_pageField = title->addField(QRect(640, 0, 80, 25), QString(), HAlign::Right);
    title->beforePrint = [this] {
        m_pageField->text = QStringLiteral("%1 ﾍﾟｰｼﾞ").arg(pageNumber());
        if (m_log)
            m_log->pageTitles << m_pageField->text;
    };

    const int gridRows = linesPerPage + 1;
    ReportRowGrid *grid = layout().addRowGrid(QRect(37, 125, 720, 23 * gridRows), gridRows);
    ReportRowLayout *head = grid->addRowLayout(23);
    head->addField(QRect(0, 0, 100, 23), QStringLiteral("番号"), HAlign::Center,
                   {BorderLine::Thick, BorderLine::Thick, BorderLine::None, BorderLine::Thick});
    head->addField(QRect(100, 0, 620, 23), QStringLiteral("内　容"), HAlign::Center,
                   {BorderLine::Thick, BorderLine::Normal, BorderLine::Thick, BorderLine::Thick});
    ReportRowLayout *detail = grid->addRowLayout(23);
    ReportField *number = detail->addField(QRect(0, 0, 100, 23), QString(), HAlign::Right,
                                           {BorderLine::Thin, BorderLine::Thick, BorderLine::None, BorderLine::None});
    ReportField *text = detail->addField(QRect(100, 0, 620, 23), QString(), HAlign::Left,
                                         {BorderLine::Thin, BorderLine::Normal, BorderLine::Thick, BorderLine::None});
    detail->beforePrint = [this, detail, number, text] {
        if (m_rows.eof()) {
            detail->clearTexts();
            return;
        }
        if (m_rows.row() == failAtRow)
            throw std::runtime_error("the amount does not convert");
        number->text = QString::number(m_rows.row() + 1);
        text->text = QStringLiteral("振込先 %1 番").arg(m_rows.row() + 1);
        m_rows.next();
    };
    grid->rowChoice = [head, detail](int row) { return row == 0 ? head : detail; };
}

void TestReport::ActPrintPrepare()
{
    if (m_log)
        ++m_log->prepares;
}

void TestReport::ActPageBeforePrint()
{
    if (!m_log)
        return;
    ++m_log->pagesStarted;
    if (TPrintMsg::instance() && engine().state() == ReportEngine::State::Printing)
        m_log->noticeShownWhilePrinting = true;
}

void TestReport::ActPageAfterPrint()
{
    if (m_log)
        ++m_log->pagesEnded;
}

bool waitForWorker(TBaseLRep &report, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (report.isWorkerRunning() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return !report.isWorkerRunning();
}

namespace {
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

int pdfPageCount(const QString &path)
{
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    for (const QString &line : info.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

QString pdfText(const QString &path)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

QString pdfPageText(const QString &path, int page)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                             QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
}

QString pdfFonts(const QString &path) { return run(QStringLiteral("pdffonts"), {path}); }

QString pdfInfo(const QString &path) { return run(QStringLiteral("pdfinfo"), {path}); }

QRectF pdfWordBox(const QString &path, const QString &word)
{
    const QString html = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                              QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
    static const QRegularExpression pattern(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    auto matches = pattern.globalMatch(html);
    while (matches.hasNext()) {
        const QRegularExpressionMatch m = matches.next();
        if (m.captured(5) == word)
            return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                          QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
    return {};
}

} // namespace pelanova::test
