#include <gtest/gtest.h>

#include "mastersfixture.h"

using namespace pelanova;
using namespace pelanova::masters;

namespace {

TEST(FacilityStatements, NextCodeIsHighestPlusOneAndLeavesGaps)
{
    test::MastersDatabase m;
    EXPECT_EQ(nextFacilityCode(m.db), 1);
    m.addFacility(1, "本部");
    m.addFacility(5, "南");
    EXPECT_EQ(nextFacilityCode(m.db), 6);
    const auto list = loadFacilities(m.db);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].code, 1);
    EXPECT_EQ(list[1].code, 5);
}

TEST(FacilityStatements, FileNameBlankIsNullAndSurroundingBlanksStay)
{
    test::MastersDatabase m;
    insertFacility(m.db, 1, "  ", "   ");
    insertFacility(m.db, 2, "東", " FB01 ");
    updateFacility(m.db, *findFacility(m.db, 2), "東館", "");
    insertFacility(m.db, 3, "西", "");
    const auto one = findFacility(m.db, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->name, "  ");
    EXPECT_FALSE(one->fileName);
    const auto two = findFacility(m.db, 2);
    EXPECT_EQ(two->name, "東館");
    EXPECT_FALSE(two->fileName);
    updateFacility(m.db, *findFacility(m.db, 3), "西", " FB03 ");
    EXPECT_EQ(*findFacility(m.db, 3)->fileName, " FB03 ");
    EXPECT_FALSE(findFacility(m.db, 4));
    EXPECT_TRUE(facilityCodeInUse(m.db, 3));
    EXPECT_FALSE(facilityCodeInUse(m.db, 4));
}

TEST(FacilityStatements, OnlyPlainDigitsMakeACode)
{
    EXPECT_EQ(facilityCodeOf("12"), 12);
    EXPECT_EQ(facilityCodeOf("0007"), 7);
    EXPECT_FALSE(facilityCodeOf(""));
    EXPECT_FALSE(facilityCodeOf("1 OR 1=1"));
    EXPECT_FALSE(facilityCodeOf("-1"));
    EXPECT_FALSE(facilityCodeOf(" 1"));
}

TEST(FeeTableStatements, AllTwentyFourColumnsRoundTrip)
{
    test::MastersDatabase m;
    m.addConsignor("A", "甲", 1, 1, "みずほ銀行");
    m.addConsignor("B", "乙");
    auto a = loadConsignorRow(m.db, "A");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->shownBankName(), "みずほ銀行");
    EXPECT_EQ(a->shownBranchName(), "ｼﾃﾝ");
    EXPECT_EQ(a->limits[2][1], 30000);
    EXPECT_TRUE(a->missingFees.none());
    FeeTable values;
    for (int i = 0; i < kFeeColumnCount; ++i)
        feeValue(values, i) = 1000 + i;
    saveFeeTable(m.db, *a, values);
    a = loadConsignorRow(m.db, "A");
    for (int i = 0; i < kFeeColumnCount; ++i) {
        EXPECT_EQ(feeValue(*a, i), 1000 + i) << kFeeColumns[i];
        EXPECT_EQ(m.value("M_銀行", kFeeColumns[i], "委託者コード = 'A'"), 1000 + i);
    }
    EXPECT_EQ(m.value("M_銀行", "他銀行3以上電信手数料", "委託者コード = 'B'"), 630);
    EXPECT_FALSE(loadConsignorRow(m.db, "C"));
    m.db.exec("UPDATE M_銀行 SET 他支店2未満 = NULL WHERE 委託者コード = 'B'");
    const auto b = loadConsignorRow(m.db, "B");
    EXPECT_TRUE(b->missingFees[bandLimitColumn(1, 1)]);
    EXPECT_EQ(b->missingFees.count(), 1u);
}

TEST(RecipientStatements, SavingChangesOnlyTheConsignorsRow)
{
    test::MastersDatabase m;
    m.addRecipient("A", 5, 1, "0000001", "ｲﾁ");
    m.addRecipient("B", 5, 1, "0000001", "ｲﾁ");
    EXPECT_TRUE(saveRecipientFee(m.db, "A", 5, 1, "0000001", {0, 0}, {1, 30000}));
    EXPECT_FALSE(saveRecipientFee(m.db, "A", 5, 1, "1", {0, 0}, {1, 30000}));
    EXPECT_EQ(m.value("M_受取人", "手数料金額", "委託者コード = 'A'"), 30000);
    EXPECT_EQ(m.value("M_受取人", "手数料金額", "委託者コード = 'B'"), 0);
    const auto detail = findRecipient(m.db, "A", 5, 1, "0000001");
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->bankName, "ﾐｽﾞﾎ");
    EXPECT_EQ(detail->branchName, "ﾎﾝﾃﾝ");
    EXPECT_EQ(detail->category, 1);
}

TEST(BulkFeeStatement, QuotesTheConsignorAndTouchesOnlyItsRows)
{
    EXPECT_EQ(bulkFeeStatement("O'K"),
              "UPDATE M_受取人 SET\n  手数料区分 = :手数料区分,\n  手数料金額 = :手数料金額\nWHERE\n"
              "  委託者コード = 'O''K'");
    test::MastersDatabase m;
    m.addRecipient("A", 5, 1, "1", "ｲﾁ", 1, 100);
    m.addRecipient("A", 6, 2, "2", "ﾆ", 1, 100);
    m.addRecipient("B", 5, 1, "1", "ｲﾁ", 1, 100);
    EXPECT_EQ(applyBulkFee(m.db, "A", false, 5000), 2);
    EXPECT_EQ(m.value("M_受取人", "COUNT(*)", "委託者コード = 'A' AND 手数料区分 = 0 AND 手数料金額 = 5000"), 2);
    EXPECT_EQ(m.value("M_受取人", "手数料区分", "委託者コード = 'B'"), 1);
    EXPECT_EQ(m.value("M_受取人", "手数料金額", "委託者コード = 'B'"), 100);
    EXPECT_EQ(applyBulkFee(m.db, "Z", true, 0), 0);
}

TEST(DeleteAllData, EmptiesImportsAndMastersButKeepsFacilities)
{
    test::MastersDatabase m;
    m.addFacility(1, "本部");
    m.addConsignor("A", "甲");
    m.addRecipient("A", 5, 1, "1", "ｲﾁ");
    m.db.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード) VALUES (20080115, 1)");
    m.db.exec("INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番) VALUES (20080115, 1, 10000)");
    m.db.exec("INSERT INTO T_トレーラレコード (振込依頼日, 施設コード) VALUES (20080115, 1)");
    m.db.exec("INSERT INTO T_エンドレコード (振込依頼日, 施設コード) VALUES (20080115, 1)");
    deleteAllData(m.db);
    for (const char *table : kDeleteAllTables)
        EXPECT_EQ(m.count(table), 0) << table;
    EXPECT_EQ(m.count("M_施設"), 1);
    EXPECT_FALSE(m.db.inTransaction());
}

TEST(DeleteAllData, AFailingStatementDeletesNothing)
{
    test::MastersDatabase m;
    m.addConsignor("A", "甲");
    m.db.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード) VALUES (20080115, 1)");
    m.db.exec("DROP TABLE M_受取人");
    EXPECT_THROW(deleteAllData(m.db), sql::Error);
    EXPECT_EQ(m.count("T_ヘッダレコード"), 1);
    EXPECT_EQ(m.count("M_銀行"), 1);
    EXPECT_FALSE(m.db.inTransaction());
}

// Two clerks on one database: each edit is stored only while the row still
// holds what that clerk's screen showed, and a refused edit writes nothing.
TEST(StaleRows, AnEditOfARowAnotherConnectionChangedIsRefused)
{
    test::MastersDatabase m;
    m.addFacility(1, "本館", "FB01");
    m.addConsignor("A", "ｲﾀｸ");
    m.addRecipient("A", 5, 1, "0000001", "ｲﾁ");
    test::MastersDatabase other(m.location);

    const Facility facility = *findFacility(m.db, 1);
    updateFacility(other.db, *findFacility(other.db, 1), "東館", "FB01");
    EXPECT_THROW(updateFacility(m.db, facility, "西館", "FB09"), StaleRowError);
    EXPECT_EQ(findFacility(m.db, 1)->name, "東館");
    EXPECT_EQ(*findFacility(m.db, 1)->fileName, "FB01");
    updateFacility(m.db, *findFacility(m.db, 1), "西館", ""); // shown afresh: stored
    EXPECT_FALSE(findFacility(other.db, 1)->fileName);
    other.db.exec("DELETE FROM M_施設 WHERE 施設コード = 1");
    EXPECT_THROW(updateFacility(m.db, facility, "西館", ""), StaleRowError);

    const ConsignorRow shown = *loadConsignorRow(m.db, "A");
    ConsignorRow theirs = shown;
    theirs.telegraphicFees[0][0] = 111;
    saveFeeTable(other.db, shown, theirs);
    ConsignorRow mine = shown;
    mine.documentFees[1][2] = 222;
    EXPECT_THROW(saveFeeTable(m.db, shown, mine), StaleRowError);
    const ConsignorRow stored = *loadConsignorRow(m.db, "A");
    EXPECT_EQ(stored.telegraphicFees[0][0], 111);
    EXPECT_EQ(stored.documentFees[1][2], shown.documentFees[1][2]);
    // A fee column stored as NULL compares as shown NULL, not as 0.
    m.db.exec("UPDATE M_銀行 SET " + std::string(kFeeColumns[3]) + " = NULL WHERE 委託者コード = 'A'");
    const ConsignorRow withNull = *loadConsignorRow(m.db, "A");
    EXPECT_NO_THROW(saveFeeTable(m.db, withNull, mine));
    EXPECT_THROW(saveFeeTable(m.db, withNull, mine), StaleRowError); // the NULL is gone now

    EXPECT_TRUE(saveRecipientFee(other.db, "A", 5, 1, "0000001", {0, 0}, {1, 30000}));
    EXPECT_THROW(saveRecipientFee(m.db, "A", 5, 1, "0000001", {0, 0}, {1, 10000}), StaleRowError);
    EXPECT_EQ(m.value("M_受取人", "手数料金額", "委託者コード = 'A'"), 30000);
    EXPECT_TRUE(saveRecipientFee(m.db, "A", 5, 1, "0000001", {1, 30000}, {0, 0}));
}

} // namespace
