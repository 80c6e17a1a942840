// The Zengin check against files that break each of its rules and files
// that keep them.
#include "core/zengincheck.h"

#include "support/tempdir.h"
#include "support/zenginfile.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pelanova;
using namespace pelanova::zengin;
using testdata::DataSpec;
using testdata::HeaderSpec;

namespace {

constexpr int kTuesday = 20080115;

// Names entirely in the Zengin set.
HeaderSpec cleanHeader()
{
    HeaderSpec h;
    h.consignorName = std::string(31, ' ') + "\xB6)\xC3\xBD\xC4 \xBC\xDE\xD1"; // ｶ)ﾃｽﾄ ｼﾞﾑ
    return h;
}

DataSpec cleanData(const std::string &amount = "0000012345")
{
    DataSpec d;
    d.branchName = "          \xBC\xDD\xBC\xDE\xD4"; // ｼﾝｼﾞﾔ
    d.amount = amount;
    return d;
}

struct Records
{
    std::vector<std::string> r;
    std::string bytes(const std::string &lineBreak = "") const
    {
        std::string out;
        for (const std::string &record : r)
            out += record + lineBreak;
        return out;
    }
};

// Header, two transfers of 12,345 yen, trailer, end.
Records cleanRecords()
{
    return {{testdata::header(cleanHeader()), testdata::data(cleanData()), testdata::data(cleanData()),
             testdata::trailer("000002", "000000024690"), testdata::end()}};
}

std::vector<std::string> summary(const CheckResult &result)
{
    std::vector<std::string> out;
    for (const Finding &f : result.findings)
        out.push_back(std::to_string(f.record) + " " + f.column + " " + std::string(severityName(f.severity)));
    return out;
}

CheckResult check(const std::string &bytes, CheckOptions options = {})
{
    if (!options.transferDate && !options.today)
        options.transferDate = kTuesday;
    return checkTransferBytes(bytes, options);
}

// The clean file with the first transfer to a payee of that name.
CheckResult checkPayee(const std::string &name)
{
    Records f = cleanRecords();
    DataSpec d = cleanData();
    d.name = name + std::string(30 - name.size(), ' ');
    f.r[1] = testdata::data(d);
    return check(f.bytes());
}

} // namespace

TEST(ZenginCheck, ACleanFileInEveryFormTheBankFileIsWrittenInHasNoFinding)
{
    EXPECT_TRUE(check(cleanRecords().bytes()).findings.empty());
    EXPECT_TRUE(check(cleanRecords().bytes("\r\n")).findings.empty());

    Records filled = cleanRecords();
    for (int i : {1, 2}) {
        testdata::put(filled.r[i], 39, "0000");
        testdata::put(filled.r[i], 112, i == 1 ? "7" : "8");
    }
    EXPECT_TRUE(check(filled.bytes()).findings.empty());

    // Every deposit type a bank takes.
    Records types = cleanRecords();
    for (const char *type : {"1", "2", "4", "9"}) {
        testdata::put(types.r[1], 43, type);
        testdata::put(types.r[0], 96, type);
        EXPECT_TRUE(check(types.bytes()).findings.empty()) << type;
    }
}

TEST(ZenginCheck, EachErrorIsFoundWithItsRecordAndColumn)
{
    struct Case
    {
        const char *what;
        std::function<void(Records &)> change;
        std::vector<std::string> expected;
    };
    auto setData = [](int i, int pos, const char *bytes) {
        return [=](Records &f) { testdata::put(f.r[i], pos, bytes); };
    };
    const std::vector<Case> cases = {
        {"new-account code blank", setData(1, 91, " "), {"2 新規コード error"}},
        {"letter in the bank number", setData(2, 2, "00A5"), {"3 引落銀行番号 error"}},
        {"consignor code with blanks", setData(0, 5, "12345     "), {"1 委託者コード error"}},
        {"amount 0",
         [](Records &f) {
             testdata::put(f.r[2], 81, "0000000000");
             testdata::put(f.r[3], 8, "000000012345");
         },
         {"3 引落金額 error"}},
        {"negative amount",
         [](Records &f) {
             testdata::put(f.r[2], 81, "-000010000");
             testdata::put(f.r[3], 8, "000000012345");
         },
         {"3 引落金額 error"}},
        {"amount padded with blanks", setData(2, 81, "     12345"), {"3 引落金額 error"}},
        {"trailer count", setData(3, 2, "000003"), {"4 合計件数 error"}},
        {"trailer total", setData(3, 8, "000000024691"), {"4 合計金額 error"}},
        {"deposit type 3", setData(1, 43, "3"), {"2 預金項目 error"}},
        {"header deposit type 0", setData(0, 96, "0"), {"1 預金種目 error"}},
        {"account of six digits", setData(2, 44, "765432 "), {"3 口座番号 error"}},
        {"header account", setData(0, 97, "12-4567"), {"1 口座番号 error"}},
        {"type code", setData(0, 2, "11"), {"1 種別コード error"}},
        {"code division", setData(0, 4, "2"), {"1 コード区分 error"}},
        {"EBCDIC", setData(0, 4, "1"), {"1 コード区分 error"}},
        {"clearing house", setData(1, 39, "12 4"), {"2 ダミー1 error"}},
        {"designation", setData(1, 112, "1"), {"2 振込結果コード error"}},
        {"no month and day", setData(0, 55, "1332"), {"1 引落日 error"}},
        {"unknown kind", [](Records &f) { f.r.insert(f.r.begin() + 2, testdata::blankRecord('5')); },
         {"3 データ区分 error"}},
        {"data before header", [](Records &f) { std::swap(f.r[0], f.r[1]); },
         {"1 データ区分 error"}},
        {"second header", [](Records &f) { f.r.insert(f.r.begin() + 2, f.r[0]); }, {"3 データ区分 error"}},
        {"data after trailer", [](Records &f) { std::swap(f.r[2], f.r[3]); },
         {"3 合計件数 error", "3 合計金額 error", "4 データ区分 error"}},
        {"record after end", [](Records &f) { f.r.push_back(testdata::data(cleanData())); }, {"6 データ区分 error"}},
        {"end before trailer", [](Records &f) { std::swap(f.r[3], f.r[4]); },
         {"4 データ区分 error", "5 データ区分 error"}},
        {"no end", [](Records &f) { f.r.pop_back(); }, {"0  error"}},
        {"no trailer nor end", [](Records &f) { f.r.resize(3); }, {"0  error"}},
    };
    for (const Case &c : cases) {
        Records f = cleanRecords();
        c.change(f);
        const CheckResult result = check(f.bytes());
        EXPECT_EQ(summary(result), c.expected) << c.what;
        EXPECT_TRUE(result.hasErrors()) << c.what;
    }

    // The sentences say what was found.
    Records negative = cleanRecords();
    testdata::put(negative.r[2], 81, "-000010000");
    testdata::put(negative.r[3], 8, "000000012345");
    EXPECT_EQ(findingLine(check(negative.bytes()).findings.at(0)),
              "3\t引落金額\terror\t引落金額「-000010000」はマイナスの金額です。金額に符号は使えません。");
    Records count = cleanRecords();
    testdata::put(count.r[3], 2, "000003");
    EXPECT_EQ(check(count.bytes()).findings.at(0).message, "合計件数 3件がデータレコードの 2件と一致しません。");
    Records blank = cleanRecords();
    testdata::put(blank.r[1], 91, "\t");
    EXPECT_EQ(check(blank.bytes()).findings.at(0).message, "新規コード「<09>」が数字ではありません。");
}

TEST(ZenginCheck, SizeAndLineBreaksAreJudgedAsTheImportReadsThem)
{
    const std::string clean = cleanRecords().bytes();
    const CheckResult size = check(clean + "X");
    EXPECT_EQ(summary(size), (std::vector<std::string>{"0  error"}));
    EXPECT_EQ(size.findings[0].message,
              "全銀協のデータではありません。ファイルの大きさ（601バイト）が120バイトのレコードの並びになっていません。");
    // A CR LF file is no size error; a break missing in the middle is.
    EXPECT_TRUE(check(cleanRecords().bytes("\r\n") + "\x1A").findings.empty());
    Records r = cleanRecords();
    const std::string broken = r.r[0] + "\r\n" + r.r[1] + r.r[2] + "\r\n" + r.r[3] + "\r\n" + r.r[4] + "\r\n";
    EXPECT_EQ(summary(check(broken)), (std::vector<std::string>{"2  error"}));
    // LF alone is read, but some banks refuse it.
    const CheckResult lf = check(cleanRecords().bytes("\n"));
    EXPECT_EQ(summary(lf), (std::vector<std::string>{"0  warning"}));
    EXPECT_EQ(lf.findings[0].severity, Severity::Caution);
    EXPECT_FALSE(lf.hasErrors());
    EXPECT_EQ(summary(check("")), (std::vector<std::string>{"0  error"}));
}

TEST(ZenginCheck, NamesABankConvertsAreWarningsWithTheFormToUseAndOthersErrors)
{
    const CheckResult smallKana = checkPayee("\xBC\xAE\xB3\xBC\xDE \xC0\xDB\xB3"); // ｼｮｳｼﾞ ﾀﾛｳ
    ASSERT_EQ(summary(smallKana), (std::vector<std::string>{"2 預金者名 warning"}));
    EXPECT_EQ(smallKana.findings[0].severity, Severity::Warning);
    EXPECT_EQ(smallKana.findings[0].message,
              "預金者名「ｼｮｳｼﾞ ﾀﾛｳ」に全銀協の文字にない「ｮ」があります。銀行では「ｼﾖｳｼﾞ ﾀﾛｳ」として扱われます。");
    EXPECT_EQ(smallKana.findings[0].found.substr(0, 5), "\xBC\xAE\xB3\xBC\xDE"); // the bytes as found

    EXPECT_NE(checkPayee("Abc (\xB6").findings.at(0).message.find("「ABC (ｶ」として扱われます"), std::string::npos);
    EXPECT_NE(checkPayee("\xBA\xB0\xCB\xB0").findings.at(0).message.find("「ｺ-ﾋ-」"), std::string::npos); // ｺｰﾋｰ
    // A character with no form to use is an error, named without one.
    const CheckResult kanji = checkPayee("\x8E\x52\x93\x63 \xC0\xDB\xB3"); // 山田 ﾀﾛｳ
    ASSERT_EQ(summary(kanji), (std::vector<std::string>{"2 預金者名 error"}));
    EXPECT_EQ(kanji.findings.at(0).message, "預金者名「山田 ﾀﾛｳ」に全銀協の文字にない「山」「田」があります。");
    EXPECT_EQ(summary(checkPayee("\xB1&\xAE")), (std::vector<std::string>{"2 預金者名 error", "2 預金者名 warning"}));
    // Symbols only some banks take are a milder warning.
    const CheckResult slash = checkPayee("\xB6)\xB1/\xB2");
    ASSERT_EQ(summary(slash), (std::vector<std::string>{"2 預金者名 warning"}));
    EXPECT_EQ(slash.findings[0].severity, Severity::Caution);
    EXPECT_FALSE(slash.hasErrors());
    // Every name field is judged.
    Records consignor = cleanRecords();
    HeaderSpec small = cleanHeader();
    small.consignorName = std::string(35, ' ') + "\xBC\xAE\xB3\xBC\xDE"; // ｼｮｳｼﾞ
    consignor.r[0] = testdata::header(small);
    EXPECT_EQ(summary(check(consignor.bytes())), (std::vector<std::string>{"1 委託者名 warning"}));
    EXPECT_EQ(zenginNameForm('a'), 'A');
    EXPECT_EQ(zenginNameForm('&'), std::nullopt);
}

TEST(ZenginCheck, SoundMarksOnlyAfterTheLettersThatTakeThem)
{
    // ｶﾞ ﾊﾟ ﾊﾞ ｳﾞ ﾄﾞ ﾎﾟ are sound.
    EXPECT_TRUE(checkPayee("\xB6\xDE \xCA\xDF \xCA\xDE \xB3\xDE \xC4\xDE \xCE\xDF").findings.empty());
    struct Case
    {
        std::string name;
        const char *message;
    };
    for (const Case &c : {
             Case{"\xB1\xDE", "預金者名「ｱﾞ」の2文字目の濁点「ﾞ」は「ｱ」の後に付けられません。"},
             Case{"\xB6\xDF", "預金者名「ｶﾟ」の2文字目の半濁点「ﾟ」は「ｶ」の後に付けられません。"},
             Case{"\xDE\xB1", "預金者名「ﾞｱ」の1文字目の濁点「ﾞ」の前に文字がありません。"},
             Case{"\xBB\xDD" "5\xDF\xD9", "預金者名「ｻﾝ5ﾟﾙ」の4文字目の半濁点「ﾟ」は「5」の後に付けられません。"},
             Case{"\xC0\xB1\xDE\xDD", "預金者名「ﾀｱﾞﾝ」の3文字目の濁点「ﾞ」は「ｱ」の後に付けられません。"},
             Case{"\xBC\xD6\xB3 \xDE", "預金者名「ｼﾖｳ ﾞ」の5文字目の濁点「ﾞ」は「 」の後に付けられません。"},
             Case{"\xB6\xDE\xDE", "預金者名「ｶﾞﾞ」の3文字目の濁点「ﾞ」は「ﾞ」の後に付けられません。"},
         }) {
        const CheckResult result = checkPayee(c.name);
        ASSERT_EQ(summary(result), (std::vector<std::string>{"2 預金者名 error"})) << c.message;
        EXPECT_EQ(result.findings[0].message, c.message);
        EXPECT_EQ(result.findings[0].problem, Problem::SoundMark);
        EXPECT_TRUE(refusesImport(result.findings[0]));
    }
    // Positions count from the name as shown: a name right-aligned in blanks.
    Records f = cleanRecords();
    testdata::put(f.r[0], 15, std::string(36, ' ') + "\xB1\xDE\xB2 ");
    EXPECT_EQ(check(f.bytes()).findings.at(0).message, "委託者名「ｱﾞｲ」の2文字目の濁点「ﾞ」は「ｱ」の後に付けられません。");
}

TEST(ZenginCheck, WhatRefusesAnImportIsWhatWouldReachTheBankWrong)
{
    auto problems = [](const std::function<void(Records &)> &change) {
        Records f = cleanRecords();
        change(f);
        std::vector<std::pair<Problem, bool>> out;
        for (const Finding &finding : check(f.bytes()).findings)
            out.emplace_back(finding.problem, refusesImport(finding));
        return out;
    };
    using P = std::vector<std::pair<Problem, bool>>;
    auto set = [](int i, int pos, const char *bytes) {
        return [=](Records &f) { testdata::put(f.r[i], pos, bytes); };
    };
    // Numbers the bank file writes afresh may carry leading blanks; letters,
    // signs and blanks alone refuse the file.
    EXPECT_EQ(problems(set(1, 2, "  17")), (P{{Problem::LeadingBlanks, false}}));
    EXPECT_EQ(problems(set(1, 21, " 23")), (P{{Problem::LeadingBlanks, false}}));
    EXPECT_EQ(problems(set(1, 2, "00A5")), (P{{Problem::NotNumeric, true}}));
    EXPECT_EQ(problems(set(1, 2, "-005")), (P{{Problem::NotNumeric, true}}));
    EXPECT_EQ(problems(set(1, 2, "    ")), (P{{Problem::NotNumeric, true}}));
    EXPECT_EQ(problems(set(1, 21, "12 ")), (P{{Problem::NotNumeric, true}}));
    EXPECT_EQ(problems(set(0, 59, "00X1")), (P{{Problem::NotNumeric, true}}));
    // What the merged file carries as it stands: the consignor's code and
    // account, the recipient's account.
    EXPECT_EQ(problems(set(0, 5, " 000012345")), (P{{Problem::NotNumeric, true}}));
    EXPECT_EQ(problems(set(0, 97, "-654321")), (P{{Problem::Account, true}}));
    EXPECT_EQ(problems(set(0, 97, "20\xB10002")), (P{{Problem::Account, true}}));
    EXPECT_EQ(problems(set(0, 97, "100 001")), (P{{Problem::Account, true}}));
    EXPECT_EQ(problems(set(1, 44, "12345AB")), (P{{Problem::Account, true}}));
    // An amount of 0 is left out of the bank file, a signed one is refused.
    EXPECT_EQ(problems([](Records &f) {
                  testdata::put(f.r[1], 81, "0000000000");
                  testdata::put(f.r[3], 8, "000000012345");
              }),
              (P{{Problem::ZeroAmount, false}}));
    EXPECT_EQ(problems(set(0, 4, "1")), (P{{Problem::CodeDivision, true}}));
    EXPECT_EQ(problems(set(1, 112, "9")), (P{{Problem::Designation, false}}));
    EXPECT_EQ(problems(set(1, 39, "AB  ")), (P{{Problem::ClearingHouse, false}}));
    EXPECT_EQ(problems(set(1, 43, "3")), (P{{Problem::DepositType, true}}));
    // A trailer that counts leading blanks still counts; an empty file stores nothing.
    EXPECT_TRUE(problems(set(3, 2, "     2")) == (P{{Problem::LeadingBlanks, false}}));
    EXPECT_EQ(problems([](Records &f) { f.r.clear(); }), (P{{Problem::NoRecords, false}}));
}

TEST(ZenginCheck, BankCodesAreHeldAgainstTheBankMasterWhenThereIsOne)
{
    BankCodes codes;
    codes.add(1, 1);   // the consignor's bank and branch
    codes.add(5, 123); // the recipients'
    CheckOptions options;
    options.bankCodes = &codes;
    EXPECT_TRUE(check(cleanRecords().bytes(), options).findings.empty());

    Records f = cleanRecords();
    testdata::put(f.r[1], 2, "0006");
    testdata::put(f.r[2], 21, "124");
    EXPECT_EQ(summary(check(f.bytes(), options)),
              (std::vector<std::string>{"2 引落銀行番号 warning", "3 引落支店番号 warning"}));
    EXPECT_EQ(check(f.bytes(), options).findings[1].message, "引落支店番号「124」の支店は銀行マスタの銀行0005にありません。");
    EXPECT_FALSE(check(f.bytes(), options).hasErrors());
    // No bank master: no such finding.
    EXPECT_TRUE(check(f.bytes()).findings.empty());
    BankCodes none;
    options.bankCodes = &none;
    EXPECT_TRUE(check(f.bytes(), options).findings.empty());
}

TEST(ZenginCheck, TheTransferDateMustBeTheHeadersAndABankBusinessDay)
{
    auto withDate = [](const char *mmdd) {
        Records f = cleanRecords();
        testdata::put(f.r[0], 55, mmdd);
        return f.bytes();
    };
    CheckOptions options;
    options.transferDate = 20080116;
    EXPECT_EQ(summary(check(withDate("0115"), options)), (std::vector<std::string>{"1 引落日 error"}));
    EXPECT_EQ(check(withDate("0115"), options).findings[0].message, "引落日「0115」が振込指定日の1月16日と一致しません。");

    struct Closed
    {
        int date;
        const char *message;
    };
    for (const Closed &c : {Closed{20260112, "振込指定日 2026年1月12日（月）は成人の日で、銀行の休業日です。"},
                            Closed{20260922, "振込指定日 2026年9月22日（火）は国民の休日で、銀行の休業日です。"},
                            Closed{20270322, "振込指定日 2027年3月22日（月）は振替休日で、銀行の休業日です。"},
                            Closed{20261231, "振込指定日 2026年12月31日（木）は年末年始で、銀行の休業日です。"},
                            Closed{20260110, "振込指定日 2026年1月10日（土）は土曜日で、銀行の休業日です。"},
                            Closed{20260111, "振込指定日 2026年1月11日（日）は日曜日で、銀行の休業日です。"}}) {
        options.transferDate = c.date;
        char mmdd[8];
        std::snprintf(mmdd, sizeof mmdd, "%04d", c.date % 10000);
        const CheckResult result = check(withDate(mmdd), options);
        ASSERT_EQ(summary(result), (std::vector<std::string>{"1 引落日 warning"})) << c.date;
        EXPECT_EQ(result.findings[0].message, c.message);
    }

    // Without a date, the header's day is the next such day from today.
    CheckOptions fromToday;
    fromToday.today = 20260105;
    EXPECT_EQ(summary(check(withDate("0112"), fromToday)), (std::vector<std::string>{"1 引落日 warning"}));
    fromToday.today = 20260113; // 12 January 2027 is a Tuesday
    EXPECT_TRUE(check(withDate("0112"), fromToday).findings.empty());
}

TEST(ZenginCheck, AFileIsReadAsItsBytesAreAndLeftUnchanged)
{
    test::TempDir dir;
    Records f = cleanRecords();
    testdata::put(f.r[1], 91, " ");
    const std::string bytes = f.bytes("\r\n");
    const std::string path = dir.file("FB.txt");
    test::writeBytes(path, bytes);
    CheckOptions options;
    options.transferDate = kTuesday;
    const CheckResult fromFile = checkTransferFile(path, options);
    EXPECT_EQ(summary(fromFile), summary(checkTransferBytes(bytes, options)));
    EXPECT_EQ(fromFile.records, 5);
    EXPECT_EQ(test::readBytes(path), bytes);
    EXPECT_THROW(checkTransferFile(dir.file("missing.txt"), options), std::runtime_error);
}
