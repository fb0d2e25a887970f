#include "accounts/bank_import.h"

#include "accounts/ledger.h"
#include "database/cp1251.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <map>
#include <unordered_map>

namespace bank {
namespace {

// Texts are compared in Windows-1251 bytes, small letters, "ё" as "е": one byte a letter.
constexpr unsigned char SmallYo = 0xB8;
constexpr unsigned char SmallYe = 0xE5;
constexpr unsigned char NumberSign = 0xB9; // №

const std::array<unsigned char, 256>& foldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const unsigned char small = cp1251::lowerByte(static_cast<unsigned char>(b));
            t[std::size_t(b)] = small == SmallYo ? SmallYe : small;
        }
        return t;
    }();
    return table;
}

// How many bytes the UTF-8 sequence at `i` takes, a broken one included: its lead byte alone when
// that is no lead, else up to the first byte that does not continue it or the end of the text.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    if ((lead & 0xE0) == 0xC0)
        length = 2;
    else if ((lead & 0xF0) == 0xE0)
        length = 3;
    else if ((lead & 0xF8) == 0xF0)
        length = 4;
    else
        return 1;
    if (i + length > s.size())
        return s.size() - i;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return k;
    return length;
}

// The text in the form it is compared in; `out` keeps its memory from one text to the next.
// Latin and Russian letters, nearly all of any text, are folded as they are read; any other
// character goes through the code page on its own.
void foldInto(std::string_view utf8, std::string& out)
{
    out.clear();
    const std::array<unsigned char, 256>& fold = foldTable();
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(fold[b]));
            ++i;
            continue;
        }
        if ((b == 0xD0 || b == 0xD1) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            const unsigned code = ((b & 0x1Fu) << 6) | (next & 0x3Fu);
            // А … я, without Ё and ё.
            if ((next & 0xC0) == 0x80 && code >= 0x0410 && code <= 0x044F) {
                out.push_back(static_cast<char>(fold[code - 0x0410 + 0xC0]));
                i += 2;
                continue;
            }
        }
        const std::size_t length = sequenceLength(utf8, i);
        const std::size_t from = out.size();
        cp1251::encodeAppend(utf8.substr(i, length), out);
        for (std::size_t k = from; k < out.size(); ++k)
            out[k] = static_cast<char>(fold[static_cast<unsigned char>(out[k])]);
        i += length;
    }
}

std::string folded(std::string_view utf8)
{
    std::string out;
    foldInto(utf8, out);
    return out;
}

bool isDigit(unsigned char b)
{
    return b >= '0' && b <= '9';
}

// A small letter after folding: Latin, Russian, and the other Cyrillic letters of the code page.
constexpr std::array<bool, 256> Letters = [] {
    std::array<bool, 256> set{};
    for (int b = 'a'; b <= 'z'; ++b)
        set[std::size_t(b)] = true;
    for (int b = 0xC0; b <= 0xFF; ++b)
        set[std::size_t(b)] = true;
    for (int b : { 0x83, 0x90, 0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xA2, 0xB3, 0xB4, 0xBA, 0xBC, 0xBE, 0xBF })
        set[std::size_t(b)] = true;
    return set;
}();

bool isLetter(unsigned char b)
{
    return Letters[b];
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The words of a folded text: runs of letters, a hyphen between two letters kept inside.
void words(std::string_view s, std::vector<std::string_view>& result)
{
    result.clear();
    std::size_t i = 0;
    while (i < s.size()) {
        if (!isLetter(static_cast<unsigned char>(s[i]))) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < s.size()
            && (isLetter(static_cast<unsigned char>(s[i]))
                || (s[i] == '-' && i + 1 < s.size() && isLetter(static_cast<unsigned char>(s[i + 1])))))
            ++i;
        result.push_back(s.substr(start, i - start));
    }
}

// The words that name a personal account or a plot, longest first so that "участок" is not taken
// for "уч". All begin with "л" or "у".
const std::vector<std::string>& accountWords()
{
    static const std::vector<std::string> list = [] {
        std::vector<std::string> w;
        for (const char* word : { "лицевой счет", "лицевого счета", "лицевому счету", "лицевом счете",
                 "лиц. счет", "лиц.счет", "лиц/счет", "лиц счет", "л/сч", "л/с", "л.с.", "л.с", "лс",
                 "участок", "участка", "участку", "участке", "уч-к", "уч-ка", "уч.", "уч" })
            w.push_back(folded(word));
        std::sort(w.begin(), w.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        return w;
    }();
    return list;
}

// The month names in the forms a purpose uses them: "март", "за марта", "в марте".
struct MonthWord
{
    std::string word;
    int month;
};
const std::vector<MonthWord>& monthWords()
{
    static const std::vector<MonthWord> list = [] {
        const std::array<std::array<const char*, 3>, 12> forms = { {
            { "январь", "января", "январе" },
            { "февраль", "февраля", "феврале" },
            { "март", "марта", "марте" },
            { "апрель", "апреля", "апреле" },
            { "май", "мая", "мае" },
            { "июнь", "июня", "июне" },
            { "июль", "июля", "июле" },
            { "август", "августа", "августе" },
            { "сентябрь", "сентября", "сентябре" },
            { "октябрь", "октября", "октябре" },
            { "ноябрь", "ноября", "ноябре" },
            { "декабрь", "декабря", "декабре" },
        } };
        std::vector<MonthWord> result;
        for (std::size_t m = 0; m < 12; ++m)
            for (const char* form : forms[m])
                result.push_back({ folded(form), int(m) + 1 });
        return result;
    }();
    return list;
}

// The first letters of the month names: most words of a purpose are no month, and are passed over
// on their first letter.
const std::bitset<256>& monthInitials()
{
    static const std::bitset<256> set = [] {
        std::bitset<256> s;
        for (const MonthWord& w : monthWords())
            s.set(static_cast<unsigned char>(w.word.front()));
        return s;
    }();
    return set;
}

void addMonth(std::vector<YearMonth>& months, int year, int month)
{
    const YearMonth named{ year, month };
    if (std::find(months.begin(), months.end(), named) == months.end())
        months.push_back(named);
}

std::string monthText(const YearMonth& month)
{
    return std::string(fields::MonthNames[std::size_t(month.month - 1)]) + " " + fields::yearText(month.year);
}

// "2020 … 2027": the years the database holds, as the notes name them.
std::string heldYearsText(const fields::YearWindow& years)
{
    return fields::yearText(years.first()) + " … " + fields::yearText(years.last());
}

std::uint64_t hashOf(std::string_view text, std::uint64_t hash = 14695981039346656037ull)
{
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

// The distinct numbers of a folded purpose, as accountNumbers() tells them.
void numbersIn(std::string_view s, std::vector<int>& numbers)
{
    numbers.clear();
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    constexpr unsigned char El = 0xEB; // л
    constexpr unsigned char U = 0xF3; // у
    for (std::size_t p = 0; p < s.size(); ++p) {
        const unsigned char first = at(p);
        if ((first != El && first != U) || (p > 0 && (isLetter(at(p - 1)) || isDigit(at(p - 1)))))
            continue;
        for (const std::string& word : accountWords()) {
            if (static_cast<unsigned char>(word.front()) != first || s.compare(p, word.size(), word) != 0)
                continue;
            std::size_t q = p + word.size();
            while (q < s.size()
                && (at(q) == ' ' || at(q) == '.' || at(q) == ':' || at(q) == '-' || at(q) == '#'
                    || at(q) == NumberSign))
                ++q;
            std::size_t end = q;
            while (end < s.size() && isDigit(at(end)) && end - q < 6)
                ++end;
            if (end == q || isDigit(at(end)) || isLetter(at(end)))
                continue;
            // "уч. 17/2" and "17.5" are plots of their own, not record 17.
            if ((at(end) == '/' || at(end) == '.') && isDigit(at(end + 1)))
                continue;
            int number = 0;
            for (std::size_t i = q; i < end; ++i)
                number = number * 10 + (s[i] - '0');
            if (number >= 1 && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
                numbers.push_back(number);
            p = end - 1;
            break;
        }
    }
}

int fourDigits(std::string_view s, std::size_t at)
{
    int value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
        value = value * 10 + (s[i] - '0');
    return value;
}

// The distinct months of a folded purpose, as namedMonths() tells them.
void monthsIn(std::string_view s, std::vector<YearMonth>& months)
{
    months.clear();
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    std::size_t i = 0;
    while (i < s.size()) {
        // A month by name, then its year: "март 2026", "марта 2026 г.".
        if (isLetter(at(i)) && (i == 0 || !isLetter(at(i - 1)))) {
            std::size_t end = i;
            while (end < s.size() && isLetter(at(end)))
                ++end;
            if (monthInitials()[at(i)] && end - i >= 3 && end - i <= 8) {
                const std::string_view word(s.data() + i, end - i);
                for (const MonthWord& form : monthWords()) {
                    if (form.word.size() != word.size() || form.word[1] != word[1] || form.word != word)
                        continue;
                    std::size_t y = end;
                    while (y < s.size() && at(y) == ' ')
                        ++y;
                    std::size_t yearEnd = y;
                    while (yearEnd < s.size() && isDigit(at(yearEnd)))
                        ++yearEnd;
                    if (yearEnd - y == 4)
                        addMonth(months, fourDigits(s, y), form.month);
                    break;
                }
            }
            i = end;
            continue;
        }
        // A month by number: "03.2026", "3/2026", but not the "03.2026" of the date 15.03.2026.
        if (isDigit(at(i)) && (i == 0 || !isDigit(at(i - 1)))) {
            const bool partOfDate = i >= 2 && (at(i - 1) == '.' || at(i - 1) == '/') && isDigit(at(i - 2));
            std::size_t end = i;
            while (end < s.size() && isDigit(at(end)))
                ++end;
            const std::size_t digits = end - i;
            if (!partOfDate && digits <= 2 && (at(end) == '.' || at(end) == '/')) {
                std::size_t yearEnd = end + 1;
                while (yearEnd < s.size() && isDigit(at(yearEnd)))
                    ++yearEnd;
                const bool followedByMore
                    = (at(yearEnd) == '.' || at(yearEnd) == '/') && isDigit(at(yearEnd + 1));
                if (yearEnd - end - 1 == 4 && !followedByMore) {
                    const int month = digits == 1 ? s[i] - '0' : (s[i] - '0') * 10 + (s[i + 1] - '0');
                    if (month >= 1 && month <= 12)
                        addMonth(months, fourDigits(s, end + 1), month);
                    i = yearEnd;
                    continue;
                }
            }
            i = end;
            continue;
        }
        ++i;
    }
}

// The directory's names by their surname and initials ("иванов|ии"). A name without initials is
// not kept: a surname alone would take any payer of that name.
class NameIndex
{
public:
    explicit NameIndex(const RecordTable& table)
    {
        std::string name;
        std::vector<std::string_view> w;
        for (int i = 1; i <= table.recordCount(); ++i) {
            foldInto(table.field(i, fields::FullName), name);
            words(name, w);
            if (w.size() < 2 || w[0].size() < 2)
                continue;
            std::string initials(1, w[1][0]);
            if (w.size() > 2)
                initials += w[2][0];
            m_surnames.set(hashOf(w[0]) % SurnameBits);
            m_records[key(w[0], initials)].push_back(i);
        }
    }

    // Every record whose surname and initials the folded text names, in either order ("Иванов
    // Иван Петрович", "Иванов И.П.", "И. П. Иванов").
    void find(std::string_view foldedText, std::vector<int>& found)
    {
        if (m_records.empty())
            return;
        words(foldedText, m_words);
        const std::vector<std::string_view>& w = m_words;
        for (std::size_t i = 0; i < w.size(); ++i) {
            // Most words are no surname of the directory: one look at a bit tells.
            if (w[i].size() < 2 || !m_surnames[hashOf(w[i]) % SurnameBits])
                continue;
            if (i + 1 < w.size()) {
                look(w[i], w[i + 1].substr(0, 1), found);
                if (i + 2 < w.size())
                    look(w[i], { w[i + 1][0], w[i + 2][0] }, found);
            }
            if (i >= 1 && w[i - 1].size() == 1) {
                look(w[i], w[i - 1], found);
                if (i >= 2 && w[i - 2].size() == 1)
                    look(w[i], { w[i - 2][0], w[i - 1][0] }, found);
            }
        }
    }

private:
    static constexpr std::size_t SurnameBits = std::size_t(1) << 16;

    const std::string& key(std::string_view surname, std::string_view initials)
    {
        m_key.assign(surname);
        m_key += '|';
        m_key += initials;
        return m_key;
    }

    void look(std::string_view surname, std::string_view initials, std::vector<int>& found)
    {
        const auto it = m_records.find(key(surname, initials));
        if (it == m_records.end())
            return;
        for (int record : it->second)
            if (std::find(found.begin(), found.end(), record) == found.end())
                found.push_back(record);
    }
    void look(std::string_view surname, std::initializer_list<char> initials, std::vector<int>& found)
    {
        look(surname, std::string_view(initials.begin(), initials.size()), found);
    }

    std::unordered_map<std::string, std::vector<int>> m_records;
    std::bitset<SurnameBits> m_surnames;
    std::string m_key;
    std::vector<std::string_view> m_words;
};

// Which subscribers each payer account paid for before, by the journal; an entry whose record
// now holds someone else counts for nobody.
class PayerIndex
{
public:
    PayerIndex(const Journal& journal, const RecordTable& table)
    {
        for (const JournalEntry& entry : journal.entries()) {
            if (entry.key.payerAccount.empty() || entry.record > table.recordCount())
                continue;
            if (journalText(table.field(entry.record, fields::FullName)) != entry.subscriber)
                continue;
            std::vector<int>& records = m_records[entry.key.payerAccount];
            if (std::find(records.begin(), records.end(), entry.record) == records.end())
                records.push_back(entry.record);
        }
    }

    const std::vector<int>* find(const std::string& account) const
    {
        if (m_records.empty())
            return nullptr;
        const auto it = m_records.find(account);
        return it == m_records.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::string, std::vector<int>> m_records;
};

std::string numbersText(const std::vector<int>& numbers)
{
    std::string text;
    for (int n : numbers) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(n);
    }
    return text;
}

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
    std::vector<YearMonth> months;
};

struct SubscriberMatch
{
    int record = 0;
    std::string note;
};

SubscriberMatch matchSubscriber(const Document& document, const PaymentKey& key, Matcher& m)
{
    // 1. A number in the purpose.
    numbersIn(m.foldedPurpose, m.numbers);
    std::string missing;
    if (m.numbers.size() > 1)
        return { 0, "в назначении несколько лицевых счетов: " + numbersText(m.numbers) };
    if (m.numbers.size() == 1) {
        const int number = m.numbers.front();
        if (number <= m.table.recordCount())
            return { number, "по л/с № " + std::to_string(number) };
        missing = "л/с № " + std::to_string(number) + " нет в справочнике; ";
    }

    // 2. A surname with initials.
    m.named.clear();
    foldInto(document.payer, m.foldedPayer);
    m.names.find(m.foldedPayer, m.named);
    m.names.find(m.foldedPurpose, m.named);
    if (m.named.size() == 1)
        return { m.named.front(), missing + "по фамилии" };
    if (m.named.size() > 1) {
        std::sort(m.named.begin(), m.named.end());
        return { 0, missing + "подходят несколько абонентов: " + numbersText(m.named) };
    }

    // 3. A payer account the journal knows.
    if (const std::vector<int>* paid = m.payers.find(key.payerAccount)) {
        if (paid->size() == 1)
            return { paid->front(), missing + "по счету плательщика" };
        std::vector<int> sorted = *paid;
        std::sort(sorted.begin(), sorted.end());
        return { 0, missing + "счет плательщика встречался у нескольких абонентов: " + numbersText(sorted) };
    }
    return { 0, missing + "абонент не найден" };
}

struct MonthMatch
{
    std::optional<YearMonth> month;
    std::string problem;
};

MonthMatch matchMonth(const Document& document, Matcher& m)
{
    monthsIn(m.foldedPurpose, m.months);
    if (m.months.size() > 1)
        return { std::nullopt, "в назначении несколько месяцев" };
    YearMonth month;
    if (m.months.size() == 1) {
        month = m.months.front();
    } else {
        const std::optional<Date> received = parseDate(document.received);
        if (!received)
            return { std::nullopt, "дата поступления «" + document.received + "» не дата" };
        month = { received->year, received->month };
    }
    const fields::YearWindow& years = m.table.years();
    if (!years.holds(month))
        return { std::nullopt, "год " + fields::yearText(month.year) + " вне " + heldYearsText(years) };
    return { month, {} };
}

std::uint64_t keyHash(const PaymentKey& key)
{
    std::uint64_t hash = hashOf(key.number);
    for (const std::string* part : { &key.date, &key.sum, &key.payerAccount })
        hash = hashOf(*part, hashOf("|", hash));
    return hash;
}

// The payments of a statement by the hashes of their keys, to find one that comes twice: an open
// table of their indexes, at least twice as large as the statement has documents.
class SeenKeys
{
public:
    explicit SeenKeys(std::size_t documents)
    {
        std::size_t size = 16;
        while (size < 2 * documents)
            size *= 2;
        m_slots.assign(size, Slot());
        m_mask = size - 1;
    }

    // Whether a payment of the same key was seen (`same` tells, given its index); if not, this one
    // at `index` is kept.
    template <typename Same> bool seenOrAdd(std::uint64_t hash, std::size_t index, Same same)
    {
        for (std::size_t at = std::size_t(hash) & m_mask;; at = (at + 1) & m_mask) {
            Slot& slot = m_slots[at];
            if (slot.index == Empty) {
                slot = { hash, index };
                return false;
            }
            if (slot.hash == hash && same(slot.index))
                return true;
        }
    }

private:
    static constexpr std::size_t Empty = ~std::size_t(0);
    struct Slot
    {
        std::uint64_t hash = 0;
        std::size_t index = Empty;
    };
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
};

void appendNote(std::string& note, std::string_view more)
{
    if (more.empty())
        return;
    if (!note.empty())
        note += "; ";
    note += more;
}

} // namespace

std::optional<Currency> statementSum(std::string_view text)
{
    text = trimmed(text);
    std::size_t i = 0;
    while (i < text.size() && isDigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i == 0)
        return std::nullopt;
    std::string amount(text.substr(0, i));
    if (i < text.size()) {
        if (text[i] != '.' && text[i] != ',')
            return std::nullopt;
        const std::string_view decimals = text.substr(i + 1);
        if (decimals.empty() || decimals.size() > 2
            || !std::all_of(decimals.begin(), decimals.end(), [](char c) { return isDigit(c); }))
            return std::nullopt;
        amount += ',';
        amount += decimals;
    }
    const std::optional<Currency> sum = Currency::parse(amount);
    if (!sum || !(*sum > Currency()))
        return std::nullopt;
    return sum;
}

std::vector<int> accountNumbers(std::string_view purpose)
{
    std::vector<int> numbers;
    numbersIn(folded(purpose), numbers);
    return numbers;
}

std::vector<YearMonth> namedMonths(std::string_view purpose)
{
    std::vector<YearMonth> months;
    monthsIn(folded(purpose), months);
    return months;
}

std::optional<Date> parseDate(std::string_view text)
{
    text = trimmed(text);
    if (text.size() != 10 || text[2] != '.' || text[5] != '.')
        return std::nullopt;
    for (std::size_t i : { 0, 1, 3, 4, 6, 7, 8, 9 })
        if (!isDigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
    const auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    Date date{ number(0, 2), number(3, 2), number(6, 4) };
    if (date.month < 1 || date.month > 12 || date.day < 1)
        return std::nullopt;
    static constexpr std::array<int, 12> Days = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    const int days = Days[std::size_t(date.month - 1)] + (date.month == 2 && leap ? 1 : 0);
    if (date.day > days)
        return std::nullopt;
    return date;
}

Import prepareImport(
    Statement statement, const RecordTable& table, const Journal& journal, std::string_view account)
{
    Import result;
    result.payments.reserve(statement.documents.size());
    Matcher matcher(table, journal);
    SeenKeys seen(statement.documents.size());
    const std::string_view ours = trimmed(account);

    for (Document& document : statement.documents) {
        if (ours.empty() || trimmed(document.payeeAccount) != ours || trimmed(document.received).empty()) {
            ++result.skipped;
            continue;
        }
        // Made in its place: the room for every document was reserved.
        Payment& payment = result.payments.emplace_back();
        payment.sum = statementSum(document.sum);
        payment.key = { journalText(document.number), journalText(document.date),
            payment.sum ? moneyText(*payment.sum) : journalText(document.sum),
            journalText(document.payerAccount) };

        if (const JournalEntry* entry = journal.find(payment.key)) {
            payment.alreadyImported = true;
            payment.record = entry->record;
            payment.month = YearMonth{ entry->year, entry->month };
            payment.note = "занесен " + entry->importDate + ": " + entry->subscriber + ", "
                + monthText(*payment.month);
            payment.document = std::move(document);
            continue;
        }
        const bool repeated = seen.seenOrAdd(keyHash(payment.key), result.payments.size() - 1,
            [&](std::size_t earlier) { return result.payments[earlier].key == payment.key; });
        if (repeated) {
            payment.alreadyImported = true;
            appendNote(payment.note, "повторяет платеж выше в этой выписке");
        }
        if (!payment.sum)
            appendNote(payment.note, "сумма «" + document.sum + "» не число");

        foldInto(document.purpose, matcher.foldedPurpose);
        const SubscriberMatch subscriber = matchSubscriber(document, payment.key, matcher);
        payment.record = subscriber.record;
        const MonthMatch month = matchMonth(document, matcher);
        payment.month = month.month;
        if (!payment.alreadyImported) {
            appendNote(payment.note, subscriber.note);
            appendNote(payment.note, month.problem);
        }
        payment.matched = !payment.alreadyImported && payment.sum && payment.record > 0 && payment.month;
        payment.document = std::move(document);
    }
    return result;
}

PostingResult post(RecordTable& table, const std::vector<Posting>& postings)
{
    PostingResult result;
    result.refused.assign(postings.size(), std::string());

    // The postings of each month, in their order; the months of each year from the first to the last.
    std::map<YearMonth, std::vector<std::size_t>> byMonth;
    for (std::size_t i = 0; i < postings.size(); ++i) {
        const Posting& posting = postings[i];
        if (!table.years().holds(posting.month)) {
            result.refused[i] = "месяц вне " + heldYearsText(table.years());
            continue;
        }
        if (posting.record < 1 || posting.record > table.recordCount()) {
            result.refused[i] = "абонента № " + std::to_string(posting.record) + " нет в справочнике";
            continue;
        }
        byMonth[posting.month].push_back(i);
    }
    std::map<int, std::pair<int, int>> yearSpans;
    for (const auto& [month, indexes] : byMonth) {
        auto [span, fresh] = yearSpans.try_emplace(month.year, month.month, month.month);
        span->second.second = std::max(span->second.second, month.month);
    }

    ledger::Grid grid;
    for (const auto& [year, span] : yearSpans) {
        for (int m = span.first; m <= span.second; ++m) {
            const ledger::LedgerMonth month = ledger::ledgerMonth(year, m);
            ledger::fill(table, month, grid);
            if (const auto it = byMonth.find(YearMonth{ year, m }); it != byMonth.end()) {
                for (std::size_t i : it->second) {
                    const Posting& posting = postings[i];
                    const int row = posting.record - 1;
                    const std::string& cell = grid.rows[std::size_t(row)][ledger::PaidIn];
                    const std::optional<Currency> paid = cell.empty() ? Currency() : Currency::parse(cell);
                    if (!paid) {
                        result.refused[i] = "в «Внесено» записано не число: «" + cell + "»";
                        continue;
                    }
                    const std::optional<Currency> total = Currency::add(*paid, posting.sum);
                    if (!total) {
                        result.refused[i] = "сумма в «Внесено» стала бы слишком большой";
                        continue;
                    }
                    ledger::setCell(grid, row, ledger::PaidIn, moneyText(*total));
                }
            }
            ledger::compute(grid);
            ledger::store(table, month, grid);
            result.changedMonths.push_back({ year, m });
        }
        if (span.second < 12)
            result.changedMonths.push_back({ year, span.second + 1 });
    }
    return result;
}

} // namespace bank
