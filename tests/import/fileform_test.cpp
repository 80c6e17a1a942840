// What the import accepts as a general-transfer file: the forms facilities'
// software writes (records back to back or with a line break after each) and
// only intact general-transfer files in Shift-JIS whose trailer agrees with
// their data.
#include "import/importengine.h"

#include "core/schema.h"
#include "core/sql.h"
#include "support/recordingui.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"
#include "support/testdatabase.h"
#include "support/zenginfile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace pelanova;
using testdata::DataSpec;
using testdata::HeaderSpec;

namespace {

constexpr int kDate = 20080115;
constexpr const char *kNotZengin = "全銀協のデータではありません。";

// The import's refusal: its findings listed under one sentence.
std::string refusal(const std::vector<std::string> &lines)
{
    std::string text = "次の誤り（" + std::to_string(lines.size()) + "件）があるため取り込めません。何も取り込んでいません。";
    for (const std::string &line : lines)
        text += "\n\r［エラー］" + line;
    return text;
}

std::string dumpAll(const sql::Database &db)
{
    std::string out;
    for (const char *t : {schema::kHeader, schema::kData, schema::kTrailer, schema::kEnd, schema::kConsignor,
                          schema::kRecipient, schema::kFacility}) {
        out += std::string(t) + ":\n";
        sql::Statement st = db.prepare(std::string("SELECT * FROM ") + t + " ORDER BY ID");
        while (st.step()) {
            for (int i = 0; i < st.columnCount(); ++i)
                out += (st.isNull(i) ? std::string("NULL") : st.text(i)) + "|";
            out += "\n";
        }
    }
    return out;
}

std::string data(const std::string &account, const std::string &amount)
{
    DataSpec d;
    d.account = account;
    d.amount = amount;
    return testdata::data(d);
}

// Header, three transfers (two to one account), trailer and end.
std::vector<std::string> sampleRecords()
{
    return {testdata::header(),
            data("0000001", "0000010000"),
            data("0000002", "0000100000"),
            data("0000001", "0000005015"),
            testdata::trailer("000003", "000000115015"),
            testdata::end()};
}

std::string joined(const std::vector<std::string> &records, const std::string &lineBreak = "",
                   bool lastBreak = true)
{
    std::string out;
    for (size_t i = 0; i < records.size(); ++i) {
        out += records[i];
        if (i + 1 < records.size() || lastBreak)
            out += lineBreak;
    }
    return out;
}

class FileFormTest : public ::testing::Test
{
protected:
    struct Imported
    {
        ImportEngine::Outcome outcome;
        std::string tables;
        test::ScriptedMessageBoxes boxes;
        int64_t range = -1;
    };

    // Imports the bytes into a database of their own.
    Imported importAlone(const std::string &bytes)
    {
        sql::Database db;
        test::openOwnDatabase(db);
        Imported r;
        r.outcome = importInto(db, bytes, r.boxes, &r.range);
        r.tables = dumpAll(db);
        return r;
    }

    ImportEngine::Outcome importInto(sql::Database &db, const std::string &bytes,
                                     test::ScriptedMessageBoxes &boxes, int64_t *range = nullptr,
                                     int facility = 3)
    {
        const std::string path = (dir.path() / "FB.txt").string();
        testdata::writeFile(path, bytes);
        testdata::RecordingProgress progress;
        ImportEngine engine(db, nullptr, boxes, progress);
        const auto outcome = engine.ImportTransferFile(path, facility, kDate, 20080110);
        if (range)
            *range = progress.range;
        return outcome;
    }

    pelanova::test::TempDir dir;
};

} // namespace

TEST_F(FileFormTest, EveryFormOfTheSameRecordsStoresTheSameTables)
{
    const std::vector<std::string> records = sampleRecords();
    const Imported plain = importAlone(joined(records));
    ASSERT_EQ(plain.outcome, ImportEngine::Outcome::Stored);
    ASSERT_NE(plain.tables.find("115015"), std::string::npos);
    EXPECT_EQ(plain.range, 6);

    struct Form
    {
        std::string name;
        std::string bytes;
    };
    std::vector<Form> forms = {{"back to back, EOF byte", joined(records) + "\x1A"}};
    for (const auto &[name, lineBreak] : {std::pair{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}}) {
        for (bool lastBreak : {true, false}) {
            for (bool eof : {false, true}) {
                forms.push_back({std::string(name) + (lastBreak ? "" : ", no break after the end record")
                                     + (eof ? ", EOF byte" : ""),
                                 joined(records, lineBreak, lastBreak) + (eof ? "\x1A" : "")});
            }
        }
    }
    for (const Form &f : forms) {
        const Imported r = importAlone(f.bytes);
        EXPECT_EQ(r.outcome, ImportEngine::Outcome::Stored) << f.name;
        // LF or CR alone is stored, with a word that some banks refuse it.
        const bool lone = f.name.rfind("LF", 0) == 0 || f.name.rfind("CR,", 0) == 0 || f.name == "CR";
        EXPECT_EQ(r.boxes.count(), lone ? 1u : 0u) << f.name;
        EXPECT_EQ(r.tables, plain.tables) << f.name;
        EXPECT_EQ(r.range, 6) << f.name << ": the progress counts records";
    }

    // A file of nothing but the EOF byte stores nothing; a header alone is a
    // file cut short.
    EXPECT_EQ(importAlone(testdata::header() + "\r\n").outcome, ImportEngine::Outcome::Refused);
    const Imported eofOnly = importAlone("\x1A");
    EXPECT_EQ(eofOnly.outcome, ImportEngine::Outcome::Stored);
    EXPECT_EQ(eofOnly.tables, importAlone("").tables);
}

TEST_F(FileFormTest, EveryOtherFormIsRefusedAndStoresNothing)
{
    sql::Database db;
    test::openOwnDatabase(db);
    test::ScriptedMessageBoxes first;
    ASSERT_EQ(importInto(db, joined(sampleRecords(), "\r\n"), first, nullptr, 4), ImportEngine::Outcome::Stored);
    const std::string before = dumpAll(db);

    const std::vector<std::string> r = sampleRecords();
    std::string shortRecord = r[1].substr(0, 119);
    std::string longRecord = r[1] + " ";
    std::string brokenInside = r[1];
    brokenInside.replace(60, 2, "\r\n");
    std::string mixed = r[0] + "\r\n" + r[1] + "\n";
    for (size_t i = 2; i < r.size(); ++i)
        mixed += r[i] + "\r\n";
    const std::vector<std::pair<const char *, std::string>> cases = {
        {"break after some records only", r[0] + "\r\n" + r[1] + r[2] + "\r\n" + joined({r[3], r[4], r[5]}, "\r\n")},
        {"two kinds of break", mixed},
        {"a record of 119 bytes before its break", joined({r[0], shortRecord, r[2], r[3], r[4], r[5]}, "\r\n")},
        {"a record of 121 bytes before its break", joined({r[0], longRecord, r[2], r[3], r[4], r[5]}, "\r\n")},
        {"a break inside a record", joined({r[0], brokenInside, r[2], r[3], r[4], r[5]}, "\r\n")},
        {"a byte after the end record's break", joined(r, "\r\n") + "X"},
        {"two breaks after the end record", joined(r, "\r\n") + "\r\n"},
        {"two EOF bytes", joined(r, "\r\n") + "\x1A\x1A"},
        {"a break inside a record back to back", joined({r[0], brokenInside, r[2], r[3], r[4], r[5]})},
        {"a break after the end record only", joined(r) + "\r\n"},
    };
    for (const auto &[name, bytes] : cases) {
        test::ScriptedMessageBoxes boxes;
        EXPECT_EQ(importInto(db, bytes, boxes), ImportEngine::Outcome::Refused) << name;
        ASSERT_EQ(boxes.count(), 1u) << name;
        EXPECT_NE(boxes.shown()[0].text.find(kNotZengin), std::string::npos) << name;
        EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::Error) << name;
        EXPECT_EQ(dumpAll(db), before) << name;
        EXPECT_FALSE(db.inTransaction()) << name;
    }
}

TEST_F(FileFormTest, ALargeCrLfFileImportsWithFlatMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: peak memory says nothing here";
#endif
    constexpr int kRecords = 200'000;
    const std::string path = (dir.path() / "FB_large.txt").string();
    {
        FILE *f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string header = testdata::header() + "\r\n";
        std::fwrite(header.data(), 1, header.size(), f);
        char account[12];
        for (int i = 0; i < kRecords; ++i) {
            std::snprintf(account, sizeof account, "%07d", i % 500);
            const std::string record = data(account, "0000001000") + "\r\n";
            std::fwrite(record.data(), 1, record.size(), f);
        }
        const std::string tail = testdata::trailer("200000", "000200000000") + "\r\n" + testdata::end() + "\r\n";
        std::fwrite(tail.data(), 1, tail.size(), f);
        std::fclose(f);
    }
    sql::Database db;
    db.open((dir.path() / "FBDB.db").string(), sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    test::ScriptedMessageBoxes boxes;
    testdata::RecordingProgress progress;
    ImportEngine engine(db, nullptr, boxes, progress);

    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    ASSERT_EQ(engine.ImportTransferFile(path, 3, kDate, 20080110), ImportEngine::Outcome::Stored);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(progress.range, kRecords + 3);
    // The file is 24.4 MB; reading it record by record keeps the peak where it was.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 12 * 1024) << "kB";
    sql::Statement st = db.prepare("SELECT COUNT(*), SUM(引落金額) FROM T_データレコード");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.int64(0), kRecords);
    EXPECT_EQ(st.int64(1), 200'000'000);
}

TEST_F(FileFormTest, OnlyIntactGeneralTransferFilesInShiftJisAreStored)
{
    sql::Database db;
    test::openOwnDatabase(db);
    test::ScriptedMessageBoxes first;
    ASSERT_EQ(importInto(db, joined(sampleRecords()), first, nullptr, 4), ImportEngine::Outcome::Stored);
    const std::string before = dumpAll(db);

    auto withHeader = [](const std::string &pos2, const std::string &pos4) {
        std::vector<std::string> r = sampleRecords();
        testdata::put(r[0], 2, pos2);
        testdata::put(r[0], 4, pos4);
        return joined(r);
    };
    auto withTrailer = [](const std::string &count, const std::string &total) {
        std::vector<std::string> r = sampleRecords();
        r[4] = testdata::trailer(count, total);
        return joined(r);
    };
    const std::string type91 = "レコード1 種別コード：種別コード「91」が総合振込（21）ではありません。";
    const std::string big1 = data("0000001", "2000000000");
    const std::string big2 = data("0000002", "2000000001");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {withHeader("91", "0"), refusal({type91})},
        {withHeader("11", "0"), refusal({"レコード1 種別コード：種別コード「11」が総合振込（21）ではありません。"})},
        {withHeader("21", "1"), refusal({"レコード1 コード区分：コード区分「1」がシフトJIS（0）ではありません。"})},
        {withTrailer("000004", "000000115015"),
         refusal({"レコード5 合計件数：合計件数 4件がデータレコードの 3件と一致しません。"})},
        {withTrailer("000003", "000000115016"),
         refusal({"レコード5 合計金額：合計金額 115,016円がデータレコードの合計 115,015円と一致しません。"})},
        {joined({testdata::header(), big1, big2, testdata::trailer("000002", "004000000000"), testdata::end()}),
         refusal({"レコード4 合計金額：合計金額 4,000,000,000円がデータレコードの合計 4,000,000,001円と一致しません。"})},
        // Every refusal of the file is listed, not only the first.
        {joined({testdata::blankRecord('5'), withHeader("91", "0")}),
         refusal({"レコード1 データ区分：認識できないデータが含まれているため認識できません。データ区分「5」は全銀協の"
                  "レコード（1 ヘッダ、2 データ、8 トレーラ、9 エンド）ではありません。",
                  "レコード2 種別コード：種別コード「91」が総合振込（21）ではありません。"})},
        {data("0000001", "0000000001") + withHeader("91", "1"),
         refusal({"レコード1 データ区分：ヘッダレコードより前にデータレコードがあります。",
                  "レコード2 種別コード：種別コード「91」が総合振込（21）ではありません。",
                  "レコード2 コード区分：コード区分「1」がシフトJIS（0）ではありません。",
                  "レコード6 合計件数：合計件数 3件がデータレコードの 4件と一致しません。",
                  "レコード6 合計金額：合計金額 115,015円がデータレコードの合計 115,016円と一致しません。"})},
        {joined({testdata::header(), withHeader("91", "0")}),
         refusal({"レコード2 データ区分：ヘッダレコードが複数あります。1ファイルに1委託者分のデータとしてください。",
                  "レコード2 種別コード：種別コード「91」が総合振込（21）ではありません。"})},
    };
    for (const auto &[bytes, text] : cases) {
        test::ScriptedMessageBoxes boxes;
        EXPECT_EQ(importInto(db, bytes, boxes), ImportEngine::Outcome::Refused) << text;
        ASSERT_EQ(boxes.count(), 1u) << text;
        EXPECT_EQ(boxes.shown()[0].text, text);
        EXPECT_EQ(boxes.shown()[0].title, "総合振込データ取込");
        EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::Error);
        EXPECT_EQ(dumpAll(db), before) << text;
    }

    // A correct total beyond 32 bits is stored in full.
    test::ScriptedMessageBoxes boxes;
    ASSERT_EQ(importInto(db, joined({testdata::header(), big1, big2, testdata::trailer("000002", "004000000001"),
                                     testdata::end()}),
                         boxes),
              ImportEngine::Outcome::Stored);
    EXPECT_TRUE(boxes.empty());
    sql::Statement st = db.prepare("SELECT 合計金額 FROM T_トレーラレコード WHERE 施設コード = 3");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.int64(0), 4'000'000'001);
}
