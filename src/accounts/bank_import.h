#pragma once

// Payments from a bank statement into the ledger: which documents are money paid to the
// association, whose payment each is and for which month, and their entry into "Внесено" of the
// ledger's month (field B + 6) through the ledger's own computation, so that the closing balances
// and the carry into the months after follow.
//
// A subscriber is found, in this order:
//   1. by a personal-account or plot number in the purpose ("л/с 17", "ЛС: 17", "лицевой счет
//      № 17", "уч. 17", "участок 17", "уч-к 17"): record 17, if there is one. A name that points
//      at somebody else leaves the payment to the treasurer; several plots ("участки 11, 12",
//      "уч. 4 и 6") are offered for a split of the sum;
//   2. by a surname with initials, in the payer's name or in the purpose, against the directory's
//      full names (letter case and "ё" do not matter, initials with or without points): only a
//      single subscriber so named;
//   3. by the payer's account, when the journal has it for one subscriber only. Transit and
//      cash-desk accounts of banks, and an account that has paid for two different names, are
//      never used: they are many people's.
// The month is the one the purpose names ("за март 2026", "за 03.2026", "03/2026", "за ноябрь":
// the latest November not after the payment), else the month the money came in; a year the
// database does not hold leaves the payment unmatched.

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

// A payment above this asks the treasurer before it is checked: a sum of that size is far more
// often a slip than a subscriber's bill.
inline const Currency LargeSum = Currency::fromUnits(10'000'000);

// Statement texts kept for the window: a payer's name or a purpose beyond this is shown and
// quoted by its beginning (the matching has read it whole).
inline constexpr std::size_t MaxKeptCharacters = 2000;

enum class Rule {
    None,
    Number, // 1: the personal account or plot
    Name, // 2: surname and initials
    PayerAccount, // 3: the payer's account seen before
};

struct Payment
{
    Document document;
    std::optional<Currency> sum; // none when Сумма is not an amount of money
    PaymentKey key;
    int record = 0; // the subscriber it goes to; 0 for none
    std::optional<YearMonth> month;
    Rule rule = Rule::None;
    // The records of the several plots the purpose names, for a split of the sum.
    std::vector<int> plots;
    bool matched = false; // subscriber and month found, sum sound
    bool alreadyImported = false; // in the journal, or earlier in the same statement
    bool large = false; // above LargeSum: checked only once the treasurer says so
    // The journal has lost payments, and the ledger's "Внесено" of this subscriber and month
    // already holds money: this one may be among it.
    bool possiblyImported = false;
    std::string note; // how it was matched, or why not, in the user's words

    // Offered checked when the window opens.
    bool offeredChecked() const { return matched && !large && !possiblyImported; }
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

// When the journal has lost entries: marks every matched payment of a subscriber and month whose
// "Внесено" already holds money as possibly imported, and tells how many.
int markPossiblyImported(Import& import, const RecordTable& table);

// The parts of the matching, each on its own.
// Сумма as the bank writes it: roubles, with a point or a comma and at most two decimals, or
// whole; above zero.
std::optional<Currency> statementSum(std::string_view text);
// The distinct personal-account and plot numbers named in a purpose, in order of appearance.
std::vector<int> accountNumbers(std::string_view purpose);
// A date dd.mm.yyyy.
struct Date
{
    int day = 0;
    int month = 0;
    int year = 0;
};
std::optional<Date> parseDate(std::string_view text);
// The distinct months named in a purpose with their years (any year, as written, held by the
// database or not); with the date of the payment, a month named without a year too, as the
// latest such month not after the payment.
std::vector<YearMonth> namedMonths(std::string_view purpose);
std::vector<YearMonth> namedMonths(std::string_view purpose, const Date& paid);
// A balance account of banks' own money in transit (30232, 30233, 30301, 30302, 47422) or of
// cash-desk settlements (40911): the payer's account then says nothing of whose payment it is.
bool isTransitAccount(std::string_view account);

// One subscriber's share of a payment divided between several.
struct Part
{
    int record = 0;
    Currency sum;
    friend bool operator==(const Part&, const Part&) = default;
};
// Why the parts are not a division of the sum (empty when they are): each a subscriber of the
// table once, each above zero, together the sum to the kopeck.
std::string splitProblem(Currency sum, const std::vector<Part>& parts, int recordCount);
// The sum in `count` parts as even as kopecks allow, the odd kopecks on the first ones.
std::vector<Currency> evenParts(Currency sum, int count);

// A sum to add into "Внесено" of a subscriber's month.
struct Posting
{
    int record = 0;
    YearMonth month;
    Currency sum;
    // The parts of one payment share a group (and a month): they go in together or not at all.
    int group = -1;
};

struct PostingResult
{
    // Per posting: empty when it went in, else why not ("Внесено" holds no amount, or the total
    // would be out of range).
    std::vector<std::string> refused;
    // Every month whose ledger fields changed, in time order, the month the last one carried
    // into included.
    std::vector<YearMonth> changedMonths;
};

// Adds the sums to what "Внесено" holds, then recomputes and stores every month from the first
// posted to the last month with charges or receipts through the ledger (fill, compute, store),
// so that each month's carry reaches the next; past a December, the subscribers posted to take
// its closing balances into January as the carry-over does. The file is not written.
PostingResult post(RecordTable& table, const std::vector<Posting>& postings);

// Payments for a month that is closed (every month up to `closedThrough`) go into the first open
// month instead: its "Внесено" takes them, and the closed months stay as they are. The postings
// moved, in order; none when nothing is closed.
struct MovedPosting
{
    std::size_t index = 0;
    YearMonth from;
};
std::vector<MovedPosting> moveOutOfClosedMonths(
    std::vector<Posting>& postings, const std::optional<YearMonth>& closedThrough);

// "Март 2026", "Декабрь 2025 – Апрель 2026", "Март 2026, Май 2026 – Июнь 2026".
std::string monthsText(const std::vector<YearMonth>& months);

} // namespace bank
