#include "core/zenginnames.h"

#include "core/cp932.h"

#include <cstdio>

namespace pelanova::zengin {

std::optional<char> zenginNameForm(unsigned char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '(' || c == ')' || c == '-'
        || c == '.')
        return static_cast<char>(c);
    if (c >= 0xB1 && c <= 0xDF) // ｱ … ﾝ, ﾞ, ﾟ
        return static_cast<char>(c);
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    switch (c) {
    case 0xA6: return '\xB5'; // ｦ → ｵ
    case 0xA7: return '\xB1'; // ｧ → ｱ
    case 0xA8: return '\xB2'; // ｨ → ｲ
    case 0xA9: return '\xB3'; // ｩ → ｳ
    case 0xAA: return '\xB4'; // ｪ → ｴ
    case 0xAB: return '\xB5'; // ｫ → ｵ
    case 0xAC: return '\xD4'; // ｬ → ﾔ
    case 0xAD: return '\xD5'; // ｭ → ﾕ
    case 0xAE: return '\xD6'; // ｮ → ﾖ
    case 0xAF: return '\xC2'; // ｯ → ﾂ
    case 0xB0: return '-';    // ｰ → -
    default: return std::nullopt;
    }
}

bool isSymbolOfSomeBanks(unsigned char c)
{
    return c == '/' || c == ',' || c == 0x5C || c == 0xA2 || c == 0xA3;
}

NameCharacters nameCharacters(std::string_view name)
{
    NameCharacters result;
    result.converted = std::string(name);
    auto once = [](std::string &list, std::string_view c) {
        const std::string item = "「" + shownBytes(c) + "」";
        if (list.find(item) == std::string::npos)
            list += item;
    };
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (cp932::isLeadByte(c) && i + 1 < name.size()) {
            once(result.noForm, name.substr(i, 2));
            ++i;
            continue;
        }
        const std::optional<char> form = zenginNameForm(c);
        if (form && static_cast<unsigned char>(*form) == c)
            continue;
        if (isSymbolOfSomeBanks(c)) {
            once(result.someBanks, name.substr(i, 1));
        } else if (form) {
            once(result.convertible, name.substr(i, 1));
            result.converted[i] = *form;
        } else {
            once(result.noForm, name.substr(i, 1));
        }
    }
    return result;
}

namespace {

constexpr unsigned char kVoiced = 0xDE;     // ﾞ
constexpr unsigned char kSemiVoiced = 0xDF; // ﾟ

bool takesVoiced(unsigned char c)
{
    return (c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE) || c == 0xB3; // ｶ-ﾄ, ﾊ-ﾎ, ｳ
}

bool takesSemiVoiced(unsigned char c)
{
    return c >= 0xCA && c <= 0xCE; // ﾊ-ﾎ
}

} // namespace

std::vector<MisplacedMark> misplacedMarks(std::string_view name)
{
    std::vector<MisplacedMark> marks;
    std::string_view before; // the character before the current one
    size_t character = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        ++character;
        const auto c = static_cast<unsigned char>(name[i]);
        const size_t width = cp932::isLeadByte(c) && i + 1 < name.size() ? 2 : 1;
        if (c == kVoiced || c == kSemiVoiced) {
            const bool takes = before.size() == 1
                               && (c == kVoiced ? takesVoiced(static_cast<unsigned char>(before[0]))
                                                : takesSemiVoiced(static_cast<unsigned char>(before[0])));
            if (!takes)
                marks.push_back({character, std::string(name.substr(i, 1)), std::string(before)});
        }
        before = name.substr(i, width);
        i += width - 1;
    }
    return marks;
}

std::string shownBytes(std::string_view bytes)
{
    const std::string text = cp932::decode(bytes);
    std::string out;
    out.reserve(text.size());
    char hex[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        } else if (c == 0xEF && i + 2 < text.size()) {
            // A byte with no CP932 character decodes to a private code point.
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            const char32_t cp = (char32_t(c & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | char32_t(b2 & 0x3F);
            if (cp >= cp932::kRawByteBase && cp < cp932::kRawByteBase + 0x100) {
                std::snprintf(hex, sizeof hex, "<%02X>", unsigned(cp - cp932::kRawByteBase));
                out += hex;
            } else {
                out.append(text, i, 3);
            }
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace pelanova::zengin
