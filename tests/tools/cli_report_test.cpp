// End-to-end: pelanova-cli report, read back with pdfinfo and pdftotext.
#include "clifixture.h"
#include "core/sql.h"
#include "support/zenginfile.h"

#include <cstdlib>
#include <regex>

namespace {

class CliReportTest : public CliFixture
{
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        ASSERT_EQ(cli("init-db").status, 0);
    }

    // A file of n transfers of 10,000 yen to accounts 0..n-1, imported as facility 1.
    void importTransfers(int n)
    {
        std::string bytes = testdata::header();
        for (int i = 0; i < n; ++i) {
            testdata::DataSpec d;
            char account[12];
            std::snprintf(account, sizeof account, "%07d", i);
            d.account = account;
            d.name = "\xC0\xDB\xB3" + std::to_string(100 + i); // ﾀﾛｳ100… in Shift-JIS
            d.name.resize(30, ' ');
            d.amount = "0000010000";
            bytes += testdata::data(d);
        }
        char count[7], total[13];
        std::snprintf(count, sizeof count, "%06d", n);
        std::snprintf(total, sizeof total, "%012lld", 10000LL * n);
        testdata::writeFile(path("in.txt"), bytes + testdata::trailer(count, total) + testdata::end());
        ASSERT_EQ(cli("import --facility 1 --date 20080115 " + path("in.txt")).status, 0);
    }

    std::string shell(const std::string &command)
    {
        std::string out;
        FILE *p = popen(command.c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
        return out;
    }
    int pages(const std::string &pdf)
    {
        const std::string info = shell("pdfinfo '" + path(pdf) + "'");
        std::smatch m;
        return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
    }
    // pdftotext turns the captions' full-width blanks into runs of blanks.
    std::string text(const std::string &pdf, int page)
    {
        return shell("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '"
                     + path(pdf) + "' -");
    }
    static int occurrences(const std::string &s, const std::string &what)
    {
        int n = 0;
        for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
            ++n;
        return n;
    }
};

} // namespace

TEST_F(CliReportTest, WritesEachReportWithoutADisplay)
{
    importTransfers(3);
    const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    for (const char *kind : {"request", "fees"}) {
        const std::string cmd = std::string("'") + PELANOVA_CLI + "' --db \"" + database + "\" --ini '"
                                + path("pelanova.ini") + "' report " + kind
                                + " --date 20080115 --consignor 0000012345 '" + path("out.pdf") + "' 2>'"
                                + path("err.txt") + "'";
        ASSERT_EQ(std::system((env + cmd).c_str()), 0) << kind << err();
        EXPECT_EQ(err(), "");
        EXPECT_EQ(pages("out.pdf"), 1);
        const std::string page = text("out.pdf", 1);
        EXPECT_TRUE(std::regex_search(page, std::regex("依\\s*頼\\s*書"))) << kind;
        EXPECT_EQ(occurrences(page, "0005-123"), 3) << kind;
        EXPECT_NE(shell("pdffonts '" + path("out.pdf") + "'").find("IPA"), std::string::npos);
    }
    // Facility 1 alone gives the same lines; another facility has none.
    EXPECT_EQ(cli("report request --date 20080115 --consignor 0000012345 --facility 1 " + path("one.pdf")).status, 0);
    EXPECT_EQ(occurrences(text("one.pdf", 1), "0005-123"), 3);
    EXPECT_EQ(cli("report request --date 20080115 --consignor 0000012345 --facility 2 " + path("two.pdf")).status, 1);
}

TEST_F(CliReportTest, NothingToPrintWritesNothingAndKeepsAnEarlierFile)
{
    importTransfers(1);
    const Result none = cli("report request --date 20080116 --consignor 0000012345 " + path("none.pdf"));
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(err(), "印刷対象データがありません．\n");
    EXPECT_FALSE(std::filesystem::exists(path("none.pdf")));

    testdata::writeFile(path("keep.pdf"), "earlier");
    EXPECT_EQ(cli("report fees --date 20080116 --consignor 0000012345 " + path("keep.pdf")).status, 1);
    EXPECT_EQ(read("keep.pdf"), "earlier");
    // A folder that does not exist: refused, nothing left behind.
    EXPECT_EQ(cli("report fees --date 20080115 --consignor 0000012345 " + path("no/such/out.pdf")).status, 1);
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".keep.pdf"), std::string::npos);

    EXPECT_EQ(cli("report request --consignor 0000012345 " + path("x.pdf")).status, 2);
    EXPECT_EQ(cli("report invoice " + path("x.pdf")).status, 2);
    EXPECT_EQ(cli("report recipients").status, 2);
}

TEST_F(CliReportTest, RecipientListOf44And45Recipients)
{
    importTransfers(44);
    ASSERT_EQ(cli("report recipients " + path("r44.pdf")).status, 0);
    EXPECT_EQ(pages("r44.pdf"), 1);
    EXPECT_EQ(occurrences(text("r44.pdf", 1), "0005-123"), 44);

    {
        pelanova::sql::Database db;
        db.open(database, pelanova::sql::Database::Mode::ReadWrite);
        db.exec("UPDATE M_受取人 SET 手数料区分 = 1, 手数料金額 = 30000, 銀行名漢字 = 'みずなみ銀行', "
                "支店名漢字 = '新宿支店' WHERE 口座番号 = '0000000'");
        db.exec("INSERT INTO M_受取人 (委託者コード, 銀行番号, 銀行名, 支店番号, 支店名, 預金種別, 受取人名, "
                "口座番号, 手数料区分, 手数料金額) VALUES ('other', 9, 'ﾎｶ', 9, 'ﾎｶ', 2, 'ｱｵｷ', '9999999', 0, 0)");
    }
    ASSERT_EQ(cli("report recipients " + path("r45.pdf")).status, 0);
    EXPECT_EQ(pages("r45.pdf"), 2);
    const std::string first = text("r45.pdf", 1);
    const std::string second = text("r45.pdf", 2);
    // Sorted by name across consignors: ｱｵｷ of another consignor comes first.
    EXPECT_LT(first.find("ｱｵｷ"), first.find("ﾀﾛｳ100"));
    EXPECT_NE(first.find("当座"), std::string::npos);
    EXPECT_NE(first.find("みずなみ銀行"), std::string::npos);
    EXPECT_NE(first.find("新宿支店"), std::string::npos);
    EXPECT_NE(first.find("30,000円以上"), std::string::npos);
    EXPECT_EQ(occurrences(first, "円以上"), 1);
    EXPECT_EQ(occurrences(second, "0005-123"), 1);
    EXPECT_TRUE(std::regex_search(second, std::regex("振\\s*込\\s*先\\s*印\\s*刷")));
}
