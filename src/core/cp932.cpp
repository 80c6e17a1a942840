#include "core/cp932.h"
#include "core/utf8.h"

#include <iconv.h>

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pelanova::cp932 {
namespace {

// The double-byte half of CP932 taken from glibc's converter once, keeping only
// the codes that come back unchanged from a round trip through Unicode.
class Tables
{
public:
    Tables()
    {
        toUnicode.fill(0);
        iconv_t dec = iconv_open("UTF-32LE", "CP932");
        iconv_t enc = iconv_open("CP932", "UTF-32LE");
        if (dec == reinterpret_cast<iconv_t>(-1) || enc == reinterpret_cast<iconv_t>(-1))
            return; // no converter: every double-byte code decodes to raw bytes
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char32_t cp = convertPair(dec, lead, trail);
                if (cp == 0 || cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F))
                    continue;
                const uint16_t code = static_cast<uint16_t>(lead << 8 | trail);
                if (convertBack(enc, cp) != code)
                    continue;
                toUnicode[code] = cp;
                fromUnicode.emplace(cp, code);
            }
        }
        iconv_close(dec);
        iconv_close(enc);
    }

    std::array<char32_t, 65536> toUnicode;
    std::unordered_map<char32_t, uint16_t> fromUnicode;

private:
    static char32_t convertPair(iconv_t cd, unsigned lead, unsigned trail)
    {
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char32_t out[4] = {};
        char *inp = in;
        size_t inLeft = 2;
        char *outp = reinterpret_cast<char *>(out);
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return 0;
        if (sizeof out - outLeft != sizeof(char32_t))
            return 0;
        return out[0];
    }

    static int convertBack(iconv_t cd, char32_t cp)
    {
        char32_t in[1] = {cp};
        unsigned char out[8] = {};
        char *inp = reinterpret_cast<char *>(in);
        size_t inLeft = sizeof in;
        char *outp = reinterpret_cast<char *>(out);
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return -1;
        if (sizeof out - outLeft != 2)
            return -1;
        return out[0] << 8 | out[1];
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

// Characters that CP932 writes although they do not come back from a decode:
// the forms a user types that Windows maps onto Shift-JIS codes.
int extraEncoding(char32_t cp)
{
    switch (cp) {
    case 0x00A5: return 0x5C;   // YEN SIGN
    case 0x203E: return 0x7E;   // OVERLINE
    case 0x301C: return 0x8160; // WAVE DASH
    case 0x2016: return 0x8161; // DOUBLE VERTICAL LINE
    case 0x2212: return 0x817C; // MINUS SIGN
    case 0x00A2: return 0x8191; // CENT SIGN
    case 0x00A3: return 0x8192; // POUND SIGN
    case 0x00AC: return 0x81CA; // NOT SIGN
    case 0x2014: return 0x815C; // EM DASH
    default: return -1;
    }
}

} // namespace

std::string decode(std::string_view in)
{
    const Tables &t = tables();
    std::string out;
    out.reserve(in.size() * 3 / 2);
    for (size_t i = 0; i < in.size();) {
        const auto b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (b >= 0xA1 && b <= 0xDF) {
            utf8::append(out, 0xFF61 + (b - 0xA1));
            ++i;
            continue;
        }
        if (isLeadByte(b) && i + 1 < in.size()) {
            const auto trail = static_cast<unsigned char>(in[i + 1]);
            const char32_t cp = t.toUnicode[b << 8 | trail];
            if (cp != 0) {
                utf8::append(out, cp);
                i += 2;
                continue;
            }
        }
        utf8::append(out, kRawByteBase + b);
        ++i;
    }
    return out;
}

namespace {

// Appends the CP932 form of cp; false when there is none.
bool encodeOne(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return true;
    }
    if (cp >= 0xFF61 && cp <= 0xFF9F) {
        out.push_back(static_cast<char>(0xA1 + (cp - 0xFF61)));
        return true;
    }
    if (cp >= kRawByteBase + 0x80 && cp <= kRawByteBase + 0xFF) {
        out.push_back(static_cast<char>(cp - kRawByteBase));
        return true;
    }
    int code = -1;
    const auto &map = tables().fromUnicode;
    if (auto it = map.find(cp); it != map.end())
        code = it->second;
    else
        code = extraEncoding(cp);
    if (code < 0)
        return false;
    if (code > 0xFF)
        out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
    return true;
}

} // namespace

std::optional<std::string> encode(std::string_view in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const char32_t cp = utf8::next(in, i);
        if (cp == utf8::kInvalid || !encodeOne(out, cp))
            return std::nullopt;
    }
    return out;
}

std::string encodeLossy(std::string_view in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const char32_t cp = utf8::next(in, i);
        if (cp == utf8::kInvalid || !encodeOne(out, cp))
            out.push_back('?');
    }
    return out;
}

} // namespace pelanova::cp932
