#include "core/backup.h"
#include "core/replacefile.h"

#include "core/schema.h"
#include "core/sql.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

namespace pelanova {
namespace fs = std::filesystem;

namespace {

constexpr const char *kPrefix = "FBDB-";
constexpr const char *kSuffix = ".db";
// A server's database is backed up by pg_dump in its custom format.
constexpr const char *kServerSuffix = ".dump";

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
    const std::string prefix(kPrefix);
    std::string suffix(kSuffix);
    if (name.size() > std::strlen(kServerSuffix)
        && name.compare(name.size() - std::strlen(kServerSuffix), std::string::npos, kServerSuffix) == 0)
        suffix = kServerSuffix;
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

// Runs a program of the PostgreSQL client; its exit status, and what it
// said on its standard error.
int runProgram(const std::vector<std::string> &arguments, std::string &said)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        said = arguments[0] + " を実行できません（" + systemErrorText(spawned) + "）";
        return -1;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipe[0], buffer, sizeof buffer)) > 0)
        said.append(buffer, static_cast<size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    while (!said.empty() && (said.back() == '\n' || said.back() == ' '))
        said.pop_back();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string currentSchema(const sql::Database &db)
{
    sql::Statement st = db.prepare("SELECT current_schema()");
    return st.step() ? st.text(0) : std::string("public");
}

// The server's database as pg_dump writes it in its custom format: the
// tables of the schema the connection works in.
void dumpServerDatabase(const sql::Database &db, const std::string &path)
{
    try {
        ReplacementFile file(path, 0600);
        std::string said;
        const int status = runProgram({"pg_dump", "--format=custom", "--no-owner", "--no-privileges",
                                       "--schema=" + currentSchema(db), "--file=" + file.temporaryPath(),
                                       "--dbname=" + db.path()},
                                      said);
        if (status != 0)
            failWrite(path, "pg_dump: " + (said.empty() ? std::string("終了コード ") + std::to_string(status) : said));
        file.commit();
    } catch (const FileWriteError &e) {
        throw BackupError(e.what());
    }
}

bool isServerDump(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    char magic[5] = {};
    in.read(magic, sizeof magic);
    return in.gcount() == 5 && std::string_view(magic, 5) == "PGDMP";
}

} // namespace

DatabaseBackups::DatabaseBackups(const std::string &databasePath)
    : m_folder((fs::path(databasePath).parent_path() / "backup").string())
{
}

DatabaseBackups DatabaseBackups::inFolder(const std::string &folder)
{
    DatabaseBackups backups(std::string{});
    backups.m_folder = folder;
    return backups;
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
    const char *suffix = db.engine() == sql::Engine::PostgreSQL ? kServerSuffix : kSuffix;
    fs::path target = fs::path(m_folder) / (kPrefix + when + suffix);
    for (int n = 2; fs::exists(target, ec); ++n)
        target = fs::path(m_folder) / (kPrefix + when + "-" + std::to_string(n) + suffix);
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
    if (db.engine() == sql::Engine::PostgreSQL) {
        dumpServerDatabase(db, path);
        return;
    }
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
    if (isServerDump(path)) {
        std::string said;
        if (runProgram({"pg_restore", "--list", path}, said) != 0)
            return path + ": サーバーのデータベースのバックアップとして読めません（" + said + "）。";
        return {};
    }
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

namespace {

// A file of the temporary folder, removed with this.
class TemporaryFile
{
public:
    TemporaryFile()
    {
        std::string pattern = (fs::temp_directory_path() / "pelanova-restore-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            throw BackupError("一時ファイルを作成できません（" + systemErrorText(errno) + "）");
        ::close(fd);
        m_path = pattern;
    }
    ~TemporaryFile()
    {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;
    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

std::string crossEngineRefusal(const std::string &source, const std::string &target)
{
    const bool server = sql::Database::isServerLocation(target);
    if (server == isServerDump(source))
        return {};
    return server ? source + ": このプログラムのデータベースのファイルは、サーバーのデータベースには"
                             "復元できません（pelanova-cli copy-db で移せます）。"
                  : source + ": サーバーのデータベースのバックアップは、ファイルのデータベースには"
                             "復元できません（pelanova-cli copy-db で移せます）。";
}

} // namespace

std::string restoreRefusal(const std::string &path, const std::string &target)
{
    if (std::string refusal = restoreRefusal(path); !refusal.empty())
        return refusal;
    return crossEngineRefusal(path, target);
}

void restoreDatabase(const std::string &source, const std::string &target)
{
    const bool server = sql::Database::isServerLocation(target);
    if (const std::string refusal = crossEngineRefusal(source, target); !refusal.empty())
        throw BackupError(refusal);
    if (server) {
        // The archive as statements, run by psql after dropping the system's
        // tables, all in one transaction: a restore that fails half-way leaves
        // the database as it was.
        std::string schemaName;
        {
            sql::Database db;
            db.open(target, sql::Database::Mode::ReadOnly);
            schemaName = currentSchema(db);
        }
        const TemporaryFile script;
        std::string said;
        if (runProgram({"pg_restore", "--no-owner", "--no-privileges", "--schema=" + schemaName,
                        "--file=" + script.path(), source},
                       said)
            != 0)
            throw BackupError(source + ": 復元できませんでした（pg_restore: " + said + "）");
        std::string drops;
        for (const char *table : schema::kAllTables)
            drops += std::string("DROP TABLE IF EXISTS ") + table + " CASCADE;";
        drops += "DROP TABLE IF EXISTS pelanova_schema;";
        said.clear();
        if (runProgram({"psql", "--no-psqlrc", "--quiet", "--set=ON_ERROR_STOP=1", "--single-transaction",
                        "--dbname=" + target, "--command=" + drops, "--file=" + script.path()},
                       said)
            != 0)
            throw BackupError(source + ": 復元できませんでした（psql: " + said + "）。データベースは元のままです。");
        return;
    }
    sql::Database db;
    try {
        db.open(source, sql::Database::Mode::ReadOnly);
    } catch (const sql::Error &error) {
        throw BackupError(source + ": データベースを開けません（" + error.what() + "）");
    }
    copyDatabase(db, target);
}

} // namespace pelanova
