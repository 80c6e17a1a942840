#include "core/holidays.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

namespace pelanova {
namespace {

int ymd(int y, int m, int d) { return y * 10000 + m * 100 + d; }

// Days since 1970-01-01 of a Gregorian date.
int daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int civilFromDays(int z)
{
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    return ymd(yoe + era * 400 + (m <= 2), m, d);
}

int toDays(int date) { return daysFromCivil(date / 10000, date / 100 % 100, date % 100); }
int weekdayOfDays(int days) { return ((days % 7) + 11) % 7; } // 1970-01-01 was a Thursday

// The n-th Monday of a month (Happy Monday days).
int nthMonday(int y, int m, int n)
{
    const int first = weekdayOfDays(daysFromCivil(y, m, 1));
    return ymd(y, m, 1 + (8 - first) % 7 + 7 * (n - 1));
}

// The equinox days as the Cabinet Office computes them for 1980-2099, in
// millionths so that no rounding of floating point can move a day.
int equinoxDay(int y, int base)
{
    const int t = y - 1980;
    return (base + 242194 * t) / 1000000 - t / 4;
}

// The holidays the law (and its single laws) name for the year, before
// substitute and citizens' holidays.
std::vector<NationalHoliday> namedHolidays(int y)
{
    std::vector<NationalHoliday> h;
    auto add = [&](int date, const char *name) { h.push_back({date, name}); };
    add(ymd(y, 1, 1), "元日");
    add(y <= 1999 ? ymd(y, 1, 15) : nthMonday(y, 1, 2), "成人の日");
    add(ymd(y, 2, 11), "建国記念の日");
    if (y >= 2020)
        add(ymd(y, 2, 23), "天皇誕生日");
    add(ymd(y, 3, equinoxDay(y, 20843100)), "春分の日");
    add(ymd(y, 4, 29), y <= 1988 ? "天皇誕生日" : y <= 2006 ? "みどりの日" : "昭和の日");
    add(ymd(y, 5, 3), "憲法記念日");
    if (y >= 2007)
        add(ymd(y, 5, 4), "みどりの日");
    add(ymd(y, 5, 5), "こどもの日");
    if (y == 2020)
        add(ymd(y, 7, 23), "海の日");
    else if (y == 2021)
        add(ymd(y, 7, 22), "海の日");
    else if (y >= 2003)
        add(nthMonday(y, 7, 3), "海の日");
    else if (y >= 1996)
        add(ymd(y, 7, 20), "海の日");
    if (y == 2020)
        add(ymd(y, 8, 10), "山の日");
    else if (y == 2021)
        add(ymd(y, 8, 8), "山の日");
    else if (y >= 2016)
        add(ymd(y, 8, 11), "山の日");
    add(y <= 2002 ? ymd(y, 9, 15) : nthMonday(y, 9, 3), "敬老の日");
    add(ymd(y, 9, equinoxDay(y, 23248800)), "秋分の日");
    if (y == 2020)
        add(ymd(y, 7, 24), "スポーツの日");
    else if (y == 2021)
        add(ymd(y, 7, 23), "スポーツの日");
    else if (y >= 2020)
        add(nthMonday(y, 10, 2), "スポーツの日");
    else
        add(y <= 1999 ? ymd(y, 10, 10) : nthMonday(y, 10, 2), "体育の日");
    add(ymd(y, 11, 3), "文化の日");
    add(ymd(y, 11, 23), "勤労感謝の日");
    if (y >= 1989 && y <= 2018)
        add(ymd(y, 12, 23), "天皇誕生日");

    // Days of single laws.
    static const NationalHoliday kSingleDays[] = {
        {19890224, "昭和天皇の大喪の礼"},
        {19901112, "即位礼正殿の儀"},
        {19930609, "皇太子徳仁親王の結婚の儀"},
        {20190501, "天皇の即位の日"},
        {20191022, "即位礼正殿の儀"},
    };
    for (const NationalHoliday &d : kSingleDays) {
        if (d.date / 10000 == y)
            h.push_back(d);
    }
    std::sort(h.begin(), h.end(), [](const auto &a, const auto &b) { return a.date < b.date; });
    return h;
}

std::vector<NationalHoliday> computeHolidays(int y)
{
    std::vector<NationalHoliday> named = namedHolidays(y);
    auto isNamed = [&](int days) {
        const int date = civilFromDays(days);
        return std::any_of(named.begin(), named.end(), [&](const auto &h) { return h.date == date; });
    };
    std::vector<NationalHoliday> all = named;
    auto isAny = [&](int days) {
        const int date = civilFromDays(days);
        return std::any_of(all.begin(), all.end(), [&](const auto &h) { return h.date == date; });
    };

    // A holiday on a Sunday moves to the next day that is no holiday; until
    // 2006 only to the Monday, and not at all when that was a holiday itself.
    for (const NationalHoliday &h : named) {
        const int days = toDays(h.date);
        if (weekdayOfDays(days) != 0)
            continue;
        int next = days + 1;
        if (y >= 2007) {
            while (isNamed(next))
                ++next;
        } else if (isNamed(next)) {
            continue;
        }
        if (civilFromDays(next) / 10000 == y)
            all.push_back({civilFromDays(next), "振替休日"});
    }

    // A day between two holidays is a holiday too (from 1986 on); until 2006
    // not when it was a Sunday.
    if (y >= 1986) {
        for (const NationalHoliday &h : named) {
            const int between = toDays(h.date) + 1;
            if (isNamed(between + 1) && !isAny(between) && (y >= 2007 || weekdayOfDays(between) != 0))
                all.push_back({civilFromDays(between), "国民の休日"});
        }
    }
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.date < b.date; });
    return all;
}

} // namespace

std::vector<NationalHoliday> nationalHolidays(int year)
{
    if (year < kFirstHolidayYear || year > kLastHolidayYear)
        return {};
    // Each year is worked out once; the calendar asks for every day it draws.
    static std::mutex mutex;
    static std::map<int, std::vector<NationalHoliday>> cache;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(year);
    if (it == cache.end())
        it = cache.emplace(year, computeHolidays(year)).first;
    return it->second;
}

const char *nationalHolidayName(int yyyymmdd)
{
    for (const NationalHoliday &h : nationalHolidays(yyyymmdd / 10000)) {
        if (h.date == yyyymmdd)
            return h.name;
    }
    return nullptr;
}

int dayOfWeek(int yyyymmdd) { return weekdayOfDays(toDays(yyyymmdd)); }

const char *weekdayLetter(int yyyymmdd)
{
    static const char *const kLetters[] = {"日", "月", "火", "水", "木", "金", "土"};
    return kLetters[dayOfWeek(yyyymmdd)];
}

bool isBankHoliday(int yyyymmdd)
{
    const int mmdd = yyyymmdd % 10000;
    if (mmdd == 1231 || mmdd <= 103)
        return true;
    const int weekday = dayOfWeek(yyyymmdd);
    return weekday == 0 || weekday == 6 || isNationalHoliday(yyyymmdd);
}

} // namespace pelanova
