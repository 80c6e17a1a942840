#include "core/cp932.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelanova;

namespace {

std::string roundTrip(const std::string &bytes)
{
    const auto back = cp932::encode(cp932::decode(bytes));
    EXPECT_TRUE(back.has_value());
    return back.value_or("");
}

} // namespace

TEST(Cp932, DecodesAsciiKatakanaAndKanji)
{
    EXPECT_EQ(cp932::decode("ABC 123"), "ABC 123");
    EXPECT_EQ(cp932::decode("\xB6\xC5"), "ｶﾅ");           // half-width katakana
    EXPECT_EQ(cp932::decode("\x93\x8C\x8B\x9E"), "東京");   // kanji
    EXPECT_EQ(cp932::decode("\x83\x7C"), "ポ");
    EXPECT_EQ(cp932::decode("\xA1"), "\xEF\xBD\xA1");        // U+FF61
    EXPECT_EQ(cp932::decode("\xDF"), "\xEF\xBE\x9F");        // U+FF9F
}

TEST(Cp932, EncodesBackToTheSameBytes)
{
    EXPECT_EQ(cp932::encode("東京ｶﾅABC"), std::string("\x93\x8C\x8B\x9E\xB6\xC5" "ABC"));
    EXPECT_EQ(cp932::encode("〜"), std::string("\x81\x60"));
    EXPECT_EQ(cp932::encode("¥"), std::string("\x5C"));
    EXPECT_FALSE(cp932::encode("\xF0\x9F\x98\x80").has_value()); // emoji: no CP932 form
    EXPECT_FALSE(cp932::encode("\xFF").has_value());             // not UTF-8
    EXPECT_EQ(cp932::encodeLossy("a\xF0\x9F\x98\x80" "b"), "a?b");
}

TEST(Cp932, BytesThatDoNotSurviveUnicodeBecomePrivateUseCharacters)
{
    // NEC-selected IBM extension ED 40 decodes to the same character as FA 5C;
    // it must not come back as FA 5C.
    const std::string nec("\xED\x40", 2);
    EXPECT_EQ(cp932::decode(nec), "\xEF\x9F\xAD@"); // U+F7ED then '@'
    EXPECT_EQ(roundTrip(nec), nec);
    for (unsigned char b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF}) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(roundTrip(one), one) << int(b);
    }
    // A lone lead byte at the end.
    EXPECT_EQ(roundTrip(std::string("ab\x82", 3)), std::string("ab\x82", 3));
    // The user-defined area stays CP932's own.
    EXPECT_EQ(cp932::decode("\xF0\x40"), "\xEE\x80\x80"); // U+E000
}

TEST(Cp932, EveryTwoByteCombinationRoundTrips)
{
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string s{static_cast<char>(a), static_cast<char>(b)};
            const auto back = cp932::encode(cp932::decode(s));
            ASSERT_TRUE(back.has_value()) << a << ' ' << b;
            ASSERT_EQ(*back, s) << a << ' ' << b;
        }
    }
}

TEST(Cp932, RandomByteStringsRoundTrip)
{
    std::mt19937 rng(20080115);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 64);
    for (int i = 0; i < 20000; ++i) {
        std::string s(static_cast<size_t>(length(rng)), '\0');
        for (char &c : s)
            c = static_cast<char>(byte(rng));
        const auto back = cp932::encode(cp932::decode(s));
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(*back, s);
    }
}
