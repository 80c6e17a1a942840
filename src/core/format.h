#pragma once

#include <cstdint>
#include <string>

namespace pelanova {

// "#,##0": digits with thousands separators; 0 shows as 0.
std::string formatGrouped(int64_t value);

// The short date form year/month/day ("2008/01/15"); empty when yyyymmdd is
// not a valid date.
std::string formatShortDate(int yyyymmdd);

} // namespace pelanova
