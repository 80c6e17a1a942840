#include <gtest/gtest.h>

#include <filesystem>

#include "core/unitapp.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"

using namespace pelanova;
using pelanova::test::ScriptedMessageBoxes;

TEST(Tokens, FieldsOfListItems)
{
    EXPECT_EQ(GetToken('\t', 1, "0001\t東京"), "東京");
    EXPECT_EQ(GetToken('\t', 0, "0001\t東京"), "0001");
    EXPECT_EQ(GetToken('\t', 0, "  x  \ty"), "x");
    EXPECT_EQ(GetToken('\t', 2, "a\tb"), "");
    EXPECT_EQ(GetToken('\t', 0, ""), "");
    EXPECT_EQ(GetToken('\t', 1, ""), "");
    EXPECT_EQ(GetToken('\t', 1, "a\t\tc"), "");
    EXPECT_EQ(GetToken('\t', 2, "a\t\tc"), "c");
    // A full-width space is no blank.
    EXPECT_EQ(GetToken('\t', 1, "1\t　東京　"), "　東京　");
    // Half-width katakana are single bytes and pass through unchanged.
    EXPECT_EQ(GetToken('\t', 1, "1\tﾄｳｷﾖｳ"), "ﾄｳｷﾖｳ");
}

TEST(Tokens, TrailByteIsNoDelimiter)
{
    // ポ is 83 7C in Shift-JIS: its second byte is '|'.
    EXPECT_EQ(GetToken('|', 1, "ポ|x"), "x");
    EXPECT_EQ(GetToken('|', 0, "ポ|x"), "ポ");
    // ソ is 83 5C, whose second byte is '\'.
    EXPECT_EQ(GetToken('\\', 1, "ソ\\y"), "y");
    // Characters outside Shift-JIS still split on the delimiter.
    EXPECT_EQ(GetToken('\t', 1, "😀\tz"), "z");
}

TEST(MessageBoxes, TitleIconButtonsAndAnswers)
{
    ScriptedMessageBoxes boxes;
    ErrorMsg(boxes, "登録してある施設は見つかりませんでした。");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.last().title, "Pelanova（全銀協対応）");
    EXPECT_EQ(boxes.last().icon, MessageIcon::Error);
    EXPECT_EQ(boxes.last().buttons, MessageButtons::Ok);

    boxes.answer(IdNo);
    EXPECT_EQ(YesNoMsg(boxes, "システムを終了します。よろしいですか？", kDefaultButton2), IdNo);
    EXPECT_EQ(boxes.last().text, "システムを終了します。よろしいですか？");
    EXPECT_EQ(boxes.last().title, kAppTitle);
    EXPECT_EQ(boxes.last().icon, MessageIcon::Question);
    EXPECT_EQ(boxes.last().buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes.last().defaultButton, 256);

    boxes.answer(IdCancel);
    EXPECT_EQ(YesNoCancelMsg(boxes, "変更されている項目があります。キャンセルしますか？", kDefaultButton3),
              IdCancel);
    EXPECT_EQ(boxes.last().buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(boxes.last().defaultButton, 512);
    EXPECT_EQ(boxes.last().title, kAppTitle);
    EXPECT_TRUE(boxes.allAnswered());
}

TEST(FileSize, ExistingMissingAndLarge)
{
    pelanova::test::TempDir dir;
    EXPECT_EQ(FileSizeByName(dir.file("missing.txt")), 0);
    EXPECT_EQ(FileSizeByName(dir.path().string()), 0);
    pelanova::test::writeBytes(dir.file("a.txt"), std::string(240, ' '));
    EXPECT_EQ(FileSizeByName(dir.file("a.txt")), 240);

    // A sparse file beyond 4 GiB keeps its size (no 32-bit wrap to a multiple of 120).
    const std::string big = dir.file("big.txt");
    pelanova::test::writeBytes(big, "");
    std::error_code ec;
    std::filesystem::resize_file(big, 4294967296LL + 120, ec);
    if (!ec) {
        EXPECT_EQ(FileSizeByName(big), 4294967296LL + 120);
    }
}
