#include "core/records.h"

#include <gtest/gtest.h>

using namespace pelanova;
using namespace pelanova::zengin;

TEST(RecordNumbers, StrictAndLenient)
{
    EXPECT_EQ(parseNumber("0115"), 115);
    EXPECT_EQ(parseNumber("  42"), 42);
    EXPECT_EQ(parseNumber("-5"), -5);
    EXPECT_EQ(parseNumber("2147483647"), 2147483647);
    EXPECT_FALSE(parseNumber("2147483648"));
    EXPECT_FALSE(parseNumber("9999999999"));
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("   "));
    EXPECT_FALSE(parseNumber("12 "));  // a trailing blank is not a number
    EXPECT_FALSE(parseNumber("1a"));
    EXPECT_FALSE(parseNumber("-"));
    EXPECT_EQ(parseLenient(" "), -1);
    EXPECT_EQ(parseLenient("x"), -1);
    EXPECT_EQ(recordKind("1"), 1);
    EXPECT_EQ(recordKind(" "), -1);
    EXPECT_EQ(recordKind("A"), -1);
}

TEST(RecordFields, TextRuleAndNumbers)
{
    EXPECT_EQ(textField("ｱｲｳｴｵｶｷｸｹｺ", 15), "     " + std::string("\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA"));
    EXPECT_EQ(textField("ABCDEFGHIJKLMNOPQ", 15), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(numberField(115, 4), "0115");
    EXPECT_THROW(numberField(-1, 4), std::out_of_range);
    EXPECT_THROW(numberField(10000, 4), std::out_of_range);
}

TEST(RecordNumbers, TrailerTotalIsReadOverSixtyFourBits)
{
    std::string trailer = "8000002" + std::string("003000000000") + std::string(101, ' ');
    std::vector<Value> values;
    split(trailer, Trailer, values);
    EXPECT_EQ(values[2].number, 3000000000LL);
    std::string data(120, ' ');
    data.replace(0, 1, "2");
    data.replace(80, 10, "3000000000");
    EXPECT_THROW(split(data, Data, values), FormatError); // an amount stays 32-bit

    EXPECT_EQ(parseNumber64("9223372036854775807"), INT64_MAX);
    EXPECT_FALSE(parseNumber64("9223372036854775808"));
    EXPECT_FALSE(parseNumber64("18446744073709551616")); // 2^64 must not wrap to 0
    EXPECT_FALSE(parseNumber64("99999999999999999999"));
    EXPECT_FALSE(parseNumber("4294967296")); // 2^32 must not wrap to 0
}
