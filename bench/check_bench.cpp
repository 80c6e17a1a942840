// The Zengin check against the import of the same 100,000-record transfer
// file: the check must take at most the time of the import. Prints the
// median of several runs of each: the check read from disk and from memory
// (as the file creation runs it), with names in the Zengin set and with a
// name warning on every record, with a bank master of 30,000 branches, and
// the import.
#include "benchsupport.h"
#include "core/records.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/zengincheck.h"
#include "import/importengine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace pelanova;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(const std::function<void()> &run)
{
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

double importSeconds(const std::filesystem::path &dir, const std::string &file, int run)
{
    const auto dbPath = dir / ("import" + std::to_string(run) + ".db");
    sql::Database db;
    db.open(dbPath.string(), sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    bench::StderrBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(db, nullptr, boxes, progress);
    ImportEngine::Outcome outcome{};
    const double s = seconds([&] { outcome = engine.ImportTransferFile(file, 3, 20080115, 20080110); });
    if (outcome != ImportEngine::Outcome::Stored)
        std::fprintf(stderr, "import did not store the file\n");
    return s;
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / "pelanova_check_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    const int n = 100000;
    const std::string clean = bench::makeTransferFile(n, 1000, "ｼﾝｼﾞﾕｸ");
    const std::string warned = bench::makeTransferFile(n, 1000, "ｼﾝｼﾞｭｸ"); // a small ｭ on every record
    const std::string cleanPath = (dir / "clean.txt").string();
    const std::string warnedPath = (dir / "warned.txt").string();
    std::ofstream(cleanPath, std::ios::binary).write(clean.data(), static_cast<std::streamsize>(clean.size()));
    std::ofstream(warnedPath, std::ios::binary).write(warned.data(), static_cast<std::streamsize>(warned.size()));

    // A bank master the size of the real one: every code of the file is in it.
    zengin::BankCodes codes;
    for (int bank = 1; bank <= 1200; ++bank) {
        codes.add(bank, 1);
        for (int branch = 0; branch < 24; ++branch)
            codes.add(bank, 100 + branch);
    }
    zengin::CheckOptions options;
    options.transferDate = 20080115;
    options.bankCodes = &codes;

    std::vector<double> fromDisk, fromMemory, withWarnings, imports;
    size_t cleanFindings = 0, warnedFindings = 0;
    for (int run = 0; run < 5; ++run) {
        fromDisk.push_back(seconds([&] { cleanFindings = zengin::checkTransferFile(cleanPath, options).findings.size(); }));
        fromMemory.push_back(seconds([&] { zengin::checkTransferBytes(clean, options); }));
        withWarnings.push_back(
            seconds([&] { warnedFindings = zengin::checkTransferFile(warnedPath, options).findings.size(); }));
    }
    for (int run = 0; run < 3; ++run)
        imports.push_back(importSeconds(dir, cleanPath, run));

    const double imported = median(imports);
    std::printf("import of %d data records:                          %.3f s (median of 3)\n", n, imported);
    std::printf("check from disk, names in the Zengin set (%zu findings): %.3f s, %.1f%% of the import\n",
                cleanFindings, median(fromDisk), 100 * median(fromDisk) / imported);
    std::printf("check from memory, as the file creation runs it:      %.3f s, %.1f%% of the import\n",
                median(fromMemory), 100 * median(fromMemory) / imported);
    std::printf("check from disk, a name warning on every record (%zu findings): %.3f s, %.1f%% of the import\n",
                warnedFindings, median(withWarnings), 100 * median(withWarnings) / imported);
    std::printf("target: the check takes at most the time of the import (ratio <= 1.00); worst ratio %.3f\n",
                std::max({median(fromDisk), median(fromMemory), median(withWarnings)}) / imported);
    std::filesystem::remove_all(dir);
    return 0;
}
