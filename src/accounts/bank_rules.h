#pragma once

// The parts of the bank import that read a purpose and a payer: the numbers and months a purpose
// names, the directory's names and the payer accounts seen before, and the choice of a
// subscriber from them. Shared by the import's own files; the windows use bank_import.h.

#include "accounts/bank_import.h"

#include <bitset>
#include <cstdint>
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
// The months with their years: one named without a year is the latest such month not after the
// payment, and is dropped when the payment's date is not known.
void resolveMonths(const std::vector<NamedMonth>& named, const Date* paid, std::vector<YearMonth>& months);

// "Март 2026".
std::string monthText(const YearMonth& month);
// "2020 … 2027": the years the database holds, as the notes name them.
std::string heldYearsText(const fields::YearWindow& years);

// The distinct personal-account and plot numbers of a folded purpose, lists after one word
// ("участки 11, 12", "уч. 4 и 6") included.
void numbersIn(std::string_view folded, std::vector<int>& numbers);

// The directory's names by their surname and initials ("иванов", "ии"). A name without initials
// is not kept: a surname alone would take any payer of that name.
class NameIndex
{
public:
    explicit NameIndex(const RecordTable& table);
    // Every record whose surname and initials the folded text names, in either order ("Иванов
    // Иван Петрович", "Иванов И.П.", "И. П. Иванов"), added to `found` once each.
    void find(std::string_view foldedText, std::vector<int>& found);

private:
    // One or two initials in one number: the first letter, and the second above it.
    static std::uint16_t initials(unsigned char first, unsigned char second = 0)
    {
        return std::uint16_t(first | (second << 8));
    }
    struct Name
    {
        std::uint16_t initials = 0;
        int record = 0;
    };
    // A surname of the directory and its names, in the order of their records.
    struct Surname
    {
        std::uint64_t hash = 0;
        std::uint32_t at = 0; // in m_surnameBytes
        std::uint32_t size = 0; // 0: a free slot
        std::uint32_t first = 0; // in m_names
        std::uint32_t count = 0;
    };
    // A few bits of a word of two letters or more (its first two, its last and its length), which
    // pass over most words that are no surname without a look at the table.
    static constexpr std::size_t SketchBits = std::size_t(1) << 16;
    static std::size_t sketch(std::string_view word);
    const Surname* surname(std::string_view word) const;
    void look(const Surname& surname, std::uint16_t initials, std::vector<int>& found) const;

    std::string m_surnameBytes;
    std::vector<Surname> m_slots; // an open table, at least twice as large as there are surnames
    std::vector<Name> m_names;
    std::bitset<SketchBits> m_sketches;
    std::vector<std::string_view> m_words;
};

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
    NameIndex names;
    PayerIndex payers;
    std::string foldedPurpose;
    std::string foldedPayer;
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
// `m.foldedPurpose` holds the document's purpose folded.
SubscriberMatch matchSubscriber(const Document& document, const PaymentKey& key, Matcher& m);

struct MonthMatch
{
    std::optional<YearMonth> month;
    std::string problem;
};
MonthMatch matchMonth(const Document& document, Matcher& m);

} // namespace bank::rules
