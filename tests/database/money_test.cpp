#include "database/money.h"

#include <gtest/gtest.h>

namespace {

Currency c(const char* text)
{
    return Currency::parse(text).value();
}

TEST(Currency, ParsesPlainCommaDecimals)
{
    struct Case
    {
        const char* text;
        std::int64_t raw;
    } cases[] = {
        { "0", 0 },
        { "12", 120000 },
        { "1,8", 18000 },
        { "-3,5", -35000 },
        { "0,25", 2500 },
        { " 42 ", 420000 },
        { "1,23456", 12346 },
        { "1,23445", 12344 },
        { "10700", 107000000 },
        { ",5", 5000 },
        { "7,", 70000 },
    };
    for (const Case& k : cases)
        EXPECT_EQ(Currency::parse(k.text).value().raw(), k.raw) << k.text;
}

TEST(Currency, TextsThatAreNotNumbersDoNotConvert)
{
    for (const char* text :
        { "", " ", "abc", "1.8", "1,2,3", "-", ",", "12a", "1 000", "--1", "99999999999999999999" })
        EXPECT_FALSE(Currency::parse(text).has_value()) << text;
    EXPECT_EQ(Currency::parseOrZero("Иванов").raw(), 0);
}

TEST(Currency, RoundsHalvesToEven)
{
    EXPECT_EQ(c("2,345").round2(), c("2,34"));
    EXPECT_EQ(c("2,355").round2(), c("2,36"));
    EXPECT_EQ(c("2,3451").round2(), c("2,35"));
    EXPECT_EQ(c("-2,345").round2(), c("-2,34"));
    EXPECT_EQ(c("-2,355").round2(), c("-2,36"));
    EXPECT_EQ(c("0,005").round2(), c("0"));
    EXPECT_EQ(c("0,015").round2(), c("0,02"));
}

TEST(Currency, PercentagesRoundOnTheExactQuotient)
{
    // (117,25 × 2) / 100 = 2,345 → 2,34; a hair above half goes up.
    EXPECT_EQ(Currency::percentRound2(Currency::multiply(c("117,25"), c("2")).value()), c("2,34"));
    EXPECT_EQ(Currency::percentRound2(c("234,5001")), c("2,35"));
    EXPECT_EQ(Currency::percentRound2(c("235,5")), c("2,36"));
}

TEST(Currency, ProductsKeepFourDecimals)
{
    EXPECT_EQ(Currency::multiply(c("0,25"), c("6,5")).value(), c("1,625"));
    EXPECT_EQ(Currency::multiply(c("0,0001"), c("0,5")).value(), c("0")); // half of the last digit: even
    EXPECT_EQ(Currency::multiply(c("0,0003"), c("0,5")).value(), c("0,0002")); // 1,5 → 2
}

TEST(Currency, OverflowGivesNoValue)
{
    const Currency big = c("900000000000000");
    EXPECT_FALSE(Currency::multiply(big, big).has_value());
    EXPECT_FALSE(Currency::add(big, big).has_value());
    EXPECT_FALSE(Currency::subtract(Currency::fromRaw(INT64_MIN), c("1")).has_value());
    EXPECT_TRUE(Currency::add(big, c("1")).has_value());
}

TEST(Currency, PlainTextIsTheShortestDecimalForm)
{
    EXPECT_EQ(c("8649").plainText(), "8649");
    EXPECT_EQ(c("42,25").plainText(), "42,25");
    EXPECT_EQ(c("1234,50").plainText(), "1234,5");
    EXPECT_EQ(c("0").plainText(), "0");
    EXPECT_EQ(c("-0,05").plainText(), "-0,05");
    EXPECT_EQ(c("0,0001").plainText(), "0,0001");
    EXPECT_EQ(Currency::fromRaw(INT64_MIN).plainText(), "-922337203685477,5808");
}

TEST(MoneyText, TwoDecimalRule)
{
    struct Case
    {
        const char* in;
        const char* out;
    } cases[] = { { "150", "150,00" }, { "12,5", "12,50" }, { "7,25", "7,25" }, { "1,234", "1,234" },
        { "", "" }, { "5", "5,00" }, { "0", "0,00" }, { "-3", "-3,00" } };
    for (const Case& k : cases)
        EXPECT_EQ(twoDecimalText(k.in), k.out) << k.in;
}

TEST(MoneyText, ZeroIsEmptyAndValuesHaveTwoDecimals)
{
    EXPECT_EQ(moneyText(c("0")), "");
    EXPECT_EQ(moneyText(c("0,004")), "");
    EXPECT_EQ(moneyText(c("30")), "30,00");
    EXPECT_EQ(moneyText(c("12,5")), "12,50");
    EXPECT_EQ(moneyText(c("-3")), "-3,00");
    EXPECT_EQ(moneyText(c("2,345")), "2,34");
}

} // namespace
