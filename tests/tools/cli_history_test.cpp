// End-to-end: the record of bank files as pelanova-cli keeps and reads it.
#include "clifixture.h"
#include "core/sha256.h"
#include "support/zenginfile.h"

#include <regex>

namespace {

class CliHistoryTest : public CliFixture
{
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        ASSERT_EQ(cli("init-db").status, 0);
    }

    void importFacility(int facility, const std::string &account, const std::string &amount)
    {
        testdata::DataSpec d;
        d.account = account;
        d.amount = amount;
        const std::string name = "f" + std::to_string(facility) + ".txt";
        testdata::writeFile(path(name), testdata::header() + testdata::data(d)
                                            + testdata::trailer("000001", "0000" + amount.substr(2)) + testdata::end());
        ASSERT_EQ(cli("import --facility " + std::to_string(facility) + " --date 20080115 " + path(name)).status, 0)
            << err();
    }

    Result write(const std::string &name, const std::string &options = "")
    {
        return cli("write-file --date 20080115 --consignor 0000012345 " + options + path(name));
    }
};

} // namespace

TEST_F(CliHistoryTest, WriteFileRecordsAndAsksForAgainThenHistoryListsNewestFirst)
{
    importFacility(1, "1111111", "0000012345");
    ASSERT_EQ(write("FIRST.TXT").status, 0);
    const auto again = write("SECOND.TXT");
    EXPECT_EQ(again.status, 1);
    const std::string refusal = err();
    EXPECT_TRUE(std::regex_search(refusal, std::regex("この振込データは \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d に作成済みです"
                                                      "（1件 12,345円）。もう一度作成しますか？\n")))
        << refusal;
    EXPECT_FALSE(std::filesystem::exists(path("SECOND.TXT")));
    ASSERT_EQ(write("SECOND.TXT", "--again ").status, 0);

    const std::string history = cli("history").out;
    std::vector<std::string> lines;
    for (size_t at = 0, next; (next = history.find('\n', at)) != std::string::npos; at = next + 1)
        lines.push_back(history.substr(at, next - at));
    ASSERT_EQ(lines.size(), 2u) << history;
    const std::string sha = pelanova::sha256OfFile(path("SECOND.TXT"));
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t0000012345\t20080115\t1\t12345\t"
                                                      + sha + "\t[^\t]+\t" + path("SECOND.TXT") + "\t同じ")))
        << lines[0];
    EXPECT_NE(lines[1].find(path("FIRST.TXT") + "\t同じ"), std::string::npos) << lines[1];
    EXPECT_EQ(cli("history --consignor 0000012345 --date 20080116").out, "");
    EXPECT_EQ(cli("history --consignor nobody").out, "");

    // A new import of the day leaves the files behind, and says so on stderr.
    importFacility(2, "2222222", "0000001000");
    EXPECT_NE(err().find("と内容が変わりました。作成し直し、銀行への再送をご確認ください。"), std::string::npos) << err();
    EXPECT_NE(cli("history").out.find("\t変更あり\n"), std::string::npos);
}

TEST_F(CliHistoryTest, VerifyNamesTheRecordAndSaysWhetherTheFileStillHolds)
{
    importFacility(1, "1111111", "0000012345");
    ASSERT_EQ(write("OLD.TXT").status, 0);
    const auto good = cli("verify " + path("OLD.TXT"));
    EXPECT_EQ(good.status, 0) << err();
    EXPECT_NE(good.out.find("に作成された振込データです（委託者 0000012345、振込依頼日 2008/01/15、1件 12,345円、"),
              std::string::npos)
        << good.out;
    EXPECT_NE(good.out.find("この日の最新の振込データで、データは作成時から変わっていません。"), std::string::npos);

    // A byte changed: no record has these bytes.
    testdata::writeFile(path("CHANGED.TXT"), read("OLD.TXT") + "\r\n");
    EXPECT_EQ(cli("verify " + path("CHANGED.TXT")).status, 1);
    EXPECT_EQ(err(), "記録にないファイルです。\n");

    // Another file made since for the day.
    importFacility(2, "2222222", "0000001000");
    ASSERT_EQ(write("NEW.TXT", "--again ").status, 0);
    EXPECT_EQ(cli("verify " + path("OLD.TXT")).status, 1);
    EXPECT_EQ(err().rfind("より新しいファイルが作成されています。", 0), 0u) << err();
    EXPECT_EQ(cli("verify " + path("NEW.TXT")).status, 0);

    // The data changed after the newest.
    ASSERT_EQ(cli("delete --facility 2 --date 20080115").status, 0);
    EXPECT_EQ(cli("verify " + path("NEW.TXT")).status, 1);
    EXPECT_EQ(err(), "作成後にデータが変わりました。\n");

    EXPECT_EQ(cli("verify " + path("missing.TXT")).status, 1);
    EXPECT_EQ(cli("verify").status, 2);
}
