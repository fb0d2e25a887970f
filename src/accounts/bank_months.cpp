// Which month a payment is for: the months its purpose names, with or without their years, or the
// month the money came in.

#include "accounts/bank_rules.h"

#include "matching/folding.h"
#include "text/trim.h"

#include <algorithm>
#include <array>
#include <bitset>

namespace bank {
namespace rules {
namespace {

using matching::isDigit;
using matching::isLetter;

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
                result.push_back({ matching::folded(form), int(m) + 1 });
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

// The forms of monthWords() that begin with the letter, in its order.
const std::vector<const MonthWord*>& formsBeginning(unsigned char first)
{
    static const auto table = [] {
        std::array<std::vector<const MonthWord*>, 256> t;
        for (const MonthWord& w : monthWords())
            t[static_cast<unsigned char>(w.word.front())].push_back(&w);
        return t;
    }();
    return table[first];
}

template <typename Month> void addOnce(std::vector<Month>& months, const Month& month)
{
    if (std::find(months.begin(), months.end(), month) == months.end())
        months.push_back(month);
}

int fourDigits(std::string_view s, std::size_t at)
{
    int value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
        value = value * 10 + (s[i] - '0');
    return value;
}

} // namespace

void monthsIn(std::string_view folded, std::vector<NamedMonth>& months)
{
    std::vector<matching::Run> runs;
    matching::runsOf(folded, runs);
    monthsIn(folded, runs, months);
}

void monthsIn(std::string_view s, const std::vector<matching::Run>& runs, std::vector<NamedMonth>& months)
{
    months.clear();
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    // The runs are read in order from `i`: a month by number takes the run of its year in.
    std::size_t i = 0;
    for (const matching::Run& run : runs) {
        if (run.at < i)
            continue;
        i = run.at;
        // A month by name, then its year when it has one: "март 2026", "марта 2026 г.", "за март".
        if (run.letters) {
            const std::size_t end = i + run.size;
            if (monthInitials()[at(i)] && end - i >= 3 && end - i <= 8) {
                const std::string_view word(s.data() + i, end - i);
                for (const MonthWord* candidate : formsBeginning(at(i))) {
                    const MonthWord& form = *candidate;
                    if (form.word.size() != word.size() || form.word[1] != word[1] || form.word != word)
                        continue;
                    std::size_t y = end;
                    while (y < s.size() && at(y) == ' ')
                        ++y;
                    std::size_t yearEnd = y;
                    while (yearEnd < s.size() && isDigit(at(yearEnd)))
                        ++yearEnd;
                    if (yearEnd - y == 4)
                        addOnce(months, NamedMonth{ fourDigits(s, y), form.month });
                    else if (yearEnd == y)
                        addOnce(months, NamedMonth{ 0, form.month });
                    break;
                }
            }
            i = end;
            continue;
        }
        // A month by number: "03.2026", "3/2026", but not the "03.2026" of the date 15.03.2026.
        const bool partOfDate = i >= 2 && (at(i - 1) == '.' || at(i - 1) == '/') && isDigit(at(i - 2));
        const std::size_t end = i + run.size;
        const std::size_t digits = run.size;
        i = end;
        if (partOfDate || digits > 2 || (at(end) != '.' && at(end) != '/'))
            continue;
        std::size_t yearEnd = end + 1;
        while (yearEnd < s.size() && isDigit(at(yearEnd)))
            ++yearEnd;
        const bool followedByMore = (at(yearEnd) == '.' || at(yearEnd) == '/') && isDigit(at(yearEnd + 1));
        if (yearEnd - end - 1 == 4 && !followedByMore) {
            const int month = digits == 1 ? s[run.at] - '0' : (s[run.at] - '0') * 10 + (s[run.at + 1] - '0');
            if (month >= 1 && month <= 12)
                addOnce(months, NamedMonth{ fourDigits(s, end + 1), month });
            i = yearEnd;
        }
    }
}

void resolveMonths(const std::vector<NamedMonth>& named, const Date* paid, std::vector<YearMonth>& months)
{
    months.clear();
    for (const NamedMonth& m : named) {
        if (m.year != 0)
            addOnce(months, YearMonth{ m.year, m.month });
        else if (paid)
            // Money is paid for a month that has come, never for one ahead: "за декабрь" paid in
            // January is the December just gone.
            addOnce(months, YearMonth{ m.month <= paid->month ? paid->year : paid->year - 1, m.month });
    }
}

std::string monthText(const YearMonth& month)
{
    return std::string(fields::MonthNames[std::size_t(month.month - 1)]) + " " + fields::yearText(month.year);
}

std::string heldYearsText(const fields::YearWindow& years)
{
    return fields::yearText(years.first()) + " … " + fields::yearText(years.last());
}

MonthMatch matchMonth(const Document& document, Matcher& m)
{
    std::optional<Date> paid = parseDate(document.received);
    if (!paid)
        paid = parseDate(document.date);
    monthsIn(m.purpose, m.runs, m.namedMonths);
    resolveMonths(m.namedMonths, paid ? &*paid : nullptr, m.months);
    if (m.months.size() > 1)
        return { std::nullopt, "в назначении несколько месяцев" };
    const bool yearless = std::any_of(
        m.namedMonths.begin(), m.namedMonths.end(), [](const NamedMonth& n) { return n.year == 0; });
    YearMonth month;
    if (m.months.size() == 1) {
        month = m.months.front();
    } else if (!paid) {
        const std::string shown = matching::shortened(document.received, 40);
        if (yearless)
            return { std::nullopt, "месяц назван без года, а дата поступления «" + shown + "» не дата" };
        return { std::nullopt, "дата поступления «" + shown + "» не дата" };
    } else {
        month = { paid->year, paid->month };
    }
    const fields::YearWindow& years = m.table.years();
    if (!years.holds(month))
        return { std::nullopt, "год " + fields::yearText(month.year) + " вне " + heldYearsText(years) };
    return { month, {} };
}

} // namespace rules

std::optional<Date> parseDate(std::string_view text)
{
    text = text::trimmed(text);
    if (text.size() != 10 || text[2] != '.' || text[5] != '.')
        return std::nullopt;
    for (std::size_t i : { 0, 1, 3, 4, 6, 7, 8, 9 })
        if (!matching::isDigit(static_cast<unsigned char>(text[i])))
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
    const int days
        = Days[std::size_t(date.month - 1)] + (date.month == 2 && fields::isLeapYear(date.year) ? 1 : 0);
    if (date.day > days)
        return std::nullopt;
    return date;
}

std::vector<YearMonth> namedMonths(std::string_view purpose)
{
    std::vector<rules::NamedMonth> named;
    rules::monthsIn(matching::folded(purpose), named);
    std::vector<YearMonth> months;
    rules::resolveMonths(named, nullptr, months);
    return months;
}

std::vector<YearMonth> namedMonths(std::string_view purpose, const Date& paid)
{
    std::vector<rules::NamedMonth> named;
    rules::monthsIn(matching::folded(purpose), named);
    std::vector<YearMonth> months;
    rules::resolveMonths(named, &paid, months);
    return months;
}

std::string monthsText(const std::vector<YearMonth>& months)
{
    std::vector<YearMonth> sorted = months;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const auto following = [](const YearMonth& m) {
        return m.month == 12 ? YearMonth{ m.year + 1, 1 } : YearMonth{ m.year, m.month + 1 };
    };
    std::string result;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] == following(sorted[j]))
            ++j;
        if (!result.empty())
            result += ", ";
        result += rules::monthText(sorted[i]);
        if (j > i)
            result += " – " + rules::monthText(sorted[j]);
        i = j + 1;
    }
    return result;
}

} // namespace bank
