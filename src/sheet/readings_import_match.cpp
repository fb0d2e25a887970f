// The matching half of the readings import: a row's key to a subscriber, its reading and date to
// the texts the sheet stores, and the readings check's word on the new reading.

#include "database/money.h"
#include "matching/account_numbers.h"
#include "matching/folding.h"
#include "matching/name_index.h"
#include "sheet/readings.h"
#include "sheet/readings_import.h"
#include "sheet/sheet.h"
#include "text/trim.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace readings {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string quoted(std::string_view given)
{
    return "«" + matching::shortened(given, 30) + "»";
}

struct Parsed
{
    std::string text; // as stored
    std::string problem; // why it is refused; empty when it is not
};

// "10432", "10432,5", "010432" (the meter's own leading zeros), "10 432" (a workbook's thousands).
Parsed parseReading(std::string_view given)
{
    std::string s;
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (given[i] == ' ' || given[i] == '\t')
            continue;
        if (given.substr(i, 2) == "\xC2\xA0") { // a no-break space
            ++i;
            continue;
        }
        s += given[i];
    }
    if (s.empty())
        return { {}, "нет показания" };
    if (s.front() == '-' || s.substr(0, 3) == "\xE2\x88\x92") // a hyphen or a minus sign
        return { {}, "показание отрицательное: " + quoted(given) };
    std::size_t i = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    const std::string whole = s.substr(0, i);
    std::string fraction;
    if (i < s.size() && (s[i] == ',' || s[i] == '.') && i > 0) {
        std::size_t j = i + 1;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        fraction = s.substr(i + 1, j - i - 1);
        i = j;
    }
    if (whole.empty() || i != s.size())
        return { {}, "показание не число: " + quoted(given) };
    const std::size_t first = std::min(whole.find_first_not_of('0'), whole.size() - 1);
    const std::string digits = whole.substr(first);
    if (int(digits.size()) > MaxReadingDigits)
        return { {}, "в показании больше " + std::to_string(MaxReadingDigits) + " цифр: " + quoted(given) };
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (fraction.size() > 4)
        return { {}, "в показании больше 4 знаков после запятой: " + quoted(given) };
    return { fraction.empty() ? digits : digits + "," + fraction, {} };
}

bool leap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "31.01.2026", "31.01.26", "31/01/2026", "2026-01-31" as the sheet writes it: "31.01.26".
Parsed parseDate(std::string_view given)
{
    const std::string s(text::trimmed(given));
    if (s.empty())
        return {};
    std::vector<std::string> parts(1);
    char separator = 0;
    for (const char c : s) {
        if (isDigit(c)) {
            parts.back() += c;
        } else if ((c == '.' || c == '/' || c == '-') && (separator == 0 || c == separator)) {
            separator = c;
            parts.emplace_back();
        } else {
            break;
        }
    }
    const auto refuse = [&given] { return Parsed{ {}, "дата не распознана: " + quoted(given) }; };
    if (parts.size() != 3 || std::any_of(parts.begin(), parts.end(), [](const auto& p) { return p.empty(); }))
        return refuse();
    if (parts[0].size() == 4)
        std::swap(parts[0], parts[2]); // the year first
    if (parts[0].size() > 2 || parts[1].size() > 2 || (parts[2].size() != 2 && parts[2].size() != 4))
        return refuse();
    const int day = std::stoi(parts[0]);
    const int month = std::stoi(parts[1]);
    int year = std::stoi(parts[2]);
    if (parts[2].size() == 2)
        year += 2000;
    static constexpr int Days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12 || day < 1 || day > Days[month - 1] + (month == 2 && leap(year) ? 1 : 0))
        return refuse();
    const auto two = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    return { two(day) + "." + two(month) + "." + two(year % 100), {} };
}

// A line of free text ("уч. 12 — 10432", "Иванов И. И. 10432 31.01.26"): the reading is its last
// number, a date is a number with two points, and the rest names the subscriber.
struct FreeLine
{
    std::string key;
    std::string reading;
    std::string date;
};

FreeLine splitFreeLine(std::string_view line)
{
    struct Token
    {
        std::size_t from, to;
        bool date;
    };
    std::vector<Token> tokens;
    const auto letterOrDigit
        = [](char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c & 0x80); };
    for (std::size_t i = 0; i < line.size();) {
        if (!isDigit(line[i]) || (i > 0 && letterOrDigit(line[i - 1]))) {
            ++i;
            continue;
        }
        std::size_t from = i;
        std::size_t end = i;
        int points = 0;
        for (;;) {
            while (end < line.size() && isDigit(line[end]))
                ++end;
            const bool joiner = end + 1 < line.size() && isDigit(line[end + 1])
                && (line[end] == '.' || line[end] == ',' || line[end] == '/'
                    || (line[end] == '-' && points > 0));
            if (!joiner)
                break;
            if (line[end] != ',')
                ++points;
            ++end;
        }
        // ISO dates: "2026-01-31".
        if (points == 0 && end - from == 4 && line.substr(end, 1) == "-" && end + 6 <= line.size()
            && isDigit(line[end + 1]) && line[end + 3] == '-') {
            end += 6;
            points = 2;
        }
        // A sign glued to the number: the reading is negative, and is refused as such.
        if (from > 0 && line[from - 1] == '-' && (from == 1 || !letterOrDigit(line[from - 2])))
            --from;
        tokens.push_back({ from, end, points >= 2 });
        i = end;
    }
    FreeLine result;
    std::vector<bool> taken(tokens.size());
    for (std::size_t t = tokens.size(); t-- > 0;) {
        if (tokens[t].date && result.date.empty()) {
            result.date = line.substr(tokens[t].from, tokens[t].to - tokens[t].from);
            taken[t] = true;
        } else if (!tokens[t].date && result.reading.empty()) {
            result.reading = line.substr(tokens[t].from, tokens[t].to - tokens[t].from);
            taken[t] = true;
        }
    }
    std::size_t at = 0;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        if (!taken[t])
            continue;
        result.key += line.substr(at, tokens[t].from - at);
        at = tokens[t].to;
    }
    result.key += line.substr(at);
    return result;
}

struct KeyMatch
{
    int record = 0;
    Outcome outcome = Outcome::Unmatched;
    std::string note;
};

// What the matching of one row after another reuses.
struct Matcher
{
    explicit Matcher(const RecordTable& table) : table(table), names(table) { }

    const RecordTable& table;
    matching::NameIndex names;
    std::string folded;
    std::vector<int> numbers;
    std::vector<int> named;

    std::string nameOf(int record) const
    {
        return std::to_string(record) + ". " + matching::shortened(table.field(record, fields::FullName), 60);
    }

    // A key that is a number alone: "12", "№ 12", "12.".
    static std::optional<int> bareNumber(std::string_view folded)
    {
        constexpr char NumberSign = '\xB9'; // "№" in Windows-1251
        std::string_view s = text::trimmed(folded);
        while (!s.empty() && (s.front() == NumberSign || s.front() == '#' || s.front() == ' '))
            s.remove_prefix(1);
        while (!s.empty()
            && (s.back() == '.' || s.back() == ' ' || s.back() == ':' || s.back() == '-' || s.back() == '\x97'
                || s.back() == '\x96')) // dashes
            s.remove_suffix(1);
        if (s.empty() || s.size() > 6 || !std::all_of(s.begin(), s.end(), isDigit))
            return std::nullopt;
        return std::stoi(std::string(s));
    }

    // As a bank payment: a number (the record's, which is its л/с, its plot and its № in the
    // directory), else the surname and initials; a number and a name that disagree are a slip in
    // one of them, and the treasurer decides.
    KeyMatch match(std::string_view numberText, std::string_view nameText)
    {
        numbers.clear();
        named.clear();
        matching::foldInto(numberText, folded);
        if (const std::optional<int> n = bareNumber(folded)) {
            numbers.push_back(*n);
        } else {
            matching::numbersIn(folded, numbers);
            names.find(folded, named);
        }
        if (!text::trimmed(nameText).empty()) {
            matching::foldInto(nameText, folded);
            names.find(folded, named);
        }
        std::sort(named.begin(), named.end());
        named.erase(std::unique(named.begin(), named.end()), named.end());

        if (numbers.size() > 1)
            return { 0, Outcome::Ambiguous, "несколько номеров: " + matching::numbersText(numbers) };
        std::string missing;
        if (numbers.size() == 1) {
            const int number = numbers.front();
            if (number >= 1 && number <= table.recordCount()) {
                if (named.empty() || std::binary_search(named.begin(), named.end(), number))
                    return { number, Outcome::Matched, "по номеру" };
                std::string others;
                for (int record : named)
                    others += (others.empty() ? "" : ", ") + nameOf(record);
                return { 0, Outcome::Ambiguous,
                    "№ " + std::to_string(number) + " — " + nameOf(number) + ", а по фамилии — " + others
                        + ": разные абоненты" };
            }
            missing = "№ " + std::to_string(number) + " нет в справочнике";
        }
        if (named.size() == 1)
            return { named.front(), Outcome::Matched,
                missing.empty() ? "по фамилии" : missing + "; по фамилии" };
        if (named.size() > 1)
            return { 0, Outcome::Ambiguous,
                (missing.empty() ? "" : missing + "; ")
                    + "подходят несколько абонентов: " + matching::numbersText(named) };
        if (!missing.empty())
            return { 0, Outcome::Unmatched, missing };
        if (text::trimmed(numberText).empty() && text::trimmed(nameText).empty())
            return { 0, Outcome::Unmatched, "абонент не указан" };
        return { 0, Outcome::Unmatched, "абонент не найден" };
    }
};

bool filled(std::string_view s)
{
    return !text::trimmed(s).empty();
}

// The readings window's remark on a record with the new reading stored as the window stores it
// (the autofill of an empty previous reading included), worked out on a copy of that record alone:
// the table stays as it is.
class Remarks
{
public:
    Remarks(const RecordTable& table, int year, int month) : m_table(table), m_year(year), m_month(month)
    {
        m_scratch.setYears(table.years());
        m_scratch.setRecordCount(1);
    }

    std::string on(int record, std::string_view reading)
    {
        m_scratch.record(1) = m_table.record(record);
        const std::string date(m_scratch.field(1, sheet::cellField(m_year, m_month, fields::Date)));
        storeRow(m_scratch, 1, m_year, m_month, date, reading);
        return remarkOf(m_scratch, 1, m_year, m_month);
    }

private:
    const RecordTable& m_table;
    int m_year;
    int m_month;
    RecordTable m_scratch;
};

std::string_view cellOf(const Source::Row& row, int column)
{
    return column >= 0 && std::size_t(column) < row.cells.size()
        ? std::string_view(row.cells[std::size_t(column)])
        : std::string_view();
}

bool sameReading(std::string_view a, std::string_view b)
{
    const std::optional<Currency> x = Currency::parse(a);
    const std::optional<Currency> y = Currency::parse(b);
    return x && y ? *x == *y : text::trimmed(a) == text::trimmed(b);
}

// A subscriber named on several lines: the same reading again is a repeat and is left out; two
// different readings are the treasurer's to choose between, so neither is checked.
void markRepeats(std::vector<Line>& lines)
{
    std::unordered_map<int, std::size_t> first;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line& l = lines[i];
        if (l.outcome != Outcome::Matched)
            continue;
        const auto [at, isNew] = first.emplace(l.record, i);
        if (isNew)
            continue;
        Line& earlier = lines[at->second];
        l.checked = false;
        if (l.reading == earlier.reading && l.date == earlier.date) {
            l.note = "повтор строки " + std::to_string(earlier.line);
        } else {
            l.note = "тот же абонент, что в строке " + std::to_string(earlier.line) + ", другое показание";
            if (earlier.checked) {
                earlier.checked = false;
                earlier.note += "; абонент есть и в строке " + std::to_string(l.line);
            }
        }
    }
}

} // namespace

std::vector<Line> matchLines(
    const RecordTable& table, const Source& source, const Columns& columns, int year, int month)
{
    std::vector<Line> lines;
    if (!table.years().holds(year) || month < 1 || month > 12)
        return lines;
    Matcher matcher(table);
    Remarks remarks(table, year, month);
    lines.reserve(source.rows.size());
    for (std::size_t r = std::size_t(columns.headingRow + 1); r < source.rows.size(); ++r) {
        const Source::Row& row = source.rows[r];
        Line l;
        l.line = row.line;
        if (!row.problem.empty()) {
            l.outcome = Outcome::Refused;
            l.note = row.problem;
            lines.push_back(std::move(l));
            continue;
        }
        std::string numberText(cellOf(row, columns.number));
        std::string nameText(cellOf(row, columns.name));
        std::string given(cellOf(row, columns.reading));
        std::string dateText(cellOf(row, columns.date));
        if (columns.freeText) {
            FreeLine free = splitFreeLine(cellOf(row, 0));
            numberText = std::move(free.key);
            given = std::move(free.reading);
            dateText = std::move(free.date);
        }
        l.key = matching::shortened(text::trimmed(numberText + " " + nameText), 60);
        l.given = matching::shortened(given, 30);

        const KeyMatch key = matcher.match(numberText, nameText);
        l.record = key.record;
        l.outcome = key.outcome;
        l.note = key.note;
        if (l.record > 0 && isStreetLighting(table, l.record)) {
            l.note
                = "№ " + std::to_string(l.record) + " — уличное освещение: его показания здесь не заносятся";
            l.record = 0;
            l.outcome = Outcome::Unmatched;
        }
        const Parsed reading = parseReading(given);
        const Parsed date = parseDate(dateText);
        if (!reading.problem.empty() || !date.problem.empty()) {
            l.outcome = Outcome::Refused;
            l.note = !reading.problem.empty() ? reading.problem : date.problem;
        }
        l.reading = reading.text;
        l.date = date.text;
        if (l.record > 0) {
            l.current
                = text::trimmed(table.field(l.record, sheet::cellField(year, month, fields::CurrentReading)));
            l.replaces = !l.current.empty() && !l.reading.empty() && !sameReading(l.current, l.reading);
        }
        if (l.outcome == Outcome::Matched) {
            l.remark = remarks.on(l.record, l.reading);
            l.checked = !l.replaces;
        }
        lines.push_back(std::move(l));
    }
    markRepeats(lines);
    return lines;
}

std::string summary(const std::vector<Line>& lines)
{
    std::array<int, 4> counts{};
    for (const Line& l : lines)
        ++counts[std::size_t(l.outcome)];
    return "Строк: " + std::to_string(lines.size()) + ", найдено: " + std::to_string(counts[0])
        + ", неоднозначно: " + std::to_string(counts[1]) + ", не найдено: " + std::to_string(counts[2])
        + ", с ошибкой: " + std::to_string(counts[3]);
}

} // namespace readings
