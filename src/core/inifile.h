#pragma once

#include <initializer_list>
#include <stdexcept>
#include <optional>
#include <string>
#include <vector>

namespace pelanova {

class MessageBoxes;

// A write to the settings file that the file system refused. The message is
// "<path> に書き込めません".
class SettingsWriteError : public std::runtime_error
{
public:
    explicit SettingsWriteError(const std::string &path);
};

// The settings file: section lines "[name]" and key=value lines, Shift-JIS on
// disk, UTF-8 here. Sections and keys match without regard to case. Nothing is
// cached: every read opens the file and every write rewrites it, so a value
// written anywhere is seen by the next read everywhere.
class IniFile
{
public:
    explicit IniFile(std::string path) : m_path(std::move(path)) {}

    const std::string &path() const { return m_path; }

    // The stored value (blanks around it and one pair of enclosing quotes
    // removed), or defaultValue when the file, the section or the key is missing.
    std::string readString(const std::string &section, const std::string &key,
                           const std::string &defaultValue = {}) const;

    // Stores key=value in section, creating the file, the section or the key
    // when needed; every other line of the file stays as it was. The file is
    // replaced as a whole (a new file in the same folder renamed over it), so
    // it is never left half written. Throws SettingsWriteError when the file
    // cannot be written, or when the value has a line break or a character
    // that Shift-JIS cannot hold.
    void writeString(const std::string &section, const std::string &key, const std::string &value);

    // The executable's path with its extension replaced by ".ini".
    static std::string pathForExecutable(const std::string &executablePath);

private:
    std::string m_path;
};

// One named settings item: the name the code asks for, and where it lives.
struct SettingsItem
{
    std::string Name;
    std::string Section;
    std::string Key;
    std::string Default;

    SettingsItem withDefault(std::string text) const
    {
        SettingsItem item = *this;
        item.Default = std::move(text);
        return item;
    }
};

// Every item of the system. Screens declare the ones they use, changing the
// default where they need to (the import screen reads TesuuryouKubun with the
// default "False").
namespace settings {
inline const SettingsItem LedraData{"LedraData", "DataFiles", "LedraData", ""};
inline const SettingsItem BankData{"BankData", "DataFiles", "BankData", ""};
inline const SettingsItem TesuuryouKubun{"TesuuryouKubun", "Tesuuryou", "TesuuryouKubun", ""};
inline const SettingsItem TesuuryouKingaku{"TesuuryouKingaku", "Tesuuryou", "TesuuryouKingaku", ""};
inline const SettingsItem FileName{"FileName", "Output", "FileName", ""};
inline const SettingsItem ClearingHouse{"ClearingHouse", "Output", "ClearingHouse", "0"};
inline const SettingsItem Designation{"Designation", "Output", "Designation", "0"};
inline const SettingsItem LineBreak{"LineBreak", "Output", "LineBreak", "0"};
// The own database: an SQLite file (the default) or an office's PostgreSQL
// server, reached by a libpq connection string that names no password
// (~/.pgpass or PGPASSWORD supply it).
inline const SettingsItem DatabaseEngine{"Engine", "Database", "Engine", "SQLite"};
inline const SettingsItem DatabaseConnection{"Connection", "Database", "Connection", ""};
} // namespace settings

// A setting that takes one of a few values, offered as a drop-down list on
// the settings screen; its first choice is its default.
struct SettingChoice
{
    const char *value; // as stored
    const char *shown; // on the settings screen
};
struct ChoiceSetting
{
    const SettingsItem *item;
    const char *label; // on the settings screen
    std::vector<SettingChoice> choices;
};
// The choice settings of the bank file's form (ClearingHouse, Designation,
// LineBreak).
const std::vector<ChoiceSetting> &choiceSettings();
// The own database's engine (SQLite, PostgreSQL).
const ChoiceSetting &databaseEngineChoice();

// A choice setting whose stored value is none of its choices (a hand-edited
// file), as a sentence that names the value and the choice used instead:
// "設定ファイルの [Output] ClearingHouse=0000 は手形交換所番号の選べる値（0, 1）
// ではありません。「空白（既定）」を使います。" A missing or empty value is the
// default and no finding.
std::optional<std::string> unknownChoice(const IniFile &ini, const ChoiceSetting &setting);
std::vector<std::string> unknownChoices(const IniFile &ini);

// A set of declared settings items on one settings file. Item names match
// without regard to case ("Bankdata" is BankData). Asking for an undeclared
// name shows "[' name '] is invalid." and reads empty (0, off) or writes
// nothing.
class TSettings
{
public:
    TSettings(std::string iniPath, std::vector<SettingsItem> items, MessageBoxes *boxes = nullptr);

    const std::string &fileName() const { return m_ini.path(); }
    void setFileName(std::string iniPath) { m_ini = IniFile(std::move(iniPath)); }
    const std::vector<SettingsItem> &items() const { return m_items; }

    std::string ReadString(const std::string &name) const;
    void WriteString(const std::string &name, const std::string &value);
    // On when the stored text (or the default, first normalised: "1", "TRUE"
    // or "YES" in any case give "1", anything else "0") is a non-zero
    // integer. Only "1"/"0" are stored; a stored "TRUE" reads as off.
    bool ReadBool(const std::string &name) const;
    void WriteBool(const std::string &name, bool value);
    // The stored text (or the default) as a decimal integer; 0 when it is none.
    int ReadInteger(const std::string &name) const;
    void WriteInteger(const std::string &name, int value);

private:
    const SettingsItem *find(const std::string &name) const;

    IniFile m_ini;
    std::vector<SettingsItem> m_items;
    MessageBoxes *m_boxes;
};

// A decimal integer with optional sign and blanks around it; 0 for any other
// text or a value outside the int range.
int IntegerOrZero(const std::string &text);

} // namespace pelanova
