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
            std::vector<std::string>{ "40" } }) {
        const Parsed parsed = parse(arguments);
        EXPECT_FALSE(parsed.ok) << arguments.back();
        EXPECT_FALSE(parsed.error.empty()) << arguments.back();
        EXPECT_EQ(parsed.options.seed, 7u) << arguments.back();
    }
}

} // namespace
