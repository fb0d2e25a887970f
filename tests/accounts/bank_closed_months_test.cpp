// Payments for a closed month go into the first open one.

#include "accounts/bank_import.h"

#include <gtest/gtest.h>

TEST(BankClosedMonths, PaymentsForClosedMonthsMoveToTheFirstOpenOne)
{
    using bank::YearMonth;
    std::vector<bank::Posting> postings = {
        { 1, { 2026, 10 }, Currency::fromUnits(100), -1 },
        { 2, { 2026, 12 }, Currency::fromUnits(200), -1 },
        { 3, { 2027, 1 }, Currency::fromUnits(300), -1 },
        { 4, { 2025, 12 }, Currency::fromUnits(400), 7 },
    };
    EXPECT_TRUE(bank::moveOutOfClosedMonths(postings, std::nullopt).empty());

    const std::vector<bank::MovedPosting> moved
        = bank::moveOutOfClosedMonths(postings, YearMonth{ 2026, 12 });
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved[0].index, 0u);
    EXPECT_EQ(moved[0].from, (YearMonth{ 2026, 10 }));
    EXPECT_EQ(moved[2].index, 3u);
    for (const bank::Posting& posting : postings)
        EXPECT_EQ(posting.month, (YearMonth{ 2027, 1 }));
    // Sums, subscribers and the parts of a split payment stay as they were.
    EXPECT_EQ(postings[3].sum, Currency::fromUnits(400));
    EXPECT_EQ(postings[3].group, 7);
}
