// The bank master's costs: building it from the zengin-code package, opening
// it (copy into memory and index), and the kanji name look-ups of an import of
// 100,000 transfers against the same import without a bank master. The import
// looks a branch up for each new account, once per branch and file; an account
// found gets its two kanji names stored.
//
// usage: bench_bank_master [MASTER.db] [PACKAGE_DIR]
//   MASTER.db    a built master (default: data/銀行マスタ.db beside the program;
//                without one a master of the same size is made up)
//   PACKAGE_DIR  the unpacked zengin-code package, for the build figure
//                (default: $PELANOVA_ZENGIN_PACKAGE, else ../zengin-code/package)
#include "benchsupport.h"
#include "core/bankmaster.h"
#include "core/records.h"
#include "core/schema.h"
#include "core/sql.h"
#include "import/importengine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace pelanova;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

fs::path programDir()
{
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

// 1,146 banks of 25 branches: the public list's size.
void makeUpMaster(const std::string &path)
{
    sql::Database db;
    db.open(path, sql::Database::Mode::Create);
    sql::Transaction tx(db);
    schema::createBankMaster(db);
    sql::Statement insert = db.prepare("INSERT INTO T_銀行マスタ (銀行番号, 銀行名, 支店番号, 支店名) VALUES (?, ?, ?, ?)");
    char bank[8], branch[8];
    for (int b = 0; b < 1146; ++b) {
        for (int s = 0; s < 25; ++s) {
            std::snprintf(bank, sizeof bank, "%04d", 1 + b * 7);
            std::snprintf(branch, sizeof branch, "%03d", 100 + s * 11);
            insert.reset();
            insert.bind(1, bank).bind(2, "銀行").bind(3, branch).bind(4, "支店");
            insert.run();
        }
    }
    tx.commit();
}

std::vector<std::pair<int, int>> branchesOf(const sql::Database &master)
{
    std::vector<std::pair<int, int>> codes;
    sql::Statement st = master.prepare("SELECT INT(銀行番号), INT(支店番号) FROM T_銀行マスタ");
    while (st.step())
        codes.emplace_back(st.integer(0), st.integer(1));
    return codes;
}

// Transfers to `accounts` accounts spread over `spread` of the master's branches.
std::string makeFile(int records, int accounts, size_t spread, const std::vector<std::pair<int, int>> &branches)
{
    spread = std::min(spread, branches.size());
    zengin::ConsignorFields c{"0000012345", "ﾍﾞﾝﾁﾏｰｸ", 1, "ﾐｽﾞﾎ", 100, "ﾎﾝﾃﾝ", 1, "1234567"};
    std::string bytes = zengin::buildHeader(c, 20261210);
    bytes.reserve((records + 3) * zengin::kRecordSize);
    int64_t total = 0;
    for (int i = 0; i < records; ++i) {
        const int account = i % accounts;
        const size_t which = static_cast<size_t>(account) * 7919 % spread;
        const auto &[bank, branch] = branches[which * (branches.size() / spread)];
        zengin::TransferFields t;
        t.bankNumber = bank;
        t.bankName = "ｷﾞﾝｺｳ";
        t.branchNumber = branch;
        t.branchName = "ｼﾃﾝ";
        t.accountType = 1;
        char number[8];
        std::snprintf(number, sizeof number, "%07d", account);
        t.account = number;
        t.payee = "ﾔﾏﾀﾞ ﾀﾛｳ";
        const int amount = 1000 + i % 50000;
        total += amount;
        bytes += zengin::buildData(t, amount);
    }
    return bytes + zengin::buildTrailer(records, total) + zengin::buildEnd();
}

double importSeconds(const fs::path &dir, const std::string &file, const sql::Database *bank, int run)
{
    const auto dbPath = dir / ("run" + std::to_string(run) + ".db");
    fs::remove(dbPath);
    sql::Database db;
    db.open(dbPath.string(), sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    bench::StderrBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(db, bank, boxes, progress);
    const auto start = Clock::now();
    if (engine.ImportTransferFile(file, 3, 20261210, 20261209) != ImportEngine::Outcome::Stored)
        std::fprintf(stderr, "import did not store the file\n");
    const double s = seconds(start);
    if (bank) {
        sql::Statement named = db.prepare("SELECT COUNT(*) FROM M_受取人 WHERE 支店名漢字 IS NOT NULL");
        named.step();
        if (named.int64(0) == 0)
            std::fprintf(stderr, "no kanji name was found\n");
    }
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const fs::path dir = fs::temp_directory_path() / "pelanova_bank_master_bench";
    fs::remove_all(dir);
    fs::create_directories(dir);

    const char *packageEnv = std::getenv("PELANOVA_ZENGIN_PACKAGE");
    const fs::path package = argc > 2 ? fs::path(argv[2])
                           : packageEnv && *packageEnv ? fs::path(packageEnv)
                                                       : programDir() / ".." / "zengin-code" / "package";
    if (fs::exists(package / "lib" / "zengin-data.js")) {
        std::vector<double> runs;
        bankmaster::BuildCounts counts;
        for (int run = 0; run < 3; ++run) {
            const auto start = Clock::now();
            counts = bankmaster::build(package.string(), (dir / "built.db").string());
            runs.push_back(seconds(start));
        }
        std::printf("build from the package: %d banks, %d branches in %.3f s (median of 3), %.2f MB\n", counts.banks,
                    counts.branches, median(runs), fs::file_size(dir / "built.db") / 1e6);
    } else {
        std::printf("build from the package: skipped, no package at %s\n", package.string().c_str());
    }

    std::string masterPath = argc > 1 ? argv[1] : (programDir() / "data" / "銀行マスタ.db").string();
    if (!fs::exists(masterPath)) {
        masterPath = (dir / "made-up.db").string();
        makeUpMaster(masterPath);
        std::printf("no built master: a made-up one of 28,650 branches\n");
    }
    sql::Database master;
    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        if (!bankmaster::connect(master, masterPath)) {
            std::fprintf(stderr, "%s is no bank master\n", masterPath.c_str());
            return 1;
        }
        opens.push_back(seconds(start));
    }
    const auto branches = branchesOf(master);
    std::printf("opening %s (%zu branches, copied into memory and indexed): %.3f s (median of 5)\n",
                masterPath.c_str(), branches.size(), median(opens));

    const int n = 100000;
    // A file of a few payees; a payroll of as many accounts as transfers at the
    // branches near its offices; the same over every branch of the country.
    const std::pair<int, size_t> cases[] = {{1000, branches.size()}, {n, 500}, {n, branches.size()}};
    for (const auto &[accounts, spread] : cases) {
        const std::string file = (dir / "transfers.txt").string();
        const std::string bytes = makeFile(n, accounts, spread, branches);
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        // Runs alternate so that both see the same machine state.
        std::vector<double> without, with;
        for (int run = 0; run < 7; ++run) {
            without.push_back(importSeconds(dir, file, nullptr, run));
            with.push_back(importSeconds(dir, file, &master, run));
        }
        const double a = median(without), b = median(with);
        std::printf("import of %d transfers to %d accounts at %zu branches, 7 runs each: median %.3f s without a bank "
                    "master, %.3f s with it: %+.1f %% (target <= 10 %%)\n",
                    n, accounts, std::min(spread, branches.size()), a, b, (b / a - 1) * 100);
    }

    // The same look-ups on the file as it is, without the index: every look-up
    // reads every branch.
    sql::Database plain;
    plain.open(masterPath, sql::Database::Mode::ReadOnly);
    const std::string file = (dir / "transfers.txt").string();
    const std::string bytes = makeFile(10000, 1000, branches.size(), branches);
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::vector<double> bareRuns, indexedRuns, scannedRuns;
    for (int run = 0; run < 3; ++run) {
        bareRuns.push_back(importSeconds(dir, file, nullptr, run));
        indexedRuns.push_back(importSeconds(dir, file, &master, run));
        scannedRuns.push_back(importSeconds(dir, file, &plain, run));
    }
    const double bare = median(bareRuns), indexed = median(indexedRuns), scanned = median(scannedRuns);
    std::printf("import of 10,000 transfers to 1,000 accounts, 3 runs each: median %.3f s without a bank master, "
                "%.3f s with the indexed copy, %.3f s on the file without an index\n",
                bare, indexed, scanned);
    fs::remove_all(dir);
    return 0;
}
