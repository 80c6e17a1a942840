// The statements' terms on a PostgreSQL server.
#include "core/postgresdialect.h"

#include <cctype>
#include <map>

namespace pelanova::sql::detail {
namespace {

bool isWordByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

bool startsWithWordNoCase(std::string_view text, size_t at, std::string_view word)
{
    if (at + word.size() > text.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = text[at + i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != word[i])
            return false;
    }
    return at == 0 || !isWordByte(static_cast<unsigned char>(text[at - 1]));
}

// Skips a quoted literal or identifier starting at `at`; returns the index after it.
size_t skipQuoted(std::string_view sql, size_t at)
{
    const char quote = sql[at];
    size_t i = at + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}


// FIRST(value, order) → (ARRAY_AGG(value ORDER BY order))[1], the value of
// the group's row with the smallest order key.
std::string translateFirst(std::string_view sql)
{
    std::string out;
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const size_t end = skipQuoted(sql, i);
            out.append(sql.substr(i, end - i));
            i = end;
            continue;
        }
        if (startsWithWordNoCase(sql, i, "FIRST")) {
            size_t open = i + 5;
            while (open < sql.size() && sql[open] == ' ')
                ++open;
            if (open < sql.size() && sql[open] == '(') {
                // The two arguments at the call's own level.
                int depth = 0;
                size_t comma = std::string_view::npos, close = std::string_view::npos;
                for (size_t j = open; j < sql.size(); ++j) {
                    if (sql[j] == '\'' || sql[j] == '"') {
                        j = skipQuoted(sql, j) - 1;
                        continue;
                    }
                    if (sql[j] == '(')
                        ++depth;
                    else if (sql[j] == ')' && --depth == 0) {
                        close = j;
                        break;
                    } else if (sql[j] == ',' && depth == 1 && comma == std::string_view::npos)
                        comma = j;
                }
                if (comma != std::string_view::npos && close != std::string_view::npos) {
                    const std::string value = translateFirst(sql.substr(open + 1, comma - open - 1));
                    const std::string order = translateFirst(sql.substr(comma + 1, close - comma - 1));
                    out += "(ARRAY_AGG(" + value + " ORDER BY " + order + "))[1]";
                    i = close + 1;
                    continue;
                }
            }
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

// The tables' column kinds as the server keeps them: the insertion key a
// sequence, integers 64-bit, text compared and ordered by code point
// whatever the server's locale.
std::string serverTableKinds(std::string_view sql)
{
    std::string out;
    size_t i = 0;
    while (i < sql.size()) {
        if (startsWithWordNoCase(sql, i, "INTEGER PRIMARY KEY")) {
            out += "BIGSERIAL PRIMARY KEY";
            i += 19;
        } else if (startsWithWordNoCase(sql, i, "INTEGER")
                   && (i + 7 == sql.size() || !isWordByte(static_cast<unsigned char>(sql[i + 7])))) {
            out += "BIGINT";
            i += 7;
        } else if (startsWithWordNoCase(sql, i, "TEXT")
                   && (i + 4 == sql.size() || !isWordByte(static_cast<unsigned char>(sql[i + 4])))) {
            out += "TEXT COLLATE \"C\"";
            i += 4;
        } else {
            out.push_back(sql[i]);
            ++i;
        }
    }
    return out;
}

} // namespace

Translated translate(std::string_view source)
{
    const std::string sql = translateFirst(source);
    Translated t;
    std::map<std::string, size_t, std::less<>> byName;
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const size_t end = skipQuoted(sql, i);
            t.sql.append(sql, i, end - i);
            i = end;
            continue;
        }
        if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const size_t end = sql.find('\n', i);
            const size_t stop = end == std::string::npos ? sql.size() : end;
            t.sql.append(sql, i, stop - i);
            i = stop;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') { // a cast
            t.sql += "::";
            i += 2;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() && isWordByte(static_cast<unsigned char>(sql[i + 1]))) {
            size_t end = i + 1;
            while (end < sql.size() && isWordByte(static_cast<unsigned char>(sql[end])))
                ++end;
            const std::string name = sql.substr(i, end - i);
            auto it = byName.find(name);
            if (it == byName.end()) {
                t.names.push_back(name);
                it = byName.emplace(name, t.names.size()).first;
            }
            t.sql += "$" + std::to_string(it->second);
            i = end;
            continue;
        }
        if (c == '?') {
            t.names.push_back("?");
            t.sql += "$" + std::to_string(t.names.size());
            ++i;
            continue;
        }
        t.sql.push_back(c);
        ++i;
    }
    return t;
}

// CREATE TABLE statements of a script get the server's kinds; the rest goes as written.
std::string serverScript(std::string_view script)
{
    std::string out;
    size_t i = 0;
    while (i < script.size()) {
        size_t end = script.find(';', i);
        if (end == std::string_view::npos)
            end = script.size();
        else
            ++end;
        const std::string_view statement = script.substr(i, end - i);
        const size_t first = statement.find_first_not_of(" \n\r\t");
        const bool createTable = first != std::string_view::npos && startsWithWordNoCase(statement, first, "CREATE TABLE");
        out += createTable ? serverTableKinds(statement) : std::string(statement);
        i = end;
    }
    return out;
}


} // namespace pelanova::sql::detail
