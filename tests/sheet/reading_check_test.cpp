#include "demo_data.h"
#include "sheet/reading_check.h"
#include "sheet/sheet.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using sheet::checkReadings;
using sheet::FindingKind;

constexpr int Y2023 = 2023;
constexpr int Y2024 = 2024;

int field(int k, int m, int b)
{
    return sheet::cellField(k, m, b);
}

std::string text(const RecordTable& table, int record, int k, int m, int b)
{
    return std::string(table.field(record, field(k, m, b)));
}

long number(const RecordTable& table, int record, int k, int m, int b)
{
    return std::stol(text(table, record, k, m, b));
}

using Found = std::tuple<int, int, FindingKind>; // record, month, kind

std::vector<Found> found(const sheet::ReadingCheck& check)
{
    std::vector<Found> result;
    for (const sheet::Finding& f : check.findings)
        result.emplace_back(f.record, f.month, f.kind);
    return result;
}

RecordTable demo(int subscribers)
{
    RecordTable table;
    DemoOptions options;
    options.subscribers = subscribers;
    fillDemoTable(table, options);
    return table;
}

TEST(ReadingCheck, FindsNothingInCleanGeneratedYears)
{
    const RecordTable table = demo(40);
    for (int year : table.years().years()) {
        const sheet::ReadingCheck check = checkReadings(table, year, 0);
        EXPECT_TRUE(check.findings.empty())
            << "year " << year << ": " << (check.findings.empty() ? "" : check.findings[0].values);
    }
    RecordTable full;
    fillDemoTable(full, fullDemoOptions(200));
    EXPECT_TRUE(checkReadings(full, Y2024, 0).findings.empty());
}

// A generated year with one mistake of every kind, each planted so that it is the only one.
class PlantedYear : public ::testing::Test
{
protected:
    PlantedYear() : table(demo(12))
    {
        using namespace fields;
        // 2: March read 5 kWh below February's reading; April goes on from it.
        const long february = number(table, 2, Y2024, 3, PreviousReading);
        table.set(2, field(Y2024, 3, CurrentReading), std::to_string(february - 5));
        table.set(2, field(Y2024, 4, PreviousReading), std::to_string(february - 5));
        // 3: May without its previous reading.
        table.set(3, field(Y2024, 5, PreviousReading), "");
        // 4: February starts 37 kWh past January's reading.
        table.set(4, field(Y2024, 2, PreviousReading),
            std::to_string(number(table, 4, Y2024, 1, CurrentReading) + 37));
        // 5: July not read, June and August are.
        table.set(5, field(Y2024, 7, CurrentReading), "");
        // 6: September 2000 kWh, the meter goes on from there.
        const long september = number(table, 6, Y2024, 9, PreviousReading) + 2000;
        shiftFrom(6, Y2024, 9, september - number(table, 6, Y2024, 9, CurrentReading));
        // 7: November charged without a tariff.
        table.set(7, field(Y2024, 11, Tariff), "");
    }

    // Every reading from the month's current one on goes up by the amount.
    void shiftFrom(int record, int k, int m, long amount)
    {
        using namespace fields;
        const YearWindow& years = table.years();
        const int from = years.ordinal({ k, m });
        for (int o = from; o < WindowMonths; ++o) {
            const YearMonth at = years.at(o);
            for (int b : { CurrentReading, PreviousReading }) {
                if (o == from && b == PreviousReading)
                    continue;
                const std::string was = text(table, record, at.year, at.month, b);
                if (!was.empty())
                    table.set(record, field(at.year, at.month, b), std::to_string(std::stol(was) + amount));
            }
        }
    }

    RecordTable table;
};

TEST_F(PlantedYear, FindsEachPlantedMistakeAndNothingElse)
{
    const sheet::ReadingCheck check = checkReadings(table, Y2024, 0);
    EXPECT_EQ(found(check),
        (std::vector<Found>{ { 2, 3, FindingKind::ReadingBelowPrevious },
            { 3, 5, FindingKind::NoPreviousReading }, { 4, 2, FindingKind::ReadingGap },
            { 5, 7, FindingKind::MissingReading }, { 6, 9, FindingKind::SharpRise },
            { 7, 11, FindingKind::NoTariff } }));
    for (int kind = 0; kind < sheet::FindingKinds; ++kind)
        EXPECT_EQ(check.counts[kind], 1) << kind;
    // The years around it stay clean.
    EXPECT_TRUE(checkReadings(table, Y2023, 0).findings.empty());
}

TEST_F(PlantedYear, NamesTheValuesInvolved)
{
    using namespace fields;
    const sheet::ReadingCheck check = checkReadings(table, Y2024, 0);
    ASSERT_EQ(check.findings.size(), 6u);
    EXPECT_EQ(check.findings[0].values,
        "Текущее " + text(table, 2, Y2024, 3, CurrentReading) + ", последнее "
            + text(table, 2, Y2024, 3, PreviousReading));
    EXPECT_EQ(check.findings[1].values,
        "Текущее " + text(table, 3, Y2024, 5, CurrentReading) + ", последнее не указано");
    EXPECT_EQ(check.findings[2].values,
        "Последнее " + text(table, 4, Y2024, 2, PreviousReading)
            + ", текущее за Январь 2024: " + text(table, 4, Y2024, 1, CurrentReading));
    EXPECT_EQ(check.findings[3].values,
        "Текущее не указано; до: " + text(table, 5, Y2024, 6, CurrentReading)
            + " (Июнь 2024), после: " + text(table, 5, Y2024, 8, CurrentReading) + " (Август 2024)");
    EXPECT_EQ(check.findings[4].values.rfind("Разница 2000 кВт*Ч, обычно ", 0), 0u);
    EXPECT_NE(check.findings[4].values.find("(медиана 12 мес.)"), std::string::npos);
    EXPECT_EQ(check.findings[5].values.rfind("Разница ", 0), 0u);
    EXPECT_NE(check.findings[5].values.find("уличное освещение"), std::string::npos);
    EXPECT_NE(check.findings[5].values.find("тариф не указан"), std::string::npos);
}

TEST_F(PlantedYear, OneMonthChecksThatMonthAlone)
{
    EXPECT_EQ(found(checkReadings(table, Y2024, 3)),
        (std::vector<Found>{ { 2, 3, FindingKind::ReadingBelowPrevious } }));
    EXPECT_EQ(
        found(checkReadings(table, Y2024, 9)), (std::vector<Found>{ { 6, 9, FindingKind::SharpRise } }));
    EXPECT_TRUE(checkReadings(table, Y2024, 12).findings.empty());
    EXPECT_TRUE(checkReadings(table, 2019, 0).findings.empty());
    EXPECT_TRUE(checkReadings(table, 2028, 0).findings.empty());
    EXPECT_TRUE(checkReadings(table, Y2024, 13).findings.empty());
}

// One subscriber with readings typed month by month from January 2024: {current, previous}.
RecordTable readings(const std::vector<std::pair<std::string, std::string>>& months, int k = Y2024)
{
    RecordTable table;
    table.setRecordCount(1);
    table.set(1, fields::Number, "1");
    table.set(1, fields::FullName, "Иванов И. И.");
    for (std::size_t i = 0; i < months.size(); ++i) {
        const int kk = k + int(i) / 12;
        const int m = int(i) % 12 + 1;
        table.set(1, field(kk, m, fields::CurrentReading), months[i].first);
        table.set(1, field(kk, m, fields::PreviousReading), months[i].second);
        table.set(1, field(kk, m, fields::Tariff), "6,99");
    }
    return table;
}

TEST(ReadingCheck, ComparesJanuaryWithTheDecemberBefore)
{
    RecordTable table = readings({ { "100", "90" } }, Y2023);
    table.set(1, field(Y2023, 12, fields::CurrentReading), "500");
    table.set(1, field(Y2023, 12, fields::PreviousReading), "450");
    table.set(1, field(Y2024, 1, fields::CurrentReading), "560");
    table.set(1, field(Y2024, 1, fields::PreviousReading), "520");
    table.set(1, field(Y2024, 1, fields::Tariff), "6,99");
    const sheet::ReadingCheck check = checkReadings(table, Y2024, 1);
    ASSERT_EQ(found(check), (std::vector<Found>{ { 1, 1, FindingKind::ReadingGap } }));
    EXPECT_EQ(check.findings[0].values, "Последнее 520, текущее за Декабрь 2023: 500");
    // The same number written otherwise is no gap; January 2020 has no month before it.
    table.set(1, field(Y2024, 1, fields::PreviousReading), "500,0");
    EXPECT_TRUE(checkReadings(table, Y2024, 1).findings.empty());
    EXPECT_TRUE(checkReadings(readings({ { "100", "90" } }, 2020), 2020, 0).findings.empty());
}

TEST(ReadingCheck, AMissingReadingNeedsReadingsOnBothSides)
{
    // Not read yet at the start and at the end: the months before the first reading and after
    // the last one are no gaps.
    const RecordTable table = readings(
        { { "", "" }, { "", "" }, { "120", "100" }, { "", "120" }, { "150", "120" }, { "", "150" } });
    EXPECT_EQ(
        found(checkReadings(table, Y2024, 0)), (std::vector<Found>{ { 1, 4, FindingKind::MissingReading } }));
}

TEST(ReadingCheck, ARiseIsMeasuredAgainstTheUsualMonth)
{
    // Four months of 20 kWh, then 90: more than three times as much, but only 70 kWh more.
    std::vector<std::pair<std::string, std::string>> months
        = { { "120", "100" }, { "140", "120" }, { "160", "140" }, { "180", "160" }, { "270", "180" } };
    EXPECT_TRUE(checkReadings(readings(months), Y2024, 0).findings.empty());
    // 130 kWh is 110 more: a sharp rise.
    months.back().first = "310";
    const sheet::ReadingCheck check = checkReadings(readings(months), Y2024, 0);
    EXPECT_EQ(found(check), (std::vector<Found>{ { 1, 5, FindingKind::SharpRise } }));
    EXPECT_EQ(check.findings[0].values, "Разница 130 кВт*Ч, обычно 20 кВт*Ч (медиана 4 мес.)");
    // Two earlier months say too little about the usual one.
    const RecordTable young = readings({ { "120", "100" }, { "140", "120" }, { "600", "140" } });
    EXPECT_TRUE(checkReadings(young, Y2024, 0).findings.empty());
}

TEST(ReadingCheck, TheUsualMonthGoesBackIntoTheYearBefore)
{
    // Twelve months of 2023 at 50 kWh, then 400 in January 2024.
    std::vector<std::pair<std::string, std::string>> months;
    int reading = 1000;
    for (int m = 0; m < 12; ++m) {
        months.emplace_back(std::to_string(reading + 50), std::to_string(reading));
        reading += 50;
    }
    months.emplace_back(std::to_string(reading + 400), std::to_string(reading));
    const sheet::ReadingCheck check = checkReadings(readings(months, Y2023), Y2024, 0);
    ASSERT_EQ(found(check), (std::vector<Found>{ { 1, 1, FindingKind::SharpRise } }));
    EXPECT_EQ(check.findings[0].values, "Разница 400 кВт*Ч, обычно 50 кВт*Ч (медиана 12 мес.)");
}

TEST(ReadingCheck, AMonthWithoutTariffIsFoundOnlyWhenSomethingIsCharged)
{
    RecordTable table = readings({ { "120", "100" }, { "120", "120" } });
    table.set(1, field(Y2024, 1, fields::Tariff), "");
    table.set(1, field(Y2024, 2, fields::Tariff), "");
    // February: no consumption and no lighting, nothing to charge.
    EXPECT_EQ(found(checkReadings(table, Y2024, 0)), (std::vector<Found>{ { 1, 1, FindingKind::NoTariff } }));
    // Street lighting alone is charged too.
    table.set(1, field(Y2024, 2, fields::LightingPower), "0,1");
    table.set(1, field(Y2024, 2, fields::LightingHours), "10");
    table.set(1, field(Y2024, 2, fields::LightingDays), "28");
    const sheet::ReadingCheck check = checkReadings(table, Y2024, 2);
    ASSERT_EQ(found(check), (std::vector<Found>{ { 1, 2, FindingKind::NoTariff } }));
    EXPECT_EQ(check.findings[0].values, "уличное освещение 28 кВт*Ч, тариф не указан");
}

} // namespace
