#include "core/backup.h"
#include "core/replacefile.h"

#include "core/schema.h"
#include "core/sql.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelanova {
namespace fs = std::filesystem;

namespace {

constexpr const char *kPrefix = "FBDB-";
constexpr const char *kSuffix = ".db";

// "20261210-093015" in local time.
std::string stamp(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// The stamp and the number of a second backup within the same second
// (FBDB-20261210-093015-2.db) of a backup's file name; nothing for other files.
std::optional<std::pair<std::string, int>> parseName(const std::string &name)
{
    const std::string prefix(kPrefix), suffix(kSuffix);
    if (name.size() < prefix.size() + 15 + suffix.size() || name.rfind(prefix, 0) != 0
        || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::string when = middle.substr(0, 15);
    for (size_t i = 0; i < when.size(); ++i) {
        const bool ok = i == 8 ? when[i] == '-' : (when[i] >= '0' && when[i] <= '9');
        if (!ok)
            return std::nullopt;
    }
    int number = 1;
    if (middle.size() > 15) {
        const std::string rest = middle.substr(15);
        if (rest.size() < 2 || rest[0] != '-' || rest.find_first_not_of("0123456789", 1) != std::string::npos
            || rest.size() > 6)
            return std::nullopt;
        number = std::stoi(rest.substr(1));
    }
    return std::make_pair(when, number);
}

[[noreturn]] void failWrite(const std::string &path, const std::string &why)
{
    throw BackupError(path + ": バックアップを書き込めません（" + why + "）");
}

} // namespace

DatabaseBackups::DatabaseBackups(const std::string &databasePath)
    : m_folder((fs::path(databasePath).parent_path() / "backup").string())
{
}

std::vector<std::string> DatabaseBackups::list() const
{
    std::vector<std::pair<std::pair<std::string, int>, std::string>> found;
    std::error_code ec;
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (const auto key = parseName(name))
            found.emplace_back(*key, it->path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto &entry : found)
        paths.push_back(std::move(entry.second));
    return paths;
}

std::string DatabaseBackups::write(const sql::Database &db, std::time_t now) const
{
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    if (ec)
        failWrite(m_folder, systemErrorText(ec.value()));
    const std::string when = stamp(now);
    fs::path target = fs::path(m_folder) / (kPrefix + when + kSuffix);
    for (int n = 2; fs::exists(target, ec); ++n)
        target = fs::path(m_folder) / (kPrefix + when + "-" + std::to_string(n) + kSuffix);
    copyDatabase(db, target.string());
    prune();
    return target.string();
}

std::string DatabaseBackups::writeFirstOfDay(const sql::Database &db, std::time_t now) const
{
    const std::string day = stamp(now).substr(0, 8);
    for (const std::string &path : list()) {
        if (parseName(fs::path(path).filename().string())->first.rfind(day, 0) == 0)
            return {};
    }
    return write(db, now);
}

void DatabaseBackups::prune() const
{
    // A backup that cannot be removed costs only space: the new one is written.
    const std::vector<std::string> all = list();
    std::error_code ec;
    for (size_t i = 0; i + kKept < all.size(); ++i)
        fs::remove(all[i], ec);
    // What a backup killed part way left; one still being written is younger.
    removeReplacementLeftovers(m_folder, kLeftoverAgeSeconds);
}

void copyDatabase(const sql::Database &db, const std::string &path)
{
    // A copy is as open to others as the database it copies.
    struct stat st{};
    const mode_t mode = ::stat(db.path().c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    try {
        ReplacementFile file(path, mode);
        std::string error;
        sqlite3 *copy = nullptr;
        int rc = sqlite3_open_v2(file.temporaryPath().c_str(), &copy, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_backup *backup = sqlite3_backup_init(copy, "main", db.handle(), "main");
            if (!backup) {
                rc = sqlite3_errcode(copy);
            } else {
                rc = sqlite3_backup_step(backup, -1);
                const int finish = sqlite3_backup_finish(backup);
                rc = rc == SQLITE_DONE ? finish : rc;
            }
        }
        if (rc != SQLITE_OK)
            error = copy ? sqlite3_errmsg(copy) : sqlite3_errstr(rc);
        if (rc != SQLITE_OK && error == "not an error")
            error = sqlite3_errstr(rc);
        if (sqlite3_close(copy) != SQLITE_OK && error.empty())
            error = sqlite3_errstr(SQLITE_BUSY);
        if (!error.empty())
            failWrite(path, error);
        file.commit();
    } catch (const FileWriteError &e) {
        throw BackupError(e.what());
    }
}

std::string restoreRefusal(const std::string &path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return path + ": ファイルが見つかりません。";
    try {
        sql::Database db;
        db.open(path, sql::Database::Mode::ReadOnly);
        sql::Statement check = db.prepare("PRAGMA integrity_check");
        const std::string result = check.step() ? check.text(0) : std::string();
        if (result != "ok")
            return path + ": データベースが壊れています（integrity_check: " + result + "）。";
        if (!schema::hasOwnTables(db))
            return path + ": このプログラムのデータベースではありません（振込データのテーブルがありません）。";
        if (const std::string problem = schema::schemaProblem(db); !problem.empty())
            return path + ": " + problem;
    } catch (const sql::Error &error) {
        if (error.code() == SQLITE_NOTADB)
            return path + ": データベースではありません。";
        if (error.code() == SQLITE_CORRUPT)
            return path + ": データベースが壊れています（" + error.what() + "）。";
        return path + ": データベースを開けません（" + error.what() + "）。";
    }
    return {};
}

void restoreDatabase(const std::string &source, const std::string &target)
{
    sql::Database db;
    try {
        db.open(source, sql::Database::Mode::ReadOnly);
    } catch (const sql::Error &error) {
        throw BackupError(source + ": データベースを開けません（" + error.what() + "）");
    }
    copyDatabase(db, target);
}

} // namespace pelanova
