// The bare 4-column GROUP BY of a date's transfers, printed as TSV: what
// `pelanova-cli lines` is measured against, over sqlite3 or libpq alone.
//
// Usage: bench_lines_bare LOCATION DATE   (a file, or a server's in libpq's form)

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const std::string statement =
        std::string("SELECT 引落銀行番号, 引落支店番号, 預金項目, 口座番号, SUM(引落金額) FROM T_データレコード "
                    "WHERE 振込依頼日 = ")
        + argv[2] + " GROUP BY 引落銀行番号, 引落支店番号, 預金項目, 口座番号";
    if (std::strchr(argv[1], '=')) {
        PGconn *conn = PQconnectdb(argv[1]);
        PGresult *result = PQexec(conn, statement.c_str());
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            std::fprintf(stderr, "%s", PQerrorMessage(conn));
            return 1;
        }
        for (int r = 0; r < PQntuples(result); ++r)
            std::printf("%s\t%s\t%s\t%s\t%s\n", PQgetvalue(result, r, 0), PQgetvalue(result, r, 1),
                        PQgetvalue(result, r, 2), PQgetvalue(result, r, 3), PQgetvalue(result, r, 4));
        PQclear(result);
        PQfinish(conn);
        return 0;
    }
    sqlite3 *db = nullptr;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, statement.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::printf("%s\t%s\t%s\t%s\t%s\n", sqlite3_column_text(st, 0), sqlite3_column_text(st, 1),
                    sqlite3_column_text(st, 2), sqlite3_column_text(st, 3), sqlite3_column_text(st, 4));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return 0;
}
