// End-to-end: pelanova-cli as a user runs it.
#include "clifixture.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/unitapp.h"
#include "support/zenginfile.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using CliTest = CliFixture;

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
    EXPECT_EQ(err(), "次の誤り（1件）があるため取り込めません。何も取り込んでいません。\n"
                     "［エラー］レコード1 引落日：振込依頼日が設定とデータが一致していないため処理を中断します。\n");

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
    if (pelanova::test::onPostgres()) {
        EXPECT_NE(err().find("このプログラムのデータベースではありません"), std::string::npos) << err();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "FBDB.db"));

    // A server that is not running, and (on the test server) a database it
    // does not have: a sentence of their own, at once.
    std::vector<std::pair<std::string, std::string>> servers = {
        {"host=" + path("no-server") + " dbname=pelanova", "データベースサーバーに接続できません"}};
    if (pelanova::test::onPostgres())
        servers.emplace_back(std::string(pelanova::test::postgresTestDatabase()) + " dbname=pelanova_none",
                             "接続先のデータベースがありません");
    for (const auto &[server, sentence] : servers) {
        database = server;
        EXPECT_EQ(cli("lines --date 20080115 --consignor 0000012345").status, 1);
        EXPECT_NE(err().find(sentence), std::string::npos) << err();
        EXPECT_EQ(cli("init-db").status, 1);
        EXPECT_NE(err().find(sentence), std::string::npos) << err();
    }
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
    db.open(database, pelanova::sql::Database::Mode::ReadOnly);
    auto st = db.prepare("SELECT 手数料区分, 手数料金額 FROM M_受取人");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.integer(0), 1);
    EXPECT_EQ(st.integer(1), 30000);
}

// The facilities a database holds, "code name" by code.
std::string facilities(const std::string &path)
{
    pelanova::sql::Database db;
    db.open(path, pelanova::sql::Database::Mode::ReadOnly);
    auto st = db.prepare("SELECT 施設コード, 施設名 FROM M_施設 ORDER BY 施設コード");
    std::string out;
    while (st.step())
        out += st.text(0) + " " + st.text(1) + ";";
    return out;
}

TEST_F(CliTest, BackupAndRestoreAsAUserWould)
{
    if (pelanova::test::onPostgres())
        GTEST_SKIP() << "a database file's backup";
    ASSERT_EQ(cli("init-db").status, 0);
    ASSERT_EQ(cli("facility-add 1 本部").status, 0);
    ASSERT_EQ(cli("backup " + path("saved.db")).status, 0);
    EXPECT_EQ(facilities(path("saved.db")), "1 本部;");
    EXPECT_EQ(cli("backup " + path("FBDB.db")).status, 1) << "never over the database itself";
    ASSERT_EQ(cli("facility-add 2 支所").status, 0);

    // Refused restores change nothing.
    const std::string before = read("FBDB.db");
    testdata::writeFile(path("notes.db"), std::string(2048, 'x'));
    EXPECT_EQ(cli("restore " + path("notes.db")).status, 1);
    EXPECT_NE(err().find("データベースではありません"), std::string::npos);
    {
        pelanova::sql::Database other;
        other.open(path("other.db"), pelanova::sql::Database::Mode::Create);
        other.exec("CREATE TABLE t (x)");
    }
    EXPECT_EQ(cli("restore " + path("other.db")).status, 1);
    EXPECT_NE(err().find("このプログラムのデータベースではありません"), std::string::npos);
    EXPECT_EQ(cli("restore " + path("missing.db")).status, 1);
    EXPECT_EQ(cli("restore").status, 2);
    EXPECT_TRUE(read("FBDB.db") == before) << "the database's bytes changed";
    EXPECT_FALSE(std::filesystem::exists(path("backup")));

    // A good one: the current database is backed up first, then replaced.
    const Result restored = cli("restore " + path("saved.db"));
    ASSERT_EQ(restored.status, 0) << err();
    EXPECT_NE(restored.out.find("復元しました"), std::string::npos);
    EXPECT_EQ(facilities(path("FBDB.db")), "1 本部;");
    ASSERT_TRUE(std::filesystem::is_directory(path("backup")));
    const auto saved = *std::filesystem::directory_iterator(path("backup"));
    EXPECT_EQ(facilities(saved.path().string()), "1 本部;2 支所;");
}

TEST_F(CliTest, BackupAndRestoreOnTheServer)
{
    if (!pelanova::test::onPostgres())
        GTEST_SKIP() << "a server database's backup";
    ASSERT_EQ(cli("init-db").status, 0);
    ASSERT_EQ(cli("facility-add 1 本部").status, 0);
    ASSERT_EQ(cli("backup " + path("saved.dump")).status, 0) << err();
    ASSERT_EQ(read("saved.dump").substr(0, 5), "PGDMP") << "pg_dump's custom archive";
    ASSERT_EQ(cli("facility-add 2 支所").status, 0);

    // A database file and a file of another kind are refused: nothing changes.
    {
        pelanova::sql::Database file;
        file.open(path("file.db"), pelanova::sql::Database::Mode::Create);
        pelanova::schema::createOwnDatabase(file);
    }
    EXPECT_EQ(cli("restore " + path("file.db")).status, 1);
    EXPECT_NE(err().find("copy-db"), std::string::npos) << err();
    testdata::writeFile(path("notes.dump"), "PGDMP" + std::string(2048, 'x'));
    EXPECT_EQ(cli("restore " + path("notes.dump")).status, 1);
    EXPECT_EQ(facilities(database), "1 本部;2 支所;");
    EXPECT_FALSE(std::filesystem::exists(path("backup")));

    // A good one: the current database is backed up first, then replaced.
    const Result restored = cli("restore " + path("saved.dump"));
    ASSERT_EQ(restored.status, 0) << err();
    EXPECT_EQ(facilities(database), "1 本部;");
    ASSERT_TRUE(std::filesystem::is_directory(path("backup")));
    const auto saved = *std::filesystem::directory_iterator(path("backup"));
    EXPECT_EQ(saved.path().extension(), ".dump");
    ASSERT_EQ(cli("restore " + saved.path().string()).status, 0) << err();
    EXPECT_EQ(facilities(database), "1 本部;2 支所;");
    // The restored tables go on numbering after their rows.
    ASSERT_EQ(cli("facility-add 3 分室").status, 0) << err();
}

TEST_F(CliTest, BankMasterBuildFromThePackagesDataAndRefusals)
{
    const std::string fixture = std::string(PELANOVA_TEST_DATA) + "/zengin-code/package";
    const Result built = cli("bank-master build --from '" + fixture + "' '" + path("銀行マスタ.db") + "'");
    EXPECT_EQ(built.status, 0) << err();
    EXPECT_NE(built.out.find("銀行マスタを作成しました"), std::string::npos) << built.out;
    EXPECT_NE(built.out.find("銀行 9 件、支店 13 件"), std::string::npos) << built.out;
    EXPECT_FALSE(std::filesystem::exists(path("FBDB.db"))) << "the own database is not needed";

    // A folder without the data, and data of another form: refused, OUT kept.
    const std::string before = read("銀行マスタ.db");
    EXPECT_EQ(cli("bank-master build --from '" + path("") + "' '" + path("銀行マスタ.db") + "'").status, 1);
    EXPECT_NE(err().find("が見つかりません"), std::string::npos) << err();
    std::filesystem::create_directories(dir / "other" / "lib");
    std::ofstream(dir / "other" / "lib" / "zengin-data.js") << "module.exports = require('./other');\n";
    EXPECT_EQ(cli("bank-master build --from '" + path("other") + "' '" + path("銀行マスタ.db") + "'").status, 1);
    EXPECT_NE(err().find("銀行コードの一覧ではありません"), std::string::npos) << err();
    EXPECT_EQ(read("銀行マスタ.db"), before);

    EXPECT_EQ(cli("bank-master build '" + path("x.db") + "'").status, 2);
    EXPECT_EQ(cli("bank-master make --from '" + fixture + "' '" + path("x.db") + "'").status, 2);
    EXPECT_FALSE(std::filesystem::exists(path("x.db")));
}

TEST_F(CliTest, FacilitiesAreRegisteredByTheFacilityMastersRule)
{
    ASSERT_EQ(cli("init-db").status, 0);
    ASSERT_EQ(cli("facility-add 4 支所 '  '").status, 0);
    ASSERT_EQ(cli("facility-add 5 本部 ' FB'").status, 0);
    pelanova::sql::Database db;
    db.open(database, pelanova::sql::Database::Mode::ReadOnly);
    auto st = db.prepare("SELECT 総合振込データファイル名 FROM M_施設 ORDER BY 施設コード");
    ASSERT_TRUE(st.step());
    EXPECT_TRUE(st.isNull(0)) << "a blank file name is stored as none";
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(0), " FB") << "blanks around a name stay";
}

TEST_F(CliTest, EveryCommandMeetingAnotherClerksLockSaysSoInOneSentence)
{
    ASSERT_EQ(cli("init-db").status, 0);
    ASSERT_EQ(cli("facility-add 3 第三施設 FB").status, 0);
    testdata::writeFile(path("FB.txt"), testdata::header() + testdata::data()
                                            + testdata::trailer("000001", "000000012345") + testdata::end());
    ASSERT_EQ(cli("import --facility 3 --date 20080115 " + path("FB.txt")).status, 0);
    // Another program holds the database locked while the commands run, side
    // by side, so that their waits overlap.
    pelanova::sql::Database holder;
    holder.open(database, pelanova::sql::Database::Mode::ReadWrite);
    if (pelanova::test::onPostgres()) {
        holder.exec("BEGIN");
        for (const char *table : pelanova::schema::kAllTables)
            holder.exec(std::string("LOCK TABLE ") + table + " IN ACCESS EXCLUSIVE MODE");
    } else {
        holder.exec("BEGIN EXCLUSIVE");
    }
    const std::vector<std::string> commands = {
        "imports --facility 3",
        "lines --date 20080115 --consignor 0000012345",
        "delete --facility 3 --date 20080115",
        "write-file --date 20080115 --consignor 0000012345 " + path("OUT.TXT"),
        "facility-add 9 新施設",
    };
    std::vector<Result> results(commands.size());
    std::vector<std::thread> runs;
    for (size_t i = 0; i < commands.size(); ++i)
        runs.emplace_back([&, i] { results[i] = cli(commands[i], "err" + std::to_string(i) + ".txt"); });
    for (std::thread &run : runs)
        run.join();
    holder.exec("ROLLBACK");
    const std::string busy = pelanova::busyDatabaseText();
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(results[i].status, 1) << commands[i];
        const std::string e = read("err" + std::to_string(i) + ".txt");
        EXPECT_NE(e.find(busy), std::string::npos) << commands[i] << ": " << e;
        EXPECT_EQ(e.find("database is locked"), std::string::npos) << commands[i] << ": " << e;
        EXPECT_EQ(e.find("接続に失敗"), std::string::npos) << commands[i] << ": " << e;
    }
    EXPECT_EQ(busy, "データベースは他の利用者またはプログラムが使用中です（5秒待ちました）。しばらくしてからもう一度操作してください。");
    EXPECT_EQ(cli("imports --facility 3").out.substr(0, 12), "第三施設");

    // Another clerk's import holds the writers' turn longer than that wait:
    // an import waits for it to end, and then stores.
    Result imported{-1, {}};
    {
        pelanova::sql::Transaction turn(holder);
        std::thread import([&] { imported = cli("import --facility 4 --date 20080115 " + path("FB.txt")); });
        std::this_thread::sleep_for(std::chrono::milliseconds(pelanova::sql::kBusyTimeoutSeconds * 1000 + 500));
        turn.rollback();
        import.join();
    }
    EXPECT_EQ(imported.status, 0) << err();
}

// Two clerks import at the same moment, each in a process of its own: files
// of different facilities both store whole; the same facility and day stores
// once, the other import being told that it is there already.
TEST_F(CliTest, TwoImportsAtOnceStoreWholeOrAreToldTheDayIsThere)
{
    ASSERT_EQ(cli("init-db").status, 0);
    ASSERT_EQ(cli("facility-add 1 東").status, 0);
    ASSERT_EQ(cli("facility-add 2 西").status, 0);
    // Long enough that the two overlap; every account new, so both register
    // recipients and banks.
    const auto fileOf = [&](const std::string &name, int first) {
        std::string text = testdata::header();
        const int count = 3000;
        for (int i = 0; i < count; ++i) {
            testdata::DataSpec d;
            char account[8];
            std::snprintf(account, sizeof account, "%07d", first + i);
            d.account = account;
            d.amount = "0000001000";
            text += testdata::data(d);
        }
        char total[13];
        std::snprintf(total, sizeof total, "%012d", count * 1000);
        char records[7];
        std::snprintf(records, sizeof records, "%06d", count);
        testdata::writeFile(path(name), text + testdata::trailer(records, total) + testdata::end());
    };
    fileOf("east.txt", 1);
    fileOf("west.txt", 100000);
    const auto both = [&](const std::string &first, const std::string &second) {
        std::array<Result, 2> r{Result{-1, {}}, Result{-1, {}}};
        std::thread a([&] { r[0] = cli(first, "err0.txt"); });
        std::thread b([&] { r[1] = cli(second, "err1.txt"); });
        a.join();
        b.join();
        return r;
    };
    const auto stored = both("import --facility 1 --date 20080115 " + path("east.txt"),
                             "import --facility 2 --date 20080115 " + path("west.txt"));
    EXPECT_EQ(stored[0].status, 0) << read("err0.txt");
    EXPECT_EQ(stored[1].status, 0) << read("err1.txt");
    EXPECT_NE(cli("imports --facility 1").out.find("\t3000\t3,000,000\t"), std::string::npos);
    EXPECT_NE(cli("imports --facility 2").out.find("\t3000\t3,000,000\t"), std::string::npos);

    ASSERT_EQ(cli("facility-add 3 南").status, 0);
    const auto same = both("import --facility 3 --date 20080115 " + path("east.txt"),
                           "import --facility 3 --date 20080115 " + path("west.txt"));
    EXPECT_EQ(same[0].status + same[1].status, 1) << read("err0.txt") << read("err1.txt");
    const std::string refused = read(same[0].status == 0 ? "err1.txt" : "err0.txt");
    EXPECT_NE(refused.find("既に取り込みが完了しています"), std::string::npos) << refused;
    const std::string days = cli("imports --facility 3").out;
    EXPECT_NE(days.find("2008/01/15\t3000\t3,000,000\t"), std::string::npos) << days;

    // Each recipient and the consignor's row once, whoever registered them.
    pelanova::sql::Database db;
    db.open(database, pelanova::sql::Database::Mode::ReadOnly);
    const auto count = [&](const std::string &sql) {
        pelanova::sql::Statement st = db.prepare(sql);
        return st.step() ? st.integer(0) : -1;
    };
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_受取人"), 6000);
    EXPECT_EQ(count("SELECT COUNT(*) FROM T_データレコード"), 9000);
    EXPECT_EQ(count("SELECT COUNT(*) FROM (SELECT 口座番号 FROM M_受取人 GROUP BY 委託者コード, 銀行番号, "
                    "支店番号, 口座番号 HAVING COUNT(*) > 1) d"),
              0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM M_銀行"), 1);
}

// An office's data moves from one own database into another, of either
// engine, and back: every table holds the same rows with the same keys, and
// the copy goes on numbering after them.
TEST_F(CliTest, CopyDbMovesEveryTableBothWaysAndRefusesAFilledTarget)
{
    ASSERT_EQ(cli("init-db").status, 0);
    ASSERT_EQ(cli("facility-add 3 第三施設 FB").status, 0);
    ASSERT_EQ(cli("facility-add 4 支所").status, 0);
    testdata::writeFile(path("FB.txt"), testdata::header() + testdata::data() + testdata::data()
                                            + testdata::trailer("000002", "000000024690") + testdata::end());
    ASSERT_EQ(cli("import --facility 3 --date 20080115 " + path("FB.txt")).status, 0);
    ASSERT_EQ(cli("write-file --date 20080115 --consignor 0000012345 " + path("OUT.TXT")).status, 0) << err();
    {
        pelanova::sql::Database db;
        db.open(database, pelanova::sql::Database::Mode::ReadWrite);
        db.exec("UPDATE M_銀行 SET 他銀行3以上文書手数料 = NULL");
        db.exec("DELETE FROM M_施設 WHERE 施設コード = 4"); // a gap in the keys
    }
    const auto tables = [](const std::string &location) {
        pelanova::sql::Database db;
        db.open(location, pelanova::sql::Database::Mode::ReadOnly);
        std::string all;
        for (const char *table : pelanova::schema::kAllTables) {
            all += std::string("[") + table + "]\n";
            pelanova::sql::Statement st = db.prepare(std::string("SELECT * FROM ") + table + " ORDER BY ID");
            while (st.step()) {
                for (int i = 0; i < st.columnCount(); ++i)
                    all += (st.isNull(i) ? std::string("NULL") : st.text(i)) + '|';
                all += '\n';
            }
        }
        return all;
    };
    const std::string original = tables(database);
    ASSERT_NE(original.find("0000012345"), std::string::npos);

    const Result there = cli("copy-db \"" + database + "\" " + path("copy.db"));
    ASSERT_EQ(there.status, 0) << err();
    EXPECT_NE(there.out.find("T_データレコード\t2\n"), std::string::npos) << there.out;
    EXPECT_EQ(tables(path("copy.db")), original);
    const std::string back = pelanova::test::ownDatabaseLocation(path("back.db"));
    ASSERT_EQ(cli("copy-db " + path("copy.db") + " \"" + back + "\"").status, 0) << err();
    EXPECT_EQ(tables(back), original);

    // A filled target, the same database, and no database at all: refused,
    // nothing written.
    EXPECT_EQ(cli("copy-db " + path("copy.db") + " \"" + back + "\"").status, 1);
    EXPECT_NE(err().find("空ではありません"), std::string::npos) << err();
    EXPECT_EQ(cli("copy-db " + path("copy.db") + " " + path("copy.db")).status, 1);
    testdata::writeFile(path("notes.db"), "not a database");
    EXPECT_EQ(cli("copy-db " + path("notes.db") + " " + path("new.db")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(path("new.db")));
    EXPECT_EQ(tables(back), original);

    database = back;
    ASSERT_EQ(cli("facility-add 5 分室").status, 0) << err();
    EXPECT_EQ(cli("imports --facility 3").out.substr(0, 12), "第三施設");
}
