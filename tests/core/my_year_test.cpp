#include <gtest/gtest.h>

#include "core/my_year.h"

using namespace pelanova;

namespace {

std::pair<int, int> gengou(int date)
{
    int row = -1, eraDate = -1;
    FindGengou(date, row, eraDate);
    return {row, eraDate};
}

} // namespace

TEST(EraDates, BoundariesBelongToTheNewEra)
{
    EXPECT_EQ(gengou(18680907), std::make_pair(0, 0));
    EXPECT_EQ(gengou(18680908), std::make_pair(0, 10908));
    EXPECT_EQ(gengou(19120729), std::make_pair(0, 450729));
    EXPECT_EQ(gengou(19120730), std::make_pair(1, 10730));
    EXPECT_EQ(gengou(19261224), std::make_pair(1, 151224));
    EXPECT_EQ(gengou(19261225), std::make_pair(2, 11225));
    EXPECT_EQ(gengou(19890107), std::make_pair(2, 640107));
    EXPECT_EQ(gengou(19890108), std::make_pair(3, 10108));
    EXPECT_EQ(gengou(20190430), std::make_pair(3, 310430));
    EXPECT_EQ(gengou(20190501), std::make_pair(4, 10501));
    EXPECT_EQ(gengou(20240401), std::make_pair(4, 60401));
}

TEST(EraDates, WarekiFields)
{
    const TWareki before = GetWareki(18680907);
    EXPECT_EQ(before.Letter, "M");
    EXPECT_EQ(before.Name, "明治");
    EXPECT_EQ(before.Year + before.Month + before.Day, "000000");

    const TWareki w = GetWareki(20080115);
    EXPECT_EQ(w.Letter, "H");
    EXPECT_EQ(w.Name, "平成");
    EXPECT_EQ(w.Year, "20");
    EXPECT_EQ(w.Month, "01");
    EXPECT_EQ(w.Day, "15");

    const TWareki r = GetWareki(20190501);
    EXPECT_EQ(r.Letter, "R");
    EXPECT_EQ(r.Name, "令和");
    EXPECT_EQ(r.Year + r.Month + r.Day, "010501");

    // The last era has no end; the era year is not cut to two characters.
    EXPECT_EQ(WarekiText(21180101), "令和100年01月01日");
}

TEST(EraDates, DateToWarekiStr)
{
    std::string result = "unchanged";
    EXPECT_TRUE(DateToWarekiStr("2008/1/15", result));
    EXPECT_EQ(result, "平成20年01月15日");
    result.clear();
    EXPECT_TRUE(DateToWarekiStr(" 2008.01.15 ", result));
    EXPECT_EQ(result, "平成20年01月15日");
    EXPECT_TRUE(DateToWarekiStr("2019/04/30", result));
    EXPECT_EQ(result, "平成31年04月30日");
    EXPECT_TRUE(DateToWarekiStr("2019/05/01", result));
    EXPECT_EQ(result, "令和01年05月01日");
    EXPECT_TRUE(DateToWarekiStr("2024/4/1", result));
    EXPECT_EQ(result, "令和06年04月01日");
    EXPECT_TRUE(DateToWarekiStr("2008.1/15", result));
    EXPECT_EQ(result, "平成20年01月15日");
    EXPECT_TRUE(DateToWarekiStr("1989/1/7", result));
    EXPECT_EQ(result, "昭和64年01月07日");

    result = "unchanged";
    EXPECT_TRUE(DateToWarekiStr("", result));
    EXPECT_TRUE(DateToWarekiStr(" \t ", result));
    EXPECT_EQ(result, "unchanged");
    EXPECT_FALSE(DateToWarekiStr("abc", result));
    EXPECT_FALSE(DateToWarekiStr("2008/2/30", result));
    EXPECT_FALSE(DateToWarekiStr("2008/13/1", result));
    EXPECT_FALSE(DateToWarekiStr("2008/1/15/3", result));
    EXPECT_EQ(result, "unchanged");
    EXPECT_TRUE(DateToWarekiStr("2008/2/29", result));
    EXPECT_EQ(result, "平成20年02月29日");
}

TEST(EraDates, ReadDateText)
{
    int d = 0;
    EXPECT_TRUE(ReadDateText("平成20年01月15日", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("明治01年09月08日", d));
    EXPECT_EQ(d, 18680908);
    EXPECT_TRUE(ReadDateText("大正15年12月24日", d));
    EXPECT_EQ(d, 19261224);
    EXPECT_TRUE(ReadDateText("昭和64年01月07日", d));
    EXPECT_EQ(d, 19890107);
    EXPECT_TRUE(ReadDateText("平成元年1月8日", d));
    EXPECT_EQ(d, 19890108);
    EXPECT_TRUE(ReadDateText("平成31年4月30日", d));
    EXPECT_EQ(d, 20190430);
    EXPECT_TRUE(ReadDateText("令和元年5月1日", d));
    EXPECT_EQ(d, 20190501);
    EXPECT_TRUE(ReadDateText("令和01年05月01日", d));
    EXPECT_EQ(d, 20190501);
    EXPECT_TRUE(ReadDateText("令和8年1月15日", d));
    EXPECT_EQ(d, 20260115);
    EXPECT_TRUE(ReadDateText("R8.1.15", d));
    EXPECT_EQ(d, 20260115);
    EXPECT_TRUE(ReadDateText("R08/01/15", d));
    EXPECT_EQ(d, 20260115);
    EXPECT_TRUE(ReadDateText("r8-1-15", d));
    EXPECT_EQ(d, 20260115);
    // 平成 years past its end, as users still type them, count on from 1989.
    EXPECT_TRUE(ReadDateText("H38/1/15", d));
    EXPECT_EQ(d, 20260115);
    EXPECT_TRUE(ReadDateText("平成36年04月01日", d));
    EXPECT_EQ(d, 20240401);
    EXPECT_TRUE(ReadDateText("H20.1.15", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("2008/1/15", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("2008.01.15", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("2008.1/15", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("2008-01/15", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("2008年1月15日", d));
    EXPECT_EQ(d, 20080115);
    EXPECT_TRUE(ReadDateText("２００８／１／１５", d));
    EXPECT_EQ(d, 20080115);

    // Every date the system writes reads back.
    for (int date : {18680908, 19120730, 19261225, 19890108, 20000229, 20190430, 20190501,
                     20241231})
        EXPECT_TRUE(ReadDateText(WarekiText(date), d) && d == date) << date;

    d = 42;
    for (const char *bad : {"", "abc", "2008/2/30", "平成20年02月30日", "平成00年01月01日",
                            "令和00年05月01日", "令和2年2月30日", "R8.1", "R8..1.15", "X8.1.15",
                            "2008/1", "2008//1/15", "08/1/15", "明治00年00月00日"})
        EXPECT_FALSE(ReadDateText(bad, d)) << bad;
    EXPECT_EQ(d, 42);
}
