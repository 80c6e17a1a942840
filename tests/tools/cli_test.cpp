// End-to-end: pelanova-cli as a user runs it.
#include "core/sqlite.h"
#include "support/zenginfile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sys/wait.h>

namespace {

struct Result
{
    int status;
    std::string out;
};

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = std::filesystem::path(::testing::TempDir()) / ("pelanova_cli_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs the tool with stdout captured (stderr to err.txt).
    Result cli(const std::string &args)
    {
        const std::string cmd = std::string("'") + PELANOVA_CLI + "' --db '" + (dir / "FBDB.db").string()
                                + "' --ini '" + (dir / "pelanova.ini").string() + "' " + args + " 2>'"
                                + (dir / "err.txt").string() + "'";
        FILE *p = popen(cmd.c_str(), "r");
        Result r{-1, {}};
        std::array<char, 4096> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
            r.out.append(buf.data(), n);
        const int status = pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }

    std::string err()
    {
        FILE *f = std::fopen((dir / "err.txt").c_str(), "rb");
        std::string s;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        std::fclose(f);
        return s;
    }

    std::string path(const std::string &name) { return (dir / name).string(); }

    std::filesystem::path dir;
};

} // namespace

TEST_F(CliTest, ImportListAndDeleteAsAUserWould)
{
    ASSERT_EQ(cli("init-db").status, 0);
    EXPECT_EQ(cli("init-db").status, 1); // never over an existing database
    ASSERT_EQ(cli("facility-add 3 第三施設 FB").status, 0);
    EXPECT_EQ(cli("facility-add 3 again").status, 1);

    testdata::writeFile(path("FB0115.txt"), testdata::header() + testdata::data() + testdata::data()
                                                + testdata::trailer("000002", "000000024690") + testdata::end());
    ASSERT_EQ(cli("import --facility 3 --date 20080115 " + path("FB0115.txt")).status, 0);
    const std::time_t now = std::time(nullptr);
    char today[16];
    std::strftime(today, sizeof today, "%Y/%m/%d", std::localtime(&now));
    EXPECT_EQ(cli("imports --facility 3").out, std::string("第三施設\t2008/01/15\t2\t24,690\t") + today + "\n");

    const Result again = cli("import --facility 3 --date 20080115 " + path("FB0115.txt"));
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(err().find("既に取り込みが完了しています。\n再度取り込むには"), std::string::npos);

    const Result wrongDate = cli("import --facility 3 --date 20080116 " + path("FB0115.txt"));
    EXPECT_EQ(wrongDate.status, 1);
    EXPECT_EQ(err(), "振込依頼日が設定とデータが一致していないため処理を中断します。\n");

    const Result del = cli("delete --facility 3 --date 20080115");
    EXPECT_EQ(del.status, 0);
    EXPECT_EQ(del.out, "削除しました。\n");
    EXPECT_EQ(cli("imports --facility 3").out, "");
}

TEST_F(CliTest, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(cli("").status, 2);
    EXPECT_EQ(cli("frobnicate").status, 2);
    EXPECT_EQ(cli("import --facility 3 --date 20080230 x.txt").status, 2);
    EXPECT_EQ(cli("imports").status, 2);
    const Result help = cli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: pelanova-cli"), std::string::npos);
}

TEST_F(CliTest, MissingDatabaseIsAFailureNotACreation)
{
    const Result r = cli("imports --facility 3");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(err().find("データベースの接続に失敗しました。"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "FBDB.db"));
}

TEST_F(CliTest, NewRecipientsTakeTheFeeCategoryFromTheSettingsFile)
{
    ASSERT_EQ(cli("init-db").status, 0);
    // Shift-JIS on disk, keys in another case than the program writes them.
    testdata::writeFile(path("pelanova.ini"), "[tesuuryou]\r\ntesuuryoukubun=1\r\nTESUURYOUKINGAKU=30000\r\n");
    testdata::writeFile(path("a.txt"), testdata::header() + testdata::data() + testdata::trailer("000001", "000000012345")
                                           + testdata::end());
    ASSERT_EQ(cli("import --facility 1 --date 20080115 " + path("a.txt")).status, 0);
    pelanova::sql::Database db;
    db.open(path("FBDB.db"), pelanova::sql::Database::Mode::ReadOnly);
    auto st = db.prepare("SELECT 手数料区分, 手数料金額 FROM M_受取人");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.integer(0), 1);
    EXPECT_EQ(st.integer(1), 30000);
}
