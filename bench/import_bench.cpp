// Import throughput: a generated 100,000-record transfer file (1,000
// recipients) imported headless, against a bare prepared INSERT of the same
// data rows in one transaction. Prints records per second, the ratio and the
// peak memory after a small and after the large file, and the CR LF form
// against the form without breaks.
#include "benchsupport.h"
#include "core/records.h"
#include "core/schema.h"
#include "core/sql.h"
#include "import/importengine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace pelanova;
using Clock = std::chrono::steady_clock;

namespace {

long peakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

double importSeconds(const std::filesystem::path &dir, const std::string &name, const std::string &bytes)
{
    const auto file = dir / (name + ".txt");
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto dbPath = dir / (name + ".db");
    sql::Database db;
    db.open(dbPath.string(), sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    bench::StderrBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(db, nullptr, boxes, progress);
    const auto start = Clock::now();
    const auto outcome = engine.ImportTransferFile(file.string(), 3, 20080115, 20080110);
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    if (outcome != ImportEngine::Outcome::Stored)
        std::fprintf(stderr, "import did not store the file\n");
    return s;
}

double bareInsertSeconds(const std::filesystem::path &dir, const std::string &bytes)
{
    // Split beforehand: the bare figure is the database's share alone.
    std::vector<std::vector<zengin::Value>> rows;
    for (size_t off = 0; off + zengin::kRecordSize <= bytes.size(); off += zengin::kRecordSize) {
        std::string_view block(bytes.data() + off, zengin::kRecordSize);
        if (zengin::recordKind(block) != zengin::Data)
            continue;
        rows.emplace_back();
        zengin::split(block, zengin::Data, rows.back());
    }
    sql::Database db;
    db.open((dir / "bare.db").string(), sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    std::string sql = "INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番";
    std::string values = "?, ?, ?";
    for (const auto &f : zengin::layout(zengin::Data)) {
        sql += std::string(", ") + f.column;
        values += ", ?";
    }
    sql += ", 更新年月日) VALUES (" + values + ", ?)";
    const auto start = Clock::now();
    db.begin();
    sql::Statement st = db.prepare(sql);
    int seq = 30000;
    for (const auto &row : rows) {
        st.reset();
        int i = 1;
        st.bind(i++, 20080115);
        st.bind(i++, 3);
        st.bind(i++, seq++);
        for (const auto &v : row) {
            if (v.isText)
                st.bind(i++, v.text);
            else
                st.bind(i++, v.number);
        }
        st.bind(i, 20080110);
        st.run();
    }
    db.commit();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / "pelanova_import_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    const std::string small = bench::makeTransferFile(10000, 1000);
    importSeconds(dir, "small", small);
    const long peakSmall = peakKb();

    const int n = 100000;
    const std::string large = bench::makeTransferFile(n, 1000);
    const long base = peakKb();
    const double imported = importSeconds(dir, "large", large);
    const long peakLarge = peakKb();
    const double bare = bareInsertSeconds(dir, large);

    std::printf("import of %d data records (1,000 recipients): %.3f s, %.0f records/s\n", n, imported, (n + 3) / imported);
    std::printf("bare prepared INSERT of the same %d data rows:   %.3f s, %.0f rows/s\n", n, bare, n / bare);
    std::printf("ratio import / bare insert: %.2f (target <= 2.0)\n", imported / bare);
    std::printf("peak memory: %ld kB after a 10,000-record import; %ld kB before and %ld kB after the "
                "100,000-record import (the file's bytes, %zu kB, are held by the generator)\n",
                peakSmall, base, peakLarge, large.size() / 1024);

    // The same records with CR LF after each, against the plain form: runs
    // alternate so that both see the same machine state.
    std::string crlf;
    crlf.reserve(large.size() / zengin::kRecordSize * (zengin::kRecordSize + 2));
    for (size_t off = 0; off < large.size(); off += zengin::kRecordSize)
        crlf.append(large, off, zengin::kRecordSize).append("\r\n");
    std::vector<double> plainRuns, crlfRuns;
    for (int run = 0; run < 7; ++run) {
        plainRuns.push_back(importSeconds(dir, "plain" + std::to_string(run), large));
        crlfRuns.push_back(importSeconds(dir, "crlf" + std::to_string(run), crlf));
    }
    std::sort(plainRuns.begin(), plainRuns.end());
    std::sort(crlfRuns.begin(), crlfRuns.end());
    std::printf("CR LF form, %d data records, 7 runs each: median %.3f s (best %.3f) against %.3f s (best %.3f) "
                "without breaks; ratio of medians %.3f (target <= 1.05)\n",
                n, crlfRuns[3], crlfRuns[0], plainRuns[3], plainRuns[0], crlfRuns[3] / plainRuns[3]);
    std::filesystem::remove_all(dir);
    return 0;
}
