#pragma once

// Where the clerk's data lives: the own database and the settings file.
//
// A portable copy keeps both beside the executable, as the program always
// has: data/FBDB.db and the executable's name with ".ini". A copy counts as
// portable when the executable's folder is writable and holds a "data" folder.
// Otherwise (the installed program) the database is
// $XDG_DATA_HOME/pelanova/data/FBDB.db (default ~/.local/share) and the
// settings file $XDG_CONFIG_HOME/pelanova/<name>.ini (default ~/.config), so
// that neither lives in a folder the next build or package update replaces.

#include <functional>
#include <optional>
#include <string>

namespace pelanova {

struct DataLocation
{
    std::string settingsFile;
    std::string ownDatabase;
    bool portable = false;

    // The folder that holds the own database (and the public bank master
    // and the backups beside it).
    std::string dataFolder() const;
};

// Reads an environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char *name)>;
// The process's own environment.
EnvironmentLookup processEnvironment();

// The portable location of the program at executablePath: data/FBDB.db
// beside it and the executable's path with ".ini".
DataLocation portableLocation(const std::string &executablePath);

// The location for the program at executablePath (its settings file is named
// after it: .../pelanova gives pelanova.ini): portable or installed, as said
// above. Throws std::runtime_error when the installed location cannot be found
// (no XDG_DATA_HOME, XDG_CONFIG_HOME or HOME).
DataLocation locateData(const std::string &executablePath, const EnvironmentLookup &environment);

// Makes the folders of an installed location when they are missing. On the
// first start (no database in the data folder and no backup of one) an empty
// own database is prepared there and its path returned; a database missing
// where backups show that there was one is left missing, so that the start-up
// reports it. Nothing is done for a portable copy. Throws std::runtime_error
// when a folder or the database cannot be made.
std::optional<std::string> prepareDataLocation(const DataLocation &location);

} // namespace pelanova
