#pragma once

// A bank statement such as the association's bank would export for a month: payments of the
// subscribers of a table, found by personal account, by plot, by name or not at all, among a few
// documents that are not the subscribers' payments. For the benchmark and the guide's pictures.

#include "database/record_table.h"

#include <cstdint>
#include <string>

struct DemoStatementOptions
{
    int payments = 12;
    int year = 2026;
    int month = 1; // the payments come in this month
    std::string account = "40703810900000001234"; // the association's
    std::uint32_t seed = 2026;
};

// The statement's text in UTF-8 (cp1251::encode gives the bytes a bank writes).
std::string demoStatement(const RecordTable& table, const DemoStatementOptions& options);
