#pragma once

// "Должники": the subscribers who end the ledger's month owing more than a threshold, the largest
// debt first, with what the month brought: the balance it started from, the charges, the money
// received and the debt carried, and how many months in a row before it ended in debt as well.
// Everything is read from the ledger's fields as its last store left them.

#include "accounts/ledger.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ledger {

struct Debtor
{
    int record = 0;
    Currency opening; // start underpayment less start overpayment: below zero, an overpayment
    Currency charges; // electricity, supplier account, electrician and other charges
    Currency paid; // everything received in the month
    Currency debt; // the end underpayment (B + 9)
    // Months right before this one (back into earlier years) whose end underpayment is above zero.
    int monthsInDebtBefore = 0;
};

struct DebtorsList
{
    std::vector<Debtor> debtors; // largest debt first; equal debts in record order
    Currency opening;
    Currency charges;
    Currency paid;
    Currency debt;
};

// Every record whose end underpayment of the month is above the threshold.
DebtorsList debtorsList(const RecordTable& table, const LedgerMonth& month, Currency threshold);

// The threshold as typed: an amount not below zero (a full stop serves as the decimal comma,
// blanks around it are allowed, the empty text is 0). Nothing for anything else.
std::optional<Currency> typedThreshold(std::string_view typed);

} // namespace ledger
