#pragma once

// Realistic data for the demo database and the benchmarks: subscribers of a garden partnership
// with names, plots, telephones and meters, their monthly readings, rates and charges, and their
// personal accounts month by month.

#include "database/record_table.h"

#include <cstdint>

struct DemoOptions
{
    int subscribers = 40;
    int firstYear = 0; // year indexes: 0 = 2020
    int lastYear = 6;
    int lastMonthOfLastYear = 11; // the readings of the last year stop after this month
    bool everyField = false; // every month of every year filled in, ledger included (benchmarks)
    std::uint32_t seed = 2026;
};

// Every month of every year filled in, ledger included: the benchmarks' database.
DemoOptions fullDemoOptions(int subscribers = fields::MaxRecords);

void fillDemoTable(RecordTable& table, const DemoOptions& options);
