#include <gtest/gtest.h>

#include <filesystem>

#include "core/sql.h"
#include "core/unitapp.h"

#include <sqlite3.h>
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
    ASSERT_EQ(boxes.count(), 1u);
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
    EXPECT_EQ(boxes.answersLeft(), 0u);
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

namespace {

// The message a failing database statement or open shows the user.
template <typename F>
std::string errorTextOf(F &&failing)
{
    try {
        failing();
    } catch (const std::exception &error) {
        return ErrorText(error);
    }
    ADD_FAILURE() << "no error";
    return {};
}

} // namespace

TEST(ErrorTexts, CommonDatabaseFailuresReadAsJapaneseWithTheEngineTextBelow)
{
    test::TempDir dir;
    const std::string path = dir.file("FBDB.mdb");
    sql::Database db;
    db.open(path, sql::Database::Mode::Create);
    db.exec("CREATE TABLE t (v)");

    // Another program holds a write lock.
    sql::Database other;
    other.open(path, sql::Database::Mode::ReadWrite);
    other.exec("BEGIN IMMEDIATE");
    sqlite3_busy_timeout(db.handle(), 0);
    EXPECT_EQ(errorTextOf([&] { db.exec("INSERT INTO t VALUES (1)"); }),
              busyDatabaseText());
    other.exec("ROLLBACK");

    // The disk (here: the file's page limit) is full.
    db.exec("PRAGMA max_page_count = 3");
    EXPECT_EQ(errorTextOf([&] { db.exec("INSERT INTO t VALUES (zeroblob(100000))"); }),
              "ディスクの空き容量が足りないため、データベースに書き込めませんでした。\n\r"
              "database or disk is full");

    sql::Database readOnly;
    readOnly.open(path, sql::Database::Mode::ReadOnly);
    EXPECT_EQ(errorTextOf([&] { readOnly.exec("INSERT INTO t VALUES (1)"); }),
              "データベースのファイルが読み取り専用のため、書き込めませんでした。\n\r"
              "attempt to write a readonly database");

    const std::string text = dir.file("notes.mdb");
    test::writeBytes(text, std::string(4096, 'x'));
    sql::Database notADatabase;
    EXPECT_EQ(errorTextOf([&] { notADatabase.open(text, sql::Database::Mode::ReadWrite); }),
              "ファイルがデータベースではないか、壊れています。\n\rfile is not a database");

    const std::string missing = dir.file("missing.mdb");
    const std::string cannotOpen = errorTextOf([&] { sql::Database().open(missing, sql::Database::Mode::ReadWrite); });
    EXPECT_EQ(cannotOpen, "データベースのファイルを開けませんでした。\n\r" + missing + ": unable to open database file");

    // Other errors keep their own text; so does a database error of no common cause.
    EXPECT_EQ(ErrorText(std::runtime_error("設定ファイルに書き込めません。")), "設定ファイルに書き込めません。");
    EXPECT_EQ(errorTextOf([&] { db.exec("SELECT * FROM nowhere"); }), "no such table: nowhere");
}
