#pragma once

// Realistic data for the demo database and the benchmarks: subscribers of a garden partnership
// with names, plots, telephones and meters, their monthly readings, rates and charges, and their
// personal accounts month by month.

#include "database/record_table.h"
#include "documents/payee.h"

#include <cstdint>
#include <string>
#include <vector>

struct DemoOptions
{
    int subscribers = 40;
    int firstYear = 2020;
    // The database holds the eight years up to this one; a later year than 2027 gives a database
    // whose years have moved on, as after the carry-over into a year after its last.
    int lastYear = 2026;
    int lastMonthOfLastYear = 11; // the readings of the last year stop after this month
    bool everyField = false; // every month of every year filled in, ledger included (benchmarks)
    std::uint32_t seed = 2026;

    bool operator==(const DemoOptions&) const = default;
};

// Every month of every year filled in, ledger included: the benchmarks' database.
DemoOptions fullDemoOptions(int subscribers = fields::MaxRecords);

void fillDemoTable(RecordTable& table, const DemoOptions& options);

// The partnership's payee details, as a treasurer would type them: every check passes.
documents::PayeeDetails demoPayee();

// The options of make_demo_database after its file: [--subscribers N] [--full] [--last-year YYYY],
// in any order. Without --full, the demo of 40 subscribers; --full is the benchmarks' database,
// every one of the 3001 subscribers unless --subscribers says how many. --last-year moves the
// readings on to that year (2020 … 2107), the database holding the eight years up to it. False, with the
// reason in `error`, for anything else.
bool parseDemoArguments(const std::vector<std::string>& arguments, DemoOptions& options, std::string& error);
