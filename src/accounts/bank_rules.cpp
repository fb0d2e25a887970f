// Whose payment it is: the numbers a purpose names, the directory's names, the payer accounts
// seen before, and the order the rules are tried in.

#include "accounts/bank_rules.h"
#include "accounts/bank_text.h"

#include <algorithm>
#include <array>

namespace bank {
namespace rules {
namespace {

using text::isDigit;
using text::isLetter;

constexpr unsigned char NumberSign = 0xB9; // №

// The words that name a personal account or a plot, longest first so that "участок" is not taken
// for "уч". All begin with "л" or "у".
const std::vector<std::string>& accountWords()
{
    static const std::vector<std::string> list = [] {
        std::vector<std::string> w;
        for (const char* word : { "лицевой счет", "лицевого счета", "лицевому счету", "лицевом счете",
                 "лицевые счета", "лиц. счет", "лиц.счет", "лиц/счет", "лиц счет", "л/сч", "л/с", "л.с.",
                 "л.с", "лс", "участок", "участка", "участку", "участке", "участки", "участков", "уч-ки",
                 "уч-к", "уч-ка", "уч.", "уч" })
            w.push_back(text::folded(word));
        std::sort(w.begin(), w.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        return w;
    }();
    return list;
}

// Words after a number that make it a reading, a sum or a year rather than another plot of a list:
// "уч. 12, 4520 кВт", "уч. 12, 2026 год".
const std::vector<std::string>& unitWords()
{
    static const std::vector<std::string> list = [] {
        std::vector<std::string> w;
        for (const char* word : { "квт", "квтч", "кв", "руб", "рублей", "рубля", "рубль", "р", "коп", "год",
                 "года", "году", "г", "шт", "м" })
            w.push_back(text::folded(word));
        return w;
    }();
    return list;
}

bool isUnit(std::string_view word)
{
    const std::vector<std::string>& units = unitWords();
    return std::find(units.begin(), units.end(), word) != units.end();
}

} // namespace

void numbersIn(std::string_view s, std::vector<int>& numbers)
{
    numbers.clear();
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    constexpr unsigned char El = 0xEB; // л
    constexpr unsigned char U = 0xF3; // у
    constexpr unsigned char I = 0xE8; // и
    // A number from `q` on, up to six digits that stand on their own: "уч. 17/2" and "17.5" are plots
    // of their own, not record 17. Gives the end of the number, or `q` when there is none.
    const auto numberAt = [&](std::size_t q) {
        std::size_t end = q;
        while (end < s.size() && isDigit(at(end)) && end - q < 6)
            ++end;
        if (end == q || isDigit(at(end)) || isLetter(at(end)))
            return q;
        if ((at(end) == '/' || at(end) == '.') && isDigit(at(end + 1)))
            return q;
        return end;
    };
    const auto add = [&](std::size_t from, std::size_t end) {
        int number = 0;
        for (std::size_t i = from; i < end; ++i)
            number = number * 10 + (s[i] - '0');
        if (number >= 1 && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    };
    for (std::size_t p = 0; p < s.size(); ++p) {
        const unsigned char first = at(p);
        if ((first != El && first != U) || (p > 0 && (isLetter(at(p - 1)) || isDigit(at(p - 1)))))
            continue;
        for (const std::string& word : accountWords()) {
            // The second letter tells most words apart before the whole is compared.
            if (static_cast<unsigned char>(word[0]) != first || word[1] != static_cast<char>(at(p + 1))
                || s.compare(p, word.size(), word) != 0)
                continue;
            std::size_t q = p + word.size();
            while (q < s.size()
                && (at(q) == ' ' || at(q) == '.' || at(q) == ':' || at(q) == '-' || at(q) == '#'
                    || at(q) == NumberSign))
                ++q;
            std::size_t end = numberAt(q);
            if (end == q)
                continue;
            add(q, end);
            // The list that follows: "11, 12", "11,12", "4 и 6", "4, 6 и 8".
            for (;;) {
                std::size_t r = end;
                while (at(r) == ' ')
                    ++r;
                if (at(r) == ',' || at(r) == ';')
                    ++r;
                else if (r > end && at(r) == I && at(r + 1) == ' ')
                    r += 2;
                else
                    break;
                while (at(r) == ' ' || at(r) == NumberSign)
                    ++r;
                const std::size_t next = numberAt(r);
                if (next == r)
                    break;
                std::size_t w = next;
                while (at(w) == ' ')
                    ++w;
                std::size_t wordEnd = w;
                while (isLetter(at(wordEnd)))
                    ++wordEnd;
                if (wordEnd > w && isUnit(s.substr(w, wordEnd - w)))
                    break;
                add(r, next);
                end = next;
            }
            p = end - 1;
            break;
        }
    }
}

NameIndex::NameIndex(const RecordTable& table)
{
    struct Entry
    {
        std::uint32_t at = 0; // the surname, in m_surnameBytes
        std::uint32_t size = 0;
        Name name;
    };
    std::vector<Entry> entries;
    std::string folded;
    std::vector<std::string_view> w;
    for (int i = 1; i <= table.recordCount(); ++i) {
        text::foldInto(table.field(i, fields::FullName), folded);
        text::words(folded, w);
        if (w.size() < 2 || w[0].size() < 2)
            continue;
        const auto first = static_cast<unsigned char>(w[1][0]);
        const std::uint16_t given
            = w.size() > 2 ? initials(first, static_cast<unsigned char>(w[2][0])) : initials(first);
        entries.push_back({ std::uint32_t(m_surnameBytes.size()), std::uint32_t(w[0].size()), { given, i } });
        m_surnameBytes += w[0];
    }
    const auto surnameOf
        = [this](const Entry& e) { return std::string_view(m_surnameBytes.data() + e.at, e.size); };
    // By surname, then by initials, each in the order of the records.
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const int order = surnameOf(a).compare(surnameOf(b));
        return order != 0 ? order < 0 : a.name.initials < b.name.initials;
    });

    std::size_t size = 16;
    while (size < 2 * entries.size())
        size *= 2;
    m_slots.assign(size, Surname());
    m_names.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size();) {
        const std::string_view name = surnameOf(entries[i]);
        std::size_t j = i;
        while (j < entries.size() && surnameOf(entries[j]) == name)
            m_names.push_back(entries[j++].name);
        const std::uint64_t hash = text::hashOf(name);
        std::size_t at = std::size_t(hash) & (size - 1);
        while (m_slots[at].size != 0)
            at = (at + 1) & (size - 1);
        m_slots[at] = { hash, entries[i].at, entries[i].size, std::uint32_t(i), std::uint32_t(j - i) };
        m_sketches.set(sketch(name));
        i = j;
    }
}

std::size_t NameIndex::sketch(std::string_view word)
{
    const auto byte = [word](std::size_t i) { return std::size_t(static_cast<unsigned char>(word[i])); };
    return (byte(0) * 7919 + byte(1) * 131 + byte(word.size() - 1) * 17 + word.size()) % SketchBits;
}

const NameIndex::Surname* NameIndex::surname(std::string_view word) const
{
    if (!m_sketches[sketch(word)])
        return nullptr;
    const std::uint64_t hash = text::hashOf(word);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = std::size_t(hash) & mask;; at = (at + 1) & mask) {
        const Surname& slot = m_slots[at];
        if (slot.size == 0)
            return nullptr;
        if (slot.hash == hash && std::string_view(m_surnameBytes.data() + slot.at, slot.size) == word)
            return &slot;
    }
}

void NameIndex::find(std::string_view foldedText, std::vector<int>& found)
{
    if (m_names.empty())
        return;
    text::words(foldedText, m_words);
    const std::vector<std::string_view>& w = m_words;
    const auto letter = [&w](std::size_t i) { return static_cast<unsigned char>(w[i][0]); };
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i].size() < 2)
            continue;
        // Most words are no surname of the directory: a look at a bit, or at the table, tells.
        const Surname* s = surname(w[i]);
        if (!s)
            continue;
        if (i + 1 < w.size()) {
            look(*s, initials(letter(i + 1)), found);
            if (i + 2 < w.size())
                look(*s, initials(letter(i + 1), letter(i + 2)), found);
        }
        if (i >= 1 && w[i - 1].size() == 1) {
            look(*s, initials(letter(i - 1)), found);
            if (i >= 2 && w[i - 2].size() == 1)
                look(*s, initials(letter(i - 2), letter(i - 1)), found);
        }
    }
}

void NameIndex::look(const Surname& surname, std::uint16_t given, std::vector<int>& found) const
{
    const auto begin = m_names.begin() + surname.first;
    const auto end = begin + surname.count;
    auto it = std::lower_bound(
        begin, end, given, [](const Name& name, std::uint16_t initials) { return name.initials < initials; });
    for (; it != end && it->initials == given; ++it)
        if (std::find(found.begin(), found.end(), it->record) == found.end())
            found.push_back(it->record);
}

PayerIndex::PayerIndex(const Journal& journal, const RecordTable& table)
{
    for (const JournalEntry& entry : journal.entries()) {
        if (entry.key.payerAccount.empty() || isTransitAccount(entry.key.payerAccount))
            continue;
        Seen& seen = m_accounts[entry.key.payerAccount];
        if (std::find(seen.records.begin(), seen.records.end(), entry.record) == seen.records.end())
            seen.records.push_back(entry.record);
        if (std::find(seen.names.begin(), seen.names.end(), entry.subscriber) == seen.names.end())
            seen.names.push_back(entry.subscriber);
    }
    // An entry whose record now holds someone else counts for nobody.
    for (auto& [account, seen] : m_accounts) {
        if (seen.records.size() != 1 || seen.names.size() != 1)
            continue;
        const int record = seen.records.front();
        if (record <= table.recordCount()
            && journalText(table.field(record, fields::FullName)) == seen.names.front())
            seen.current = record;
    }
}

const PayerIndex::Seen* PayerIndex::find(const std::string& account) const
{
    if (m_accounts.empty())
        return nullptr;
    const auto it = m_accounts.find(account);
    return it == m_accounts.end() ? nullptr : &it->second;
}

SubscriberMatch matchSubscriber(const Document& document, const PaymentKey& key, Matcher& m)
{
    const int count = m.table.recordCount();
    numbersIn(m.foldedPurpose, m.numbers);
    if (m.numbers.size() > 1) {
        SubscriberMatch several{ 0, Rule::None, {},
            "в назначении несколько лицевых счетов: " + text::numbersText(m.numbers) };
        for (int number : m.numbers)
            if (number <= count)
                several.plots.push_back(number);
        return several;
    }

    // The names are looked for even when a number is there: a number and a name that disagree are
    // a slip in one of them, and the treasurer decides.
    m.named.clear();
    text::foldInto(document.payer, m.foldedPayer);
    m.names.find(m.foldedPayer, m.named);
    m.names.find(m.foldedPurpose, m.named);
    std::sort(m.named.begin(), m.named.end());
    const auto nameOf = [&m](int record) {
        return std::to_string(record) + ". " + text::shortened(m.table.field(record, fields::FullName), 60);
    };

    // 1. A number in the purpose.
    std::string missing;
    if (m.numbers.size() == 1) {
        const int number = m.numbers.front();
        if (number <= count) {
            if (m.named.empty() || std::binary_search(m.named.begin(), m.named.end(), number))
                return { number, Rule::Number, {}, "по л/с № " + std::to_string(number) };
            std::string names;
            for (int record : m.named) {
                if (!names.empty())
                    names += ", ";
                names += nameOf(record);
            }
            return { 0, Rule::None, {},
                "л/с № " + std::to_string(number) + " — " + nameOf(number) + ", а по фамилии — " + names
                    + ": разные абоненты" };
        }
        missing = "л/с № " + std::to_string(number) + " нет в справочнике; ";
    }

    // 2. A surname with initials.
    if (m.named.size() == 1)
        return { m.named.front(), Rule::Name, {}, missing + "по фамилии" };
    if (m.named.size() > 1)
        return { 0, Rule::None, {}, missing + "подходят несколько абонентов: " + text::numbersText(m.named) };

    // 3. A payer account the journal knows for one subscriber.
    if (!isTransitAccount(key.payerAccount)) {
        if (const PayerIndex::Seen* seen = m.payers.find(key.payerAccount)) {
            if (seen->records.size() > 1) {
                std::vector<int> sorted = seen->records;
                std::sort(sorted.begin(), sorted.end());
                return { 0, Rule::None, {},
                    missing + "счет плательщика встречался у нескольких абонентов: "
                        + text::numbersText(sorted) };
            }
            if (seen->names.size() > 1) {
                std::string names;
                for (const std::string& name : seen->names)
                    names += (names.empty() ? "" : ", ") + text::shortened(name, 60);
                return { 0, Rule::None, {},
                    missing + "счет плательщика платил за разных абонентов: " + names };
            }
            if (seen->current > 0) {
                // Whose account it is, as the bank names its owner: the treasurer sees at once
                // whether it is the subscriber's own.
                const std::string owner = text::shortened(text::trimmed(document.payer), 80);
                return { seen->current, Rule::PayerAccount, {},
                    missing + "по счету плательщика" + (owner.empty() ? "" : ": " + owner) };
            }
        }
    }
    return { 0, Rule::None, {}, missing + "абонент не найден" };
}

} // namespace rules

bool isTransitAccount(std::string_view account)
{
    account = text::trimmed(account);
    static constexpr std::array<std::string_view, 6> Transit
        = { "30232", "30233", "30301", "30302", "47422", "40911" };
    return std::any_of(Transit.begin(), Transit.end(),
        [account](std::string_view prefix) { return account.starts_with(prefix); });
}

std::vector<int> accountNumbers(std::string_view purpose)
{
    std::vector<int> numbers;
    rules::numbersIn(text::folded(purpose), numbers);
    return numbers;
}

} // namespace bank
