// End-to-end: pelanova-cli check, and the check that write-file runs before
// it writes.
#include "clifixture.h"
#include "support/zenginfile.h"

namespace {

class CliCheckTest : public CliFixture
{
};

// A file whose consignor name holds ｮ and whose branch name holds ｭ.
std::string defaultFile(testdata::DataSpec d = {})
{
    testdata::HeaderSpec h;
    h.consignorName = std::string(30, ' ') + "\xBC\xBC\xDE\xAE\xB3\xC0\xDB\xB3\xB7\xBC"; // ｼｼﾞｮｳﾀﾛｳｷｼ
    d.branchName = "          \xBC\xDD\xBC\xDE\xAD";                                 // ｼﾝｼﾞｭ
    return testdata::header(h) + testdata::data(d) + testdata::trailer("000001", "000000012345") + testdata::end();
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
    EXPECT_EQ(size.out, "\t\terror\t全銀協のデータではありません。ファイルの大きさ（200バイト）が120バイトのレコードの並びになっていません。\n");

    EXPECT_EQ(read("FB.txt"), bytes); // only read
    EXPECT_EQ(cli("check").status, 2);
    EXPECT_EQ(cli("check --date 2008011 " + path("FB.txt")).status, 2);
    EXPECT_EQ(cli("check --force " + path("FB.txt")).status, 2);
    EXPECT_EQ(cli("check " + path("missing.txt")).status, 1);
}

TEST_F(CliCheckTest, TheImportRefusesWhatTheCheckCallsAnErrorInTheSameWords)
{
    ASSERT_EQ(cli("init-db").status, 0);
    std::string ebcdic = defaultFile();
    testdata::put(ebcdic, 4, "1");
    testdata::writeFile(path("ebcdic.txt"), ebcdic);
    const auto checked = cli("check --date 20080115 " + path("ebcdic.txt"));
    EXPECT_EQ(checked.status, 1);
    const std::string sentence = "コード区分「1」がシフトJIS（0）ではありません。";
    EXPECT_NE(checked.out.find("1\tコード区分\terror\t" + sentence + "\n"), std::string::npos) << checked.out;
    EXPECT_EQ(cli("import --facility 4 --date 20080115 " + path("ebcdic.txt")).status, 1);
    EXPECT_EQ(err(), "次の誤り（1件）があるため取り込めません。何も取り込んでいません。\n［エラー］レコード1 コード区分："
                         + sentence + "\n");
    EXPECT_EQ(cli("imports --facility 4").out, "");

    // Warnings do not refuse; the import says them on stderr.
    testdata::writeFile(path("in.txt"), defaultFile());
    EXPECT_EQ(cli("import --facility 4 --date 20080115 " + path("in.txt")).status, 0);
    EXPECT_EQ(err(), "取り込みました。次の点をご確認ください（2件）。\n"
                     "［警告］レコード1 委託者名：委託者名「ｼｼﾞｮｳﾀﾛｳｷｼ」に全銀協の文字にない「ｮ」があります。銀行では「ｼｼﾞﾖｳﾀﾛｳｷｼ」として扱われます。\n"
                     "［警告］レコード2 引落支店名：引落支店名「ｼﾝｼﾞｭ」に全銀協の文字にない「ｭ」があります。銀行では「ｼﾝｼﾞﾕ」として扱われます。\n");
}

TEST_F(CliCheckTest, WriteFileWritesTheBanksCharactersAndLeavesOutLinesOfNoMoney)
{
    ASSERT_EQ(cli("init-db").status, 0);
    testdata::writeFile(path("in.txt"), defaultFile());
    ASSERT_EQ(cli("import --facility 4 --date 20080115 " + path("in.txt")).status, 0);
    const auto written = cli("write-file --date 20080115 --consignor 0000012345 " + path("OUT.TXT"));
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(err(), "");
    EXPECT_EQ(written.out, "委託者名「ｼｼﾞｮｳﾀﾛｳｷｼ」を「ｼｼﾞﾖｳﾀﾛｳｷｼ」として作成します。\n"
                           "振込支店名「ｼﾝｼﾞｭ」を「ｼﾝｼﾞﾕ」として作成します。\n"
                           "振込データの作成が完了しました。\n");
    const std::string out = read("OUT.TXT");
    EXPECT_EQ(out.substr(14, 40), std::string(30, ' ') + "\xBC\xBC\xDE\xD6\xB3\xC0\xDB\xB3\xB7\xBC");
    EXPECT_EQ(cli("check --date 20080115 " + path("OUT.TXT")).out, "");

    // A day whose only transfer is 0 yen has nothing to transfer.
    testdata::HeaderSpec saturday;
    saturday.mmdd = "0119";
    testdata::DataSpec zero;
    zero.amount = "0000000000";
    testdata::writeFile(path("zero.txt"), testdata::header(saturday) + testdata::data(zero)
                                              + testdata::trailer("000001", "000000000000") + testdata::end());
    ASSERT_EQ(cli("import --facility 4 --date 20080119 " + path("zero.txt")).status, 0);
    const auto nothing = cli("write-file --date 20080119 --consignor 0000012345 " + path("ZERO.TXT"));
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.out, "");
    EXPECT_EQ(err(), "この日の振込データがありません。\n");
    EXPECT_FALSE(std::filesystem::exists(path("ZERO.TXT")));
    EXPECT_EQ(cli("write-file --date 20080120 --consignor 0000012345 " + path("ZERO.TXT")).status, 1);
    EXPECT_EQ(err(), "この日の振込データがありません。\n");

    // Beside another transfer the 0-yen line is left out and named.
    ASSERT_EQ(cli("facility-add 5 第五施設").status, 0);
    testdata::writeFile(path("more.txt"), testdata::header(saturday) + testdata::data()
                                              + testdata::trailer("000001", "000000012345") + testdata::end());
    ASSERT_EQ(cli("import --facility 5 --date 20080119 " + path("more.txt")).status, 0);
    testdata::DataSpec other;
    other.account = "1111111";
    other.amount = "0000000000";
    testdata::writeFile(path("other.txt"), testdata::header(saturday) + testdata::data(other)
                                               + testdata::trailer("000001", "000000000000") + testdata::end());
    ASSERT_EQ(cli("import --facility 6 --date 20080119 " + path("other.txt")).status, 0);
    const auto leftOut = cli("write-file --date 20080119 --consignor 0000012345 " + path("SAT.TXT"));
    EXPECT_EQ(leftOut.status, 0);
    EXPECT_NE(leftOut.out.find("2件目の振込（0005-123 普通 1111111 ﾔﾏﾀﾞ ﾀﾛｳ）の金額 0円は0円のため、"
                               "ファイルに含めません。\n"),
              std::string::npos)
        << leftOut.out;
    const std::string sat = read("SAT.TXT");
    ASSERT_EQ(sat.size(), 4 * 120u);
    EXPECT_EQ(sat.substr(240, 19), "8" "000001" "000000012345");
    const std::string e = err();
    EXPECT_NE(e.find("1\t引落日\twarning\t振込指定日 2008年1月19日（土）は土曜日で、銀行の休業日です。\n"), std::string::npos)
        << e;
}
