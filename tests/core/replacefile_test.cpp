// Replacing a file whole: the one writer behind the bank file, the reports'
// PDF files, the backups, a restore, the settings file and the bank master.
#include "core/backup.h"
#include "core/replacefile.h"
#include "core/schema.h"
#include "core/sql.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <utime.h>

using namespace pelanova;
using pelanova::test::readBytes;
using pelanova::test::TempDir;
using pelanova::test::writeBytes;
namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

size_t entries(const fs::path &folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

void makeOld(const std::string &path)
{
    struct utimbuf old{};
    old.actime = old.modtime = std::time(nullptr) - 2 * 3600;
    ::utime(path.c_str(), &old);
}

} // namespace

TEST(ReplaceFile, KeepsTheModeOfTheFileItReplacesElseTheUsualOne)
{
    TempDir dir;
    const mode_t mask = ::umask(022);
    const std::string fresh = dir.file("NEW.TXT");
    replaceFile(fresh, "new");
    EXPECT_EQ(readBytes(fresh), "new");
    EXPECT_EQ(modeOf(fresh), 0644u);

    // A group-shared file stays group-shared.
    const std::string shared = dir.file("SHARED.db");
    writeBytes(shared, "old");
    ::chmod(shared.c_str(), 0664);
    replaceFile(shared, "newer");
    EXPECT_EQ(readBytes(shared), "newer");
    EXPECT_EQ(modeOf(shared), 0664u);

    // A new file may be given its mode (a backup takes its database's).
    replaceFile(dir.file("PRIVATE"), "x", 0600);
    EXPECT_EQ(modeOf(dir.file("PRIVATE")), 0600u);
    ::umask(mask);

    // A link stays a link; its target changes.
    fs::create_symlink("SHARED.db", dir.path() / "LINK");
    replaceFile(dir.file("LINK"), "through the link");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "LINK"));
    EXPECT_EQ(readBytes(shared), "through the link");
    EXPECT_EQ(entries(dir.path()), 4u);
}

TEST(ReplaceFile, FailuresSayWhyInJapaneseAndLeaveNoTemporaryFile)
{
    TempDir dir;
    try {
        replaceFile(dir.file("missing/BANK.TXT"), "x");
        FAIL() << "no error";
    } catch (const FileWriteError &e) {
        EXPECT_EQ(std::string(e.what()), dir.file("missing/BANK.TXT") + ": ファイルを作成できません（フォルダまたはファイルがありません）");
    }
    // A folder in the way: the rename fails and the temporary file goes.
    fs::create_directory(dir.path() / "TAKEN.TXT");
    EXPECT_THROW(replaceFile(dir.file("TAKEN.TXT"), "x"), FileWriteError);
    EXPECT_EQ(entries(dir.path()), 1u);
    // A writer that fails before commit leaves the target as it was.
    writeBytes(dir.file("KEEP.TXT"), "earlier");
    {
        ReplacementFile file(dir.file("KEEP.TXT"));
        file.write("half");
        EXPECT_TRUE(fs::exists(file.temporaryPath()));
    }
    EXPECT_EQ(readBytes(dir.file("KEEP.TXT")), "earlier");
    EXPECT_EQ(entries(dir.path()), 2u);
    EXPECT_EQ(systemErrorText(ENOSPC), "ディスクの空きがありません");
}

TEST(ReplaceFile, LeftoversOfAKilledRunArePrunedWithTheBackups)
{
    EXPECT_TRUE(isReplacementLeftover(".FBDB-20261210-101010.db.aB3xYz"));
    EXPECT_TRUE(isReplacementLeftover(".FBDB-20261210-101010.db.aB3xYz-journal"));
    EXPECT_FALSE(isReplacementLeftover("FBDB-20261210-101010.db"));
    EXPECT_FALSE(isReplacementLeftover(".pelanova.ini"));
    EXPECT_FALSE(isReplacementLeftover(".db.ab-xyz"));

    TempDir dir;
    const std::string dbPath = dir.file("FBDB.db");
    sql::Database db;
    db.open(dbPath, sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    const DatabaseBackups backups(dbPath);
    backups.write(db);
    const fs::path folder = backups.folder();
    // A run killed while writing left its temporary file and journal; a run
    // still writing has a young one.
    const std::string stale = (folder / ".FBDB-20261201-090000.db.Qw12Er").string();
    writeBytes(stale, "partial");
    writeBytes(stale + "-journal", "journal");
    makeOld(stale);
    makeOld(stale + "-journal");
    const std::string young = (folder / ".FBDB-20261210-235959.db.Zx98Cv").string();
    writeBytes(young, "being written");
    backups.write(db, std::time(nullptr) + 5);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(stale + "-journal"));
    EXPECT_TRUE(fs::exists(young));
    EXPECT_EQ(backups.list().size(), 2u);
}

TEST(ReplaceFile, BackupsTakeTheDatabasesModeAndARestoreKeepsTheTargets)
{
    TempDir dir;
    const std::string dbPath = dir.file("FBDB.db");
    {
        sql::Database db;
        db.open(dbPath, sql::Database::Mode::Create);
        schema::createOwnDatabase(db);
    }
    ::chmod(dbPath.c_str(), 0660);
    sql::Database db;
    db.open(dbPath, sql::Database::Mode::ReadWrite);
    const std::string backup = DatabaseBackups(dbPath).write(db);
    EXPECT_EQ(modeOf(backup), 0660u);
    db.close();
    // A portable copy shared by a group keeps its mode over a restore.
    ::chmod(dbPath.c_str(), 0664);
    restoreDatabase(backup, dbPath);
    EXPECT_EQ(modeOf(dbPath), 0664u);
}
