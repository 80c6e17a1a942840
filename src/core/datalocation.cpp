#include "core/datalocation.h"
#include "core/replacefile.h"

#include "core/backup.h"
#include "core/inifile.h"
#include "core/schema.h"
#include "core/sql.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace pelanova {
namespace fs = std::filesystem;

namespace {

constexpr const char *kFolderName = "pelanova";

bool isDirectory(const fs::path &path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// An XDG base folder: the variable when it names an absolute path (the
// standard says to ignore a relative one), else HOME with the default.
fs::path baseFolder(const EnvironmentLookup &environment, const char *variable, const char *homeDefault)
{
    if (const auto value = environment(variable); value && !value->empty() && fs::path(*value).is_absolute())
        return *value;
    const auto home = environment("HOME");
    if (!home || home->empty())
        throw std::runtime_error(std::string("データの保存先が決められません（") + variable
                                 + " も HOME も設定されていません）。");
    return fs::path(*home) / homeDefault;
}

} // namespace

std::string DataLocation::dataFolder() const
{
    return fs::path(ownDatabase).parent_path().string();
}

EnvironmentLookup processEnvironment()
{
    return [](const char *name) -> std::optional<std::string> {
        const char *value = std::getenv(name);
        if (!value)
            return std::nullopt;
        return std::string(value);
    };
}

DataLocation portableLocation(const std::string &executablePath)
{
    DataLocation location;
    location.portable = true;
    location.ownDatabase = (fs::path(executablePath).parent_path() / "data" / "FBDB.db").string();
    location.settingsFile = IniFile::pathForExecutable(executablePath);
    return location;
}

DataLocation locateData(const std::string &executablePath, const EnvironmentLookup &environment)
{
    const fs::path folder = fs::path(executablePath).parent_path();
    if (isDirectory(folder / "data") && ::access(folder.c_str(), W_OK) == 0)
        return portableLocation(executablePath);
    const fs::path ini = IniFile::pathForExecutable(executablePath);
    DataLocation location;
    location.ownDatabase =
        (baseFolder(environment, "XDG_DATA_HOME", ".local/share") / kFolderName / "data" / "FBDB.db").string();
    location.settingsFile =
        (baseFolder(environment, "XDG_CONFIG_HOME", ".config") / kFolderName / ini.filename()).string();
    return location;
}

std::optional<std::string> prepareDataLocation(const DataLocation &location)
{
    if (location.portable)
        return std::nullopt;
    const fs::path data = location.dataFolder();
    const fs::path config = fs::path(location.settingsFile).parent_path();
    std::error_code ec;
    for (const fs::path &folder : {data, config}) {
        if (!fs::create_directories(folder, ec) && ec)
            throw std::runtime_error(folder.string() + ": フォルダを作成できません（" + systemErrorText(ec.value()) + "）");
    }
    // The data folder may already hold the public bank master, built before
    // the program's first start.
    if (fs::exists(location.ownDatabase, ec) || !DatabaseBackups(location.ownDatabase).list().empty())
        return std::nullopt;

    // Made under another name and renamed, so that a failure part way leaves
    // no half-made database behind.
    const fs::path target = location.ownDatabase;
    try {
        ReplacementFile partial(target.string());
        sql::Database db;
        db.open(partial.temporaryPath(), sql::Database::Mode::Create);
        schema::createOwnDatabase(db);
        db.close();
        partial.commit();
    } catch (const std::exception &error) {
        throw std::runtime_error(target.string() + ": データベースを作成できません（" + error.what() + "）");
    }
    return target.string();
}

} // namespace pelanova
