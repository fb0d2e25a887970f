#include "sheet/readings_import.h"

#include "matching/folding.h"
#include "text/cp1251.h"
#include "text/trim.h"

#include <algorithm>
#include <array>

namespace readings {
namespace {

// Whether the bytes are UTF-8 throughout (overlong forms and surrogates are not).
bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t code = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            code = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            code = b & 0x07;
        } else {
            return false;
        }
        if (i + length > s.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (c & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)))
            || (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

// Text files hold no zero bytes and hardly any control characters; a workbook saved under a
// wrong name, a picture or an archive holds many.
bool looksBinary(std::string_view s)
{
    std::size_t controls = 0;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0)
            return true;
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\f')
            ++controls;
    }
    return controls > 8 && controls * 100 > s.size();
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

std::string_view withoutCr(std::string_view line)
{
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

bool blank(std::string_view line)
{
    return line.find_first_not_of(" \t\f;,") == std::string_view::npos;
}

// How many times the separator stands in a line outside quotes.
int countOutsideQuotes(std::string_view line, char separator)
{
    int count = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            ++count;
    }
    return count;
}

// The separator the lines agree on. Tab and semicolon stand in no reading, so one that is in most
// lines is it. A comma is also the decimal comma ("Иванов И. И. 10432,5"), so it separates only
// when the lines have it the same number of times.
char findSeparator(const std::vector<std::string_view>& sample)
{
    if (sample.empty())
        return 0;
    for (const char candidate : { '\t', ';' }) {
        const auto with = std::count_if(sample.begin(), sample.end(),
            [candidate](std::string_view l) { return countOutsideQuotes(l, candidate) > 0; });
        if (std::size_t(with) * 2 >= sample.size())
            return candidate;
    }
    std::array<std::size_t, 8> counts{};
    std::size_t with = 0;
    for (std::string_view line : sample) {
        const int n = countOutsideQuotes(line, ',');
        if (n > 0) {
            ++with;
            ++counts[std::size_t(std::min(n, 7))];
        }
    }
    const std::size_t most = *std::max_element(counts.begin() + 1, counts.end());
    if (with * 2 >= sample.size() && most * 10 >= sample.size() * 8 && sample.size() >= 2)
        return ',';
    return 0;
}

// The cells of a line; a quoted cell may hold the separator and doubled quotes.
void splitCells(std::string_view line, char separator, std::vector<std::string>& cells)
{
    cells.clear();
    std::string cell;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"' && text::trimmed(cell).empty()) {
            cell.clear();
            quoted = true;
        } else if (c == separator) {
            cells.emplace_back(text::trimmed(cell));
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.emplace_back(text::trimmed(cell));
}

std::string tooLong(std::size_t bytes)
{
    return "строка слишком длинная (" + std::to_string(bytes / 1024 + 1) + " КБ, не больше "
        + std::to_string(MaxLineBytes) + " знаков): не прочитана";
}

// A heading's kind by its folded words: "Показание, кВт*ч", "Ф.И.О.", "№ уч.", "Дата снятия".
enum class Heading { None, Number, Name, Reading, Date };

Heading headingOf(std::string_view cell)
{
    std::string squeezed;
    for (const char c : matching::folded(cell))
        if (c != ' ' && c != '.' && c != ':' && c != '-' && c != '_')
            squeezed += c;
    const auto has = [&squeezed](std::initializer_list<const char*> stems) {
        return std::any_of(stems.begin(), stems.end(),
            [&squeezed](const char* stem) { return startsWith(squeezed, matching::folded(stem)); });
    };
    if (squeezed.empty())
        return Heading::None;
    if (has({ "дата", "date", "снят" }))
        return Heading::Date;
    if (has({ "показ", "текущ", "значен", "квт", "счетчик", "reading", "value" }))
        return Heading::Reading;
    if (has({ "фио", "фамил", "абонент", "владел", "собствен", "садовод", "плательщик", "name" }))
        return Heading::Name;
    if (has({ "№", "#", "номер", "лс", "л/с", "лиц", "участ", "уч", "n", "no", "num" }))
        return Heading::Number;
    return Heading::None;
}

} // namespace

ReadResult readText(std::string_view bytes)
{
    ReadResult result;
    const auto refuse = [&result](std::string problem) {
        result.refused = true;
        result.problem = std::move(problem);
        return result;
    };
    if (bytes.size() > MaxFileBytes)
        return refuse("Файл слишком большой: список показаний за месяц не бывает больше "
            + std::to_string(MaxFileBytes >> 20) + " МБ.");
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    else if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF"))
        return refuse("Файл в кодировке UTF-16: сохраните его как CSV или текст в UTF-8 или Windows-1251.");
    if (bytes.find_first_not_of(" \t\r\n\f;,") == std::string_view::npos)
        return refuse("Файл пуст: в нем нет ни одной строки с показанием.");
    if (looksBinary(bytes))
        return refuse(
            "Файл не похож на текст: выберите таблицу Excel (.xlsx, .xls), CSV или текстовый файл.");

    const bool utf8 = isUtf8(bytes);
    result.source.encoding = utf8 ? "UTF-8" : "Windows-1251";

    std::vector<std::string_view> lines;
    for (std::string_view rest = bytes; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        lines.push_back(withoutCr(rest.substr(0, end)));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    std::vector<std::string_view> sample;
    for (std::string_view line : lines) {
        if (sample.size() == 50)
            break;
        if (!blank(line) && line.size() <= MaxLineBytes)
            sample.push_back(line);
    }
    const char separator = findSeparator(sample);
    result.source.separator = separator;

    std::string decoded;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (blank(line))
            continue;
        Source::Row row;
        row.line = int(i + 1);
        if (line.size() > MaxLineBytes) {
            row.problem = tooLong(line.size());
            result.source.rows.push_back(std::move(row));
            continue;
        }
        decoded = utf8 ? std::string(line) : cp1251::decode(line);
        if (separator == 0)
            row.cells.emplace_back(text::trimmed(decoded));
        else
            splitCells(decoded, separator, row.cells);
        result.source.rows.push_back(std::move(row));
    }
    if (result.source.rows.empty())
        return refuse("Файл пуст: в нем нет ни одной строки с показанием.");
    return result;
}

Source fromCells(std::vector<std::vector<std::string>> rows)
{
    Source source;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string>& cells = rows[i];
        const bool empty = std::all_of(
            cells.begin(), cells.end(), [](const std::string& c) { return text::trimmed(c).empty(); });
        if (empty)
            continue;
        Source::Row row;
        row.line = int(i + 1);
        std::size_t bytes = 0;
        for (std::string& cell : cells) {
            bytes += cell.size();
            cell = std::string(text::trimmed(cell));
        }
        if (bytes > MaxLineBytes)
            row.problem = tooLong(bytes);
        else
            row.cells = std::move(cells);
        source.rows.push_back(std::move(row));
    }
    return source;
}

int columnCount(const Source& source)
{
    std::size_t widest = 0;
    for (const Source::Row& row : source.rows)
        widest = std::max(widest, row.cells.size());
    return int(widest);
}

Columns findColumns(const Source& source)
{
    Columns columns;
    const int width = columnCount(source);
    // The headings may stand below a title or two ("Показания за январь 2026").
    const std::size_t look = std::min<std::size_t>(source.rows.size(), 5);
    for (std::size_t r = 0; r < look; ++r) {
        Columns found;
        const std::vector<std::string>& cells = source.rows[r].cells;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            int* slot = nullptr;
            switch (headingOf(cells[c])) {
            case Heading::Number: slot = &found.number; break;
            case Heading::Name: slot = &found.name; break;
            case Heading::Reading: slot = &found.reading; break;
            case Heading::Date: slot = &found.date; break;
            case Heading::None: break;
            }
            if (slot && *slot < 0)
                *slot = int(c);
        }
        if (found.reading >= 0 && (found.number >= 0 || found.name >= 0)) {
            found.headingRow = int(r);
            return found;
        }
    }
    // No headings: the key first, the reading last, as lists are written by hand.
    if (width <= 1) {
        columns.freeText = true;
        columns.number = 0;
        return columns;
    }
    columns.number = 0;
    columns.reading = width - 1;
    return columns;
}

} // namespace readings
