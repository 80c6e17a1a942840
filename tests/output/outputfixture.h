#pragma once

// A database with imported transfers, built by plain SQL as the import leaves
// its rows: texts in UTF-8 (a name read from a file is its lossless decoding,
// cp932::decode), 取込順番 = facility × 10000 + position in the file, rows
// stored in import order.

#include "core/cp932.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "support/testdatabase.h"

#include <cstdio>
#include <string>
#include <vector>

namespace pelanova::testing {

struct Transfer
{
    int bank = 5;
    std::string bankName = "ｷﾞﾝｺｳ";
    int branch = 1;
    std::string branchName = "ｼﾃﾝ";
    int type = 1;
    std::string account = "1234567";
    std::string name = "ﾔﾏﾀﾞ ﾀﾛｳ";
    long long amount = 10000;
};

class OutputDb
{
public:
    OutputDb()
    {
        test::openOwnDatabase(db);
    }

    // A consignor with the default fee table.
    void addConsignor(const std::string &code, const std::string &name = "ｶ)ﾃｽﾄ", int bank = 1, int branch = 1)
    {
        auto st = db.prepare("INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 銀行名, 支店番号, 支店名, 預金種目, "
                             "口座番号, " + feeColumnList() + ") VALUES (?, ?, ?, ?, ?, ?, 1, '7654321', "
                             + feeValueList(kDefaultFeeTable) + ")");
        st.bind(1, code).bind(2, name).bind(3, int64_t(bank));
        st.bind(4, "ﾎﾝｷﾞﾝｺｳ").bind(5, int64_t(branch)).bind(6, "ﾎﾝﾃﾝ");
        st.run();
    }

    void addFacility(int code, const std::string &name)
    {
        auto st = db.prepare("INSERT INTO M_施設 (施設コード, 施設名) VALUES (?, ?)");
        st.bind(1, int64_t(code)).bind(2, name);
        st.run();
    }

    void addRecipient(const std::string &consignor, int bank, int branch, const std::string &account, int category,
                      long long threshold, const std::string &bankKanji = {}, const std::string &branchKanji = {})
    {
        auto st = db.prepare("INSERT INTO M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号, 手数料区分, "
                             "手数料金額, 銀行名漢字, 支店名漢字) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        st.bind(1, consignor).bind(2, int64_t(bank)).bind(3, int64_t(branch)).bind(4, account);
        st.bind(5, int64_t(category)).bind(6, int64_t(threshold));
        if (bankKanji.empty())
            st.bindNull(7);
        else
            st.bind(7, bankKanji);
        if (branchKanji.empty())
            st.bindNull(8);
        else
            st.bind(8, branchKanji);
        st.run();
    }

    // One facility's file for a date: its header and its data records.
    void import(int date, int facility, const std::string &consignor, const std::vector<Transfer> &transfers)
    {
        sql::Transaction tx(db);
        auto h = db.prepare("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード, データ区分, 委託者コード) "
                            "VALUES (?, ?, 1, ?)");
        h.bind(1, int64_t(date)).bind(2, int64_t(facility)).bind(3, consignor);
        h.run();
        auto d = db.prepare("INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番, データ区分, "
                            "引落銀行番号, 引落銀行名, 引落支店番号, 引落支店名, 預金項目, 口座番号, 預金者名, 引落金額) "
                            "VALUES (?, ?, ?, 2, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (size_t i = 0; i < transfers.size(); ++i) {
            const Transfer &t = transfers[i];
            d.reset();
            d.bind(1, int64_t(date)).bind(2, int64_t(facility)).bind(3, int64_t(facility) * 10000 + int64_t(i));
            d.bind(4, int64_t(t.bank)).bind(5, t.bankName).bind(6, int64_t(t.branch));
            d.bind(7, t.branchName).bind(8, int64_t(t.type)).bind(9, t.account);
            d.bind(10, t.name).bind(11, int64_t(t.amount));
            d.run();
        }
        tx.commit();
    }

    sql::Database db;
};

inline Transfer transferTo(const std::string &account, long long amount, const std::string &name = "ﾔﾏﾀﾞ ﾀﾛｳ")
{
    Transfer t;
    t.account = account;
    t.amount = amount;
    t.name = name;
    return t;
}

// n transfers of 10,000 + i yen to accounts of bank 5 (another bank: 420 or 630 yen).
inline std::vector<Transfer> transfers(int n)
{
    std::vector<Transfer> out;
    for (int i = 0; i < n; ++i) {
        char account[12];
        std::snprintf(account, sizeof account, "%07d", i);
        out.push_back(transferTo(account, 10000 + i));
    }
    return out;
}

} // namespace pelanova::testing
