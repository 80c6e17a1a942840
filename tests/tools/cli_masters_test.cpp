// End-to-end: the masters exported and imported with pelanova-cli.
#include "clifixture.h"
#include "core/cp932.h"
#include "support/zenginfile.h"

namespace {

class CliMastersTest : public CliFixture
{
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        ASSERT_EQ(cli("init-db").status, 0);
        testdata::writeFile(path("f1.txt"), testdata::header() + testdata::data()
                                                + testdata::trailer("000001", "000000012345") + testdata::end());
        ASSERT_EQ(cli("import --facility 1 --date 20080115 " + path("f1.txt")).status, 0) << err();
    }

    // The exported recipients with one line's fee category changed.
    std::string editedRecipients(const std::string &from, const std::string &to)
    {
        EXPECT_EQ(cli("export recipients " + path("r.csv")).status, 0) << err();
        std::string text = pelanova::cp932::decode(read("r.csv"));
        const size_t at = text.rfind(from);
        EXPECT_NE(at, std::string::npos) << text;
        text.replace(at, from.size(), to);
        return text;
    }
};

} // namespace

TEST_F(CliMastersTest, DryRunPrintsTheChangesAndChangesNothingThenTheImportApplies)
{
    testdata::writeFile(path("edit.csv"), editedRecipients(",0,0\r\n", ",1,30000\r\n"));
    const Result dry = cli("import-master recipients " + path("edit.csv") + " --dry-run");
    EXPECT_EQ(dry.status, 0) << err();
    EXPECT_EQ(dry.out, "追加 0 件 / 変更 1 件 / 変更なし 0 件\n"
                       "変更 2行目 0000012345 0005-123 普通 7654321 ﾔﾏﾀﾞ ﾀﾛｳ：手数料区分 0→1、手数料金額 0→30,000\n"
                       "（--dry-run のため変更していません）\n");
    EXPECT_EQ(cli("export recipients " + path("again.csv")).status, 0);
    EXPECT_EQ(read("again.csv"), read("r.csv"));

    const Result applied = cli("import-master recipients " + path("edit.csv"));
    EXPECT_EQ(applied.status, 0) << err();
    EXPECT_EQ(cli("import-master recipients " + path("edit.csv")).out, "追加 0 件 / 変更 0 件 / 変更なし 1 件\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "backup")) << "a backup before the change";
}

TEST_F(CliMastersTest, AChangedFeeCategoryLeavesAMadeBankFileBehind)
{
    ASSERT_EQ(cli("write-file --date 20080115 --consignor 0000012345 " + path("OUT.TXT")).status, 0) << err();
    testdata::writeFile(path("edit.csv"), editedRecipients(",0,0\r\n", ",1,0\r\n"));
    EXPECT_EQ(cli("import-master recipients " + path("edit.csv")).status, 0);
    EXPECT_NE(err().find("作成済みの振込データ（"), std::string::npos) << err();
    EXPECT_NE(err().find("）と内容が変わりました。"), std::string::npos) << err();
}

TEST_F(CliMastersTest, ARefusedFileExitsOneOnStderrAndUnknownMastersAreUsageErrors)
{
    testdata::writeFile(path("bad.csv"), editedRecipients(",0,0\r\n", ",2,0\r\n"));
    const Result refused = cli("import-master recipients " + path("bad.csv"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(err(), "取り込めませんでした（何も変更していません）。誤りが 1 件あります。\n"
                     "2行目 手数料区分「2」は0か1のどちらかです。\n");
    EXPECT_EQ(cli("import-master recipient-list " + path("bad.csv")).status, 2);
    EXPECT_EQ(cli("export banks " + path("x.csv")).status, 2);
    EXPECT_EQ(cli("export facilities " + path("x.txt")).status, 1);
}
