#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/backup.h"
#include "core/datalocation.h"
#include "core/inifile.h"
#include "core/sql.h"

namespace pelanova {

class MessageBoxes;

// The data module: the settings file and the three database connections,
// created once at start and kept until the program ends. Each connection is
// either open or closed after start-up; whoever uses the accounting or bank
// master connection must expect it closed.
class TDM1
{
public:
    // Where the accounting and bank master databases are looked for when the
    // settings name none.
    static constexpr const char *kDefaultLedraPath = "C:\\Program Files\\Ledra\\Data\\Ledra.MDB";
    static constexpr const char *kDefaultBankPath = "C:\\Program Files\\Ledra\\Data\\銀行マスタ.MDB";

    // The settings file is the executable's path with ".ini"; the own
    // database is data/FBDB.db in the executable's folder.
    explicit TDM1(const std::string &executablePath, MessageBoxes *boxes = nullptr);
    // The settings file and own database of a data location.
    TDM1(const DataLocation &location, MessageBoxes *boxes);
    // Explicit settings file and own database, a file or a server's
    // (the command-line tool's --ini and --db, and tests). The data folder
    // (the backups in its "backup", the built bank master) is by default the
    // database file's folder, or the settings file's for a server's.
    TDM1(const std::string &settingsFile, const std::string &ownDatabase, MessageBoxes *boxes,
         const std::string &dataFolder = {});

    TDM1(const TDM1 &) = delete;
    TDM1 &operator=(const TDM1 &) = delete;

    // The own database (read-write), the accounting database (read-only,
    // never queried) and the bank master with T_銀行マスタ (read-only).
    sql::Database ADOConFurikomi;
    sql::Database ADOConLedra;
    sql::Database ADOConBank;

    // Why the own database is closed after start-up, in Japanese (missing,
    // no database of this program, of a newer version, damaged); empty when open.
    const std::string &ownDatabaseProblem() const { return m_ownProblem; }

    const std::string &settingsFile() const { return m_settingsFile; }
    const std::string &ownDatabasePath() const { return m_ownDatabase; }
    MessageBoxes *messageBoxes() const { return m_boxes; }

    // A set of settings items on this module's settings file.
    TSettings settings(std::vector<SettingsItem> items) const;

    // The fee category that the import gives new recipients.
    bool ReadTesuuryouKubun() const;
    int ReadTesuuryouKingaku() const;

    // The backups of the own database.
    DatabaseBackups backups() const { return DatabaseBackups::inFolder(m_dataFolder + "/backup"); }
    // Writes a backup of the open own database now; throws BackupError.
    std::string BackupNow() const { return backups().write(ADOConFurikomi); }

    // Closes the bank master connection and opens it on path (an SQLite or an
    // Access database holding T_銀行マスタ, bankmaster::connect). True when it
    // is open; on failure it stays closed. The settings are not touched.
    bool ConnectBank(const std::string &path);

    // Where scripts/bank-master.sh puts the bank master it builds from the
    // public bank code list: beside the own database. The start-up uses it
    // when the settings name no bank master and none is at kDefaultBankPath.
    std::string builtBankMasterPath() const { return builtBankMasterPathFor(m_dataFolder + "/FBDB.db"); }
    static std::string builtBankMasterPathFor(const std::string &ownDatabase);

    // The own database a data location's settings name: the server's when
    // [Database] Engine is PostgreSQL, else the location's file.
    static std::string ownDatabaseOf(const DataLocation &location);

    static std::string settingsFileFor(const std::string &executablePath);
    static std::string ownDatabaseFor(const std::string &executablePath);

private:
    void DataModuleCreate();
    void connectRecorded(sql::Database &connection, const SettingsItem &item,
                         const char *defaultPath, bool bankMaster);

    std::string m_settingsFile;
    std::string m_ownDatabase;
    std::string m_dataFolder;
    std::string m_ownProblem;
    MessageBoxes *m_boxes = nullptr;
};

// Opens the own database at location (a file or a server's) read-write,
// checks that it holds this program's tables and brings an older one up to
// date, as the start-up does. Returns why it stays closed, in Japanese
// (missing, no database of this program, of a newer version, damaged), or
// nothing when it is open.
std::string openOwnDatabase(sql::Database &db, const std::string &location);

// The settings screen's connection test: whether the program can work on the
// own database at location (a server's, in libpq's form), said as the
// start-up would say it.
inline constexpr const char *kPasswordInSettingsText =
    "接続先にパスワードは書けません。パスワードは ~/.pgpass か環境変数 PGPASSWORD で渡してください。";

struct ConnectionAnswer
{
    bool ok = false;
    std::string text;
};
ConnectionAnswer testOwnDatabase(const std::string &location);

// Whether a connection in libpq's form carries a password (password=…, or
// user:password@ in a URI): the settings file never holds one.
bool connectionHasPassword(std::string_view connection);

} // namespace pelanova
