#include "core/holidays.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace pelanova;

namespace {

std::vector<int> datesOf(int year)
{
    std::vector<int> dates;
    for (const NationalHoliday &h : nationalHolidays(year))
        dates.push_back(h.date);
    return dates;
}

} // namespace

// The national holidays as the Cabinet Office publishes them (国民の祝日について).
TEST(Holidays, CabinetOfficeListsOf2019To2027)
{
    const std::map<int, std::vector<int>> published = {
        {2019, {20190101, 20190114, 20190211, 20190321, 20190429, 20190430, 20190501, 20190502, 20190503, 20190504,
                20190505, 20190506, 20190715, 20190811, 20190812, 20190916, 20190923, 20191014, 20191022, 20191103,
                20191104, 20191123}},
        {2020, {20200101, 20200113, 20200211, 20200223, 20200224, 20200320, 20200429, 20200503, 20200504, 20200505,
                20200506, 20200723, 20200724, 20200810, 20200921, 20200922, 20201103, 20201123}},
        {2021, {20210101, 20210111, 20210211, 20210223, 20210320, 20210429, 20210503, 20210504, 20210505, 20210722,
                20210723, 20210808, 20210809, 20210920, 20210923, 20211103, 20211123}},
        {2022, {20220101, 20220110, 20220211, 20220223, 20220321, 20220429, 20220503, 20220504, 20220505, 20220718,
                20220811, 20220919, 20220923, 20221010, 20221103, 20221123}},
        {2023, {20230101, 20230102, 20230109, 20230211, 20230223, 20230321, 20230429, 20230503, 20230504, 20230505,
                20230717, 20230811, 20230918, 20230923, 20231009, 20231103, 20231123}},
        {2024, {20240101, 20240108, 20240211, 20240212, 20240223, 20240320, 20240429, 20240503, 20240504, 20240505,
                20240506, 20240715, 20240811, 20240812, 20240916, 20240922, 20240923, 20241014, 20241103, 20241104,
                20241123}},
        {2025, {20250101, 20250113, 20250211, 20250223, 20250224, 20250320, 20250429, 20250503, 20250504, 20250505,
                20250506, 20250721, 20250811, 20250915, 20250923, 20251013, 20251103, 20251123, 20251124}},
        {2026, {20260101, 20260112, 20260211, 20260223, 20260320, 20260429, 20260503, 20260504, 20260505, 20260506,
                20260720, 20260811, 20260921, 20260922, 20260923, 20261012, 20261103, 20261123}},
        {2027, {20270101, 20270111, 20270211, 20270223, 20270321, 20270322, 20270429, 20270503, 20270504, 20270505,
                20270719, 20270811, 20270920, 20270923, 20271011, 20271103, 20271123}},
    };
    for (const auto &[year, dates] : published)
        EXPECT_EQ(datesOf(year), dates) << year;

    EXPECT_STREQ(nationalHolidayName(20190430), "国民の休日");
    EXPECT_STREQ(nationalHolidayName(20190501), "天皇の即位の日");
    EXPECT_STREQ(nationalHolidayName(20200724), "スポーツの日");
    EXPECT_STREQ(nationalHolidayName(20210809), "振替休日");
    EXPECT_STREQ(nationalHolidayName(20260922), "国民の休日");
    EXPECT_EQ(nationalHolidayName(20191223), nullptr); // no emperor's birthday in 2019
    EXPECT_EQ(nationalHolidayName(20201012), nullptr); // スポーツの日 moved to July
}

TEST(Holidays, EarlierFormsOfTheLawAndTheRangeOfYears)
{
    EXPECT_STREQ(nationalHolidayName(19880429), "天皇誕生日");
    EXPECT_STREQ(nationalHolidayName(19890224), "昭和天皇の大喪の礼");
    EXPECT_STREQ(nationalHolidayName(19991010), "体育の日");      // fixed days until 1999
    EXPECT_STREQ(nationalHolidayName(20000110), "成人の日");      // second Monday from 2000
    EXPECT_STREQ(nationalHolidayName(19980504), "振替休日");      // 5/3 on a Sunday
    EXPECT_STREQ(nationalHolidayName(20050504), "国民の休日");    // between 5/3 and 5/5 until 2006
    EXPECT_EQ(nationalHolidayName(19850504), nullptr);            // before the citizens' holiday
    EXPECT_STREQ(nationalHolidayName(20080506), "振替休日");      // from 2007 past 5/5
    EXPECT_STREQ(nationalHolidayName(20090922), "国民の休日");
    EXPECT_STREQ(nationalHolidayName(20990320), "春分の日");
    EXPECT_TRUE(nationalHolidays(1979).empty());
    EXPECT_TRUE(nationalHolidays(2100).empty());
}

TEST(Holidays, BankHolidays)
{
    EXPECT_EQ(dayOfWeek(20080115), 2);
    EXPECT_STREQ(weekdayLetter(20260112), "月");
    for (int closed : {20261231, 20270101, 20270102, 20270103, 20260110 /* Sat */, 20260111 /* Sun */,
                       20260112 /* 成人の日 */, 20260922 /* 国民の休日 */, 20270322 /* 振替休日 */})
        EXPECT_TRUE(isBankHoliday(closed)) << closed;
    for (int open : {20261230, 20270104, 20260113, 20260109})
        EXPECT_FALSE(isBankHoliday(open)) << open;
}
