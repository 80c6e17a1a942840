// Reading and writing comma-separated files as spreadsheets do.
#include "core/csv.h"

#include <gtest/gtest.h>

using namespace pelanova;

TEST(CsvTest, DetectsCp932AndUtf8WithOrWithoutBom)
{
    csv::Encoding found;
    // ﾔﾏﾀﾞ and 山田 in CP932.
    EXPECT_EQ(csv::decodeText("\xD4\xCF\xC0\xDE,\x8E\x52\x93\x63", &found), "ﾔﾏﾀﾞ,山田");
    EXPECT_EQ(found, csv::Encoding::Cp932);
    EXPECT_EQ(csv::decodeText("ﾔﾏﾀﾞ,山田", &found), "ﾔﾏﾀﾞ,山田");
    EXPECT_EQ(found, csv::Encoding::Utf8);
    EXPECT_EQ(csv::decodeText("\xEF\xBB\xBFﾔﾏﾀﾞ", &found), "ﾔﾏﾀﾞ");
    EXPECT_EQ(found, csv::Encoding::Utf8Bom);
}

TEST(CsvTest, RefusesBytesOfNeitherForm)
{
    // UTF-16 (NUL bytes), a lone lead byte, bytes CP932 never uses, a BOM before CP932.
    for (const std::string bytes : {std::string("a\0b\0", 4), std::string("abc\x82"), std::string("\xFD\xFE"),
                                    std::string("\xEF\xBB\xBF\xD4\xCF")})
        EXPECT_THROW(csv::decodeText(bytes), csv::ReadError) << bytes;
}

TEST(CsvTest, ParsesQuotedFieldsLineBreaksAndLineNumbers)
{
    const auto records = csv::parse("a,\"b,\"\"c\"\"\"\r\n\r\n\"x\ny\",\nlast");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fields, (csv::Row{"a", "b,\"c\""}));
    EXPECT_EQ(records[0].line, 1);
    EXPECT_EQ(records[1].fields, (csv::Row{"x\ny", ""}));
    EXPECT_EQ(records[1].line, 3);
    EXPECT_EQ(records[2].fields, (csv::Row{"last"}));
    EXPECT_EQ(records[2].line, 5);
}

TEST(CsvTest, WritesCp932WithCrLfAndQuotesWhatNeedsIt)
{
    const std::string bytes = csv::encodeCp932({{"0001", "ﾔﾏﾀﾞ ", "a,b", "say \"hi\""}, {"山田"}});
    EXPECT_EQ(bytes, "0001,\"\xD4\xCF\xC0\xDE \",\"a,b\",\"say \"\"hi\"\"\"\r\n\x8E\x52\x93\x63\r\n");
    // Written and read back, the fields are as they were.
    const auto back = csv::parse(csv::decodeText(bytes));
    EXPECT_EQ(back[0].fields, (csv::Row{"0001", "ﾔﾏﾀﾞ ", "a,b", "say \"hi\""}));
}

TEST(CsvTest, NamesTheFieldCp932CannotHold)
{
    try {
        csv::encodeCp932({{"a"}, {"b", "🍣"}});
        FAIL();
    } catch (const csv::EncodingError &error) {
        EXPECT_EQ(error.row, 1u);
        EXPECT_EQ(error.column, 1u);
        EXPECT_EQ(error.text, "🍣");
    }
}
