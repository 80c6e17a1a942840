#include "core/schema.h"
#include "core/sql.h"
#include "support/tempdir.h"
#include "support/testdatabase.h"

#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <vector>

#include <gtest/gtest.h>

using namespace pelanova;

TEST(Schema, CreatesTheSevenTables)
{
    sql::Database db;
    db.open(":memory:", sql::Database::Mode::Create);
    EXPECT_FALSE(schema::hasOwnTables(db));
    schema::createOwnDatabase(db);
    EXPECT_TRUE(schema::hasOwnTables(db));
}

// What the check of an opened database expects is what the schema makes:
// every table with every column, in order.
TEST(Schema, TheCheckExpectsEveryTableAndColumnTheSchemaMakes)
{
    sql::Database db;
    db.open(":memory:", sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    std::map<std::string, std::vector<std::string>> expected;
    for (const schema::TableColumns &table : schema::expectedColumns())
        expected[table.table] = table.columns;
    EXPECT_EQ(expected, db.tableColumns());
    EXPECT_EQ(expected.size(), std::size(schema::kAllTables));
    EXPECT_EQ(schema::schemaProblem(db), "");
}

TEST(Schema, FirstTakesTheEarliestStoredRowAndSurvivesVacuum)
{
    sql::Database db;
    db.open(":memory:", sql::Database::Mode::Create);
    db.exec("CREATE TABLE t (ID INTEGER PRIMARY KEY, g INTEGER, v TEXT)");
    // Insert out of value order; delete one to leave a gap before VACUUM.
    db.exec("INSERT INTO t (g, v) VALUES (1, 'z'), (1, 'a'), (2, 'x'), (1, 'm'), (2, 'b')");
    db.exec("DELETE FROM t WHERE v = 'z'");
    db.exec("VACUUM");
    auto st = db.prepare("SELECT g, FIRST(v, ID) AS v FROM t GROUP BY g ORDER BY FIRST(ID, ID) DESC");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.integer("g"), 2);
    EXPECT_EQ(st.text("v"), "x");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.integer("g"), 1);
    EXPECT_EQ(st.text("v"), "a");
    EXPECT_FALSE(st.step());
}

TEST(Schema, IntReadsTextOfDigits)
{
    sql::Database db;
    db.open(":memory:", sql::Database::Mode::Create);
    auto st = db.prepare("SELECT INT('0005'), INT(' 12'), INT(7.9), INT('abc') IS NULL, INT(NULL) IS NULL");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.integer(0), 5);
    EXPECT_EQ(st.integer(1), 12);
    EXPECT_EQ(st.integer(2), 7);
    EXPECT_EQ(st.integer(3), 1);
    EXPECT_EQ(st.integer(4), 1);

    // Values beyond 64 bits have no integer part to give: no match, not an
    // arbitrary number.
    auto big = db.prepare("SELECT INT('1e30') IS NULL, INT(-1e300) IS NULL, INT(-1.5), INT('-0007')");
    ASSERT_TRUE(big.step());
    EXPECT_EQ(big.integer(0), 1);
    EXPECT_EQ(big.integer(1), 1);
    EXPECT_EQ(big.integer(2), -2);
    EXPECT_EQ(big.integer(3), -7);
}

TEST(Schema, OpeningNeverCreatesAFileAndRefusesNonDatabases)
{
    test::TempDir dir;
    const std::string missing = dir.file("missing.db");
    sql::Database db;
    EXPECT_THROW(db.open(missing, sql::Database::Mode::ReadWrite), sql::Error);
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(std::fopen(missing.c_str(), "rb"), nullptr);

    const std::string text = dir.file("text.db");
    FILE *f = std::fopen(text.c_str(), "wb");
    std::fputs("this is not a database, just some text that is long enough to have a header\n", f);
    std::fclose(f);
    EXPECT_THROW(db.open(text, sql::Database::Mode::ReadWrite), sql::Error);
    EXPECT_FALSE(db.isOpen());
}

TEST(Schema, ARefusedCommitRollsBackAndLeavesNoTransactionOpen)
{
    test::TempDir dir;
    const std::string path = dir.file("busy.db");
    sql::Database writer;
    writer.open(path, sql::Database::Mode::Create);
    writer.exec("CREATE TABLE t (v INTEGER)");
    sql::Database reader;
    reader.open(path, sql::Database::Mode::ReadWrite);
    sqlite3_busy_timeout(writer.handle(), 0);

    // A reader that holds its read lock keeps the writer from committing.
    reader.exec("BEGIN");
    sql::Statement reading = reader.prepare("SELECT COUNT(*) FROM t");
    ASSERT_TRUE(reading.step());
    {
        sql::Transaction tx(writer);
        writer.exec("INSERT INTO t VALUES (1)");
        EXPECT_THROW(tx.commit(), sql::Error);
    }
    EXPECT_FALSE(writer.inTransaction());
    reading.reset();
    reader.exec("COMMIT");

    // The next unit is a transaction of its own again and its work is kept.
    {
        sql::Transaction tx(writer);
        writer.exec("INSERT INTO t VALUES (2)");
        tx.commit();
    }
    EXPECT_FALSE(writer.inTransaction());
    sql::Statement rows = reader.prepare("SELECT GROUP_CONCAT(v) FROM t");
    ASSERT_TRUE(rows.step());
    EXPECT_EQ(rows.text(0), "2");
}

// What a report or the print screen reads under a snapshot is one moment of
// the database: another clerk's commit is not seen half-way (on a server it
// commits and shows after the snapshot; on a file it waits for the snapshot
// to end). A statement still reading when the snapshot ends leaves no
// transaction open.
TEST(Schema, AReadSnapshotSeesOneMomentAndEndsWhole)
{
    test::TempDir dir;
    const std::string location = test::ownDatabaseLocation(dir.file("snapshot.db"));
    sql::Database reader;
    reader.open(location, sql::Database::Mode::Create);
    reader.exec("CREATE TABLE t (ID INTEGER PRIMARY KEY, v INTEGER)");
    reader.exec("INSERT INTO t (v) VALUES (1)");
    reader.exec("INSERT INTO t (v) VALUES (2)");
    sql::Database writer;
    writer.open(location, sql::Database::Mode::ReadWrite);
    writer.setBusyTimeout(0);
    const auto count = [](const sql::Database &db) {
        sql::Statement st = db.prepare("SELECT COUNT(*) FROM t");
        return st.step() ? st.int64(0) : -1;
    };

    sql::Statement pending;
    {
        const sql::ReadSnapshot snapshot(reader);
        EXPECT_EQ(count(reader), 2);
        bool committed = false;
        try {
            sql::Transaction tx(writer);
            writer.exec("INSERT INTO t (v) VALUES (3)");
            tx.commit();
            committed = true;
        } catch (const sql::Error &e) {
            EXPECT_TRUE(e.isBusy()) << e.what();
        }
        EXPECT_EQ(committed, test::onPostgres());
        EXPECT_EQ(count(reader), 2) << "the same moment";
        pending = reader.prepare("SELECT v FROM t ORDER BY ID");
        ASSERT_TRUE(pending.step());
        {
            const sql::ReadSnapshot inner(reader); // inside one: nothing of its own
            EXPECT_EQ(count(reader), 2);
        }
        EXPECT_TRUE(reader.inTransaction());
    }
    EXPECT_FALSE(reader.inTransaction());
    EXPECT_EQ(count(reader), test::onPostgres() ? 3 : 2);
    pending = sql::Statement();
    {
        sql::Transaction tx(writer);
        writer.exec("INSERT INTO t (v) VALUES (4)");
        tx.commit();
    }
    EXPECT_EQ(count(reader), test::onPostgres() ? 4 : 3);
}

// Rows stored in bulk read back as they were given, in their order, on
// either engine: text with the characters a server's COPY treats specially,
// NULL, 64-bit integers, and more rows than one chunk holds.
TEST(Schema, ABulkInsertStoresEveryRowAsGivenInItsOrder)
{
    test::TempDir dir;
    sql::Database db;
    db.open(test::ownDatabaseLocation(dir.file("bulk.db")), sql::Database::Mode::Create);
    db.exec("CREATE TABLE t (ID INTEGER PRIMARY KEY, n INTEGER, s TEXT)");
    const std::vector<std::string> odd = {"a\tb", "line\nnext\r", "back\\slash \\N", "\\", "ｶﾌﾞｼｷｶﾞｲｼｬ 日本", ""};
    const int many = 20000; // several chunks of a server's COPY
    {
        sql::Transaction tx(db);
        sql::BulkInsert rows(db, "t", {"n", "s"});
        for (size_t i = 0; i < odd.size(); ++i)
            rows.add(int64_t(i)).add(std::string_view(odd[i])).endRow();
        rows.add(int64_t(9000000000LL)).addNull().endRow();
        for (int i = 0; i < many; ++i)
            rows.add(int64_t(i)).add(std::string(60, 'x') + std::to_string(i)).endRow();
        EXPECT_THROW(rows.add(int64_t(1)).endRow(), std::logic_error); // a value short
        rows.finish();
        tx.commit();
    }
    sql::Statement st = db.prepare("SELECT n, s FROM t ORDER BY ID");
    for (size_t i = 0; i < odd.size(); ++i) {
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.int64(0), int64_t(i));
        EXPECT_EQ(st.text(1), odd[i]);
    }
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.int64(0), 9000000000LL);
    EXPECT_TRUE(st.isNull(1));
    for (int i = 0; i < many; ++i) {
        ASSERT_TRUE(st.step());
        ASSERT_EQ(st.text(1), std::string(60, 'x') + std::to_string(i));
    }
    EXPECT_FALSE(st.step());

    // Rows not finished go with a rolled-back transaction.
    {
        sql::Transaction tx(db);
        sql::BulkInsert rows(db, "t", {"n", "s"});
        rows.add(int64_t(1)).add(std::string_view("gone")).endRow();
    }
    sql::Statement count = db.prepare("SELECT COUNT(*) FROM t WHERE s = 'gone'");
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.int64(0), 0);
}

// A statement read in chunks gives the rows of the moment its first step
// took, in order, whatever another clerk commits before the last one and
// whatever statements run between two steps; read again after a reset, it
// gives the rows of that moment. It holds nothing on the server once it is
// read out, let go of halfway, or rolled back with its transaction.
TEST(Schema, AStatementReadInChunksGivesTheRowsOfOneMoment)
{
    test::TempDir dir;
    const std::string location = test::ownDatabaseLocation(dir.file("chunks.db"));
    sql::Database reader;
    reader.open(location, sql::Database::Mode::Create);
    reader.exec("CREATE TABLE t (ID INTEGER PRIMARY KEY, v INTEGER)");
    const int stored = 2345; // more than two of a server's chunks
    {
        sql::Transaction tx(reader);
        sql::BulkInsert rows(reader, "t", {"v"});
        for (int i = 1; i <= stored; ++i)
            rows.add(int64_t(i)).endRow();
        rows.finish();
        tx.commit();
    }
    sql::Database writer;
    writer.open(location, sql::Database::Mode::ReadWrite);
    writer.setBusyTimeout(0);
    const auto held = [&reader] {
        if (!test::onPostgres())
            return int64_t(0);
        sql::Statement st = reader.prepare("SELECT COUNT(*) FROM pg_cursors WHERE name <> ''"); // not its own
        return st.step() ? st.int64(0) : -1;
    };

    sql::Statement st = reader.prepare("SELECT v FROM t WHERE v >= ? ORDER BY ID");
    st.readInChunks();
    st.bind(1, int64_t(5));
    {
        const sql::ReadSnapshot snapshot(reader);
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.int64(0), 5);
    }
    try {
        sql::Transaction tx(writer);
        writer.exec("DELETE FROM t WHERE v = 2000");
        writer.exec("INSERT INTO t (v) VALUES (9999)");
        tx.commit();
    } catch (const sql::Error &e) {
        EXPECT_FALSE(test::onPostgres()) << e.what(); // SQLite's writer waits for the reading statement
        EXPECT_TRUE(e.isBusy()) << e.what();
    }
    int64_t expected = 6;
    while (st.step()) {
        ASSERT_EQ(st.int64(0), expected++);
        if (expected % 700 == 0) { // the server's cursor, asked of the same connection between two steps
            ASSERT_EQ(held(), test::onPostgres() ? 1 : 0);
        }
    }
    EXPECT_EQ(expected, stored + 1);
    EXPECT_EQ(held(), 0);

    st.reset();
    int64_t rows = 0, last = 0;
    while (st.step()) {
        ++rows;
        last = st.int64(0);
    }
    EXPECT_EQ(last, test::onPostgres() ? 9999 : stored);
    EXPECT_EQ(rows, stored - 4);

    st.reset();
    ASSERT_TRUE(st.step());
    st = sql::Statement(); // let go of halfway
    EXPECT_EQ(held(), 0);
    {
        sql::Transaction tx(reader);
        sql::Statement inside = reader.prepare("SELECT v FROM t ORDER BY ID");
        inside.readInChunks();
        ASSERT_TRUE(inside.step());
        tx.rollback();
    }
    EXPECT_EQ(held(), 0);
    EXPECT_FALSE(reader.inTransaction());
}
