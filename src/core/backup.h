#pragma once

// Backups of the own database, written with SQLite's online backup (a
// consistent copy even while the program has the database open, never a plain
// file copy), into the folder "backup" beside the database, named
// FBDB-YYYYMMDD-HHMMSS.db after the local time; the newest 30 are kept.

#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelanova::sql {
class Database;
}

namespace pelanova {

// A backup or restore that could not be written or was refused; the message
// says why, in Japanese.
class BackupError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class DatabaseBackups
{
public:
    static constexpr int kKept = 30;
    // Temporary files left by a backup killed part way are removed once
    // they are this old.
    static constexpr long kLeftoverAgeSeconds = 3600;

    // Backups of the database file at databasePath, in the folder "backup" beside it.
    explicit DatabaseBackups(const std::string &databasePath);
    // Backups in a folder of their own (a server's database has no folder).
    static DatabaseBackups inFolder(const std::string &folder);

    const std::string &folder() const { return m_folder; }

    // Writes a backup of db taken at `now` and removes all but the newest
    // kKept. Returns its path. Throws BackupError when it cannot be written
    // (the folder is then as it was).
    std::string write(const sql::Database &db, std::time_t now = std::time(nullptr)) const;
    // Writes one when none was written on the day of `now`; returns its path,
    // or empty when the day has one already.
    std::string writeFirstOfDay(const sql::Database &db, std::time_t now = std::time(nullptr)) const;
    // The backups in the folder, oldest first.
    std::vector<std::string> list() const;

private:
    void prune() const;

    std::string m_folder;
};

// Copies the open database into a new file at path (a temporary file beside
// it, renamed over it when complete). Throws BackupError.
void copyDatabase(const sql::Database &db, const std::string &path);

// Why the file at path cannot be restored as the own database: not there, not
// a database, damaged (integrity check), or without the system's seven
// tables. Empty when it can.
std::string restoreRefusal(const std::string &path);
// The same, and a backup of the other engine than target's (a file's copy for
// a server's database, or a server's archive for a file).
std::string restoreRefusal(const std::string &path, const std::string &target);

// Replaces the own database at target with the database at source, which
// restoreRefusal accepted: copied beside target and renamed over it, so the
// target is either the old or the new database. Throws BackupError.
void restoreDatabase(const std::string &source, const std::string &target);

} // namespace pelanova
