#pragma once

#include <array>
#include <string>

namespace pelanova {

// One row of the era table. A row with an empty letter ends the table.
struct TGengou
{
    const char *Name;   // 明治
    const char *Letter; // M
    int Start;          // first day of the era, yyyymmdd
};

// Ascending by start date; the empty row is spare. Every date from
// 2019-05-01 on is a 令和 date.
extern const std::array<TGengou, 6> kGengouTable;

// Era conversion of a Gregorian date yyyymmdd.
struct TWareki
{
    std::string Letter; // "H"
    std::string Year;   // "20" (at least two digits)
    std::string Month;  // "01"
    std::string Day;    // "15"
    std::string Name;   // "平成"
};

// Finds the era of date (yyyymmdd): its row in kGengouTable and the era date
// (era year * 10000 + mmdd). A date before the first era gives row 0 and 0.
void FindGengou(int date, int &row, int &eraDate);
TWareki GetWareki(int date);

// The era text of a date as the system shows it: 平成20年01月15日.
std::string WarekiText(int date);

// Turns a date text (2008/1/15, 2008.01.15, or an era text) into its era text.
// An empty or blank text succeeds and leaves result unchanged; a text that is
// no existing date fails and leaves result unchanged.
bool DateToWarekiStr(const std::string &text, std::string &result);

// Reads a date text as the screens write and accept it: year/month/day with
// "/", "." or "-", also mixed (one- or two-digit month and day), 2008年1月15日,
// or an era text such as 令和08年01月15日 (every era of the table; 元年 for
// year 1) or R8.1.15. An era year past the era's end still counts on from its
// start (H38/1/15 is 2026/1/15), as users keep typing them. Blanks around the
// text are ignored. Gives yyyymmdd only for a date that exists.
bool ReadDateText(const std::string &text, int &yyyymmdd);

// True when year/month/day is a date of the Gregorian calendar (years 1 to 9999).
bool IsValidDate(int year, int month, int day);

} // namespace pelanova
