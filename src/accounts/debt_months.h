#pragma once

// A debt told by the months it comes from: the money received pays the oldest charges first, so
// what is still owed at the end of a month is the latest charges that no payment has reached. The
// notices and claims to debtors list these months, and the penalties run from each one's end.

#include "accounts/ledger.h"

#include <vector>

namespace ledger {

struct DebtMonth
{
    fields::YearMonth month;
    Currency debt; // the part of the debt charged in this month
    // The earliest month of the debt also carries what its start underpayment brought and no
    // charge of the months held explains (a balance typed in, or charges of years gone).
    bool withEarlier = false;
};

struct DebtMonths
{
    std::vector<DebtMonth> months; // oldest first
    Currency total; // the end underpayment of the month asked about
};

// The end underpayment (B + 9) of the record's month, parted among the months back from it: each
// month takes as much as it charged (electricity, supplier account, electrician, other charges), the
// latest first, until the debt is told. What is left when the month before ended without a debt (or
// is not in the table) stays with the month it was brought into.
DebtMonths debtMonths(const RecordTable& table, int record, const LedgerMonth& month);

} // namespace ledger
