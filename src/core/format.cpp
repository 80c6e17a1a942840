#include "core/format.h"

#include <cstdio>

namespace pelanova {

std::string formatGrouped(int64_t value)
{
    const bool negative = value < 0;
    // Work on the unsigned magnitude so that INT64_MIN formats too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative)
        out.push_back('-');
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

bool isValidDate(int yyyymmdd)
{
    const int year = yyyymmdd / 10000;
    const int month = yyyymmdd / 100 % 100;
    const int day = yyyymmdd % 100;
    if (yyyymmdd <= 0 || year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string formatShortDate(int yyyymmdd)
{
    if (!isValidDate(yyyymmdd))
        return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    return buf;
}

} // namespace pelanova
