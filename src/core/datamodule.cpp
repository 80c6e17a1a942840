#include "core/datamodule.h"
#include "core/unitapp.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/bankmaster.h"
#include "core/schema.h"

namespace pelanova {

namespace {

bool isBlankText(const std::string &text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    }
    return true;
}

bool fileExists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

// Opens an external database read-only. A file that is no database, or a bank
// master without its table, leaves the connection closed.
bool openExternal(sql::Database &connection, const std::string &path, bool bankMaster)
{
    if (bankMaster)
        return bankmaster::connect(connection, path);
    connection.close();
    if (!fileExists(path))
        return false;
    try {
        connection.open(path, sql::Database::Mode::ReadOnly);
    } catch (const std::exception &) {
        connection.close();
    }
    return connection.isOpen();
}


} // namespace

TDM1::TDM1(const std::string &executablePath, MessageBoxes *boxes)
    : TDM1(portableLocation(executablePath), boxes)
{
}

TDM1::TDM1(const DataLocation &location, MessageBoxes *boxes)
    : TDM1(location.settingsFile, ownDatabaseOf(location), boxes, location.dataFolder())
{
}

TDM1::TDM1(const std::string &settingsFile, const std::string &ownDatabase, MessageBoxes *boxes,
           const std::string &dataFolder)
    : m_settingsFile(settingsFile), m_ownDatabase(ownDatabase), m_dataFolder(dataFolder), m_boxes(boxes)
{
    if (m_dataFolder.empty()) {
        m_dataFolder = (sql::Database::isServerLocation(ownDatabase) ? std::filesystem::path(settingsFile).parent_path()
                                                                     : std::filesystem::path(ownDatabase).parent_path())
                           .string();
        if (m_dataFolder.empty())
            m_dataFolder = ".";
    }
    DataModuleCreate();
}

std::string TDM1::ownDatabaseOf(const DataLocation &location)
{
    const IniFile ini(location.settingsFile);
    const std::string engine =
        ini.readString(settings::DatabaseEngine.Section, settings::DatabaseEngine.Key, settings::DatabaseEngine.Default);
    if (engine == "PostgreSQL")
        return ini.readString(settings::DatabaseConnection.Section, settings::DatabaseConnection.Key, std::string());
    return location.ownDatabase;
}

std::string TDM1::settingsFileFor(const std::string &executablePath)
{
    return portableLocation(executablePath).settingsFile;
}

std::string TDM1::ownDatabaseFor(const std::string &executablePath)
{
    return portableLocation(executablePath).ownDatabase;
}

TSettings TDM1::settings(std::vector<SettingsItem> items) const
{
    return TSettings(m_settingsFile, std::move(items), m_boxes);
}

bool TDM1::ReadTesuuryouKubun() const
{
    return settings({settings::TesuuryouKubun.withDefault("False")}).ReadBool("TesuuryouKubun");
}

int TDM1::ReadTesuuryouKingaku() const
{
    return settings({settings::TesuuryouKingaku}).ReadInteger("TesuuryouKingaku");
}

std::string TDM1::builtBankMasterPathFor(const std::string &ownDatabase)
{
    // Absolute, as it is recorded in the settings and read from other folders.
    std::error_code ec;
    std::filesystem::path path = std::filesystem::path(ownDatabase).parent_path() / "銀行マスタ.db";
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? path : absolute).string();
}

bool TDM1::ConnectBank(const std::string &path)
{
    return openExternal(ADOConBank, path, true);
}

void TDM1::DataModuleCreate()
{
    // The own database is never created here: it must exist and hold the
    // system's tables, or the connection stays closed and the main window ends
    // the program.
    m_ownProblem = openOwnDatabase(ADOConFurikomi, m_ownDatabase);

    connectRecorded(ADOConLedra, settings::LedraData, kDefaultLedraPath, false);
    connectRecorded(ADOConBank, settings::BankData, kDefaultBankPath, true);
}

void TDM1::connectRecorded(sql::Database &connection, const SettingsItem &item,
                           const char *defaultPath, bool bankMaster)
{
    TSettings items = settings({item});
    std::string path = items.ReadString(item.Name);
    if (isBlankText(path)) {
        path = defaultPath;
        // Without the accounting system's bank master, the one built from the
        // public bank code list serves, when there is one.
        if (bankMaster && !fileExists(path) && fileExists(builtBankMasterPath()))
            path = builtBankMasterPath();
    }
    if (!openExternal(connection, path, bankMaster))
        return;
    // The database found is recorded so that the settings screen shows it. A
    // settings file that cannot be written does not close a database that opened.
    try {
        items.WriteString(item.Name, path);
    } catch (const std::exception &) {
    }
}

std::string openOwnDatabase(sql::Database &db, const std::string &location)
{
    db.close();
    std::string problem;
    const bool server = sql::Database::isServerLocation(location);
    if (!server && !fileExists(location))
        return location.empty() ? "データベースの接続先が設定されていません。" : "データベースのファイルがありません。";
    bool checked = true;
    try {
        db.open(location, sql::Database::Mode::ReadWrite);
        // The check does not wait for a lock: the operation that follows does.
        db.setBusyTimeout(0);
        problem = schema::schemaProblem(db);
        db.setBusyTimeout(sql::kBusyTimeoutSeconds * 1000);
    } catch (const sql::Error &e) {
        // Another clerk's long write: the database is there, and each
        // operation says that it is busy when it meets the lock.
        if (e.isBusy() && db.isOpen()) {
            db.setBusyTimeout(sql::kBusyTimeoutSeconds * 1000);
            checked = false;
        }
        else
            problem = ErrorText(e);
    } catch (const std::exception &e) {
        problem = ErrorText(e);
    }
    if (!problem.empty()) {
        db.close();
    } else if (checked) {
        // What a later version added comes now; a database that cannot
        // be written (read-only, disk full, busy) still opens to be read.
        try {
            schema::upgrade(db);
        } catch (const std::exception &) {
        }
    }
    return problem;
}

ConnectionAnswer testOwnDatabase(const std::string &location)
{
    if (!sql::Database::isServerLocation(location))
        return {false, "接続先が libpq の形式ではありません（例: host=サーバー名 dbname=pelanova user=利用者名）。"};
    if (connectionHasPassword(location))
        return {false, kPasswordInSettingsText};
    try {
        sql::Database db;
        db.open(location, sql::Database::Mode::ReadOnly);
        if (const std::string problem = schema::schemaProblem(db); !problem.empty()) {
            if (!schema::hasOwnTables(db))
                return {false, "接続できましたが、このプログラムのテーブルがありません（pelanova-cli init-db で作成します）。"};
            return {false, "接続できましたが、" + problem};
        }
        return {true, "接続できました。このプログラムのデータベースです（起動し直すと使われます）。"};
    } catch (const std::exception &e) {
        return {false, ErrorText(e)};
    }
}

bool connectionHasPassword(std::string_view connection)
{
    std::string lower(connection);
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t scheme = lower.find("://");
    if (scheme != std::string::npos) {
        const size_t start = scheme + 3;
        const size_t at = lower.find('@', start);
        const size_t end = lower.find_first_of("/?", start);
        if (at != std::string::npos && (end == std::string::npos || at < end)
            && lower.substr(start, at - start).find(':') != std::string::npos)
            return true;
        return lower.find("password=", start) != std::string::npos;
    }
    for (size_t i = lower.find("password"); i != std::string::npos; i = lower.find("password", i + 1)) {
        const bool wordStart = i == 0 || lower[i - 1] == ' ' || lower[i - 1] == '\t';
        size_t j = i + 8;
        while (j < lower.size() && lower[j] == ' ')
            ++j;
        if (wordStart && j < lower.size() && lower[j] == '=')
            return true;
    }
    return false;
}

} // namespace pelanova
