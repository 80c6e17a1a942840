// Import into a PostgreSQL server: a generated 100,000-record transfer file
// (1,000 recipients) imported headless into a fresh schema, against the same
// data rows sent by a bare COPY ... FROM STDIN in one transaction and by bare
// prepared INSERTs through libpq. Prints the times and the ratios.
//
// usage: bench_postgres_import [CONNECTION]   (default: $PELANOVA_TEST_POSTGRES,
//        as scripts/with-postgres.sh exports it)
#include "benchsupport.h"
#include "core/records.h"
#include "core/schema.h"
#include "core/sql.h"
#include "import/importengine.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace pelanova;

namespace {

int g_schemas = 0;

// A fresh schema with the system's tables; the location that reaches it.
std::string freshSchema(const std::string &server)
{
    const std::string name = "bench_import_" + std::to_string(++g_schemas);
    sql::Database admin;
    admin.open(server, sql::Database::Mode::ReadWrite);
    admin.exec("DROP SCHEMA IF EXISTS " + name + " CASCADE");
    admin.exec("CREATE SCHEMA " + name);
    const std::string location = server + " options='-c search_path=" + name + "'";
    sql::Database db;
    db.open(location, sql::Database::Mode::ReadWrite);
    schema::createOwnDatabase(db);
    return location;
}

double importSeconds(const std::string &server, const std::filesystem::path &file)
{
    sql::Database db;
    db.open(freshSchema(server), sql::Database::Mode::ReadWrite);
    bench::StderrBoxes boxes;
    SilentProgress progress;
    ImportEngine engine(db, nullptr, boxes, progress);
    const auto start = bench::Clock::now();
    if (engine.ImportTransferFile(file.string(), 3, 20080115, 20080110) != ImportEngine::Outcome::Stored)
        std::fprintf(stderr, "import did not store the file\n");
    return bench::secondsSince(start);
}

// The data rows as the import stores them: request date, facility, position,
// the record's fields, the import day.
std::vector<std::vector<std::string>> dataRows(const std::string &bytes)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<zengin::Value> values;
    int position = 30000;
    for (size_t off = 0; off + zengin::kRecordSize <= bytes.size(); off += zengin::kRecordSize) {
        const std::string_view block(bytes.data() + off, zengin::kRecordSize);
        if (zengin::recordKind(block) != zengin::Data)
            continue;
        zengin::split(block, zengin::Data, values);
        std::vector<std::string> row{"20080115", "3", std::to_string(position++)};
        for (const zengin::Value &v : values)
            row.push_back(v.isText ? v.text : std::to_string(v.number));
        row.push_back("20080110");
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string columnList()
{
    std::string columns = "振込依頼日, 施設コード, 取込順番";
    for (const auto &f : zengin::layout(zengin::Data))
        columns += std::string(", ") + f.column;
    return columns + ", 更新年月日";
}

PGconn *connect(const std::string &location)
{
    PGconn *conn = PQconnectdb(location.c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
        std::exit(1);
    }
    return conn;
}

void run(PGconn *conn, const char *sql)
{
    PGresult *r = PQexec(conn, sql);
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
    PQclear(r);
}

double bareCopySeconds(const std::string &server, const std::vector<std::vector<std::string>> &rows)
{
    PGconn *conn = connect(freshSchema(server));
    const auto start = bench::Clock::now();
    run(conn, "BEGIN");
    PGresult *r = PQexec(conn, ("COPY T_データレコード (" + columnList() + ") FROM STDIN").c_str());
    if (PQresultStatus(r) != PGRES_COPY_IN)
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
    PQclear(r);
    std::string buffer;
    for (const auto &row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i)
                buffer += '\t';
            for (char c : row[i]) {
                if (c == '\\' || c == '\t' || c == '\n' || c == '\r')
                    buffer += '\\';
                buffer += c;
            }
        }
        buffer += '\n';
        if (buffer.size() > (1 << 20)) {
            PQputCopyData(conn, buffer.data(), static_cast<int>(buffer.size()));
            buffer.clear();
        }
    }
    PQputCopyData(conn, buffer.data(), static_cast<int>(buffer.size()));
    PQputCopyEnd(conn, nullptr);
    r = PQgetResult(conn);
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
    PQclear(r);
    run(conn, "COMMIT");
    const double s = bench::secondsSince(start);
    PQfinish(conn);
    return s;
}

double bareInsertSeconds(const std::string &server, const std::vector<std::vector<std::string>> &rows)
{
    PGconn *conn = connect(freshSchema(server));
    const size_t n = rows.front().size();
    std::string places;
    for (size_t i = 1; i <= n; ++i)
        places += (i > 1 ? ", $" : "$") + std::to_string(i);
    const auto start = bench::Clock::now();
    run(conn, "BEGIN");
    PGresult *r = PQprepare(conn, "ins", ("INSERT INTO T_データレコード (" + columnList() + ") VALUES (" + places + ")").c_str(),
                            static_cast<int>(n), nullptr);
    PQclear(r);
    std::vector<const char *> values(n);
    for (const auto &row : rows) {
        for (size_t i = 0; i < n; ++i)
            values[i] = row[i].c_str();
        r = PQexecPrepared(conn, "ins", static_cast<int>(n), values.data(), nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            std::fprintf(stderr, "%s", PQerrorMessage(conn));
        PQclear(r);
    }
    run(conn, "COMMIT");
    const double s = bench::secondsSince(start);
    PQfinish(conn);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    const char *fromEnv = std::getenv("PELANOVA_TEST_POSTGRES");
    const std::string server = argc > 1 ? argv[1] : fromEnv ? fromEnv : "";
    if (server.empty()) {
        std::fprintf(stderr, "usage: bench_postgres_import CONNECTION (or run it under scripts/with-postgres.sh)\n");
        return 2;
    }
    const auto dir = std::filesystem::temp_directory_path() / "pelanova_postgres_import_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const int n = 100000;
    const std::string bytes = bench::makeTransferFile(n, 1000);
    const auto file = dir / "large.txt";
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto rows = dataRows(bytes);

    importSeconds(server, file); // warms the server's caches
    if (std::getenv("PELANOVA_BENCH_IMPORT_ONLY")) { // for a profiler: one import more, nothing else
        std::printf("import: %.3f s\n", importSeconds(server, file));
        return 0;
    }
    std::vector<double> imports, copies, inserts;
    for (int run = 0; run < 3; ++run) {
        imports.push_back(importSeconds(server, file));
        copies.push_back(bareCopySeconds(server, rows));
        inserts.push_back(bareInsertSeconds(server, rows));
    }
    std::sort(imports.begin(), imports.end());
    std::sort(copies.begin(), copies.end());
    std::sort(inserts.begin(), inserts.end());
    std::printf("PostgreSQL, %d data records (1,000 recipients), medians of 3 runs:\n", n);
    std::printf("  import:                 %.3f s, %.0f records/s\n", imports[1], n / imports[1]);
    std::printf("  bare COPY FROM STDIN:   %.3f s\n", copies[1]);
    std::printf("  bare prepared INSERTs:  %.3f s\n", inserts[1]);
    std::printf("ratio import / COPY: %.2f (target <= 1.5); import / prepared INSERTs: %.2f\n", imports[1] / copies[1],
                imports[1] / inserts[1]);
    std::filesystem::remove_all(dir);
    return 0;
}
