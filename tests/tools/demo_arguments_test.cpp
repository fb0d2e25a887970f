// make_demo_database's command line: the demo of run.sh --demo by default, the benchmarks' full
// database with --full.

#include "demo_data.h"

#include <gtest/gtest.h>

namespace {

struct Parsed
{
    bool ok = false;
    DemoOptions options;
    std::string error;
};

Parsed parse(const std::vector<std::string>& arguments)
{
    Parsed parsed;
    parsed.options.seed = 7; // a value no parse sets, to see whether the options were touched
    parsed.ok = parseDemoArguments(arguments, parsed.options, parsed.error);
    return parsed;
}

TEST(DemoArguments, WithoutOptionsTheDemoOfFortySubscribers)
{
    const Parsed parsed = parse({});
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options, DemoOptions());
    EXPECT_EQ(parsed.options.subscribers, 40);
    EXPECT_FALSE(parsed.options.everyField);
}

TEST(DemoArguments, FullAloneIsTheBenchmarksDatabaseOfEverySubscriber)
{
    const Parsed parsed = parse({ "--full" });
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options, fullDemoOptions());
    EXPECT_EQ(parsed.options.subscribers, fields::MaxRecords);
    EXPECT_TRUE(parsed.options.everyField);
}

TEST(DemoArguments, SubscribersCountInEitherOrder)
{
    for (const auto& arguments : { std::vector<std::string>{ "--full", "--subscribers", "300" },
             std::vector<std::string>{ "--subscribers", "300", "--full" } }) {
        const Parsed parsed = parse(arguments);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(parsed.options, fullDemoOptions(300));
    }
    const Parsed demo = parse({ "--subscribers", "3001" });
    ASSERT_TRUE(demo.ok) << demo.error;
    EXPECT_EQ(demo.options.subscribers, 3001);
    EXPECT_FALSE(demo.options.everyField);
}

TEST(DemoArguments, BadArgumentsAreRefusedAndLeaveTheOptionsAlone)
{
    for (const auto& arguments :
        { std::vector<std::string>{ "--subscribers" }, std::vector<std::string>{ "--full", "--subscribers" },
            std::vector<std::string>{ "--subscribers", "0" },
            std::vector<std::string>{ "--subscribers", "3002" },
            std::vector<std::string>{ "--subscribers", "-5" },
            std::vector<std::string>{ "--subscribers", "12abc" },
            std::vector<std::string>{ "--subscribers", "" }, std::vector<std::string>{ "--ful" },
            std::vector<std::string>{ "--last-year" }, std::vector<std::string>{ "--last-year", "2019" },
            std::vector<std::string>{ "--last-year", "2108" },
            std::vector<std::string>{ "--last-year", "28" }, std::vector<std::string>{ "40" } }) {
        const Parsed parsed = parse(arguments);
        EXPECT_FALSE(parsed.ok) << arguments.back();
        EXPECT_FALSE(parsed.error.empty()) << arguments.back();
        EXPECT_EQ(parsed.options.seed, 7u) << arguments.back();
    }
}

TEST(DemoArguments, ALaterLastYearGivesADatabaseWhoseYearsHaveMovedOn)
{
    const Parsed parsed = parse({ "--last-year", "2029" });
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.lastYear, 2029);
    EXPECT_EQ(parsed.options.subscribers, 40);

    RecordTable table;
    fillDemoTable(table, parsed.options);
    EXPECT_EQ(table.years().first(), 2022);
    EXPECT_EQ(table.years().last(), 2029);
    // Readings run on across 2027 into 2029, whose February has 28 days and 2028's 29.
    const int current = fields::CurrentReading;
    EXPECT_FALSE(table.field(1, fields::baseOfMonth(2029, 11) + current).empty());
    EXPECT_TRUE(table.field(1, fields::baseOfMonth(2029, 12) + current).empty());
    EXPECT_EQ(table.field(1, fields::baseOfMonth(2028, 2) + fields::Date), "29.02.28");
    EXPECT_EQ(table.field(1, fields::baseOfMonth(2028, 1) + fields::PreviousReading),
        table.field(1, fields::baseOfMonth(2027, 12) + current));
}

} // namespace
