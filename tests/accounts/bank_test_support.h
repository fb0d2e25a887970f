#pragma once

// A directory of subscribers and statements of payments to it, for the tests of the bank import's
// rules.

#include "accounts/bank_import.h"
#include "accounts/statement_text.h"

#include <gtest/gtest.h>

namespace banktest {

inline RecordTable directory(const std::vector<std::string>& names)
{
    RecordTable table;
    table.setRecordCount(int(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        table.set(int(i + 1), fields::Number, std::to_string(i + 1));
        table.set(int(i + 1), fields::FullName, names[i]);
    }
    return table;
}

inline bank::Statement statementOf(const std::vector<statementtest::Lines>& documents)
{
    const bank::ReadResult read
        = bank::readStatement(statementtest::statementText(statementtest::header(), documents));
    EXPECT_EQ(read.status, bank::ReadResult::Status::Read) << read.problem;
    return read.statement;
}

inline bank::Import importOf(const std::vector<statementtest::Lines>& documents, const RecordTable& table,
    const bank::Journal& journal = {})
{
    return bank::prepareImport(statementOf(documents), table, journal, statementtest::OurAccount);
}

// The one payment of a statement of one document.
inline bank::Payment paymentOf(
    const statementtest::Lines& document, const RecordTable& table, const bank::Journal& journal = {})
{
    bank::Import import = importOf({ document }, table, journal);
    EXPECT_EQ(import.payments.size(), 1u);
    return import.payments.empty() ? bank::Payment() : import.payments.front();
}

} // namespace banktest
