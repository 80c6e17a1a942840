#include "core/format.h"
#include "core/my_year.h"

#include <cstdio>

namespace pelanova {

std::string_view trimText(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
        s.remove_suffix(1);
    return s;
}

std::string_view trimFieldBlanks(std::string_view s)
{
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string formatGrouped(int64_t value)
{
    const bool negative = value < 0;
    // Work on the unsigned magnitude so that INT64_MIN formats too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string grouped = groupDigits(std::to_string(magnitude));
    return negative ? "-" + grouped : grouped;
}

std::string groupDigits(std::string_view digits)
{
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string formatShortDate(int yyyymmdd)
{
    if (!IsValidDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100))
        return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    return buf;
}

namespace {

// value with at least `digits` digits, zeros in front (printf's "%.Nlld").
void appendZeroPadded(std::string &out, int64_t value, size_t digits)
{
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char reversed[20];
    size_t n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        out += '-';
    if (n < digits)
        out.append(digits - n, '0');
    while (n > 0)
        out += reversed[--n];
}

} // namespace

std::string formatBankBranch(int64_t bankNumber, int64_t branchNumber)
{
    // Once a merged line: without printf's parsing of a format.
    std::string out;
    out.reserve(16);
    appendZeroPadded(out, bankNumber, 4);
    out += '-';
    appendZeroPadded(out, branchNumber, 3);
    return out;
}

std::string formatReportDate(int yyyymmdd)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%4d年 %2d月 %2d日", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    return buf;
}

} // namespace pelanova
