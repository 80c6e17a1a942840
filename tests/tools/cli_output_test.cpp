// End-to-end: the output commands of pelanova-cli on files imported by the tool.
#include "clifixture.h"
#include "support/zenginfile.h"



namespace {

class CliOutputTest : public CliFixture
{
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        ASSERT_EQ(cli("init-db").status, 0);
    }
};

testdata::DataSpec to(const std::string &account, const std::string &amount)
{
    testdata::DataSpec d;
    d.account = account;
    d.amount = amount;
    return d;
}

} // namespace

TEST_F(CliOutputTest, LinesOfOneFacilityAndOfAllFacilities)
{
    ASSERT_EQ(cli("facility-add 1 第一施設").status, 0);
    ASSERT_EQ(cli("facility-add 2 第二施設").status, 0);
    // Facility 2 is imported first: its account 2222222 leads the merged list.
    testdata::writeFile(path("f2.txt"), testdata::header() + testdata::data(to("2222222", "0000020000"))
                                            + testdata::data(to("1111111", "0000005000"))
                                            + testdata::trailer("000002", "000000025000") + testdata::end());
    testdata::writeFile(path("f1.txt"), testdata::header() + testdata::data(to("1111111", "0000030000"))
                                            + testdata::trailer("000001", "000000030000") + testdata::end());
    ASSERT_EQ(cli("import --facility 2 --date 20080115 " + path("f2.txt")).status, 0);
    ASSERT_EQ(cli("import --facility 1 --date 20080115 " + path("f1.txt")).status, 0);

    const std::string name = std::string(20, ' ') + "ﾔﾏﾀﾞ ﾀﾛｳ  ";
    const std::string bank = "0005-123\t          ﾐﾂｲｽﾐ\t          ｼﾝｼﾞﾕ\t普通\t" + name + "\t";
    const auto all = cli("lines --date 20080115 --consignor 0000012345");
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, bank + "20,000\t420\t\n" + bank + "35,000\t630\t\nTOTAL\t2\t55,000\n");

    const auto one = cli("lines --date 20080115 --consignor 0000012345 --facility 1");
    EXPECT_EQ(one.out, bank + "30,000\t630\t\nTOTAL\t1\t30,000\n");
    EXPECT_EQ(cli("lines --date 20080116 --consignor 0000012345").out, "TOTAL\t0\t0\n");
    EXPECT_EQ(cli("lines --date 2008011 --consignor 0000012345").status, 2);
}

TEST_F(CliOutputTest, WrittenFileRepeatsTheImportedBytesAndIsNotOverwrittenWithoutForce)
{
    // One facility, the consignor bears every fee: the merged file is the
    // imported file again, byte for byte.
    const std::string original = testdata::header() + testdata::data(to("2222222", "0000020000"))
                                 + testdata::data(to("1111111", "0000005000"))
                                 + testdata::trailer("000002", "000000025000") + testdata::end();
    testdata::writeFile(path("in.txt"), original);
    ASSERT_EQ(cli("import --facility 4 --date 20080115 " + path("in.txt")).status, 0);

    const auto written = cli("write-file --date 20080115 --consignor 0000012345 " + path("OUT.TXT"));
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, "振込データの作成が完了しました。\n");
    EXPECT_EQ(read("OUT.TXT"), original);

    testdata::writeFile(path("OUT.TXT"), "keep me");
    const auto refused = cli("write-file --date 20080115 --consignor 0000012345 --again " + path("OUT.TXT"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(read("err.txt"), "すでにファイルが存在しています。\n");
    EXPECT_EQ(read("OUT.TXT"), "keep me");

    EXPECT_EQ(cli("write-file --date 20080115 --consignor 0000012345 --force --again " + path("OUT.TXT")).status, 0);
    EXPECT_EQ(read("OUT.TXT"), original);

    // A consignor that is not registered has no header: refused, nothing written.
    EXPECT_EQ(cli("write-file --date 20080115 --consignor nobody " + path("NONE.TXT")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(path("NONE.TXT")));
    EXPECT_EQ(cli("write-file --date 20080115 --consignor 0000012345").status, 2);
}

TEST_F(CliOutputTest, CrLfFormReadsBackThroughTheImportAsTheSameData)
{
    const std::string original = testdata::header() + testdata::data(to("2222222", "0000020000"))
                                 + testdata::data(to("1111111", "0000005000"))
                                 + testdata::trailer("000002", "000000025000") + testdata::end();
    testdata::writeFile(path("in.txt"), original);
    ASSERT_EQ(cli("import --facility 4 --date 20080115 " + path("in.txt")).status, 0);

    ASSERT_EQ(cli("write-file --date 20080115 --consignor 0000012345 --line-break crlf " + path("CRLF.TXT")).status,
              0);
    std::string expected;
    for (size_t i = 0; i < original.size(); i += 120)
        expected += original.substr(i, 120) + "\r\n";
    EXPECT_EQ(read("CRLF.TXT"), expected);

    // Imported again under another facility, the lines are those of the first import.
    ASSERT_EQ(cli("import --facility 5 --date 20080115 " + path("CRLF.TXT")).status, 0);
    EXPECT_EQ(cli("lines --date 20080115 --consignor 0000012345 --facility 5").out,
              cli("lines --date 20080115 --consignor 0000012345 --facility 4").out);
    EXPECT_EQ(cli("imports --facility 5").out.substr(0, 20), cli("imports --facility 4").out.substr(0, 20));

    EXPECT_EQ(cli("write-file --date 20080115 --consignor 0000012345 --line-break cr " + path("X.TXT")).status, 2);
    EXPECT_FALSE(std::filesystem::exists(path("X.TXT")));
}

TEST_F(CliOutputTest, ARefusedImportReachesStandardErrorWithExitOne)
{
    std::string debit = testdata::header();
    testdata::put(debit, 2, "91");
    testdata::writeFile(path("debit.txt"), debit + testdata::data() + testdata::trailer("000001", "000000012345")
                                               + testdata::end());
    const auto r = cli("import --facility 4 --date 20080115 " + path("debit.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(err(), "次の誤り（1件）があるため取り込めません。何も取り込んでいません。\n"
                     "［エラー］レコード1 種別コード：種別コード「91」が総合振込（21）ではありません。\n");
    EXPECT_EQ(cli("imports --facility 4").out, "");
}
