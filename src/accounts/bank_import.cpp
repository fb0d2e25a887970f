#include "accounts/bank_import.h"

#include "accounts/ledger.h"
#include "database/cp1251.h"

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace bank {
namespace {

constexpr int FirstYear = 2020;

// Texts are compared in Windows-1251 bytes, small letters, "ё" as "е": one byte a letter.
constexpr unsigned char SmallYo = 0xB8;
constexpr unsigned char SmallYe = 0xE5;
constexpr unsigned char NumberSign = 0xB9; // №

std::string folded(std::string_view utf8)
{
    std::string bytes = cp1251::encode(utf8);
    for (char& c : bytes) {
        unsigned char b = cp1251::lowerByte(static_cast<unsigned char>(c));
        if (b == SmallYo)
            b = SmallYe;
        c = static_cast<char>(b);
    }
    return bytes;
}

bool isDigit(unsigned char b)
{
    return b >= '0' && b <= '9';
}

// A small letter after folding: Latin, Russian, and the other Cyrillic letters of the code page.
bool isLetter(unsigned char b)
{
    if ((b >= 'a' && b <= 'z') || b >= 0xC0)
        return true;
    switch (b) {
    case 0x83:
    case 0x90:
    case 0x9A:
    case 0x9C:
    case 0x9D:
    case 0x9E:
    case 0x9F:
    case 0xA2:
    case 0xB3:
    case 0xB4:
    case 0xBA:
    case 0xBC:
    case 0xBE:
    case 0xBF: return true;
    default: return false;
    }
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
std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> result;
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
    return result;
}

// The words that name a personal account or a plot, longest first so that "участок" is not taken
// for "уч".
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
const std::array<std::vector<std::string>, 12>& monthWords()
{
    static const std::array<std::vector<std::string>, 12> list = [] {
        const std::array<std::vector<const char*>, 12> forms = { {
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
        std::array<std::vector<std::string>, 12> result;
        for (std::size_t m = 0; m < 12; ++m)
            for (const char* form : forms[m])
                result[m].push_back(folded(form));
        return result;
    }();
    return list;
}

void addMonth(std::vector<YearMonth>& months, int year, int month)
{
    const YearMonth named{ year - FirstYear, month };
    if (std::find(months.begin(), months.end(), named) == months.end())
        months.push_back(named);
}

bool inRange(const YearMonth& month)
{
    return month.yearIndex >= 0 && month.yearIndex < fields::YearCount && month.month >= 1
        && month.month <= 12;
}

std::string monthText(const YearMonth& month)
{
    return std::string(fields::MonthNames[std::size_t(month.month - 1)]) + " "
        + std::to_string(FirstYear + month.yearIndex);
}

// Keys of the directory's names: the surname and the initials ("иванов|ии"). A name without
// initials is no key: a surname alone would take any payer of that name.
std::string nameKey(std::string_view surname, std::string_view initials)
{
    std::string key(surname);
    key += '|';
    key += initials;
    return key;
}

class NameIndex
{
public:
    explicit NameIndex(const RecordTable& table)
    {
        for (int i = 1; i <= table.recordCount(); ++i) {
            const std::string name = folded(table.field(i, fields::FullName));
            const std::vector<std::string_view> w = words(name);
            if (w.size() < 2 || w[0].size() < 2)
                continue;
            std::string initials(1, w[1][0]);
            if (w.size() > 2)
                initials += w[2][0];
            m_records[nameKey(w[0], initials)].push_back(i);
        }
    }

    // Every record whose surname and initials the text names, in either order ("Иванов Иван
    // Петрович", "Иванов И.П.", "И. П. Иванов").
    void find(std::string_view foldedText, std::vector<int>& found) const
    {
        if (m_records.empty())
            return;
        const std::vector<std::string_view> w = words(foldedText);
        const auto look = [&](std::string_view surname, std::string initials) {
            const auto it = m_records.find(nameKey(surname, initials));
            if (it == m_records.end())
                return;
            for (int record : it->second)
                if (std::find(found.begin(), found.end(), record) == found.end())
                    found.push_back(record);
        };
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i].size() < 2)
                continue;
            if (i + 1 < w.size()) {
                look(w[i], std::string(1, w[i + 1][0]));
                if (i + 2 < w.size())
                    look(w[i], std::string{ w[i + 1][0], w[i + 2][0] });
            }
            if (i >= 1 && w[i - 1].size() == 1) {
                look(w[i], std::string(1, w[i - 1][0]));
                if (i >= 2 && w[i - 2].size() == 1)
                    look(w[i], std::string{ w[i - 2][0], w[i - 1][0] });
            }
        }
    }

private:
    std::unordered_map<std::string, std::vector<int>> m_records;
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

struct SubscriberMatch
{
    int record = 0;
    std::string note;
};

SubscriberMatch matchSubscriber(const Document& document, const PaymentKey& key, const RecordTable& table,
    const NameIndex& names, const PayerIndex& payers)
{
    // 1. A number in the purpose.
    const std::vector<int> numbers = accountNumbers(document.purpose);
    std::string missing;
    if (numbers.size() > 1)
        return { 0, "в назначении несколько лицевых счетов: " + numbersText(numbers) };
    if (numbers.size() == 1) {
        if (numbers.front() <= table.recordCount())
            return { numbers.front(), "по л/с № " + std::to_string(numbers.front()) };
        missing = "л/с № " + std::to_string(numbers.front()) + " нет в справочнике; ";
    }

    // 2. A surname with initials.
    std::vector<int> named;
    names.find(folded(document.payer), named);
    names.find(folded(document.purpose), named);
    if (named.size() == 1)
        return { named.front(), missing + "по фамилии" };
    if (named.size() > 1) {
        std::sort(named.begin(), named.end());
        return { 0, missing + "подходят несколько абонентов: " + numbersText(named) };
    }

    // 3. A payer account the journal knows.
    if (const std::vector<int>* paid = payers.find(key.payerAccount)) {
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

MonthMatch matchMonth(const Document& document)
{
    const std::vector<YearMonth> named = namedMonths(document.purpose);
    if (named.size() > 1)
        return { std::nullopt, "в назначении несколько месяцев" };
    YearMonth month;
    if (named.size() == 1) {
        month = named.front();
    } else {
        const std::optional<Date> received = parseDate(document.received);
        if (!received)
            return { std::nullopt, "дата поступления «" + document.received + "» не дата" };
        month = { received->year - FirstYear, received->month };
    }
    if (!inRange(month))
        return { std::nullopt, "год " + std::to_string(FirstYear + month.yearIndex) + " вне 2020 … 2027" };
    return { month, {} };
}

std::string keyText(const PaymentKey& key)
{
    return key.number + '|' + key.date + '|' + key.sum + '|' + key.payerAccount;
}

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
    const std::string s = folded(purpose);
    std::vector<int> numbers;
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    for (std::size_t p = 0; p < s.size(); ++p) {
        if (p > 0 && (isLetter(at(p - 1)) || isDigit(at(p - 1))))
            continue;
        for (const std::string& word : accountWords()) {
            if (s.compare(p, word.size(), word) != 0)
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
            const int number = std::stoi(s.substr(q, end - q));
            if (number >= 1 && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
                numbers.push_back(number);
            p = end - 1;
            break;
        }
    }
    return numbers;
}

std::vector<YearMonth> namedMonths(std::string_view purpose)
{
    const std::string s = folded(purpose);
    std::vector<YearMonth> months;
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    std::size_t i = 0;
    while (i < s.size()) {
        // A month by name, then its year: "март 2026", "марта 2026 г.".
        if (isLetter(at(i)) && (i == 0 || !isLetter(at(i - 1)))) {
            std::size_t end = i;
            while (end < s.size() && isLetter(at(end)))
                ++end;
            const std::string_view word(s.data() + i, end - i);
            for (std::size_t m = 0; m < 12; ++m) {
                const std::vector<std::string>& forms = monthWords()[m];
                if (std::find(forms.begin(), forms.end(), word) == forms.end())
                    continue;
                std::size_t y = end;
                while (y < s.size() && at(y) == ' ')
                    ++y;
                std::size_t yearEnd = y;
                while (yearEnd < s.size() && isDigit(at(yearEnd)))
                    ++yearEnd;
                if (yearEnd - y == 4)
                    addMonth(months, std::stoi(s.substr(y, 4)), int(m) + 1);
                break;
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
                    const int month = std::stoi(s.substr(i, digits));
                    if (month >= 1 && month <= 12)
                        addMonth(months, std::stoi(s.substr(end + 1, 4)), month);
                    i = yearEnd;
                    continue;
                }
            }
            i = end;
            continue;
        }
        ++i;
    }
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
    const Statement& statement, const RecordTable& table, const Journal& journal, std::string_view account)
{
    Import result;
    const NameIndex names(table);
    const PayerIndex payers(journal, table);
    std::unordered_set<std::string> seen;
    const std::string_view ours = trimmed(account);

    for (const Document& document : statement.documents) {
        if (ours.empty() || trimmed(document.payeeAccount) != ours || trimmed(document.received).empty()) {
            ++result.skipped;
            continue;
        }
        Payment payment;
        payment.document = document;
        payment.sum = statementSum(document.sum);
        payment.key = { journalText(document.number), journalText(document.date),
            payment.sum ? moneyText(*payment.sum) : journalText(document.sum),
            journalText(document.payerAccount) };

        if (const JournalEntry* entry = journal.find(payment.key)) {
            payment.alreadyImported = true;
            payment.record = entry->record;
            payment.month = YearMonth{ entry->yearIndex, entry->month };
            payment.note = "занесен " + entry->importDate + ": " + entry->subscriber + ", "
                + monthText(*payment.month);
            result.payments.push_back(std::move(payment));
            continue;
        }
        if (!seen.insert(keyText(payment.key)).second) {
            payment.alreadyImported = true;
            appendNote(payment.note, "повторяет платеж выше в этой выписке");
        }
        if (!payment.sum)
            appendNote(payment.note, "сумма «" + document.sum + "» не число");

        const SubscriberMatch subscriber = matchSubscriber(document, payment.key, table, names, payers);
        payment.record = subscriber.record;
        const MonthMatch month = matchMonth(document);
        payment.month = month.month;
        if (!payment.alreadyImported) {
            appendNote(payment.note, subscriber.note);
            appendNote(payment.note, month.problem);
        }
        payment.matched = !payment.alreadyImported && payment.sum && payment.record > 0 && payment.month;
        result.payments.push_back(std::move(payment));
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
        if (!inRange(posting.month)) {
            result.refused[i] = "месяц вне 2020 … 2027";
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
        auto [span, fresh] = yearSpans.try_emplace(month.yearIndex, month.month, month.month);
        span->second.second = std::max(span->second.second, month.month);
    }

    ledger::Grid grid;
    for (const auto& [yearIndex, span] : yearSpans) {
        for (int m = span.first; m <= span.second; ++m) {
            const ledger::LedgerMonth month = ledger::ledgerMonth(yearIndex, m);
            ledger::fill(table, month, grid);
            if (const auto it = byMonth.find(YearMonth{ yearIndex, m }); it != byMonth.end()) {
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
            result.changedMonths.push_back({ yearIndex, m });
        }
        if (span.second < 12)
            result.changedMonths.push_back({ yearIndex, span.second + 1 });
    }
    return result;
}

} // namespace bank
