#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <optional>

#include "core/backup.h"
#include "core/datalocation.h"
#include "core/schema.h"
#include "core/sql.h"
#include "support/tempdir.h"

using namespace pelanova;
using pelanova::test::readBytes;
using pelanova::test::TempDir;
using pelanova::test::writeBytes;
namespace fs = std::filesystem;

namespace {

std::time_t at(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

std::string name(const std::string &path) { return fs::path(path).filename().string(); }

// An own database with one facility named `facility`.
void makeOwnDatabase(const std::string &path, const std::string &facility = "本部")
{
    fs::create_directories(fs::path(path).parent_path());
    sql::Database db;
    db.open(path, sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    auto st = db.prepare("INSERT INTO M_施設 (施設コード, 施設名) VALUES (1, ?)");
    st.bind(1, facility);
    st.run();
}

std::string facilityName(const std::string &path)
{
    sql::Database db;
    db.open(path, sql::Database::Mode::ReadOnly);
    auto st = db.prepare("SELECT 施設名 FROM M_施設");
    return st.step() ? st.text(0) : std::string();
}

class Backups : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dir.file("data/FBDB.db");
        makeOwnDatabase(path);
        db.open(path, sql::Database::Mode::ReadWrite);
    }

    TempDir dir;
    std::string path;
    sql::Database db;
};

} // namespace

TEST_F(Backups, AreNamedAfterTheTimeBesideTheDatabaseAndAreWholeDatabases)
{
    const DatabaseBackups backups(path);
    EXPECT_EQ(backups.folder(), dir.file("data/backup"));
    const std::string first = backups.write(db, at(2026, 12, 10, 9, 30, 15));
    EXPECT_EQ(first, dir.file("data/backup/FBDB-20261210-093015.db"));
    EXPECT_EQ(facilityName(first), "本部");
    EXPECT_EQ(restoreRefusal(first), "");

    // A second backup within the same second keeps the first.
    db.exec("UPDATE M_施設 SET 施設名 = '支所'");
    const std::string second = backups.write(db, at(2026, 12, 10, 9, 30, 15));
    EXPECT_EQ(name(second), "FBDB-20261210-093015-2.db");
    EXPECT_EQ(facilityName(first), "本部");
    EXPECT_EQ(facilityName(second), "支所");
    EXPECT_EQ(backups.list(), (std::vector<std::string>{first, second}));
    EXPECT_EQ(std::distance(fs::directory_iterator(backups.folder()), fs::directory_iterator()), 2)
        << "no temporary file is left";
}

TEST_F(Backups, KeepTheNewestThirty)
{
    const DatabaseBackups backups(path);
    writeBytes(dir.file("data/backup-notes.txt"), "not a backup");
    fs::create_directories(backups.folder());
    writeBytes(backups.folder() + "/notes.txt", "other files in the folder stay");
    for (int day = 1; day <= 31; ++day)
        backups.write(db, at(2026, 1, day, 12, 0, 0));
    backups.write(db, at(2026, 2, 1, 12, 0, 0));
    const std::vector<std::string> kept = backups.list();
    ASSERT_EQ(kept.size(), 30u);
    EXPECT_EQ(name(kept.front()), "FBDB-20260103-120000.db");
    EXPECT_EQ(name(kept.back()), "FBDB-20260201-120000.db");
    EXPECT_TRUE(fs::exists(backups.folder() + "/notes.txt"));
}

TEST_F(Backups, OnlyTheFirstStartOfADayWritesOne)
{
    const DatabaseBackups backups(path);
    EXPECT_NE(backups.writeFirstOfDay(db, at(2026, 12, 10, 8, 0, 0)), "");
    EXPECT_EQ(backups.writeFirstOfDay(db, at(2026, 12, 10, 17, 0, 0)), "");
    EXPECT_NE(backups.writeFirstOfDay(db, at(2026, 12, 11, 0, 0, 1)), "");
    EXPECT_EQ(backups.list().size(), 2u);
}

TEST_F(Backups, ThatCannotBeWrittenSayWhyAndLeaveNothing)
{
    // "backup" taken by a file: the folder cannot be made.
    writeBytes(dir.file("data/backup"), "");
    const DatabaseBackups backups(path);
    EXPECT_THROW(backups.write(db), BackupError);
    EXPECT_EQ(readBytes(dir.file("data/backup")), "");

    // A target folder that is gone: nothing half written stays.
    EXPECT_THROW(copyDatabase(db, dir.file("missing/copy.db")), BackupError);
    EXPECT_FALSE(fs::exists(dir.file("missing")));
}

TEST_F(Backups, RestoreAcceptsOnlyADatabaseOfThisProgram)
{
    const std::string good = DatabaseBackups(path).write(db);
    EXPECT_EQ(restoreRefusal(good), "");

    EXPECT_NE(restoreRefusal(dir.file("nothing.db")).find("ファイルが見つかりません"), std::string::npos);

    writeBytes(dir.file("text.db"), std::string(4096, 'x'));
    EXPECT_NE(restoreRefusal(dir.file("text.db")).find("データベースではありません"), std::string::npos);

    {
        sql::Database other;
        other.open(dir.file("other.db"), sql::Database::Mode::Create);
        other.exec("CREATE TABLE accounts (id INTEGER PRIMARY KEY, name TEXT)");
    }
    EXPECT_NE(restoreRefusal(dir.file("other.db")).find("このプログラムのデータベースではありません"),
              std::string::npos);

    // Damage a table's pages behind the header: the file still opens, the check finds it.
    fs::copy_file(good, dir.file("damaged.db"));
    std::string bytes = readBytes(dir.file("damaged.db"));
    ASSERT_GT(bytes.size(), 8192u);
    for (size_t i = 4096 + 100; i < bytes.size(); i += 7)
        bytes[i] = '\xA5';
    writeBytes(dir.file("damaged.db"), bytes);
    EXPECT_NE(restoreRefusal(dir.file("damaged.db")), "");
}

TEST_F(Backups, RestoreReplacesTheDatabaseWhole)
{
    const std::string saved = DatabaseBackups(path).write(db);
    db.exec("UPDATE M_施設 SET 施設名 = '支所'");
    db.close();
    restoreDatabase(saved, path);
    EXPECT_EQ(facilityName(path), "本部");
}

TEST(DataLocations, PortableBesideTheProgramElseTheUsersFolders)
{
    TempDir dir;
    const std::string exe = dir.file("bin/pelanova");
    fs::create_directories(dir.file("bin"));
    std::map<std::string, std::string> env{{"HOME", dir.file("home")}};
    auto lookup = [&env](const char *name) -> std::optional<std::string> {
        const auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    };

    // No data folder beside the program: the installed program's folders.
    DataLocation installed = locateData(exe, lookup);
    EXPECT_FALSE(installed.portable);
    EXPECT_EQ(installed.ownDatabase, dir.file("home/.local/share/pelanova/data/FBDB.db"));
    EXPECT_EQ(installed.settingsFile, dir.file("home/.config/pelanova/pelanova.ini"));

    env["XDG_DATA_HOME"] = dir.file("xdata");
    env["XDG_CONFIG_HOME"] = dir.file("xconfig");
    installed = locateData(exe, lookup);
    EXPECT_EQ(installed.ownDatabase, dir.file("xdata/pelanova/data/FBDB.db"));
    EXPECT_EQ(installed.settingsFile, dir.file("xconfig/pelanova/pelanova.ini"));
    env["XDG_DATA_HOME"] = "relative/path"; // ignored, as the standard says
    EXPECT_EQ(locateData(exe, lookup).ownDatabase, dir.file("home/.local/share/pelanova/data/FBDB.db"));
    env.clear();
    EXPECT_THROW(locateData(exe, lookup), std::runtime_error);

    // A data folder beside a writable program folder: a portable copy.
    fs::create_directories(dir.file("bin/data"));
    const DataLocation portable = locateData(exe, lookup);
    EXPECT_TRUE(portable.portable);
    EXPECT_EQ(portable.ownDatabase, dir.file("bin/data/FBDB.db"));
    EXPECT_EQ(portable.settingsFile, dir.file("bin/pelanova.ini"));
    EXPECT_EQ(prepareDataLocation(portable), std::nullopt);
    EXPECT_FALSE(fs::exists(portable.ownDatabase));
}

TEST(DataLocations, TheFirstStartPreparesAnEmptyDatabaseAndOnlyThen)
{
    TempDir dir;
    DataLocation location;
    location.ownDatabase = dir.file("share/pelanova/data/FBDB.db");
    location.settingsFile = dir.file("config/pelanova/pelanova.ini");
    EXPECT_EQ(prepareDataLocation(location), location.ownDatabase);
    EXPECT_TRUE(fs::is_directory(dir.file("config/pelanova")));
    EXPECT_FALSE(fs::exists(location.settingsFile));
    {
        sql::Database db;
        db.open(location.ownDatabase, sql::Database::Mode::ReadOnly);
        EXPECT_TRUE(schema::hasOwnTables(db));
    }

    EXPECT_EQ(prepareDataLocation(location), std::nullopt) << "a second start leaves the database as it is";

    // Later, a database gone from its folder stays gone (its backups show
    // that there was one): the start-up says so.
    {
        sql::Database db;
        db.open(location.ownDatabase, sql::Database::Mode::ReadOnly);
        DatabaseBackups(location.ownDatabase).write(db);
    }
    fs::remove(location.ownDatabase);
    EXPECT_EQ(prepareDataLocation(location), std::nullopt);
    EXPECT_FALSE(fs::exists(location.ownDatabase));

    // A data folder that holds only a bank master built before the first start.
    TempDir other;
    location.ownDatabase = other.file("data/FBDB.db");
    fs::create_directories(other.file("data"));
    writeBytes(other.file("data/銀行マスタ.db"), "");
    EXPECT_EQ(prepareDataLocation(location), location.ownDatabase);
}
