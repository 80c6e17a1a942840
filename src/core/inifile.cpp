#include "core/inifile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/cp932.h"
#include "core/format.h"
#include "core/replacefile.h"
#include "core/userinterface.h"

namespace pelanova {

SettingsWriteError::SettingsWriteError(const std::string &path)
    : std::runtime_error(path + " に書き込めません")
{
}

namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x -= 'a' - 'A';
        if (y >= 'a' && y <= 'z')
            y -= 'a' - 'A';
        if (x != y)
            return false;
    }
    return true;
}

// One line of the file: its bytes as stored (without the line end) and what
// it says, read from its UTF-8 form.
struct Line
{
    std::string raw;
    std::string end; // "\r\n", "\n" or "" for a last line without one
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string name;  // section or key name
    std::string value; // key value
};

Line parseLine(std::string raw, std::string end)
{
    Line line;
    line.raw = std::move(raw);
    line.end = std::move(end);
    // Lines are split on bytes; LF, CR, '[' and '=' are never the second byte
    // of a double-byte character, but ']' can be, so the rest is read decoded.
    const std::string text = cp932::decode(line.raw);
    const std::string_view t = trimText(text);
    if (t.empty() || t.front() == ';')
        return line;
    if (t.front() == '[') {
        const size_t close = t.find(']');
        line.kind = Line::Kind::Section;
        line.name = std::string(trimText(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
        return line;
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return line;
    line.kind = Line::Kind::Key;
    line.name = std::string(trimText(t.substr(0, eq)));
    std::string_view v = trimText(t.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    line.value = std::string(v);
    return line;
}

// Reads the whole file; nothing when it does not exist or cannot be read.
std::optional<std::string> readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes;
}

std::vector<Line> parseFile(const std::string &bytes)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t lf = bytes.find('\n', pos);
        if (lf == std::string::npos) {
            lines.push_back(parseLine(bytes.substr(pos), ""));
            break;
        }
        size_t stop = lf;
        if (stop > pos && bytes[stop - 1] == '\r')
            --stop;
        lines.push_back(parseLine(bytes.substr(pos, stop - pos), bytes.substr(stop, lf + 1 - stop)));
        pos = lf + 1;
    }
    return lines;
}

// Writes bytes to a new file beside path and renames it over path.
void replaceSettingsFile(const std::string &path, const std::string &bytes)
{
    // A settings file the user made read-only is not written, like one in a
    // read-only folder.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)
        throw SettingsWriteError(path);
    try {
        replaceFile(path, bytes);
    } catch (const FileWriteError &) {
        throw SettingsWriteError(path);
    }
}

} // namespace

std::string IniFile::readString(const std::string &section, const std::string &key,
                                const std::string &defaultValue) const
{
    const std::optional<std::string> bytes = readFile(m_path);
    if (!bytes)
        return defaultValue;
    bool inSection = false;
    bool seenSection = false;
    for (const Line &line : parseFile(*bytes)) {
        if (line.kind == Line::Kind::Section) {
            // Only the first section of a name counts.
            if (inSection)
                break;
            inSection = !seenSection && equalsNoCase(line.name, trimText(section));
            seenSection = seenSection || inSection;
        } else if (inSection && line.kind == Line::Kind::Key && equalsNoCase(line.name, trimText(key))) {
            return line.value;
        }
    }
    return defaultValue;
}

void IniFile::writeString(const std::string &section, const std::string &key, const std::string &value)
{
    if (value.find_first_of("\r\n") != std::string::npos)
        throw SettingsWriteError(m_path);
    const std::optional<std::string> valueBytes = cp932::encode(value);
    const std::optional<std::string> sectionBytes = cp932::encode(std::string(trimText(section)));
    const std::optional<std::string> keyBytes = cp932::encode(std::string(trimText(key)));
    if (!valueBytes || !sectionBytes || !keyBytes)
        throw SettingsWriteError(m_path);

    const std::optional<std::string> old = readFile(m_path);
    // A file that exists but cannot be read is not replaced by one that holds
    // only this key.
    std::error_code ec;
    if (!old && std::filesystem::exists(std::filesystem::path(m_path), ec))
        throw SettingsWriteError(m_path);
    std::vector<Line> lines = old ? parseFile(*old) : std::vector<Line>();

    std::string newline = "\r\n";
    for (const Line &line : lines) {
        if (!line.end.empty()) {
            newline = line.end;
            break;
        }
    }

    // Find the section, the key in it, and the last key line of the section.
    std::optional<size_t> sectionLine;
    std::optional<size_t> keyLine;
    std::optional<size_t> lastKeyLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        if (line.kind == Line::Kind::Section) {
            if (sectionLine)
                break;
            if (equalsNoCase(line.name, trimText(section)))
                sectionLine = i;
        } else if (sectionLine && line.kind == Line::Kind::Key) {
            lastKeyLine = i;
            if (!keyLine && equalsNoCase(line.name, trimText(key)))
                keyLine = i;
        }
    }

    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = newline;
    if (keyLine) {
        // Keep the key as the file spells it.
        Line &line = lines[*keyLine];
        const size_t eq = line.raw.find('=');
        std::string keyPart = line.raw.substr(0, eq);
        while (!keyPart.empty() && static_cast<unsigned char>(keyPart.back()) <= 0x20)
            keyPart.pop_back();
        line.raw = keyPart + "=" + *valueBytes;
    } else {
        Line line;
        line.raw = *keyBytes + "=" + *valueBytes;
        line.end = newline;
        if (sectionLine) {
            const size_t at = (lastKeyLine ? *lastKeyLine : *sectionLine) + 1;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
        } else {
            if (!lines.empty() && !trimText(lines.back().raw).empty()) {
                Line blank;
                blank.end = newline;
                lines.push_back(std::move(blank));
            }
            Line head;
            head.raw = "[" + *sectionBytes + "]";
            head.end = newline;
            lines.push_back(std::move(head));
            lines.push_back(std::move(line));
        }
    }

    std::string bytes;
    for (const Line &line : lines)
        bytes += line.raw + line.end;
    if (old && *old == bytes)
        return;
    replaceSettingsFile(m_path, bytes);
}

std::string IniFile::pathForExecutable(const std::string &executablePath)
{
    std::filesystem::path p(executablePath);
    p.replace_extension(".ini");
    return p.string();
}

int IntegerOrZero(const std::string &text)
{
    const std::string_view t = trimText(text);
    if (t.empty())
        return 0;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i == t.size())
        return 0;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return 0;
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return 0;
    }
    if (negative)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return 0;
    return static_cast<int>(v);
}

TSettings::TSettings(std::string iniPath, std::vector<SettingsItem> items, MessageBoxes *boxes)
    : m_ini(std::move(iniPath)), m_items(std::move(items)), m_boxes(boxes)
{
}

const SettingsItem *TSettings::find(const std::string &name) const
{
    for (const SettingsItem &item : m_items) {
        if (equalsNoCase(item.Name, name))
            return &item;
    }
    if (m_boxes)
        m_boxes->messageBox("[' " + name + " '] is invalid.", kAppTitle, MessageIcon::Error,
                            MessageButtons::Ok, kDefaultButton1);
    return nullptr;
}

std::string TSettings::ReadString(const std::string &name) const
{
    const SettingsItem *item = find(name);
    return item ? m_ini.readString(item->Section, item->Key, item->Default) : std::string();
}

void TSettings::WriteString(const std::string &name, const std::string &value)
{
    if (const SettingsItem *item = find(name))
        m_ini.writeString(item->Section, item->Key, value);
}

bool TSettings::ReadBool(const std::string &name) const
{
    const SettingsItem *item = find(name);
    if (!item)
        return false;
    std::string def = item->Default;
    for (char &c : def) {
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
    }
    const bool defaultOn = def == "1" || def == "TRUE" || def == "YES";
    return IntegerOrZero(m_ini.readString(item->Section, item->Key, std::string(defaultOn ? "1" : "0"))) != 0;
}

void TSettings::WriteBool(const std::string &name, bool value)
{
    WriteString(name, value ? "1" : "0");
}

int TSettings::ReadInteger(const std::string &name) const
{
    const SettingsItem *item = find(name);
    return item ? IntegerOrZero(m_ini.readString(item->Section, item->Key, item->Default)) : 0;
}

void TSettings::WriteInteger(const std::string &name, int value)
{
    WriteString(name, std::to_string(value));
}

const std::vector<ChoiceSetting> &choiceSettings()
{
    static const std::vector<ChoiceSetting> all = {
        {&settings::ClearingHouse, "手形交換所番号", {{"0", "空白（既定）"}, {"1", "0000"}}},
        {&settings::Designation, "振込指定区分", {{"0", "空白（既定）"}, {"7", "7 電信"}, {"8", "8 文書"}}},
        {&settings::LineBreak, "レコードの区切り", {{"0", "なし（既定）"}, {"1", "CR+LF"}}},
    };
    return all;
}

const ChoiceSetting &databaseEngineChoice()
{
    static const ChoiceSetting choice{&settings::DatabaseEngine, "データベース",
                                      {{"SQLite", "SQLite（このパソコンのファイル、既定）"},
                                       {"PostgreSQL", "PostgreSQL（共有のサーバー）"}}};
    return choice;
}

std::optional<std::string> unknownChoice(const IniFile &ini, const ChoiceSetting &setting)
{
    const SettingsItem &item = *setting.item;
    const std::string stored = ini.readString(item.Section, item.Key, std::string());
    const std::string_view value = trimText(stored);
    if (value.empty())
        return std::nullopt;
    std::string values;
    for (const SettingChoice &choice : setting.choices) {
        if (value == choice.value)
            return std::nullopt;
        values += (values.empty() ? "" : ", ") + std::string(choice.value);
    }
    return "設定ファイルの [" + item.Section + "] " + item.Key + "=" + stored + " は" + setting.label + "の選べる値（"
           + values + "）ではありません。「" + setting.choices.front().shown + "」を使います。";
}

std::vector<std::string> unknownChoices(const IniFile &ini)
{
    std::vector<std::string> found;
    for (const ChoiceSetting &setting : choiceSettings()) {
        if (std::optional<std::string> sentence = unknownChoice(ini, setting))
            found.push_back(std::move(*sentence));
    }
    if (std::optional<std::string> sentence = unknownChoice(ini, databaseEngineChoice()))
        found.push_back(std::move(*sentence));
    return found;
}

} // namespace pelanova
