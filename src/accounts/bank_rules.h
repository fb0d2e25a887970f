#pragma once

// The parts of the bank import that read a purpose and a payer: the months a purpose names, the
// payer accounts seen before, and the choice of a subscriber from them and from the numbers and
// names that the matching shared with the readings import finds (src/matching). Shared by the
// import's own files; the windows use bank_import.h.

#include "accounts/bank_import.h"
#include "matching/folding.h"
#include "matching/name_index.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bank::rules {

// A month as a purpose names it; year 0 when it names none ("за ноябрь").
struct NamedMonth
{
    int year = 0;
    int month = 1;
    friend bool operator==(const NamedMonth&, const NamedMonth&) = default;
};

// The months of a folded purpose, in order of appearance, repeats dropped.
void monthsIn(std::string_view folded, std::vector<NamedMonth>& months);
// The same when the purpose's runs (matching/folding.h) are known.
void monthsIn(
    std::string_view folded, const std::vector<matching::Run>& runs, std::vector<NamedMonth>& months);
// The months with their years: one named without a year is the latest such month not after the
// payment, and is dropped when the payment's date is not known.
void resolveMonths(const std::vector<NamedMonth>& named, const Date* paid, std::vector<YearMonth>& months);

// "Март 2026".
std::string monthText(const YearMonth& month);
// "2020 … 2027": the years the database holds, as the notes name them.
std::string heldYearsText(const fields::YearWindow& years);

// Which subscribers each payer account paid for before, by the journal. Transit and cash-desk
// accounts are never learnt.
class PayerIndex
{
public:
    PayerIndex(const Journal& journal, const RecordTable& table);

    struct Seen
    {
        std::vector<int> records; // the records paid for, in their order
        std::vector<std::string> names; // the distinct names paid for, as the journal has them
        int current = 0; // the one record paid for, while it still holds the name it was paid for
    };
    const Seen* find(const std::string& account) const;

private:
    std::unordered_map<std::string, Seen> m_accounts;
};

// What the matching of one payment after another reuses.
struct Matcher
{
    Matcher(const RecordTable& table, const Journal& journal)
        : table(table), names(table), payers(journal, table)
    { }

    const RecordTable& table;
    matching::NameIndex names;
    PayerIndex payers;
    // The payment's purpose and payer as they are compared (matching/folding.h), folded into the
    // strings below.
    std::string_view purpose;
    std::string_view payer;
    std::string foldedPurpose;
    std::string foldedPayer;
    // The purpose read once for every rule: its runs of letters and digits, and its words.
    std::vector<matching::Run> runs;
    std::vector<std::string_view> purposeWords;
    std::vector<std::string_view> payerWords;
    std::vector<int> numbers;
    std::vector<int> named;
    std::vector<NamedMonth> namedMonths;
    std::vector<YearMonth> months;
};

struct SubscriberMatch
{
    int record = 0;
    Rule rule = Rule::None;
    std::vector<int> plots;
    std::string note;
};
// `m.purpose` and `m.payer` are the document's, folded, and `m.runs` the purpose's.
SubscriberMatch matchSubscriber(const Document& document, const PaymentKey& key, Matcher& m);

struct MonthMatch
{
    std::optional<YearMonth> month;
    std::string problem;
};
MonthMatch matchMonth(const Document& document, Matcher& m);

} // namespace bank::rules
