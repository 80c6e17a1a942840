#include <gtest/gtest.h>

#include "masters/masterdata.h"

#include <set>
#include <string>

using namespace pelanova::masters;

namespace {

// The positions name the columns they claim to: relation prefix, band, kind.
TEST(FeeTableIndex, EachPositionIsTheColumnOfItsRelationBandAndKind)
{
    const char *const relations[kFeeRelationCount] = {"当銀行", "他支店", "他銀行"};
    std::set<int> seen;
    for (int relation = 0; relation < kFeeRelationCount; ++relation) {
        const std::string prefix = relations[relation];
        for (int limit = 0; limit < kBandLimitsPerRelation; ++limit) {
            const int index = bandLimitIndex(relation, limit);
            EXPECT_EQ(kFeeTableColumns[index], prefix + std::to_string(limit + 1) + "未満");
            seen.insert(index);
        }
        for (int band = 0; band < kBandsPerRelation; ++band) {
            const std::string stem = prefix + std::to_string(band + 1) + (band < 2 ? "未満" : "以上");
            EXPECT_EQ(kFeeTableColumns[telegraphicFeeIndex(relation, band)], stem + "電信手数料");
            EXPECT_EQ(kFeeTableColumns[documentFeeIndex(relation, band)], stem + "文書手数料");
            seen.insert(telegraphicFeeIndex(relation, band));
            seen.insert(documentFeeIndex(relation, band));
        }
    }
    EXPECT_EQ(seen.size(), size_t(kFeeColumnCount)) << "every column has exactly one position";
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), kFeeColumnCount - 1);
}

} // namespace
