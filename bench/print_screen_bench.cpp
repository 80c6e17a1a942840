// Loading a month of 100,000 merged lines into the print screen (aggregation,
// pricing and grid) against LoadFurikomiList alone on the same database, and
// the screen's memory for them.
#include "core/datamodule.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "output/frmfurikomiprint.h"
#include "output/furikomi.h"
#include "shell/formcarender.h"
#include "shell/screencontext.h"
#include "widgets/filedialogs.h"
#include "widgets/japanesefonts.h"
#include "widgets/stripedgrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

using namespace pelanova;

namespace {

constexpr int kDate = 20080115;
const std::string kConsignor = "0000012345";

void fillDatabase(sql::Database &db, int transfers)
{
    schema::createOwnDatabase(db);
    sql::Transaction tx(db);
    db.exec("INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 支店番号, " + feeColumnList()
            + ") VALUES ('0000012345', 'ﾍﾞﾝﾁ', 1, 1, " + feeValueList(kDefaultFeeTable) + ")");
    for (int f = 1; f <= 20; ++f)
        db.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード, データ区分, 委託者コード) VALUES (20080115, "
                + std::to_string(f) + ", 1, '0000012345')");
    sql::Statement d = db.prepare(
        "INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番, データ区分, 引落銀行番号, 引落銀行名, "
        "引落支店番号, 引落支店名, 預金項目, 口座番号, 預金者名, 引落金額) VALUES (?, ?, ?, 2, ?, 'ﾐﾂﾋﾞｼ', ?, "
        "'ｼﾝｼﾞｭｸ', 1, ?, ?, ?)");
    for (int i = 0; i < transfers; ++i) {
        const int facility = 1 + i % 20;
        char account[12];
        std::snprintf(account, sizeof account, "%07d", i);
        d.reset();
        d.bind(1, kDate).bind(2, facility).bind(3, int64_t(facility) * 10000 + i / 20).bind(4, 5 + i % 9);
        d.bind(5, 100 + i % 13).bind(6, account).bind(7, "ﾔﾏﾀﾞ ﾀﾛｳ " + std::to_string(i)).bind(8, 1000 + i % 90000);
        d.run();
    }
    tx.commit();
}

// The screen's boxes, dialogs and calendar answer by themselves: nothing here
// waits for a person.
class NoBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &, const std::string &, MessageIcon, MessageButtons buttons,
                   int defaultButton) override
    {
        return defaultButtonResult(buttons, defaultButton);
    }
};

long rssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installJapaneseFonts();
    const int n = argc >= 2 ? std::atoi(argv[1]) : 100000;
    const QString base = QDir::temp().filePath(QStringLiteral("pelanova-print-bench-%1").arg(app.applicationPid()));
    const std::string dbPath = (base + QStringLiteral(".db")).toStdString();
    {
        sql::Database db;
        db.open(dbPath, sql::Database::Mode::Create);
        fillDatabase(db, n);
    }
    TDM1 dm((base + QStringLiteral(".ini")).toStdString(), dbPath, nullptr);
    NoBoxes boxes;
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    ScreenContext context{dm, boxes, files, dates, [](uint8_t) {}, [](uint8_t) { return true; }};

    std::vector<double> alone, screen;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        const output::FurikomiList list = output::LoadFurikomiList(dm.ADOConFurikomi, kDate, kConsignor, -1);
        alone.push_back(t.nsecsElapsed() / 1e6);
        if (int(list.lines.size()) != n)
            std::fprintf(stderr, "%zu lines\n", list.lines.size());
    }
    const long before = rssKb();
    TfrmFurikomiPrint print(context, nullptr);
    print.resize(1000, 700);
    print.show();
    QCoreApplication::processEvents();
    const long after = rssKb();
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        print.cmbBumonClick();
        QCoreApplication::processEvents(); // the repaint of the shown lines
        screen.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(alone.begin(), alone.end());
    std::sort(screen.begin(), screen.end());
    std::printf("%d merged lines: LoadFurikomiList alone median %.1f ms (best %.1f); screen load median %.1f ms "
                "(best %.1f); ratio of medians %.2f (target <= 1.5)\n",
                print.GridList->lineCount(), alone[2], alone[0], screen[2], screen[0], screen[2] / alone[2]);
    std::printf("screen memory for the lines: %.1f MB (RSS %ld kB before opening, %ld kB after; target < 100 MB)\n",
                (after - before) / 1024.0, before, after);
    QFile::remove(base + QStringLiteral(".db"));
    QFile::remove(base + QStringLiteral(".ini"));
    return 0;
}
