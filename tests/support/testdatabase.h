#pragma once

// The own database a test works on. The suites run once on SQLite (a file in
// the test's folder, or memory) and once on a PostgreSQL server: when
// PELANOVA_TEST_POSTGRES names the server's test database
// (scripts/with-postgres.sh), every own database is a fresh schema of it,
// reached through libpq's options.

#include "core/schema.h"
#include "core/sql.h"

#include <atomic>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace pelanova::test {

inline const char *postgresTestDatabase()
{
    const char *location = std::getenv("PELANOVA_TEST_POSTGRES");
    return location && *location ? location : nullptr;
}

inline bool onPostgres() { return postgresTestDatabase() != nullptr; }

// A new, empty schema on the test server, as a location the program opens.
inline std::string freshServerSchema()
{
    static std::atomic<int> made{0};
    const std::string schema = "t" + std::to_string(::getpid()) + "_" + std::to_string(++made);
    sql::Database admin;
    admin.open(postgresTestDatabase(), sql::Database::Mode::ReadWrite);
    admin.exec("CREATE SCHEMA " + schema);
    return std::string(postgresTestDatabase()) + " options='-c search_path=" + schema + "'";
}

// Where a test's own database is: the file in its folder, or a fresh schema
// on the test server. Nothing is created in it.
inline std::string ownDatabaseLocation(const std::string &file)
{
    return onPostgres() ? freshServerSchema() : file;
}

// Opens an own database with the system's tables: in memory, or a fresh
// schema on the test server.
inline void openOwnDatabase(sql::Database &db)
{
    if (onPostgres())
        db.open(freshServerSchema(), sql::Database::Mode::ReadWrite);
    else
        db.open(":memory:", sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
}

// Makes each INSERT or DELETE (event) of a row of table for which condition
// holds (over NEW or OLD) fail with message, as a failing disk or a locked
// table would; undone by stopFailing.
inline void failWhen(sql::Database &db, const std::string &name, const std::string &event, const std::string &table,
                     const std::string &condition, const std::string &message)
{
    if (db.engine() == sql::Engine::PostgreSQL) {
        const std::string row = event == "DELETE" ? "OLD" : "NEW";
        db.exec("CREATE FUNCTION " + name + "_f() RETURNS trigger AS $$ BEGIN IF " + condition + " THEN RAISE EXCEPTION '"
                + message + "'; END IF; RETURN " + row + "; END $$ LANGUAGE plpgsql");
        db.exec("CREATE TRIGGER " + name + " BEFORE " + event + " ON " + table + " FOR EACH ROW EXECUTE FUNCTION " + name
                + "_f()");
    } else {
        db.exec("CREATE TRIGGER " + name + " BEFORE " + event + " ON " + table + " WHEN " + condition
                + " BEGIN SELECT RAISE(ABORT, '" + message + "'); END");
    }
}

inline void stopFailing(sql::Database &db, const std::string &name, const std::string &table)
{
    if (db.engine() == sql::Engine::PostgreSQL) {
        db.exec("DROP TRIGGER " + name + " ON " + table);
        db.exec("DROP FUNCTION " + name + "_f()");
    } else {
        db.exec("DROP TRIGGER " + name);
    }
}

} // namespace pelanova::test
