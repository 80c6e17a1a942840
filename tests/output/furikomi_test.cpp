#include "output/furikomi.h"
#include "outputfixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

using namespace pelanova;
using namespace pelanova::output;
using pelanova::testing::OutputDb;
using pelanova::testing::Transfer;
using pelanova::testing::transferTo;

namespace {

constexpr int kDate = 20080115;
const std::string kCode = "0000012345";

std::vector<std::string> payees(const FurikomiList &list)
{
    std::vector<std::string> out;
    for (const auto &line : list.lines)
        out.push_back(line.payee);
    return out;
}

} // namespace

TEST(FurikomiLists, DatesConsignorsAndFacilitiesOfTheDate)
{
    OutputDb t;
    t.addConsignor("B'2", "ﾆﾊﾞﾝ");
    t.addConsignor(kCode, "ｲﾁﾊﾞﾝ");
    t.addFacility(2, "東病院");
    t.addFacility(3, "西病院");
    t.import(20080110, 3, kCode, {});
    t.import(kDate, 3, kCode, {});
    t.import(kDate, 2, kCode, {});
    t.import(kDate, 7, kCode, {}); // not in M_施設
    t.import(kDate, 4, "B'2", {});

    EXPECT_EQ(LoadFurikomiDates(t.db), (std::vector<std::string>{"20080115\t4", "20080110\t1"}));
    EXPECT_EQ(LoadItakusya(t.db), (std::vector<std::string>{"0000012345\tｲﾁﾊﾞﾝ", "B'2\tﾆﾊﾞﾝ"}));
    // Only the facilities of the chosen date, each once; a facility missing
    // from the master has an empty name.
    EXPECT_EQ(LoadBumon(t.db, kCode, kDate),
              (std::vector<std::string>{"-1\t全施設集計", "2\t東病院", "3\t西病院", "7\t"}));
    EXPECT_EQ(LoadBumon(t.db, kCode, 20080110), (std::vector<std::string>{"-1\t全施設集計", "3\t西病院"}));
    EXPECT_EQ(LoadBumon(t.db, "B'2", kDate), (std::vector<std::string>{"-1\t全施設集計", "4\t"}));
    EXPECT_EQ(LoadBumon(t.db, "none", kDate), (std::vector<std::string>{"-1\t全施設集計"}));
}

TEST(FurikomiSql, LiteralsAndColumnNamesOfBothModes)
{
    const std::string facility = BuildFurikomiSql(kDate, "A'B", 3);
    EXPECT_NE(facility.find("  T_データレコード.振込依頼日 = 20080115\n"), std::string::npos);
    EXPECT_NE(facility.find("  AND T_データレコード.施設コード = 3\n"), std::string::npos);
    EXPECT_NE(facility.find("  AND T_ヘッダレコード.委託者コード = 'A''B'\n"), std::string::npos);
    const std::string all = BuildFurikomiSql(kDate, "A'B", -1);
    EXPECT_EQ(all.find("施設コード = -1"), std::string::npos);
    EXPECT_EQ(BuildFurikomiSql(kDate, "A'B", 0), all);

    OutputDb t;
    auto st = t.db.prepare(facility);
    const std::vector<std::string> names{"振込銀行番号", "振込銀行名", "振込支店番号", "振込支店名",
                                         "預金項目",     "口座番号",   "振込先名",     "振込金額"};
    ASSERT_EQ(st.columnCount(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(st.columnName(i), names[i]);
    auto st2 = t.db.prepare(all);
    ASSERT_EQ(st2.columnCount(), 9);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(st2.columnName(i), names[i]);
    EXPECT_EQ(st2.columnName(8), "委託者コード");
}

TEST(FurikomiList, FacilityModeAgainstAllFacilities)
{
    OutputDb t;
    t.addConsignor(kCode);
    t.import(kDate, 1, kCode, {transferTo("1111111", 20000), transferTo("2222222", 5000)});
    t.import(kDate, 2, kCode, {transferTo("1111111", 20000)});
    t.import(kDate, 3, "other", {transferTo("1111111", 70000)}); // another consignor
    t.import(20080116, 1, kCode, {transferTo("1111111", 80000)}); // another date

    const FurikomiList all = LoadFurikomiList(t.db, kDate, kCode, -1);
    EXPECT_TRUE(all.allFacilities);
    ASSERT_EQ(all.lines.size(), 2u);
    const TFurikomiLine &merged = all.lines[0];
    EXPECT_EQ(merged.code, "0005-001");
    EXPECT_EQ(merged.bankName, "ｷﾞﾝｺｳ");
    EXPECT_EQ(merged.branchName, "ｼﾃﾝ");
    EXPECT_EQ(merged.depositType, "普通");
    EXPECT_EQ(merged.payee, "ﾔﾏﾀﾞ ﾀﾛｳ");
    EXPECT_EQ(merged.amount, "40,000"); // band 3 of the merged sum, borne by the consignor
    EXPECT_EQ(merged.ownFee, "630");
    EXPECT_EQ(merged.recipientFee, "");
    EXPECT_EQ(all.lines[1].amount, "5,000");
    EXPECT_EQ(all.lines[1].ownFee, "420");
    EXPECT_EQ(all.count, 2);
    EXPECT_EQ(all.sum, 45000);
    EXPECT_EQ(all.statement, BuildFurikomiSql(kDate, kCode, -1));

    EXPECT_EQ(LoadFurikomiList(t.db, kDate, kCode, 0).lines.size(), 2u); // key 0 merges too

    for (int facility : {1, 2}) {
        const FurikomiList one = LoadFurikomiList(t.db, kDate, kCode, facility);
        EXPECT_FALSE(one.allFacilities);
        ASSERT_GE(one.lines.size(), 1u);
        EXPECT_EQ(one.lines[0].amount, "20,000");
        EXPECT_EQ(one.lines[0].ownFee, "420"); // band 2
    }
    EXPECT_EQ(LoadFurikomiList(t.db, kDate, kCode, 1).sum, 25000);
    EXPECT_EQ(LoadFurikomiList(t.db, kDate, kCode, 2).count, 1);
    const FurikomiList empty = LoadFurikomiList(t.db, kDate, kCode, 9);
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.sum, 0);
    EXPECT_EQ(totalCountText(empty.count), "0 ");
    EXPECT_EQ(totalSumText(4000000001), "4,000,000,001 ");
}

TEST(FurikomiList, MergedLinesFollowTheEarliestStoredTransfer)
{
    // Facility 5 is imported first, then 2 and 3: account A's earliest stored
    // transfer is facility 5's (取込順番 50000), although facility 2 also pays
    // it, at 20001. Lines go by the 取込順番 of each group's earliest stored
    // row, and take their names from it.
    OutputDb t;
    t.addConsignor(kCode);
    Transfer a5 = transferTo("AAAAAAA", 1000, "ｴｰ ｺﾞ");
    a5.bankName = "ｷﾞﾝｺｳ5";
    Transfer a2 = transferTo("AAAAAAA", 2000, "ｴｰ ﾆ");
    a2.bankName = "ｷﾞﾝｺｳ2";
    t.import(kDate, 5, kCode, {a5});
    t.import(kDate, 2, kCode, {transferTo("BBBBBBB", 3000, "ﾋﾞｰ"), a2});
    t.import(kDate, 3, kCode, {transferTo("CCCCCCC", 4000, "ｼｰ")});

    const FurikomiList all = LoadFurikomiList(t.db, kDate, kCode, -1);
    EXPECT_EQ(payees(all), (std::vector<std::string>{"ﾋﾞｰ", "ｼｰ", "ｴｰ ｺﾞ"}));
    EXPECT_EQ(all.lines[2].bankName, "ｷﾞﾝｺｳ5");
    EXPECT_EQ(all.lines[2].amount, "3,000");
    EXPECT_EQ(all.sum, 10000);
}

TEST(FurikomiList, AFacilityOfMoreThan10000TransfersKeepsItsLinesTogether)
{
    // Facility 1's file has 10,002 transfers, so its last two are numbered
    // 20000 and 20001, the numbers of facility 2's transfers. Facility 2 was
    // imported first. Its lines must still follow all of facility 1's, on the
    // screen and in the bank file alike.
    OutputDb t;
    t.addConsignor(kCode);
    t.import(kDate, 2, kCode, {transferTo("BBBBBB0", 1, "ﾆ0"), transferTo("BBBBBB1", 1, "ﾆ1")});
    std::vector<Transfer> big;
    for (int i = 0; i < 10002; ++i) {
        char account[12];
        std::snprintf(account, sizeof account, "%07d", i);
        big.push_back(transferTo(account, 1, "ｲﾁ" + std::to_string(i)));
    }
    t.import(kDate, 1, kCode, big);

    std::vector<std::string> expected;
    for (int i = 0; i < 10002; ++i)
        expected.push_back("ｲﾁ" + std::to_string(i));
    expected.push_back("ﾆ0");
    expected.push_back("ﾆ1");
    EXPECT_EQ(payees(LoadFurikomiList(t.db, kDate, kCode, -1)), expected);
    expected.resize(10002);
    EXPECT_EQ(payees(LoadFurikomiList(t.db, kDate, kCode, 1)), expected);
    std::vector<std::string> bankFile;
    for (const FurikomiRow &row : readFurikomiRows(t.db, BuildFurikomiSql(kDate, kCode, -1)))
        bankFile.push_back(row.payee);
    EXPECT_EQ(bankFile, payees(LoadFurikomiList(t.db, kDate, kCode, -1)));
}

TEST(FurikomiList, TwoDepositTypesAndIdenticalLines)
{
    OutputDb t;
    t.addConsignor(kCode);
    Transfer current = transferTo("1111111", 1000);
    current.type = 2;
    Transfer other = transferTo("1111111", 1000);
    other.type = 9;
    Transfer savings = transferTo("3333333", 500);
    savings.type = 4;
    t.import(kDate, 1, kCode, {transferTo("1111111", 1000), current, transferTo("2222222", 700),
                               transferTo("2222222", 700), other, savings});

    const FurikomiList one = LoadFurikomiList(t.db, kDate, kCode, 1);
    ASSERT_EQ(one.lines.size(), 5u); // the two identical lines show once
    EXPECT_EQ(one.lines[0].depositType, "普通");
    EXPECT_EQ(one.lines[1].depositType, "当座");
    EXPECT_EQ(one.lines[2].amount, "700");
    EXPECT_EQ(one.lines[3].depositType, "その他");
    EXPECT_EQ(one.lines[4].depositType, "貯蓄");
    EXPECT_EQ(one.count, 5);
    EXPECT_EQ(one.sum, 4200);

    const FurikomiList all = LoadFurikomiList(t.db, kDate, kCode, -1);
    ASSERT_EQ(all.lines.size(), 5u); // same account, three deposit types: three lines
    EXPECT_EQ(all.lines[2].amount, "1,400"); // the merge sums them
    EXPECT_EQ(all.sum, 4900);
}

TEST(FurikomiList, TotalsCountDeliveredAmountsAndKanjiNamesReplaceDelivered)
{
    OutputDb t;
    t.addConsignor(kCode);
    t.addRecipient(kCode, 5, 1, "1111111", 1, 30000, "みずなみ銀行", "");
    t.addRecipient(kCode, 5, 1, "2222222", 0, 0, "", "駅前支店");
    t.import(kDate, 1, kCode, {transferTo("1111111", 50000), transferTo("2222222", 100)});

    const FurikomiList list = LoadFurikomiList(t.db, kDate, kCode, -1);
    ASSERT_EQ(list.lines.size(), 2u);
    EXPECT_EQ(list.lines[0].amount, "49,370");
    EXPECT_EQ(list.lines[0].ownFee, "");
    EXPECT_EQ(list.lines[0].recipientFee, "630");
    EXPECT_EQ(list.lines[0].bankName, "みずなみ銀行");
    EXPECT_EQ(list.lines[0].branchName, "ｼﾃﾝ");
    EXPECT_EQ(list.lines[1].bankName, "ｷﾞﾝｺｳ");
    EXPECT_EQ(list.lines[1].branchName, "駅前支店");
    EXPECT_EQ(list.lines[1].amount, "100");
    EXPECT_EQ(list.lines[1].ownFee, "420");
    EXPECT_EQ(list.sum, 50100); // delivered amounts, before any fee
}

TEST(FurikomiList, NoConsignorRowMeansNoFeeAndSumsBeyond32Bits)
{
    OutputDb t; // no M_銀行 row
    t.import(kDate, 1, kCode, {transferTo("1111111", 2'000'000'000)});
    t.import(kDate, 2, kCode, {transferTo("1111111", 2'000'000'000), transferTo("2222222", 1)});

    std::vector<std::string> streamed;
    FurikomiList list;
    LoadFurikomiList(t.db, kDate, kCode, -1, list,
                     [&](const TFurikomiLine &line) { streamed.push_back(line.amount); });
    EXPECT_EQ(streamed, (std::vector<std::string>{"4,000,000,000", "1"}));
    EXPECT_EQ(list.lines[0].ownFee, "");
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.sum, 4'000'000'001);
}

TEST(FurikomiFormat, AmountsFeesAndCodes)
{
    EXPECT_EQ(formatAmount(0), "0");
    EXPECT_EQ(formatAmount(999), "999");
    EXPECT_EQ(formatAmount(1000), "1,000");
    EXPECT_EQ(formatAmount(-1234567), "-1,234,567");
    EXPECT_EQ(formatAmount(INT64_MIN), "-9,223,372,036,854,775,808");
    EXPECT_EQ(formatFee(0), "");
    EXPECT_EQ(formatFee(1050), "1,050");
    EXPECT_EQ(formatBankBranch(5, 1), "0005-001");
    EXPECT_EQ(formatBankBranch(12345, 1234), "12345-1234");
    EXPECT_EQ(formatBankBranch(0, 0), "0000-000");
    EXPECT_EQ(formatBankBranch(-5, -12), "-0005--012"); // as printf's %.4lld-%.3lld
    EXPECT_EQ(formatBankBranch(INT64_MIN, INT64_MAX), "-9223372036854775808-9223372036854775807");
}
