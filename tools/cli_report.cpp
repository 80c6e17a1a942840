#include "cli_report.h"
#include "clicontext.h"

#include "masters/recipientlist.h"
#include "output/furikomi.h"
#include "output/transferreports.h"
#include "reports/report.h"
#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QString>

#include <iostream>
#include <memory>

namespace pelanova::cli {
namespace {

// Qt's notes about the desktop session (no runtime folder off screen) mean
// nothing to a user of the tool; everything else still reaches stderr.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || message.startsWith(QStringLiteral("QStandardPaths:")))
        return;
    std::cerr << message.toStdString() << '\n';
}

} // namespace

int reportCommand(Context &ctx, const Arguments &args)
{
    if (args.positional.size() != 2)
        throw UsageError("report: request, fees or recipients and OUT.pdf are required");
    const std::string &kind = args.positional[0];
    const std::string &out = args.positional[1];
    if (kind != "request" && kind != "fees" && kind != "recipients")
        throw UsageError("report: unknown report " + kind);
    const bool transfers = kind != "recipients";
    int date = 0;
    std::string consignor;
    int facility = -1;
    if (transfers) {
        date = parseDate(args.option("--date"));
        consignor = args.option("--consignor");
        facility = parseInteger(args.option("--facility", "-1"), "--facility");
    }
    const sql::Database &db = ctx.ownDatabase();

    // Reports are drawn by Qt, which needs an application object; the tool
    // never shows a window, so it draws off screen whatever display there is.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    static int argc = 1;
    static char name[] = "pelanova-cli";
    static char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    installJapaneseFonts();

    std::unique_ptr<Report> report;
    if (kind == "request") {
        auto r = std::make_unique<output::TrptFurikomi>(db);
        r->setUp(consignor, date, facility, output::BuildFurikomiSql(date, consignor, facility));
        report = std::move(r);
    } else if (kind == "fees") {
        auto r = std::make_unique<output::TrptFurikomiTesuuryou>(db);
        r->setUp(consignor, date, facility, output::BuildFurikomiSql(date, consignor, facility));
        report = std::move(r);
    } else {
        report = std::make_unique<TrptFurikomisakiPrint>(db);
    }
    if (writeReportPdf(*report, QString::fromStdString(out)) != Report::Prepared::Ready) {
        std::cerr << kNothingToPrint << '\n';
        return Refused;
    }
    return Ok;
}

} // namespace pelanova::cli
