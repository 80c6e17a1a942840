// End-to-end: pelanova-cli check, and the check that write-file runs before
// it writes.
#include "clifixture.h"
#include "support/zenginfile.h"

namespace {

class CliCheckTest : public CliFixture
{
};

// The default test file: its consignor name holds ｮ and its branch name ｭ.
std::string defaultFile(const testdata::DataSpec &d = {})
{
    return testdata::header() + testdata::data(d) + testdata::trailer("000001", "000000012345") + testdata::end();
}

const std::string kConsignorWarning =
    "1\t委託者名\twarning\t委託者名「ｼｼﾞｮｳﾀﾛｳｷｼ」に全銀協の文字にない「ｮ」があります。銀行では「ｼｼﾞﾖｳﾀﾛｳｷｼ」として扱われます。\n";
const std::string kBranchWarning =
    "2\t引落支店名\twarning\t引落支店名「ｼﾝｼﾞｭ」に全銀協の文字にない「ｭ」があります。銀行では「ｼﾝｼﾞﾕ」として扱われます。\n";
const std::string kNameWarnings = kConsignorWarning + kBranchWarning;

} // namespace

TEST_F(CliCheckTest, FindingsAreTsvLinesAndErrorsExitWithOne)
{
    const std::string bytes = defaultFile();
    testdata::writeFile(path("FB.txt"), bytes);
    const auto warnings = cli("check --date 20080115 " + path("FB.txt"));
    EXPECT_EQ(warnings.status, 0);
    EXPECT_EQ(warnings.out, kNameWarnings);

    // The header's day must be the given date's; the business-day rule goes on that date.
    const auto wrongDay = cli("check " + path("FB.txt") + " --date 20080116");
    EXPECT_EQ(wrongDay.status, 1);
    EXPECT_EQ(wrongDay.out, kConsignorWarning + "1\t引落日\terror\t引落日「0115」が振込指定日の1月16日と一致しません。\n"
                                + kBranchWarning);
    const auto holiday = cli("check --date 19990115 " + path("FB.txt"));
    EXPECT_EQ(holiday.status, 0);
    EXPECT_EQ(holiday.out, kConsignorWarning
                               + "1\t引落日\twarning\t振込指定日 1999年1月15日（金）は成人の日で、銀行の休業日です。\n"
                               + kBranchWarning);
    testdata::DataSpec blank;
    blank.newCode = " ";
    testdata::writeFile(path("bad.txt"), defaultFile(blank));
    const auto bad = cli("check --date 20080115 " + path("bad.txt"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("2\t新規コード\terror\t新規コード「 」が数字ではありません。\n"), std::string::npos);

    // A size that fits no form is a finding about the whole file.
    testdata::writeFile(path("short.txt"), bytes.substr(0, 200));
    const auto size = cli("check --date 20080115 " + path("short.txt"));
    EXPECT_EQ(size.status, 1);
    EXPECT_EQ(size.out, "\t\terror\tファイルの大きさ（200バイト）が120バイトのレコードの並びになっていません。\n");

    EXPECT_EQ(read("FB.txt"), bytes); // only read
    EXPECT_EQ(cli("check").status, 2);
    EXPECT_EQ(cli("check --date 2008011 " + path("FB.txt")).status, 2);
    EXPECT_EQ(cli("check --force " + path("FB.txt")).status, 2);
    EXPECT_EQ(cli("check " + path("missing.txt")).status, 1);
}

TEST_F(CliCheckTest, WriteFilePrintsWarningsAndWritesNothingWithErrors)
{
    ASSERT_EQ(cli("init-db").status, 0);
    testdata::writeFile(path("in.txt"), defaultFile());
    ASSERT_EQ(cli("import --facility 4 --date 20080115 " + path("in.txt")).status, 0);
    const auto warned = cli("write-file --date 20080115 --consignor 0000012345 " + path("OUT.TXT"));
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(err(), kNameWarnings);
    EXPECT_EQ(read("OUT.TXT"), defaultFile());

    // A transfer of 0 yen: the bank refuses the file, so none is written.
    testdata::HeaderSpec saturday;
    saturday.mmdd = "0119";
    testdata::DataSpec zero;
    zero.amount = "0000000000";
    testdata::writeFile(path("zero.txt"), testdata::header(saturday) + testdata::data(zero)
                                              + testdata::trailer("000001", "000000000000") + testdata::end());
    ASSERT_EQ(cli("import --facility 4 --date 20080119 " + path("zero.txt")).status, 0);
    const auto refused = cli("write-file --date 20080119 --consignor 0000012345 " + path("ZERO.TXT"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    const std::string e = err();
    EXPECT_NE(e.find("1\t引落日\twarning\t振込指定日 2008年1月19日（土）は土曜日で、銀行の休業日です。\n"), std::string::npos)
        << e;
    EXPECT_NE(e.find("2\t引落金額\terror\t引落金額が0円です。\n"), std::string::npos) << e;
    EXPECT_NE(e.find("銀行に受け付けられないデータがあるため、ファイルは作成していません。\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("ZERO.TXT")));
}
