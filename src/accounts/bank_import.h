#pragma once

// Payments from a bank statement into the ledger: which documents are money paid to the
// association, whose payment each is and for which month, and their entry into "Внесено" of the
// ledger's month (field B + 6) through the ledger's own computation, so that the closing balances
// and the carry into the next month follow.
//
// A subscriber is found, in this order:
//   1. by a personal-account or plot number in the purpose ("л/с 17", "ЛС: 17", "лицевой счет
//      № 17", "уч. 17", "участок 17", "уч-к 17"): record 17, if there is one;
//   2. by a surname with initials, in the payer's name or in the purpose, against the directory's
//      full names (letter case and "ё" do not matter, initials with or without points): only a
//      single subscriber so named;
//   3. by the payer's account, when the journal has it for one subscriber only.
// The month is the one the purpose names ("за март 2026", "за 03.2026", "03/2026"), else the month
// the money came in; a year the database does not hold leaves the payment unmatched.

#include "accounts/bank_journal.h"
#include "accounts/bank_statement.h"
#include "database/money.h"
#include "database/record_table.h"
#include "database/year_window.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bank {

using YearMonth = fields::YearMonth;

struct Payment
{
    Document document;
    std::optional<Currency> sum; // none when Сумма is not an amount of money
    PaymentKey key;
    int record = 0; // the subscriber it goes to; 0 for none
    std::optional<YearMonth> month;
    bool matched = false; // subscriber and month found, sum sound: offered checked
    bool alreadyImported = false; // in the journal, or earlier in the same statement
    std::string note; // how it was matched, or why not, in the user's words
};

struct Import
{
    std::vector<Payment> payments; // the statement's incoming payments, in its order
    int skipped = 0; // documents that are not money paid to the association's account
};

// Sorts the statement's documents against the directory and the journal; the payments take the
// documents over. `account` is the association's own account, whose incoming payments are taken.
Import prepareImport(
    Statement statement, const RecordTable& table, const Journal& journal, std::string_view account);

// The parts of the matching, each on its own.
// Сумма as the bank writes it: roubles, with a point or a comma and at most two decimals, or
// whole; above zero.
std::optional<Currency> statementSum(std::string_view text);
// The distinct personal-account and plot numbers named in a purpose, in order of appearance.
std::vector<int> accountNumbers(std::string_view purpose);
// The distinct months named in a purpose (any year, as written, held by the database or not).
std::vector<YearMonth> namedMonths(std::string_view purpose);
// A date dd.mm.yyyy.
struct Date
{
    int day = 0;
    int month = 0;
    int year = 0;
};
std::optional<Date> parseDate(std::string_view text);

// A sum to add into "Внесено" of a subscriber's month.
struct Posting
{
    int record = 0;
    YearMonth month;
    Currency sum;
};

struct PostingResult
{
    // Per posting: empty when it went in, else why not ("Внесено" holds no amount, or the total
    // would be out of range).
    std::vector<std::string> refused;
    // Every month whose ledger fields changed, the month each last one carried into included.
    std::vector<YearMonth> changedMonths;
};

// Adds the sums to what "Внесено" holds and recomputes and stores every month from the first to
// the last month posted in each year through the ledger (fill, compute, store), so that each
// month's carry reaches the next. The file is not written.
PostingResult post(RecordTable& table, const std::vector<Posting>& postings);

} // namespace bank
