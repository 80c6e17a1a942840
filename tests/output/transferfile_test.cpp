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

const sql::Database kNoBankMaster;

BankFile prepare(const OutputDb &t, const TransferFileForm &form = {}, const std::string &statement = {})
{
    return prepareBankFile(t.db, kNoBankMaster, kCode, kDate,
                           statement.empty() ? BuildFurikomiSql(kDate, kCode, -1) : statement, form);
}

// The file as the dialog and write-file write it: written only when Ready;
// the result says why not.
std::string writeAllFacilities(OutputDb &t, const std::string &path, const TransferFileForm &form = {})
{
    const BankFile file = prepare(t, form);
    if (file.state() != BankFile::State::Ready)
        return file.refusal();
    return writeBankFile(t.db, file, path);
}

} // namespace

TEST(TransferFile, BytesOfHeaderDataTrailerAndEnd)
{
    // A name with codes that do not survive a trip through Unicode (ED 40 and
    // 87 90 come back as other bytes) keeps its own bytes in the built file;
    // the check then refuses it, as the bank would.
    const std::string oddName = "\xB1\xB2\xED\x40\x87\x90";
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.addRecipient(kCode, 5, 1, "1111111", 1, 30000);
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000, "ｱｲｳ")});
    t.import(kDate, 2, kCode, {transferTo("1111111", 20000, "ｱｲｳ"), transferTo("2222222", 50000, cp932::decode(oddName))});

    const BankFile file = prepare(t);
    const TransferFileResult &r = file.built();
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.total, 49370 + 50000);
    EXPECT_EQ(file.state(), BankFile::State::Refused);
    EXPECT_NE(file.refusal().find("預金者名「ｱｲ"), std::string::npos) << file.refusal();

    const std::string expected = expectedHeader()
                                 + expectedData("1111111", "\xB1\xB2\xB3", "0000049370") // recipient bears 630
                                 + expectedData("2222222", oddName, "0000050000")        // consignor bears 630
                                 + "8" "000002" "000000099370" + blanks(101) + expectedEnd();
    EXPECT_EQ(file.content(), expected);

    // Without the odd name the file is written, and nothing is left beside it.
    OutputDb clean;
    clean.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    clean.addRecipient(kCode, 5, 1, "1111111", 1, 30000);
    clean.import(kDate, 1, kCode, {transferTo("1111111", 50000, "ｱｲｳ")});
    TempDir dir;
    const std::string path = dir.file("BANK.TXT");
    ASSERT_EQ(writeAllFacilities(clean, path), "");
    EXPECT_EQ(readBytes(path), expectedHeader() + expectedData("1111111", "\xB1\xB2\xB3", "0000049370")
                                   + "8" "000001" "000000049370" + blanks(101) + expectedEnd());
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
        EXPECT_EQ(writeAllFacilities(t, path, readTransferFileForm(IniFile(ini))), "");
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

TEST(TransferFile, EveryFileTheWriterWritesPassesTheCheckWithoutAnError)
{
    // Names a bank converts, a symbol only some banks take, a line of 0 yen
    // and one that the fee makes 0: the file carries the Zengin forms, leaves
    // the two lines out and counts the others in its trailer.
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄｼｮｳｼﾞ");
    t.addRecipient(kCode, 5, 1, "3333333", 1, 0); // bears the 420-yen fee of a small transfer to another bank
    t.import(kDate, 1, kCode,
             {transferTo("1111111", 30000, "ｼｮｳｼﾞ ｷｬﾉﾝ"), transferTo("2222222", 1, "abc/ｴ"),
              transferTo("3333333", 420, "ｾﾞﾛ"), transferTo("4444444", 0, "ｾﾞﾛ ﾆ")});
    for (const char *settings : {"", "1", "7", "8", "1 7 crlf", "8 crlf"}) {
        const std::string s = settings;
        const TransferFileForm form =
            zengin::bankFileForm(s.find('1') != std::string::npos ? "1" : "0",
                                 s.find('7') != std::string::npos ? "7" : s.find('8') != std::string::npos ? "8" : "0",
                                 s.find("crlf") != std::string::npos ? "1" : "0");
        const BankFile file = prepare(t, form);
        ASSERT_EQ(file.state(), BankFile::State::Ready) << settings << ": " << file.refusal();
        EXPECT_EQ(file.check().errors, 0u) << settings;
        EXPECT_EQ(file.check().records, 5) << settings;
        // Only the symbol is left for the bank to judge.
        ASSERT_EQ(file.check().findings.size(), 1u) << settings;
        EXPECT_EQ(file.check().findings[0].problem, zengin::Problem::NameSymbol);
        EXPECT_EQ(file.built().count, 2);
        EXPECT_EQ(file.built().total, 30001);
    }

    const BankFile file = prepare(t);
    EXPECT_EQ(file.built().conversions,
              (std::vector<std::string>{"委託者名「ｶ)ﾃｽﾄｼｮｳｼﾞ」を「ｶ)ﾃｽﾄｼﾖｳｼﾞ」として作成します。",
                                        "受取人名「ｼｮｳｼﾞ ｷｬﾉﾝ」を「ｼﾖｳｼﾞ ｷﾔﾉﾝ」として作成します。",
                                        "受取人名「abc/ｴ」を「ABC/ｴ」として作成します。"}));
    ASSERT_EQ(file.built().leftOut.size(), 2u);
    EXPECT_EQ(file.built().leftOut[0], "3件目の振込（0005-001 普通 3333333 ｾﾞﾛ）の金額 420円は、先方負担の手数料 "
                                       "420円を差し引くと0円のため、ファイルに含めません。");
    EXPECT_EQ(file.built().leftOut[1],
              "4件目の振込（0005-001 普通 4444444 ｾﾞﾛ ﾆ）の金額 0円は0円のため、ファイルに含めません。");
    EXPECT_NE(file.notes().find("\n\r受取人名「ｼｮｳｼﾞ ｷｬﾉﾝ」"), std::string::npos);
    // The data record carries the converted bytes; the database keeps the names.
    EXPECT_EQ(file.content().substr(120 + 50, 30), pad("\xBC\xD6\xB3\xBC\xDE \xB7\xD4\xC9\xDD", 30)); // ｼﾖｳｼﾞ ｷﾔﾉﾝ
    sql::Statement st = t.db.prepare("SELECT 預金者名 FROM T_データレコード ORDER BY ID");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(0), "ｼｮｳｼﾞ ｷｬﾉﾝ");
}

TEST(TransferFile, ADayWithoutMoneyToMoveWritesNothing)
{
    TempDir dir;
    const std::string path = dir.file("EMPTY.TXT");
    writeBytes(path, "an earlier file");
    OutputDb none;
    none.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    BankFile file = prepare(none);
    EXPECT_EQ(file.state(), BankFile::State::NothingToTransfer);
    EXPECT_EQ(file.refusal(), "この日の振込データがありません。");
    EXPECT_THROW(writeBankFile(none.db, file, path), std::logic_error);

    OutputDb zeros;
    zeros.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    zeros.addRecipient(kCode, 5, 1, "1111111", 1, 0);
    zeros.import(kDate, 1, kCode, {transferTo("1111111", 420, "ｱ"), transferTo("2222222", 0, "ｲ")});
    file = prepare(zeros);
    EXPECT_EQ(file.state(), BankFile::State::NothingToTransfer);
    EXPECT_EQ(file.refusal(), "この日の振込データがありません。");
    EXPECT_EQ(file.built().leftOut.size(), 2u);
    EXPECT_EQ(readBytes(path), "an earlier file");
}

TEST(TransferFile, TotalsBeyond32BitsAreWrittenExactly)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.import(kDate, 1, kCode, {transferTo("1111111", 2'000'000'000, "ｱ")});
    t.import(kDate, 2, kCode, {transferTo("1111111", 2'000'000'000, "ｱ"), transferTo("2222222", 1'000'000'000, "ｲ")});
    const BankFile file = prepare(t);
    const TransferFileResult &r = file.built();
    ASSERT_EQ(file.state(), BankFile::State::Ready) << file.refusal();
    const std::string &written = file.content();
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

    std::string message = writeAllFacilities(t, path);
    EXPECT_NE(message.find("2件目"), std::string::npos) << message;
    EXPECT_NE(message.find("ﾀﾅｶ"), std::string::npos) << message;
    EXPECT_NE(message.find("マイナス"), std::string::npos) << message;
    EXPECT_EQ(readBytes(path), "EARLIER");
    EXPECT_EQ(entries(dir), 1u);

    // More than 10 digits after the merge.
    OutputDb big;
    big.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    big.import(kDate, 1, kCode, {transferTo("1111111", 2'000'000'000, "ｱ")});
    for (int f = 2; f <= 6; ++f)
        big.import(kDate, f, kCode, {transferTo("1111111", 2'000'000'000, "ｱ")});
    message = writeAllFacilities(big, path);
    EXPECT_NE(message.find("10桁"), std::string::npos) << message;
    EXPECT_EQ(readBytes(path), "EARLIER");

    std::string content;
    TransferFileResult r;
    // A total beyond 12 digits, every line within 10.
    std::vector<FurikomiRow> rows(101);
    for (auto &row : rows) {
        row.bankNumber = 5;
        row.account = "1111111";
        row.amount = 9'999'999'999;
    }
    const auto consignor = loadConsignorRow(t.db, kCode);
    r = buildTransferFile(consignor, kDate, rows, RecipientRows(), std::nullopt, content);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(content.empty());
    EXPECT_NE(r.message.find("101件目"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("12桁"), std::string::npos) << r.message;
    EXPECT_EQ(readBytes(path), "EARLIER");

    // No consignor row: no header can be made.
    r = buildTransferFile(std::nullopt, kDate, rows, RecipientRows(), std::nullopt, content);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(content.empty());
}

TEST(TransferFile, UnwritableTargetIsReported)
{
    OutputDb t;
    t.addConsignor(kCode, "ｶ)ﾃｽﾄ");
    t.import(kDate, 1, kCode, {transferTo("1111111", 30000, "ｱｲｳ")});
    TempDir dir;
    const std::string message = writeAllFacilities(t, dir.file("missing/BANK.TXT"));
    EXPECT_NE(message.find("missing/BANK.TXT"), std::string::npos) << message;

    // A folder in the way: the rename fails and the temporary file goes away.
    fs::create_directory(dir.path() / "TAKEN.TXT");
    EXPECT_NE(writeAllFacilities(t, dir.file("TAKEN.TXT")), "");
    EXPECT_EQ(entries(dir), 1u);

    // A database error (a statement that does not run) refuses the file.
    const BankFile failed = prepare(t, {}, "SELECT nonsense");
    EXPECT_EQ(failed.state(), BankFile::State::Refused);
    EXPECT_NE(failed.refusal(), "");
}
