#pragma once

// Japan's national holidays under the holiday law (国民の祝日に関する法律) and
// the days banks are closed. Dates are yyyymmdd.

#include <vector>

namespace pelanova {

struct NationalHoliday
{
    int date;
    const char *name; // 元日, 成人の日, …, 振替休日, 国民の休日
};

// First and last year whose holidays are computed; outside them a year has none.
inline constexpr int kFirstHolidayYear = 1980;
inline constexpr int kLastHolidayYear = 2099;

// The year's national holidays in date order: the holidays of the law in the
// form of that year (fixed days, Happy Monday days, the equinox days by their
// formula, the days of single laws such as 2019's enthronement days and the
// moved days of 2020 and 2021), the substitute holidays and the citizens'
// holidays.
std::vector<NationalHoliday> nationalHolidays(int year);

// The holiday's name, or nullptr when the day is no national holiday.
const char *nationalHolidayName(int yyyymmdd);
inline bool isNationalHoliday(int yyyymmdd) { return nationalHolidayName(yyyymmdd) != nullptr; }

// 0 Sunday … 6 Saturday.
int dayOfWeek(int yyyymmdd);
// "日", "月", … "土".
const char *weekdayLetter(int yyyymmdd);

// Banks are closed on Saturdays, Sundays, national holidays and from 31
// December to 3 January.
bool isBankHoliday(int yyyymmdd);

} // namespace pelanova
