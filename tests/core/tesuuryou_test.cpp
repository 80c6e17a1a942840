#include "core/schema.h"
#include "core/sql.h"
#include "core/tesuuryou.h"

#include <gtest/gtest.h>
#include "support/testdatabase.h"

#include <set>

using namespace pelanova;

namespace {

// The default fee table of a new consignor, at bank 0001 branch 001.
ConsignorRow defaultConsignor()
{
    ConsignorRow c;
    c.code = "0000000001";
    c.bankNumber = 1;
    c.branchNumber = 1;
    static_cast<FeeTable &>(c) = kDefaultFeeTable;
    c.documentFees = {{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}}; // never charged
    return c;
}

RecipientRows recipientAt(int64_t bank, int64_t branch, const std::string &account, int64_t category,
                          int64_t threshold, const std::string &bankKanji = {}, const std::string &branchKanji = {})
{
    RecipientRows rows;
    RecipientRow r;
    r.id = 1;
    r.bankNumber = bank;
    r.branchNumber = branch;
    r.account = account;
    r.category = category;
    r.threshold = threshold;
    r.bankKanji = bankKanji;
    r.branchKanji = branchKanji;
    rows.add(r);
    return rows;
}

struct Priced
{
    TTesuuryou t;
    std::string bank;
    std::string branch;
};

Priced price(int64_t amount, int64_t bank, int64_t branch, const RecipientRows &recipients,
             const std::optional<ConsignorRow> &consignor, const std::string &account = "1234567")
{
    Priced p;
    p.t.Kingaku = amount;
    p.t.JisyaTesuuryou = 999; // ignored on entry
    p.t.AitesakiTesuuryou = 999;
    p.bank = "stale";
    p.branch = "stale";
    GetTesuuryou(p.t, p.bank, p.branch, bank, branch, account, recipients, consignor);
    return p;
}

} // namespace

TEST(Tesuuryou, ConsignorBearsTheFeeOfTheAmountsBand)
{
    const auto consignor = std::make_optional(defaultConsignor());
    const RecipientRows none;

    auto p = price(9999, 5, 1, none, consignor); // another bank, band 1
    EXPECT_EQ(p.t.JisyaTesuuryou, 420);
    EXPECT_EQ(p.t.AitesakiTesuuryou, 0);
    EXPECT_EQ(p.t.Kingaku, 9579);
    EXPECT_EQ(p.t.Kingaku + p.t.JisyaTesuuryou, 9999);
    EXPECT_EQ(p.bank, "");
    EXPECT_EQ(p.branch, "");

    EXPECT_EQ(price(10000, 5, 1, none, consignor).t.JisyaTesuuryou, 420); // band 2 starts at the limit
    EXPECT_EQ(price(29999, 5, 1, none, consignor).t.JisyaTesuuryou, 420);
    EXPECT_EQ(price(30000, 5, 1, none, consignor).t.JisyaTesuuryou, 630);
    EXPECT_EQ(price(30000, 1, 2, none, consignor).t.JisyaTesuuryou, 210); // another branch, band 3
    EXPECT_EQ(price(29999, 1, 2, none, consignor).t.JisyaTesuuryou, 105);

    for (int64_t amount : {1, 9999, 10000, 30000, 5000000}) {
        p = price(amount, 1, 1, none, consignor); // own bank and branch
        EXPECT_EQ(p.t.JisyaTesuuryou, 0);
        EXPECT_EQ(p.t.AitesakiTesuuryou, 0);
        EXPECT_EQ(p.t.Kingaku, amount);
    }
}

TEST(Tesuuryou, RecipientBearsTheFeeFromItsThreshold)
{
    const auto consignor = std::make_optional(defaultConsignor());
    const RecipientRows r = recipientAt(5, 1, "1234567", 1, 30000);

    auto p = price(50000, 5, 1, r, consignor);
    EXPECT_EQ(p.t.AitesakiTesuuryou, 630);
    EXPECT_EQ(p.t.JisyaTesuuryou, 0);
    EXPECT_EQ(p.t.Kingaku, 49370);

    p = price(29999, 5, 1, r, consignor);
    EXPECT_EQ(p.t.JisyaTesuuryou, 420);
    EXPECT_EQ(p.t.AitesakiTesuuryou, 0);
    EXPECT_EQ(p.t.Kingaku + p.t.JisyaTesuuryou, 29999);

    p = price(30000, 5, 1, r, consignor);
    EXPECT_EQ(p.t.AitesakiTesuuryou, 630);
    EXPECT_EQ(p.t.Kingaku, 29370);

    // Any non-zero category means "recipient from the threshold".
    EXPECT_EQ(price(50000, 5, 1, recipientAt(5, 1, "1234567", 7, 30000), consignor).t.AitesakiTesuuryou, 630);
    // Threshold 0: the recipient bears every fee.
    EXPECT_EQ(price(1, 5, 1, recipientAt(5, 1, "1234567", 1, 0), consignor).t.AitesakiTesuuryou, 420);
    EXPECT_EQ(price(1, 5, 1, recipientAt(5, 1, "1234567", 1, 0), consignor).t.Kingaku, -419);
    // Category 0 ignores the threshold.
    EXPECT_EQ(price(50000, 5, 1, recipientAt(5, 1, "1234567", 0, 30000), consignor).t.JisyaTesuuryou, 630);
    // Another account at the same branch is not this recipient.
    EXPECT_EQ(price(50000, 5, 1, r, consignor, "1234568").t.JisyaTesuuryou, 630);
}

TEST(Tesuuryou, WithoutConsignorRowThereIsNoFeeButNamesAreReturned)
{
    const RecipientRows r = recipientAt(5, 1, "1234567", 1, 0, "みずなみ銀行", "本店");
    const auto p = price(50000, 5, 1, r, std::nullopt);
    EXPECT_EQ(p.t.Kingaku, 50000);
    EXPECT_EQ(p.t.JisyaTesuuryou, 0);
    EXPECT_EQ(p.t.AitesakiTesuuryou, 0);
    EXPECT_EQ(p.bank, "みずなみ銀行");
    EXPECT_EQ(p.branch, "本店");
}

TEST(Tesuuryou, EmptyBandLimitsPutEveryAmountIntoBand3AndAmountsAre64Bit)
{
    ConsignorRow c = defaultConsignor();
    c.limits[2] = {0, 0};
    const RecipientRows none;
    EXPECT_EQ(price(1, 5, 1, none, c).t.JisyaTesuuryou, 630);

    // A merged sum beyond 32 bits is priced and kept exactly.
    const auto p = price(3'000'000'000, 5, 1, recipientAt(5, 1, "1234567", 1, 30000), defaultConsignor());
    EXPECT_EQ(p.t.Kingaku, 3'000'000'000 - 630);
    EXPECT_EQ(p.t.AitesakiTesuuryou, 630);
}

TEST(Tesuuryou, ReadsRowsFromTheDatabaseFirstMatchAndNullsAsZero)
{
    sql::Database db;
    test::openOwnDatabase(db);
    // Branch stored as the text '001' still compares as 1 (integer column).
    db.exec("INSERT INTO M_銀行 (委託者コード, 委託者名, 銀行番号, 支店番号, 他銀行1未満, 他銀行2未満, "
            "他銀行1未満電信手数料, 他銀行2未満電信手数料, 他銀行3以上電信手数料, 当銀行3以上電信手数料) "
            "VALUES ('C''1', 'ｲﾀｸ', 1, '001', 10000, 30000, 420, 420, 630, 50)");
    db.exec("INSERT INTO M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号, 手数料区分, 手数料金額, "
            "銀行名漢字, 支店名漢字) VALUES "
            "('C''1', 5, 1, '1234567', NULL, NULL, NULL, NULL),"       // first match: category 0
            "('C''1', 5, 1, '1234567', 1, 0, '後の銀行', '後の支店')," // later duplicate: never found
            "('C''1', 6, 2, 'O''Neil', 1, 100, '六銀行', NULL),"       // a quote in the account
            "('C2', 7, 3, '7777777', 1, 0, 'よその銀行', NULL),"       // another consignor
            "('C''1', NULL, 3, '7777777', 1, 0, 'x', 'y')");           // no bank number: never found
    const auto consignor = loadConsignorRow(db, "C'1");
    ASSERT_TRUE(consignor);
    EXPECT_EQ(consignor->name, "ｲﾀｸ");
    EXPECT_EQ(consignor->telegraphicFees[0][2], 50);
    EXPECT_EQ(consignor->telegraphicFees[1][2], 0); // NULL reads as 0
    EXPECT_EQ(consignor->limits[1][0], 0);
    EXPECT_FALSE(loadConsignorRow(db, "nobody"));

    const RecipientRows rows(db, "C'1");
    EXPECT_EQ(rows.size(), 4u);

    auto p = price(50000, 5, 1, rows, consignor);
    EXPECT_EQ(p.t.JisyaTesuuryou, 630);
    EXPECT_EQ(p.bank, "");
    EXPECT_EQ(p.branch, "");

    p = price(50000, 6, 2, rows, consignor, "O'Neil");
    EXPECT_EQ(p.t.AitesakiTesuuryou, 630);
    EXPECT_EQ(p.bank, "六銀行");
    EXPECT_EQ(p.branch, "");

    EXPECT_EQ(price(50000, 7, 3, rows, consignor, "7777777").bank, "");
    EXPECT_EQ(price(500, 1, 1, rows, consignor).t.JisyaTesuuryou, 50); // branch '001' is branch 1; empty limits: band 3
}

TEST(Tesuuryou, TheFirstStoredRecipientWinsWhereTheDatabaseOrdersOtherwise)
{
    sql::Database db;
    db.open(":memory:", sql::Database::Mode::Create);
    schema::createOwnDatabase(db);
    // A bank number of letters reads as 0 and sorts after every number in
    // the database: the first stored of the two equal accounts is found.
    db.exec("INSERT INTO M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号, 手数料区分, 手数料金額, 銀行名漢字) VALUES "
            "('C', 'X', 1, '1111111', 1, 0, '先の銀行'),"
            "('C', 0, 1, '1111111', 0, 0, '後の銀行'),"
            "('C', 9, 1, '1111111', 1, 0, '九銀行')");
    const RecipientRows rows(db, "C");
    EXPECT_EQ(rows.size(), 3u);
    const auto first = rows.find(0, 1, "1111111");
    ASSERT_TRUE(first);
    EXPECT_EQ(*first->bankKanji, "先の銀行");
    EXPECT_EQ(first->category, 1);
    ASSERT_TRUE(rows.find(9, 1, "1111111"));
    EXPECT_EQ(*rows.find(9, 1, "1111111")->bankKanji, "九銀行");
}

TEST(YokinSyubetu, NamesOfTheThreeCodes)
{
    EXPECT_EQ(GetYokinSyubetuName(1), "普通");
    EXPECT_EQ(GetYokinSyubetuName(2), "当座");
    EXPECT_EQ(GetYokinSyubetuName(4), "貯蓄");
    EXPECT_EQ(GetYokinSyubetuName(9), "その他");
    EXPECT_EQ(GetYokinSyubetuName(3), "");
    EXPECT_EQ(GetYokinSyubetuName(0), "");
    EXPECT_EQ(GetYokinSyubetuName(-1), "");
}

TEST(FeeTable, TheDefaultTableInTheColumnsOfTheConsignorMaster)
{
    // The values a new consignor receives, in the stored order of M_銀行's fee columns.
    EXPECT_EQ(feeValueList(kDefaultFeeTable), "10000, 30000, 0, 0, 0, 0, 0, 0, "
                                              "10000, 30000, 105, 105, 210, 105, 105, 210, "
                                              "10000, 30000, 420, 420, 630, 420, 420, 630");
    EXPECT_EQ(std::string(kFeeColumns[10]), "他支店1未満電信手数料");
    EXPECT_EQ(std::string(kFeeColumns[23]), "他銀行3以上文書手数料");
    FeeTable t;
    feeValue(t, 20) = 777; // 他銀行3以上電信手数料
    EXPECT_EQ(t.telegraphicFees[2][2], 777);
    feeValue(t, 13) = 5; // 他支店1未満文書手数料
    EXPECT_EQ(t.documentFees[1][0], 5);
}

// The positions name the columns they claim to: relation prefix, band, kind.
TEST(FeeTable, EachColumnPositionIsTheColumnOfItsRelationBandAndKind)
{
    const char *const relations[kFeeRelationCount] = {"当銀行", "他支店", "他銀行"};
    std::set<int> seen;
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        const std::string prefix = relations[relation];
        for (int limit = 0; limit < kBandLimitsPerRelation; ++limit) {
            const int index = bandLimitColumn(relation, limit);
            EXPECT_EQ(kFeeColumns[index], prefix + std::to_string(limit + 1) + "未満");
            FeeTable t;
            feeValue(t, index) = 9;
            EXPECT_EQ(t.limits[relation][limit], 9);
            seen.insert(index);
        }
        for (int band = 0; band < kBandsPerRelation; ++band) {
            const std::string stem = prefix + std::to_string(band + 1) + (band < 2 ? "未満" : "以上");
            EXPECT_EQ(kFeeColumns[telegraphicFeeColumn(relation, band)], stem + "電信手数料");
            EXPECT_EQ(kFeeColumns[documentFeeColumn(relation, band)], stem + "文書手数料");
            seen.insert(telegraphicFeeColumn(relation, band));
            seen.insert(documentFeeColumn(relation, band));
        }
    }
    EXPECT_EQ(seen.size(), size_t(kFeeColumnCount)) << "every column has exactly one position";
}
