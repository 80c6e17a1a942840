#include "core/csv.h"

#include "core/cp932.h"
#include "core/utf8.h"

namespace pelanova::csv {
namespace {

bool isUtf8(std::string_view bytes)
{
    for (size_t pos = 0; pos < bytes.size();) {
        if (utf8::next(bytes, pos) == utf8::kInvalid)
            return false;
    }
    return true;
}

// Every byte belongs to a CP932 character: ASCII, half-width katakana, or a
// lead byte with a trail byte.
bool isWellFormedCp932(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
            continue;
        if (!cp932::isLeadByte(b) || i + 1 >= bytes.size())
            return false;
        const auto t = static_cast<unsigned char>(bytes[++i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC)
            return false;
    }
    return true;
}

bool needsQuotes(const std::string &field)
{
    if (field.empty())
        return false;
    return field.find_first_of(",\"\r\n") != std::string::npos || field.front() == ' ' || field.back() == ' ';
}

} // namespace

std::string decodeText(std::string_view bytes, Encoding *found)
{
    if (bytes.find('\0') != std::string_view::npos)
        throw ReadError("文字コードが読めません。Shift-JIS（CP932）か UTF-8 の CSV ファイルにしてください。");
    Encoding encoding;
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        if (!isUtf8(bytes))
            throw ReadError("UTF-8 として読めない文字があります。");
        encoding = Encoding::Utf8Bom;
        text = std::string(bytes);
    } else if (isUtf8(bytes)) {
        encoding = Encoding::Utf8;
        text = std::string(bytes);
    } else if (isWellFormedCp932(bytes)) {
        encoding = Encoding::Cp932;
        text = cp932::decode(bytes);
    } else {
        throw ReadError("文字コードが読めません。Shift-JIS（CP932）か UTF-8 の CSV ファイルにしてください。");
    }
    if (found)
        *found = encoding;
    return text;
}

std::vector<Record> parse(std::string_view text)
{
    std::vector<Record> records;
    Record current;
    std::string field;
    bool quoted = false;     // inside quotes
    bool hadField = false;   // the line has text (or a separator)
    int line = 1;
    current.line = 1;
    auto endField = [&] {
        current.fields.push_back(std::move(field));
        field.clear();
    };
    auto endLine = [&] {
        if (hadField) {
            endField();
            records.push_back(std::move(current));
        }
        current = Record{};
        field.clear();
        hadField = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n' || (c == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n')))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endLine();
            current.line = ++line;
            continue;
        }
        if (!hadField)
            current.line = line;
        hadField = true;
        if (c == ',')
            endField();
        else if (c == '"' && field.empty())
            quoted = true;
        else
            field += c;
    }
    endLine();
    return records;
}

std::string formatLine(const Row &fields)
{
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        if (!needsQuotes(fields[i])) {
            line += fields[i];
            continue;
        }
        line += '"';
        for (const char c : fields[i]) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    line += "\r\n";
    return line;
}

std::string encodeCp932(const std::vector<Row> &rows)
{
    std::string out;
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            if (!cp932::encode(rows[r][c]))
                throw EncodingError(r, c, rows[r][c]);
        }
        out += *cp932::encode(formatLine(rows[r]));
    }
    return out;
}

} // namespace pelanova::csv
