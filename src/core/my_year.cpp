#include "core/my_year.h"
#include "core/format.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace pelanova {

const std::array<TGengou, 6> kGengouTable = {{
    {"明治", "M", 18680908},
    {"大正", "T", 19120730},
    {"昭和", "S", 19261225},
    {"平成", "H", 19890108},
    {"令和", "R", 20190501},
    {"", "", 0},
}};

void FindGengou(int date, int &row, int &eraDate)
{
    row = 0;
    eraDate = 0;
    int last = static_cast<int>(kGengouTable.size()) - 1;
    for (int i = 0; i < static_cast<int>(kGengouTable.size()); ++i) {
        if (kGengouTable[i].Letter[0] == '\0') {
            last = i > 0 ? i - 1 : 0;
            break;
        }
    }
    for (int i = last; i >= 0; --i) {
        if (kGengouTable[i].Start <= date) {
            row = i;
            eraDate = date - (kGengouTable[i].Start / 10000 - 1) * 10000;
            return;
        }
    }
}

static std::string twoDigits(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2d", n);
    return buf;
}

TWareki GetWareki(int date)
{
    int row = 0;
    int eraDate = 0;
    FindGengou(date, row, eraDate);
    TWareki w;
    w.Letter = kGengouTable[row].Letter;
    w.Name = kGengouTable[row].Name;
    // The era year keeps all its digits: the last era goes on without end,
    // and a two-character cut would turn 令和100年 into 令和10年.
    w.Year = twoDigits(eraDate / 10000);
    w.Month = twoDigits((eraDate / 100) % 100);
    w.Day = twoDigits(eraDate % 100);
    return w;
}

std::string WarekiText(int date)
{
    const TWareki w = GetWareki(date);
    return w.Name + w.Year + "年" + w.Month + "月" + w.Day + "日";
}

bool IsValidDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int limit = days[month - 1];
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        limit = 29;
    return day <= limit;
}

namespace {


// Full-width digits and the full-width separators become their ASCII forms.
std::string narrow(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        // U+FF0D..U+FF19 (－．／０-９) are EF BC 8D..99.
        if (i + 2 < s.size() && static_cast<unsigned char>(s[i]) == 0xEF
            && static_cast<unsigned char>(s[i + 1]) == 0xBC) {
            const unsigned char c = static_cast<unsigned char>(s[i + 2]);
            if (c >= 0x8D && c <= 0x99) {
                out += static_cast<char>(c - 0x8D + '-');
                i += 3;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

class Cursor
{
public:
    explicit Cursor(std::string_view s) : m_s(s) {}
    bool atEnd() const { return m_pos == m_s.size(); }

    bool number(int minDigits, int maxDigits, int &value)
    {
        size_t n = 0;
        int v = 0;
        while (m_pos + n < m_s.size() && m_s[m_pos + n] >= '0' && m_s[m_pos + n] <= '9') {
            if (static_cast<int>(n) == maxDigits)
                return false;
            v = v * 10 + (m_s[m_pos + n] - '0');
            ++n;
        }
        if (static_cast<int>(n) < minDigits)
            return false;
        m_pos += n;
        value = v;
        return true;
    }

    bool literal(std::string_view text)
    {
        if (m_s.substr(m_pos, text.size()) != text)
            return false;
        m_pos += text.size();
        return true;
    }

    // One of "/", "." or "-"; they may be mixed (2008.1/15).
    bool separator()
    {
        if (m_pos >= m_s.size())
            return false;
        const char c = m_s[m_pos];
        if (c != '/' && c != '.' && c != '-')
            return false;
        ++m_pos;
        return true;
    }

    size_t pos() const { return m_pos; }
    void setPos(size_t pos) { m_pos = pos; }

private:
    std::string_view m_s;
    size_t m_pos = 0;
};

bool finish(int year, int month, int day, int &yyyymmdd)
{
    if (!IsValidDate(year, month, day))
        return false;
    yyyymmdd = year * 10000 + month * 100 + day;
    return true;
}

bool readGregorian(std::string_view s, int &yyyymmdd)
{
    int y = 0, m = 0, d = 0;
    {
        Cursor c(s);
        if (c.number(4, 4, y) && c.separator() && c.number(1, 2, m) && c.separator()
            && c.number(1, 2, d) && c.atEnd())
            return finish(y, m, d, yyyymmdd);
    }
    {
        Cursor c(s);
        if (c.number(4, 4, y) && c.literal("年") && c.number(1, 2, m) && c.literal("月")
            && c.number(1, 2, d) && c.literal("日") && c.atEnd())
            return finish(y, m, d, yyyymmdd);
    }
    {
        Cursor c(s);
        if (s.size() == 8 && c.number(8, 8, y) && c.atEnd())
            return finish(y / 10000, y / 100 % 100, y % 100, yyyymmdd);
    }
    return false;
}

bool readEra(std::string_view s, int &yyyymmdd)
{
    for (const TGengou &era : kGengouTable) {
        if (era.Letter[0] == '\0')
            break;
        const int startYear = era.Start / 10000;
        int eraYear = 0, m = 0, d = 0;
        {
            Cursor c(s);
            if (c.literal(era.Name)) {
                const bool first = c.literal("元");
                if (first)
                    eraYear = 1;
                if ((first || c.number(1, 3, eraYear)) && c.literal("年")
                    && c.number(1, 2, m) && c.literal("月") && c.number(1, 2, d)
                    && c.literal("日") && c.atEnd() && eraYear >= 1)
                    return finish(startYear + eraYear - 1, m, d, yyyymmdd);
                return false;
            }
        }
        {
            const char letter = era.Letter[0];
            if (!s.empty() && (s[0] == letter || s[0] == letter + ('a' - 'A'))) {
                Cursor c(s.substr(1));
                if (c.number(1, 3, eraYear) && c.separator() && c.number(1, 2, m)
                    && c.separator() && c.number(1, 2, d) && c.atEnd() && eraYear >= 1)
                    return finish(startYear + eraYear - 1, m, d, yyyymmdd);
                return false;
            }
        }
    }
    return false;
}

} // namespace

bool ReadDateText(const std::string &text, int &yyyymmdd)
{
    const std::string s = narrow(trimText(text));
    if (s.empty())
        return false;
    return readGregorian(s, yyyymmdd) || readEra(s, yyyymmdd);
}

bool DateToWarekiStr(const std::string &text, std::string &result)
{
    if (trimText(text).empty())
        return true;
    int date = 0;
    if (!ReadDateText(text, date))
        return false;
    result = WarekiText(date);
    return true;
}

} // namespace pelanova
