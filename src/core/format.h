#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelanova {

// Text without the blanks and control characters at its ends (a full-width
// space stays): the rule for typed text, list items and settings.
std::string_view trimText(std::string_view text);
// A record field's value without the blanks (' ') that pad it; a control
// character stays, to be seen.
std::string_view trimFieldBlanks(std::string_view field);

// "#,##0": digits with thousands separators; 0 shows as 0.
std::string formatGrouped(int64_t value);
// A run of digits of any length with thousands separators ("1234567" gives "1,234,567").
std::string groupDigits(std::string_view digits);

// The short date form year/month/day ("2008/01/15"); empty when yyyymmdd is
// not a valid date.
std::string formatShortDate(int yyyymmdd);

// A bank and branch number together, "%.4d-%.3d" ("0001-023").
std::string formatBankBranch(int64_t bankNumber, int64_t branchNumber);

// The printed reports' date "%4d年 %2d月 %2d日" in the Western calendar
// ("2008年  3月  5日").
std::string formatReportDate(int yyyymmdd);

} // namespace pelanova
