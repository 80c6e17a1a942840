// `pelanova-cli lines` over 100,000 and 50,000 transfers to 5,000 accounts of
// twenty facilities, against the bare 4-column GROUP BY of the same rows
// (bench_lines_bare, over sqlite3 or libpq alone): both as whole processes,
// in turn, their output thrown away; medians and the ratio of each pair.
// On SQLite always; on PostgreSQL too when PELANOVA_TEST_POSTGRES or --db
// names a server (a fresh schema of it is filled).
//
// Usage: bench_lines [--db LOCATION] [--runs N]

#include "core/schema.h"
#include "core/sql.h"

#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace pelanova;

namespace {

constexpr int kDate = 20080115;
constexpr int kAccounts = 5000;
constexpr int kFacilities = 20;

void fill(sql::Database &db, int transfers)
{
    schema::createOwnDatabase(db);
    sql::Transaction tx(db);
    db.exec("INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 支店番号) VALUES ('0000012345', 'ﾍﾞﾝﾁ', 1, 1)");
    for (int f = 1; f <= kFacilities; ++f)
        db.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード, データ区分, 委託者コード) VALUES ("
                + std::to_string(kDate) + ", " + std::to_string(f) + ", 1, '0000012345')");
    sql::Statement d = db.prepare(
        "INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番, データ区分, 引落銀行番号, 引落銀行名, "
        "引落支店番号, 引落支店名, 預金項目, 口座番号, 預金者名, 引落金額) VALUES (?, ?, ?, 2, ?, 'ﾐﾂﾋﾞｼ', ?, "
        "'ｼﾝｼﾞｭｸ', 1, ?, ?, ?)");
    for (int i = 0; i < transfers; ++i) {
        const int facility = 1 + i % kFacilities;
        const int a = i % kAccounts;
        char account[12];
        std::snprintf(account, sizeof account, "%07d", a);
        d.reset();
        d.bind(1, kDate).bind(2, facility).bind(3, int64_t(facility) * 10000 + i / kFacilities);
        d.bind(4, 5 + a % 9).bind(5, 100 + a % 13).bind(6, account);
        d.bind(7, "ﾔﾏﾀﾞ ﾀﾛｳ " + std::to_string(a)).bind(8, 1000 + (i * 7919) % 90000);
        d.run();
    }
    // A third of the accounts are registered recipients, half of them bearing the fee.
    sql::Statement r = db.prepare("INSERT INTO M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号, 手数料区分, "
                                  "手数料金額) VALUES ('0000012345', ?, ?, ?, ?, 0)");
    for (int a = 0; a < kAccounts; a += 3) {
        char account[12];
        std::snprintf(account, sizeof account, "%07d", a);
        r.reset();
        r.bind(1, 5 + a % 9).bind(2, 100 + a % 13).bind(3, account).bind(4, a % 2);
        r.run();
    }
    tx.commit();
}

// Wall time of one run of the program, its output to /dev/null.
double runMs(const std::vector<std::string> &words)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        std::vector<char *> argv;
        for (const std::string &w : words)
            argv.push_back(const_cast<char *>(w.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "%s exited with %d\n", words[0].c_str(), WEXITSTATUS(status));
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const char *engine, const std::string &location, int transfers, int runs, const std::string &ini)
{
    const std::string date = std::to_string(kDate);
    const std::vector<std::string> lines{PELANOVA_CLI, "--db", location, "--ini", ini, "lines", "--date", date,
                                         "--consignor", "0000012345"};
    const std::vector<std::string> bare{PELANOVA_LINES_BARE, location, date};
    runMs(lines); // warm-up: the page cache, the server's buffers
    runMs(bare);
    std::vector<double> a, b, ratio;
    for (int i = 0; i < runs; ++i) {
        a.push_back(runMs(lines));
        b.push_back(runMs(bare));
        ratio.push_back(a.back() / b.back());
    }
    std::printf("%-10s %7d transfers: lines %6.1f ms, bare GROUP BY %6.1f ms (medians of %d); "
                "ratio %.2f (pairs: median %.2f, best %.2f; target <= %.1f)\n",
                engine, transfers, median(a), median(b), runs, median(a) / median(b), median(ratio),
                *std::min_element(ratio.begin(), ratio.end()), std::string(engine) == "SQLite" ? 1.2 : 1.3);
}

// A new schema of the server's database, as a location the programs open.
std::string freshSchema(const std::string &server, int transfers)
{
    const std::string schema = "bench_lines_" + std::to_string(getpid()) + "_" + std::to_string(transfers);
    sql::Database admin;
    admin.open(server, sql::Database::Mode::ReadWrite);
    admin.exec("CREATE SCHEMA " + schema);
    return server + " options='-c search_path=" + schema + "'";
}

void dropSchema(const std::string &server, int transfers)
{
    sql::Database admin;
    admin.open(server, sql::Database::Mode::ReadWrite);
    admin.exec("DROP SCHEMA bench_lines_" + std::to_string(getpid()) + "_" + std::to_string(transfers) + " CASCADE");
}

} // namespace

int main(int argc, char **argv)
{
    std::string server;
    if (const char *env = std::getenv("PELANOVA_TEST_POSTGRES"))
        server = env;
    int runs = 11;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--db")
            server = argv[i + 1];
        else if (std::string(argv[i]) == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("pelanova-lines-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "pelanova.ini").string();
    for (int transfers : {100000, 50000}) {
        const std::string file = (dir / ("lines-" + std::to_string(transfers) + ".db")).string();
        {
            sql::Database db;
            db.open(file, sql::Database::Mode::Create);
            fill(db, transfers);
        }
        measure("SQLite", file, transfers, runs, ini);
        if (!server.empty()) {
            const std::string location = freshSchema(server, transfers);
            {
                sql::Database db;
                db.open(location, sql::Database::Mode::ReadWrite);
                fill(db, transfers);
                db.exec("ANALYZE");
            }
            measure("PostgreSQL", location, transfers, runs, ini);
            dropSchema(server, transfers);
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
