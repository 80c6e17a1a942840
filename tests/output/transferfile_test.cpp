#include "output/transferfile.h"
#include "outputfixture.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

using namespace pelanova;
using namespace pelanova::output;
using pelanova::testing::OutputDb;
using pelanova::testing::transferTo;
using pelanova::test::readBytes;
using pelanova::test::TempDir;
using pelanova::test::writeBytes;
namespace fs = std::filesystem;

namespace {

constexpr int kDate = 20080115;
const std::string kCode = "0000012345";

// The expectation is spelled out byte by byte here, independently of the
// record builders.
std::string pad(const std::string &bytes, size_t width) { return std::string(width - bytes.size(), ' ') + bytes; }
std::string blanks(size_t n) { return std::string(n, ' '); }

const std::string kKatakanaGinkou = "\xB7\xDE\xDD\xBA\xB3"; // ｷﾞﾝｺｳ
const std::string kKatakanaShiten = "\xBC\xC3\xDD";         // ｼﾃﾝ

std::string expectedHeader()
{
    return "1" "21" "0" "0000012345" + pad("\xB6)\xC3\xBD\xC4", 40) + "0115" + "0001"
           + pad("\xCE\xDD\xB7\xDE\xDD\xBA\xB3", 15) + "001" + pad("\xCE\xDD\xC3\xDD", 15) + "1" + "7654321"
           + blanks(17);
}

std::string expectedData(const std::string &account, const std::string &nameBytes, const std::string &amount10,
                         const std::string &clearingHouse = blanks(4), const std::string &designation = " ")
{
    return "2" "0005" + pad(kKatakanaGinkou, 15) + "001" + pad(kKatakanaShiten, 15) + clearingHouse + "1" + account
           + pad(nameBytes, 30) + amount10 + "0" + std::string(20, '0') + designation + blanks(8);
}

std::string expectedEnd() { return "9" + blanks(119); }

// The files in a folder.
size_t entries(const TempDir &dir)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
}

TransferFileResult writeAllFacilities(const OutputDb &t, const std::string &path)
{
    return WriteTransferFile(t.db, path, kCode, kDate, BuildFurikomiSql(kDate, kCode, -1));
}

} // namespace

TEST(TransferFile, BytesOfHeaderDataTrailerAndEnd)
{
    // A name with codes that do not survive a trip through Unicode (ED 40 and
    // 87 90 come back as other bytes) must still go out with its own bytes.
    const std::string oddName = "\xB1\xB2\xED\x40\x87\x90";
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.addRecipient(kCode, 5, 1, "1111111", 1, 30000);
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000, "ｱｲｳ")});
    t.import(kDate, 2, kCode, {transferTo("1111111", 20000, "ｱｲｳ"), transferTo("2222222", 50000, cp932::decode(oddName))});

    TempDir dir;
    const std::string path = dir.file("BANK.TXT");
    const TransferFileResult r = writeAllFacilities(t, path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.total, 49370 + 50000);

    const std::string expected = expectedHeader()
                                 + expectedData("1111111", "\xB1\xB2\xB3", "0000049370") // recipient bears 630
                                 + expectedData("2222222", oddName, "0000050000")        // consignor bears 630
                                 + "8" "000002" "000000099370" + blanks(101) + expectedEnd();
    const std::string written = readBytes(path);
    EXPECT_EQ(written.size(), 5 * 120u);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(entries(dir), 1u); // no temporary file left behind
}

TEST(TransferFile, SettingsChooseTheBanksFillsAndLineBreak)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000, "ｱｲｳ")});
    TempDir dir;
    const std::string ini = dir.file("pelanova.ini");
    const std::string path = dir.file("BANK.TXT");
    const std::string trailer = "8" "000001" "000000030000" + blanks(101);
    auto written = [&](const std::string &settings) {
        writeBytes(ini, "[Output]\r\n" + settings);
        const TransferFileForm form = readTransferFileForm(IniFile(ini));
        const TransferFileResult r =
            WriteTransferFile(t.db, path, kCode, kDate, BuildFurikomiSql(kDate, kCode, -1), form);
        EXPECT_TRUE(r.ok) << r.message;
        return readBytes(path);
    };
    auto plainWith = [&](const std::string &clearingHouse, const std::string &designation) {
        return expectedHeader() + expectedData("1111111", "\xB1\xB2\xB3", "0000030000", clearingHouse, designation)
               + trailer + expectedEnd();
    };

    // Missing, "0" and unknown values keep the bytes of the default form.
    const std::string plain = plainWith(blanks(4), " ");
    EXPECT_EQ(written(""), plain);
    EXPECT_EQ(written("ClearingHouse=0\r\nDesignation=0\r\nLineBreak=0\r\n"), plain);
    EXPECT_EQ(written("ClearingHouse=2\r\nDesignation=9\r\nLineBreak=yes\r\n"), plain);

    EXPECT_EQ(written("ClearingHouse=1\r\n"), plainWith("0000", " "));
    EXPECT_EQ(written("Designation=7\r\n"), plainWith(blanks(4), "7"));
    EXPECT_EQ(written("Designation=8\r\n"), plainWith(blanks(4), "8"));
    const std::string withBreaks = written("LineBreak=1\r\n");
    EXPECT_EQ(withBreaks, expectedHeader() + "\r\n" + expectedData("1111111", "\xB1\xB2\xB3", "0000030000") + "\r\n"
                              + trailer + "\r\n" + expectedEnd() + "\r\n");

    const std::string strict = written("ClearingHouse=1\r\nDesignation=7\r\nLineBreak=1\r\n");
    EXPECT_EQ(strict, expectedHeader() + "\r\n"
                          + expectedData("1111111", "\xB1\xB2\xB3", "0000030000", "0000", "7") + "\r\n"
                          + trailer + "\r\n" + expectedEnd() + "\r\n");
}

TEST(TransferFile, EveryFormTheWriterWritesPassesTheCheckWithoutAFinding)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000, "ｱｲｳ"), transferTo("2222222", 1, "ｴ")});
    const sql::Database noBankMaster;
    for (const char *settings : {"", "1", "7", "8", "1 7 crlf", "8 crlf"}) {
        const std::string s = settings;
        const TransferFileForm form =
            zengin::bankFileForm(s.find('1') != std::string::npos ? "1" : "0",
                                 s.find('7') != std::string::npos ? "7" : s.find('8') != std::string::npos ? "8" : "0",
                                 s.find("crlf") != std::string::npos ? "1" : "0");
        std::string content;
        ASSERT_TRUE(buildTransferFile(t.db, kCode, kDate, BuildFurikomiSql(kDate, kCode, -1), content, form).ok);
        const zengin::CheckResult check = checkBeforeWriting(content, kDate, noBankMaster);
        EXPECT_TRUE(check.findings.empty()) << settings << ": " << check.findings.at(0).message;
        EXPECT_EQ(check.records, 5);
    }
}

TEST(TransferFile, EmptyAggregationWritesThreeRecords)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    TempDir dir;
    const std::string path = dir.file("EMPTY.TXT");
    writeBytes(path, "an older, longer file that must be replaced entirely");
    const TransferFileResult r = writeAllFacilities(t, path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(readBytes(path), expectedHeader() + "8" "     0" "           0" + blanks(101) + expectedEnd());
}

TEST(TransferFile, TotalsBeyond32BitsAreWrittenExactly)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.import(kDate, 1, kCode, {transferTo("1111111", 2'000'000'000, "ｱ")});
    t.import(kDate, 2, kCode, {transferTo("1111111", 2'000'000'000, "ｱ"), transferTo("2222222", 1'000'000'000, "ｲ")});
    TempDir dir;
    const std::string path = dir.file("BIG.TXT");
    const TransferFileResult r = writeAllFacilities(t, path);
    ASSERT_TRUE(r.ok) << r.message;
    const std::string written = readBytes(path);
    ASSERT_EQ(written.size(), 5 * 120u);
    EXPECT_EQ(written.substr(120 + 80, 10), "4000000000"); // the consignor's side bears the fee
    EXPECT_EQ(written.substr(360, 19), "8" "000002" "005000000000");
    EXPECT_EQ(r.total, 5'000'000'000);
}

TEST(TransferFile, RefusedLinesLeaveTheEarlierFileUntouched)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.addRecipient(kCode, 5, 1, "2222222", 1, 0); // bears every fee
    t.import(kDate, 1, kCode, {transferTo("1111111", 1000, "ｱ"), transferTo("2222222", 300, "ﾀﾅｶ")});
    TempDir dir;
    const std::string path = dir.file("BANK.TXT");
    writeBytes(path, "EARLIER");

    TransferFileResult r = writeAllFacilities(t, path);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("2件目"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("ﾀﾅｶ"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("マイナス"), std::string::npos) << r.message;
    EXPECT_EQ(readBytes(path), "EARLIER");
    EXPECT_EQ(entries(dir), 1u);

    // More than 10 digits after the merge.
    OutputDb big;
    big.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    big.import(kDate, 1, kCode, {transferTo("1111111", 2'000'000'000, "ｱ")});
    for (int f = 2; f <= 6; ++f)
        big.import(kDate, f, kCode, {transferTo("1111111", 2'000'000'000, "ｱ")});
    r = writeAllFacilities(big, path);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("10桁"), std::string::npos) << r.message;
    EXPECT_EQ(readBytes(path), "EARLIER");

    // A total beyond 12 digits, every line within 10.
    std::vector<FurikomiRow> rows(101);
    for (auto &row : rows) {
        row.bankNumber = 5;
        row.account = "1111111";
        row.amount = 9'999'999'999;
    }
    const auto consignor = loadConsignorRow(t.db, kCode);
    r = WriteTransferFile(path, consignor, kDate, rows, RecipientRows(), std::nullopt);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("101件目"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("12桁"), std::string::npos) << r.message;
    EXPECT_EQ(readBytes(path), "EARLIER");

    // No consignor row: no header can be made.
    r = WriteTransferFile(path, std::nullopt, kDate, {}, RecipientRows(), std::nullopt);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(readBytes(path), "EARLIER");
    EXPECT_EQ(entries(dir), 1u);
}

TEST(TransferFile, UnwritableTargetIsReported)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    TempDir dir;
    const TransferFileResult r = writeAllFacilities(t, dir.file("missing/BANK.TXT"));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("missing/BANK.TXT"), std::string::npos) << r.message;

    // A folder in the way: the rename fails and the temporary file goes away.
    fs::create_directory(dir.path() / "TAKEN.TXT");
    const TransferFileResult r2 = writeAllFacilities(t, dir.file("TAKEN.TXT"));
    EXPECT_FALSE(r2.ok);
    EXPECT_EQ(entries(dir), 1u);

    // A database error (a statement that does not run) is a failure too.
    const TransferFileResult r3 = WriteTransferFile(t.db, dir.file("X.TXT"), kCode, kDate, "SELECT nonsense");
    EXPECT_FALSE(r3.ok);
    EXPECT_FALSE(fs::exists(dir.file("X.TXT")));
}
