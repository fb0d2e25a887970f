#include "accounts/penalty.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;
using penalty::Rule;

Currency amount(const char* text)
{
    return Currency::parse(text).value();
}

penalty::Date date(int y, unsigned m, unsigned d)
{
    return year(y) / month(m) / day(d);
}

Rule percentRule(const char* percent, int grace)
{
    Rule rule;
    rule.enabled = true;
    rule.percentPerDay = amount(percent);
    rule.graceDays = grace;
    return rule;
}

Rule keyRateRule(const char* keyRate, int divisor, int grace)
{
    Rule rule;
    rule.enabled = true;
    rule.kind = Rule::Kind::KeyRateShare;
    rule.keyRate = amount(keyRate);
    rule.divisor = divisor;
    rule.graceDays = grace;
    return rule;
}

std::vector<ledger::DebtMonth> debt(std::initializer_list<std::pair<fields::YearMonth, const char*>> parts)
{
    std::vector<ledger::DebtMonth> months;
    for (const auto& [m, sum] : parts)
        months.push_back({ m, amount(sum), false });
    return months;
}

// Worked by hand: each month's part from the day after its last day and its days of grace up to the
// paper's date, that day included.
TEST(Penalty, CountsTheDaysAfterTheGraceUpToThePapersDate)
{
    struct Case
    {
        const char* what;
        fields::YearMonth month;
        const char* debt;
        Rule rule;
        penalty::Date asOf;
        int days;
        const char* penalty;
    };
    const Case cases[] = {
        // 31.03 + 10 days = 10.04: 11 … 15 April are 5 days; 1000 × 0,1 % × 5.
        { "grace", { 2024, 3 }, "1000,00", percentRule("0,1", 10), date(2024, 4, 15), 5, "5,00" },
        // On the last day of grace nothing is owed yet; the next day one day is.
        { "last free day", { 2024, 3 }, "1000,00", percentRule("0,1", 10), date(2024, 4, 10), 0, "0" },
        { "first day", { 2024, 3 }, "1000,00", percentRule("0,1", 10), date(2024, 4, 11), 1, "1,00" },
        // Without grace, from the first of the next month: 30.04 → 01.05 … 03.05.
        { "month boundary", { 2024, 4 }, "250,00", percentRule("0,1", 0), date(2024, 5, 3), 3, "0,75" },
        // A grace running over into the month after next: 31.01 + 45 days = 16.03.2024 (leap year).
        { "leap grace", { 2024, 1 }, "600,00", percentRule("0,1", 45), date(2024, 3, 20), 4, "2,40" },
        // The same in 2023: 31.01 + 45 = 17.03.2023, so one day less.
        { "common year grace", { 2023, 1 }, "600,00", percentRule("0,1", 45), date(2023, 3, 20), 3, "1,80" },
        // February's last day is the 29th in 2024: 01.03 … 10.03 are 10 days.
        // 500 × 16 % / 300 × 10 = 2,6666… → 2,67.
        { "leap February", { 2024, 2 }, "500,00", keyRateRule("16", 300, 0), date(2024, 3, 10), 10, "2,67" },
        // … and the 28th in 2023: 11 days, 500 × 0,16 / 300 × 11 = 2,9333… → 2,93.
        { "common February", { 2023, 2 }, "500,00", keyRateRule("16", 300, 0), date(2023, 3, 11), 11,
            "2,93" },
        // Across a year's end, 1/130 of 21 %: 31.12.2024 → 01.01 … 31.01.2025 is 31 days;
        // 1300 × 0,21 / 130 × 31 = 65,10.
        { "year end", { 2024, 12 }, "1300,00", keyRateRule("21", 130, 0), date(2025, 1, 31), 31, "65,10" },
        // Half a kopeck goes to the even kopeck: 25,00 × 0,1 % = 0,025 → 0,02; 15,00 × 0,1 % = 0,015 → 0,02.
        { "half down to even", { 2024, 3 }, "25,00", percentRule("0,1", 0), date(2024, 4, 1), 1, "0,02" },
        { "half up to even", { 2024, 3 }, "15,00", percentRule("0,1", 0), date(2024, 4, 1), 1, "0,02" },
    };
    for (const Case& c : cases) {
        const penalty::Penalties p = penalty::penalties(debt({ { c.month, c.debt } }), c.rule, c.asOf);
        if (c.days == 0) {
            EXPECT_TRUE(p.months.empty()) << c.what;
            EXPECT_TRUE(p.total.isZero()) << c.what;
            continue;
        }
        ASSERT_EQ(p.months.size(), 1u) << c.what;
        EXPECT_EQ(p.months[0].days, c.days) << c.what;
        EXPECT_EQ(p.months[0].penalty, amount(c.penalty)) << c.what;
        EXPECT_EQ(p.total, amount(c.penalty)) << c.what;
    }
}

TEST(Penalty, EachMonthRunsFromItsOwnEndAndTheTotalIsTheirSum)
{
    // 0,1 % a day, 10 days of grace, on 15.04.2024: January from 10.02 (65 days), February from
    // 10.03 (36 days), March from 10.04 (5 days).
    const penalty::Penalties p = penalty::penalties(
        debt({ { { 2024, 1 }, "100,00" }, { { 2024, 2 }, "200,00" }, { { 2024, 3 }, "300,00" } }),
        percentRule("0,1", 10), date(2024, 4, 15));
    ASSERT_EQ(p.months.size(), 3u);
    EXPECT_EQ(p.months[0].days, 65);
    EXPECT_EQ(p.months[0].penalty, amount("6,50"));
    EXPECT_EQ(p.months[0].lastFreeDay, date(2024, 2, 10));
    EXPECT_EQ(p.months[1].days, 36);
    EXPECT_EQ(p.months[1].penalty, amount("7,20"));
    EXPECT_EQ(p.months[2].days, 5);
    EXPECT_EQ(p.months[2].penalty, amount("1,50"));
    EXPECT_EQ(p.total, amount("15,20"));
}

TEST(Penalty, NoneWhenOffOrWithoutARateOrBeforeTheMonthEnds)
{
    Rule off = percentRule("0,1", 0);
    off.enabled = false;
    const auto march = debt({ { { 2024, 3 }, "1000,00" } });
    EXPECT_TRUE(penalty::penalties(march, off, date(2025, 1, 1)).months.empty());
    EXPECT_TRUE(penalty::penalties(march, keyRateRule("0", 300, 0), date(2025, 1, 1)).months.empty());
    EXPECT_TRUE(penalty::penalties(march, percentRule("0,1", 0), date(2024, 3, 31)).months.empty());
    EXPECT_TRUE(penalty::penalties(march, percentRule("0,1", 0), date(2024, 2, 1)).months.empty());
}

TEST(Penalty, TheRuleSurvivesTheSettingsAndBadTextsGiveTheDefaults)
{
    const Rule rule = keyRateRule("16,5", 130, 15);
    const Rule back = penalty::ruleFromTexts(penalty::textsOf(rule));
    EXPECT_TRUE(back.enabled);
    EXPECT_EQ(back.kind, Rule::Kind::KeyRateShare);
    EXPECT_EQ(back.keyRate, amount("16,5"));
    EXPECT_EQ(back.divisor, 130);
    EXPECT_EQ(back.graceDays, 15);
    EXPECT_EQ(
        penalty::ruleFromTexts(penalty::textsOf(percentRule("0,033", 0))).percentPerDay, amount("0,033"));

    const Rule fallback = penalty::ruleFromTexts({ "да", "?", "-1", "много", "0", "-3" });
    EXPECT_FALSE(fallback.enabled);
    EXPECT_EQ(fallback.kind, Rule::Kind::PercentPerDay);
    EXPECT_EQ(fallback.percentPerDay, amount("0,1"));
    EXPECT_TRUE(fallback.keyRate.isZero());
    EXPECT_EQ(fallback.divisor, 300);
    EXPECT_EQ(fallback.graceDays, 0);

    EXPECT_EQ(penalty::ruleText(rule), "1/130 ключевой ставки 16,5 % годовых в день, отсрочка 15 дн.");
    EXPECT_EQ(penalty::ruleText(percentRule("0,1", 0)), "0,1 % в день");
}

TEST(Penalty, TypedValues)
{
    EXPECT_EQ(penalty::typedRate(" 0.5 ", amount("100")), amount("0,5"));
    EXPECT_FALSE(penalty::typedRate("0", amount("100")));
    EXPECT_FALSE(penalty::typedRate("101", amount("100")));
    EXPECT_FALSE(penalty::typedRate("пять", amount("100")));
    EXPECT_EQ(penalty::typedCount(" 300 ", 1, 1000), 300);
    EXPECT_FALSE(penalty::typedCount("3,5", 1, 1000));
    EXPECT_FALSE(penalty::typedCount("0", 1, 1000));
    EXPECT_FALSE(penalty::typedCount("", 0, 1000));
}

} // namespace
