#pragma once

#include <memory>
#include <string>

#include "core/schema.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "masters/masterdata.h"
#include "support/tempdir.h"
#include "support/testdatabase.h"

namespace pelanova::test {

// An own database with the system's tables and helpers that put masters in.
class MastersDatabase
{
    // Declared first: the folder outlives the connection.
    std::unique_ptr<TempDir> m_dir;

public:
    // A fresh one in a temporary folder of its own.
    MastersDatabase() : m_dir(std::make_unique<TempDir>())
    {
        location = ownDatabaseLocation(m_dir->file("FBDB.db"));
        db.open(location, sql::Database::Mode::Create);
        schema::createOwnDatabase(db);
    }
    // Another connection to a database that has the tables.
    explicit MastersDatabase(const std::string &path) : location(path)
    {
        db.open(path, sql::Database::Mode::ReadWrite);
    }
    std::string location; // what a second connection opens

    void addFacility(int code, const std::string &name, const char *fileName = nullptr)
    {
        sql::Statement st = db.prepare(
            "INSERT INTO M_施設 (施設コード, 施設名, 総合振込データファイル名) VALUES (?, ?, ?)");
        st.bind(1, int64_t(code)).bind(2, name);
        if (fileName)
            st.bind(3, fileName);
        else
            st.bindNull(3);
        st.run();
    }

    // A consignor at bank 0001 branch 001 with the default fee table.
    void addConsignor(const std::string &code, const std::string &name, int bank = 1, int branch = 1,
                      const std::string &bankKanji = {})
    {
        sql::Statement st = db.prepare(
            "INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 銀行名, 支店番号, 支店名, 預金種目, 口座番号, "
            + feeColumnList() + ", 銀行名漢字, 支店名漢字) VALUES (?, ?, ?, 'ｷﾞﾝｺｳ', ?, 'ｼﾃﾝ', 1, '1234567', "
            + feeValueList(kDefaultFeeTable) + ", ?, NULL)");
        st.bind(1, code).bind(2, name).bind(3, int64_t(bank)).bind(4, int64_t(branch));
        if (bankKanji.empty())
            st.bindNull(5);
        else
            st.bind(5, bankKanji);
        st.run();
    }

    void addRecipient(const std::string &consignor, int bank, int branch, const std::string &account,
                      const std::string &name, int category = 0, int threshold = 0, int accountType = 1,
                      const std::string &bankKanji = {})
    {
        sql::Statement st = db.prepare(
            "INSERT INTO M_受取人 (委託者コード, 銀行番号, 銀行名, 支店番号, 支店名, 預金種別, 受取人名, 口座番号,"
            " 手数料区分, 手数料金額, 銀行名漢字, 支店名漢字) VALUES (?, ?, 'ﾐｽﾞﾎ  ', ?, 'ﾎﾝﾃﾝ ', ?, ?, ?, ?, ?, ?, NULL)");
        st.bind(1, consignor).bind(2, int64_t(bank)).bind(3, int64_t(branch)).bind(4, int64_t(accountType));
        st.bind(5, name).bind(6, account).bind(7, int64_t(category)).bind(8, int64_t(threshold));
        if (bankKanji.empty())
            st.bindNull(9);
        else
            st.bind(9, bankKanji);
        st.run();
    }

    int64_t count(const std::string &table)
    {
        sql::Statement st = db.prepare("SELECT COUNT(*) FROM " + table);
        st.step();
        return st.int64(0);
    }

    // One integer of one row, by a where clause.
    int64_t value(const std::string &table, const std::string &column, const std::string &where)
    {
        sql::Statement st = db.prepare("SELECT " + column + " FROM " + table + " WHERE " + where);
        if (!st.step())
            return -999;
        return st.int64(0);
    }

    sql::Database db;
};

} // namespace pelanova::test
