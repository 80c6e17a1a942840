// The bank master: built from the public bank code list, read from SQLite and
// Access files, looked up by the import, and never written into a bank file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/accessfile.h"
#include "core/bankmaster.h"
#include "core/cp932.h"
#include "core/datamodule.h"
#include "core/records.h"
#include "core/schema.h"
#include "core/sql.h"
#include "import/importengine.h"
#include "output/furikomi.h"
#include "output/transferfile.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"

using namespace pelanova;
using pelanova::test::readBytes;
using pelanova::test::ScriptedMessageBoxes;
using pelanova::test::TempDir;
using pelanova::test::writeBytes;
namespace fs = std::filesystem;

namespace {

const std::string kFixture = std::string(PELANOVA_TEST_DATA) + "/zengin-code/package";
constexpr const char *kAccessSample = "/usr/share/doc/fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz";

using Names = std::pair<std::string, std::string>;

std::string fixtureData()
{
    return readBytes(kFixture + "/lib/zengin-data.js");
}

// A package folder holding data as lib/zengin-data.js.
std::string packageWith(const TempDir &dir, const std::string &name, const std::string &data)
{
    const fs::path package = dir.path() / name;
    fs::create_directories(package / "lib");
    writeBytes((package / "lib" / "zengin-data.js").string(), data);
    return package.string();
}

std::vector<std::string> filesIn(const fs::path &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Names lookUp(const sql::Database &bank, int bankNumber, int branch)
{
    sql::Database own;
    own.open(":memory:", sql::Database::Mode::Create);
    schema::createOwnDatabase(own);
    ScriptedMessageBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(own, &bank, boxes, progress);
    return engine.FindBankKanjiNames(bankNumber, branch);
}

// The Access 97 sample database that a Free Pascal package installs, unpacked.
std::string accessSample(const TempDir &dir)
{
    if (!fs::exists(kAccessSample))
        return {};
    const std::string mdb = dir.file("testodbc.mdb");
    const std::string command = std::string("gzip -dc '") + kAccessSample + "' > '" + mdb + "'";
    return std::system(command.c_str()) == 0 ? mdb : std::string();
}

#define REQUIRE_ACCESS_SAMPLE(path)                                                                                \
    if ((path).empty())                                                                                            \
    GTEST_SKIP() << kAccessSample << " is not installed (Debian package fp-units-db; scripts/install-deps.sh "     \
                    "installs it)"

} // namespace

TEST(BankMasterBuild, FixtureBecomesATableOfBranchesWithKanjiAndKana)
{
    TempDir dir;
    const std::string out = dir.file("銀行マスタ.db");
    const bankmaster::BuildCounts counts = bankmaster::build(kFixture, out);
    EXPECT_EQ(counts.banks, 9);
    EXPECT_EQ(counts.branches, 13);
    // Nothing but the database is left beside it.
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"銀行マスタ.db"});

    sql::Database db;
    db.open(out, sql::Database::Mode::ReadOnly);
    sql::Statement st = db.prepare("SELECT 銀行番号, 銀行名, 支店番号, 支店名, 銀行名カナ, 支店名カナ, typeof(銀行番号)\n"
                                   "FROM T_銀行マスタ ORDER BY ID");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(0), "0001");
    EXPECT_EQ(st.text(1), "みずほ");
    EXPECT_EQ(st.text(2), "100");
    EXPECT_EQ(st.text(3), "本店");
    EXPECT_EQ(st.text(4), "ミズホ");
    EXPECT_EQ(st.text(5), "ホンテン");
    EXPECT_EQ(st.text(6), "text");

    // The folder that holds the unpacked package/ serves as well.
    EXPECT_EQ(bankmaster::build(fs::path(kFixture).parent_path().string(), dir.file("again.db")).branches, 13);
}

TEST(BankMasterBuild, LookUpsFindLevelTwoKanjiAndNamesWithoutAShiftJisForm)
{
    TempDir dir;
    const std::string out = dir.file("銀行マスタ.db");
    bankmaster::build(kFixture, out);
    sql::Database bank;
    ASSERT_TRUE(bankmaster::connect(bank, out));
    EXPECT_EQ(bank.path(), out);
    EXPECT_EQ(lookUp(bank, 1, 100), (Names{"みずほ", "本店"}));
    EXPECT_EQ(lookUp(bank, 1170, 22), (Names{"杜の都信金", "塩竈営業部"}));
    EXPECT_EQ(lookUp(bank, 1933, 44), (Names{"九州ひぜん信金", "諫早"}));
    EXPECT_EQ(lookUp(bank, 138, 999), (Names{"横浜", "𠮷野町"}));
    EXPECT_FALSE(cp932::encode("𠮷野町").has_value());
    EXPECT_EQ(lookUp(bank, 1, 101), Names{});
    EXPECT_EQ(lookUp(bank, -1, -1), Names{});

    // The look-up statement seeks through the index instead of reading every branch.
    sql::Statement plan = bank.prepare("EXPLAIN QUERY PLAN SELECT FIRST(銀行名, 0), FIRST(支店名, 0)\n"
                                       "FROM T_銀行マスタ\n"
                                       "WHERE INT(銀行番号) = :INT銀行番号 AND INT(支店番号) = :INT支店番号");
    std::string detail;
    while (plan.step())
        detail += plan.text("detail") + "\n";
    EXPECT_NE(detail.find("USING INDEX IX_銀行マスタ_番号"), std::string::npos) << detail;
    EXPECT_THROW(bank.exec("DELETE FROM T_銀行マスタ"), sql::Error);
}

TEST(BankMasterBuild, RefusesWhatIsNotThePackagesDataAndKeepsTheOldFile)
{
    TempDir dir;
    const std::string out = dir.file("銀行マスタ.db");
    writeBytes(out, "the master built before");
    auto refusal = [&](const std::string &source) {
        try {
            bankmaster::build(source, out);
        } catch (const bankmaster::BuildError &e) {
            return std::string(e.what());
        }
        return std::string("(built)");
    };

    EXPECT_NE(refusal(dir.file("nowhere")).find("が見つかりません"), std::string::npos);
    const std::string notData = "zengin-code パッケージの銀行コードの一覧ではありません";
    for (const std::string &data : {
             std::string("{\"0001\": {}}"),                                      // not the module form
             std::string("module.exports = [1, 2, 3];"),                         // no banks
             std::string("module.exports = {\"0001\": {\"code\": \"0001\""),    // cut off
             std::string("module.exports = {\"1\": {\"code\": \"1\", \"name\": \"x\", \"kana\": \"x\", "
                         "\"branches\": {}}};"),                                  // not a 4-digit code
             std::string("module.exports = {\"0001\": {\"code\": \"0001\", \"name\": \"x\", \"kana\": \"x\"}};"),
             std::string("module.exports = {\"0001\": {\"code\": \"0001\", \"name\": \"x\", \"kana\": \"x\", "
                         "\"branches\": {\"001\": {\"code\": \"002\", \"name\": \"y\", \"kana\": \"y\"}}}};"),
             std::string("module.exports = {\"0001\": {\"code\": \"0001\", \"name\": \"x\", \"kana\": \"x\", "
                         "\"branches\": {}}};"),                                  // no branch at all
             fixtureData().substr(0, fixtureData().size() / 2),
         }) {
        const std::string package = packageWith(dir, "package", data);
        EXPECT_NE(refusal(package).find(notData), std::string::npos) << data.substr(0, 80);
    }
    EXPECT_EQ(readBytes(out), "the master built before");
    EXPECT_NE(refusal(kFixture).find("(built)"), std::string::npos);
    EXPECT_NE(readBytes(out), "the master built before");

    // An output folder that does not exist is refused before anything is written.
    try {
        bankmaster::build(kFixture, dir.file("missing/銀行マスタ.db"));
        FAIL() << "built into a missing folder";
    } catch (const bankmaster::BuildError &e) {
        EXPECT_NE(std::string(e.what()).find("出力先のフォルダがありません"), std::string::npos);
    }
    fs::remove_all(dir.path() / "package");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"銀行マスタ.db"});
}

TEST(BankMasterBuild, FullPackageWhenPresent)
{
    const char *env = std::getenv("PELANOVA_ZENGIN_PACKAGE");
    const std::string package = env && *env ? env : PELANOVA_ZENGIN_PACKAGE_DEFAULT;
    if (!fs::exists(fs::path(package) / "lib" / "zengin-data.js"))
        GTEST_SKIP() << "the zengin-code package is not present at " << package
                     << " (scripts/bank-master.sh fetches it; PELANOVA_ZENGIN_PACKAGE names another place)";
    TempDir dir;
    const bankmaster::BuildCounts counts = bankmaster::build(package, dir.file("銀行マスタ.db"));
    EXPECT_GT(counts.banks, 1000);
    EXPECT_GT(counts.branches, 25000);
    sql::Database bank;
    ASSERT_TRUE(bankmaster::connect(bank, dir.file("銀行マスタ.db")));
    EXPECT_EQ(lookUp(bank, 1, 100), (Names{"みずほ", "本店"}));
}

TEST(BankMasterConnect, RefusesFilesWithoutTheTableOrItsColumns)
{
    TempDir dir;
    sql::Database bank;
    writeBytes(dir.file("text.db"), "not a database");
    writeBytes(dir.file("empty.db"), "");
    {
        sql::Database other;
        other.open(dir.file("other.db"), sql::Database::Mode::Create);
        other.exec("CREATE TABLE T_銀行マスタ (銀行番号 TEXT, 銀行名 TEXT, 支店番号 TEXT)");
    }
    for (const char *name : {"text.db", "empty.db", "other.db", "missing.db"}) {
        EXPECT_FALSE(bankmaster::connect(bank, dir.file(name))) << name;
        EXPECT_FALSE(bank.isOpen()) << name;
    }
    EXPECT_FALSE(fs::exists(dir.file("missing.db")));
}

TEST(AccessFile, ReadsEveryRowAndColumnOfTheSampleTable)
{
    TempDir dir;
    const std::string mdb = accessSample(dir);
    REQUIRE_ACCESS_SAMPLE(mdb);
    const access::Table table = access::readTable(mdb, "FPdev");
    ASSERT_EQ(table.columns.size(), 3u);
    EXPECT_EQ(table.columns[0].name, "id");
    EXPECT_EQ(table.columns[0].kind, access::ColumnKind::Integer);
    EXPECT_EQ(table.columns[1].name, "UserName");
    EXPECT_EQ(table.columns[1].kind, access::ColumnKind::Text);
    EXPECT_EQ(table.columns[2].name, "InstEmail");
    EXPECT_EQ(table.columns[2].kind, access::ColumnKind::Text);
    const std::vector<std::vector<std::optional<std::string>>> expected = {
        {"1", "Michael Van Canneyt", "Michael@tfdec1.fys.kuleuven.ac.be"},
        {"2", "Florian Klaempfl", "ba2395@fen.baynet.de"},
        {"3", "Carl-Eric Codere", "codc01@gel.usherb.ca"},
        {"4", "Daniel Mantione", "d.s.p.mantione@twi.tudelft.nl"},
        {"5", "Pierre Muller", "muller@europe.u-strasbg.fr"},
        {"7", "Peter Vreman", "pfv@worldonline.nl"},
        {"8", "Gerry Dubois", "gerry@webworks.ml.org"},
        {"6", "Jonas Maebe", "jmaebe@mail.dma.be"},
    };
    EXPECT_EQ(table.rows, expected);
    // Table names match without regard to ASCII case, as in Access.
    EXPECT_EQ(access::readTable(mdb, "fpdev").rows.size(), 8u);
    EXPECT_THROW(access::readTable(mdb, "T_銀行マスタ"), access::Error);
}

TEST(AccessFile, KnownByContentAndLoadedWithItsTypes)
{
    TempDir dir;
    const std::string mdb = accessSample(dir);
    REQUIRE_ACCESS_SAMPLE(mdb);
    // The content decides, not the name.
    fs::copy_file(mdb, dir.file("banks.dat"));
    EXPECT_TRUE(access::isAccessDatabase(dir.file("banks.dat")));
    {
        sql::Database sqlite;
        sqlite.open(dir.file("sqlite.mdb"), sql::Database::Mode::Create);
        schema::createBankMaster(sqlite);
    }
    writeBytes(dir.file("text.mdb"), "Standard Jet DB, or so it says");
    writeBytes(dir.file("short.mdb"), std::string("\0\1\0\0Standard Jet", 16));
    for (const char *name : {"sqlite.mdb", "text.mdb", "short.mdb", "missing.mdb"}) {
        EXPECT_FALSE(access::isAccessDatabase(dir.file(name))) << name;
        EXPECT_THROW(access::readTable(dir.file(name), "FPdev"), access::Error) << name;
    }

    sql::Database db;
    db.openMemory(dir.file("banks.dat"));
    bankmaster::loadAccessTable(db, dir.file("banks.dat"), "FPdev");
    sql::Statement st = db.prepare("SELECT id, typeof(id), UserName, typeof(UserName) FROM FPdev ORDER BY id");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.int64(0), 1);
    EXPECT_EQ(st.text(1), "integer");
    EXPECT_EQ(st.text(2), "Michael Van Canneyt");
    EXPECT_EQ(st.text(3), "text");
    sql::Statement sum = db.prepare("SELECT SUM(id), COUNT(*) FROM FPdev");
    ASSERT_TRUE(sum.step());
    EXPECT_EQ(sum.int64(0), 36);
    EXPECT_EQ(sum.int64(1), 8);
}

TEST(AccessFile, AnAccessFileWithoutTheBankMasterTableIsNoBankMaster)
{
    TempDir dir;
    const std::string mdb = accessSample(dir);
    REQUIRE_ACCESS_SAMPLE(mdb);
    fs::copy_file(mdb, dir.file("銀行マスタ.mdb"));
    sql::Database bank;
    EXPECT_FALSE(bankmaster::connect(bank, dir.file("銀行マスタ.mdb")));
    EXPECT_FALSE(bank.isOpen());

    // A damaged copy (cut after its first pages) is refused, not read.
    const std::string bytes = readBytes(mdb);
    for (const size_t size : {size_t(2048), size_t(4096), bytes.size() / 2}) {
        writeBytes(dir.file("cut.mdb"), bytes.substr(0, size));
        EXPECT_FALSE(bankmaster::connect(bank, dir.file("cut.mdb"))) << size;
        EXPECT_THROW(access::readTable(dir.file("cut.mdb"), "FPdev"), access::Error) << size;
    }
}

TEST(BankMasterNames, KanjiNamesAreShownOnlyAndNeverWrittenIntoTheBankFile)
{
    TempDir dir;
    bankmaster::build(kFixture, dir.file("銀行マスタ.db"));
    sql::Database bank;
    ASSERT_TRUE(bankmaster::connect(bank, dir.file("銀行マスタ.db")));
    sql::Database own;
    own.open(dir.file("FBDB.db"), sql::Database::Mode::Create);
    schema::createOwnDatabase(own);

    // A transfer to the branch whose kanji name has no Shift-JIS form.
    zengin::ConsignorFields consignor{"0000012345", "ﾃｽﾄｼｮｳｼﾞ", 1, "ﾐｽﾞﾎ", 100, "ﾎﾝﾃﾝ", 1, "1234567"};
    zengin::TransferFields transfer{138, "ﾖｺﾊﾏ", 999, "ﾖｼﾉﾁｮｳ", 1, "7654321", "ﾔﾏﾀﾞ ﾀﾛｳ"};
    const std::string file = zengin::buildHeader(consignor, 20261210) + zengin::buildData(transfer, 50000)
                           + zengin::buildTrailer(1, 50000) + zengin::buildEnd();
    writeBytes(dir.file("FB1210.txt"), file);
    ScriptedMessageBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(own, &bank, boxes, progress);
    ASSERT_EQ(engine.ImportTransferFile(dir.file("FB1210.txt"), 1, 20261210, 20261209), ImportEngine::Outcome::Stored);
    sql::Statement names = own.prepare("SELECT 銀行名漢字, 支店名漢字 FROM M_受取人");
    ASSERT_TRUE(names.step());
    EXPECT_EQ(names.text(0), "横浜");
    EXPECT_EQ(names.text(1), "𠮷野町");

    const output::BankFile bankFile = output::prepareBankFile(
        own, bank, "0000012345", 20261210, output::BuildFurikomiSql(20261210, "0000012345", 0), {});
    ASSERT_EQ(bankFile.state(), output::BankFile::State::Ready) << bankFile.refusal();
    ASSERT_EQ(output::writeBankFile(own, bankFile, dir.file("OUT.TXT")), "");
    const std::string out = readBytes(dir.file("OUT.TXT"));
    ASSERT_EQ(out.size(), 4 * zengin::kRecordSize);
    const std::string_view data(out.data() + zengin::kRecordSize, zengin::kRecordSize);
    const std::string imported = file.substr(zengin::kRecordSize, zengin::kRecordSize);
    EXPECT_EQ(zengin::field(data, 6, 15), zengin::field(imported, 6, 15));
    // The katakana name goes out in the characters of Zengin names (ｮ as ﾖ).
    EXPECT_EQ(zengin::field(data, 24, 15), zengin::textField("ﾖｼﾉﾁﾖｳ", 15));
    EXPECT_EQ(out.find(*cp932::encode("横浜")), std::string::npos);
}
