#include "platform/workbook_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using workbook::CellRange;

namespace {

// The first colours of the standard palette, by colour index.
constexpr std::array<lxw_color_t, 9> PaletteColours = {
    0, // unused: index 0 is "automatic"
    0x000000, // 1 black
    0xFFFFFF, // 2 white
    0xFF0000, // 3 red
    0x00FF00, // 4 green
    0x0000FF, // 5 blue
    0xFFFF00, // 6 yellow
    0xFF00FF, // 7 magenta
    0x00FFFF, // 8 cyan
};

// Built-in number formats that every spreadsheet application knows by index.
int builtInFormatIndex(std::string_view format)
{
    if (format == "General")
        return 0;
    if (format == "0.00")
        return 2;
    return -1;
}

std::size_t codePoints(std::string_view utf8)
{
    std::size_t count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

// The longest line of a text, in characters.
std::size_t longestLine(std::string_view text)
{
    std::size_t longest = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        longest = std::max(longest, codePoints(text.substr(start, end - start)));
        start = end + 1;
    }
    return longest;
}

std::string fixedText(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text(buffer);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// "#,##0.00$": thousands set apart by blanks, two decimals, the sign after.
std::string groupedText(double value)
{
    const std::string digits = fixedText(std::fabs(value), 2);
    const std::size_t whole = digits.find(',');
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < whole; ++i) {
        if (i > 0 && (whole - i) % 3 == 0)
            text += ' ';
        text += digits[i];
    }
    return text + digits.substr(whole) + "$";
}

// Widths in the spreadsheet's unit, the width of a digit: a Cyrillic letter of the default font
// is a little wider than a digit on average, and a bold one wider still.
constexpr double CharacterWidth = 1.0;
constexpr double BoldCharacterWidth = 1.2;
constexpr double CellPadding = 1.25;

} // namespace

WorkbookWriter::WorkbookWriter() = default;
WorkbookWriter::~WorkbookWriter() = default;

void WorkbookWriter::refuse(std::string_view what)
{
    if (!m_addressFailed)
        m_badAddress = std::string(what);
    m_addressFailed = true;
}

bool WorkbookWriter::resolve(std::string_view address, CellRange& range)
{
    const auto parsed = workbook::parseRange(address);
    if (!parsed) {
        refuse(address);
        return false;
    }
    range = *parsed;
    return true;
}

WorkbookWriter::Cell& WorkbookWriter::cell(int row, int column)
{
    if (int(m_rows.size()) < row)
        m_rows.resize(std::size_t(row));
    auto& cells = m_rows[std::size_t(row - 1)];
    if (int(cells.size()) < column)
        cells.resize(std::size_t(column));
    return cells[std::size_t(column - 1)];
}

const WorkbookWriter::Cell* WorkbookWriter::findCell(int row, int column) const
{
    if (row < 1 || row > int(m_rows.size()))
        return nullptr;
    const auto& cells = m_rows[std::size_t(row - 1)];
    if (column < 1 || column > int(cells.size()))
        return nullptr;
    return &cells[std::size_t(column - 1)];
}

template <typename Change> void WorkbookWriter::forEachCell(std::string_view address, Change change)
{
    CellRange range;
    if (!resolve(address, range))
        return;
    // Whole columns are for fitting only: formatting a million rows is never what is meant.
    if (range.lastRow == workbook::MaxRows) {
        refuse(address);
        return;
    }
    for (int row = range.firstRow; row <= range.lastRow; ++row)
        for (int column = range.firstColumn; column <= range.lastColumn; ++column)
            change(cell(row, column));
}

void WorkbookWriter::setText(std::string_view range, std::string_view text)
{
    forEachCell(range, [text](Cell& c) {
        c.kind = Cell::Kind::Text;
        c.text = std::string(text);
    });
}

void WorkbookWriter::setNumber(std::string_view range, double value)
{
    forEachCell(range, [value](Cell& c) {
        c.kind = Cell::Kind::Number;
        c.number = value;
        c.text.clear();
    });
}

void WorkbookWriter::setTexts(std::string_view topLeft, const std::vector<std::vector<std::string>>& rows)
{
    const auto start = workbook::parseCell(topLeft);
    if (!start) {
        refuse(topLeft);
        return;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = start->firstRow + int(r);
        if (row > workbook::MaxRows) {
            refuse("row " + std::to_string(row));
            return;
        }
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            Cell& target = cell(row, start->firstColumn + int(c));
            target.kind = Cell::Kind::Text;
            target.text = rows[r][c];
        }
    }
}

void WorkbookWriter::merge(std::string_view address)
{
    CellRange range;
    if (resolve(address, range))
        m_merges.push_back(range);
}

void WorkbookWriter::setAlignment(std::string_view range, Alignment alignment)
{
    forEachCell(range, [alignment](Cell& c) { c.style.alignment = alignment; });
}

void WorkbookWriter::setNumberFormat(std::string_view range, std::string_view format)
{
    auto found = std::find(m_numberFormats.begin(), m_numberFormats.end(), format);
    if (found == m_numberFormats.end())
        found = m_numberFormats.insert(m_numberFormats.end(), std::string(format));
    const int index = int(found - m_numberFormats.begin());
    forEachCell(range, [index](Cell& c) { c.style.numberFormat = index; });
}

void WorkbookWriter::setBold(std::string_view range)
{
    forEachCell(range, [](Cell& c) { c.style.bold = true; });
}

void WorkbookWriter::setFontColourIndex(std::string_view range, int index)
{
    if (index < 1 || index >= int(PaletteColours.size())) {
        refuse("colour " + std::to_string(index));
        return;
    }
    forEachCell(range, [index](Cell& c) { c.style.colourIndex = index; });
}

void WorkbookWriter::setBorders(std::string_view range)
{
    forEachCell(range, [](Cell& c) { c.style.borders = true; });
}

void WorkbookWriter::setPrintLayout(bool landscape, int headingRows)
{
    m_printLayout = true;
    m_landscape = landscape;
    m_headingRows = headingRows;
}

bool WorkbookWriter::inMergedRange(int row, int column) const
{
    return std::any_of(m_merges.begin(), m_merges.end(),
        [row, column](const CellRange& r) { return r.contains(row, column); });
}

std::string WorkbookWriter::shown(const Cell& c) const
{
    switch (c.kind) {
    case Cell::Kind::Empty: return {};
    case Cell::Kind::Text: return c.text;
    case Cell::Kind::Number: break;
    }
    const std::string& format = m_numberFormats[std::size_t(c.style.numberFormat)];
    if (format == "0.00")
        return fixedText(c.number, 2);
    if (format == "#,##0.00$")
        return groupedText(c.number);
    return workbook::generalNumberText(c.number);
}

std::string WorkbookWriter::shownText(int row, int column) const
{
    const Cell* c = findCell(row, column);
    return c ? shown(*c) : std::string();
}

double WorkbookWriter::columnWidth(int column) const
{
    if (column < 1 || column > int(m_widths.size()))
        return 0;
    return m_widths[std::size_t(column - 1)];
}

void WorkbookWriter::autoFitColumns(std::string_view columns)
{
    CellRange range;
    if (!resolve(columns, range))
        return;
    if (int(m_widths.size()) < range.lastColumn)
        m_widths.resize(std::size_t(range.lastColumn), 0.0);
    const int lastRow = std::min(range.lastRow, int(m_rows.size()));
    for (int column = range.firstColumn; column <= range.lastColumn; ++column) {
        double widest = 0;
        for (int row = range.firstRow; row <= lastRow; ++row) {
            const Cell* c = findCell(row, column);
            if (!c || c->kind == Cell::Kind::Empty || inMergedRange(row, column))
                continue;
            const std::size_t length = longestLine(shown(*c));
            if (length == 0)
                continue;
            widest = std::max(widest, double(length) * (c->style.bold ? BoldCharacterWidth : CharacterWidth));
        }
        if (widest > 0)
            m_widths[std::size_t(column - 1)] = std::min(255.0, std::ceil((widest + CellPadding) * 4) / 4);
    }
}

namespace {

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

bool WorkbookWriter::saveAs(const std::string& path, std::string* error)
{
    namespace fs = std::filesystem;
    if (m_addressFailed) {
        setError(error, "bad cell address: " + m_badAddress);
        return false;
    }

    const fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string hidden = target.filename().string();
    hidden.insert(hidden.begin(), '.');
    hidden.append(".XXXXXX");
    std::string temporary = (folder / hidden).string();
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        setError(error, std::strerror(errno));
        return false;
    }
    // mkstemp makes the file private; a saved workbook gets the usual permissions of a new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);

    lxw_workbook_options options{};
    lxw_workbook* book = workbook_new_opt(temporary.c_str(), &options);
    const auto fail = [&](std::string text) {
        // Closing is the only way to free a workbook; what it writes goes with the temporary file.
        if (book)
            workbook_close(book);
        book = nullptr;
        std::remove(temporary.c_str());
        setError(error, std::move(text));
        return false;
    };
    if (!book)
        return fail("cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Лист1");
    if (!sheet)
        return fail("cannot add a worksheet");
    worksheet_set_paper(sheet, 9); // A4
    if (m_printLayout) {
        if (m_landscape)
            worksheet_set_landscape(sheet);
        worksheet_fit_to_pages(sheet, 1, 0);
        if (m_headingRows > 0)
            worksheet_repeat_rows(sheet, 0, lxw_row_t(m_headingRows - 1));
    }

    std::map<Style, lxw_format*> formats;
    const auto formatOf = [&](const Style& style) -> lxw_format* {
        if (style == Style{})
            return nullptr;
        auto found = formats.find(style);
        if (found != formats.end())
            return found->second;
        lxw_format* format = workbook_add_format(book);
        if (style.bold)
            format_set_bold(format);
        if (style.colourIndex != 0)
            format_set_font_color(format, PaletteColours[std::size_t(style.colourIndex)]);
        switch (style.alignment) {
        case Alignment::General: break;
        case Alignment::Left: format_set_align(format, LXW_ALIGN_LEFT); break;
        case Alignment::Centre: format_set_align(format, LXW_ALIGN_CENTER); break;
        case Alignment::Right: format_set_align(format, LXW_ALIGN_RIGHT); break;
        }
        if (style.numberFormat != 0) {
            const std::string& code = m_numberFormats[std::size_t(style.numberFormat)];
            const int builtIn = builtInFormatIndex(code);
            if (builtIn >= 0)
                format_set_num_format_index(format, uint8_t(builtIn));
            else
                format_set_num_format(format, code.c_str());
        }
        if (style.borders)
            format_set_border(format, LXW_BORDER_THIN);
        formats.emplace(style, format);
        return format;
    };

    const Style plain;
    const auto styleAt = [&](int row, int column) -> const Style& {
        const Cell* c = findCell(row, column);
        return c ? c->style : plain;
    };

    // A merge writes its first cell with an empty text and blanks the others; the cells' own
    // values and formats are written over that afterwards.
    for (const CellRange& r : m_merges) {
        const lxw_error result = worksheet_merge_range(sheet, lxw_row_t(r.firstRow - 1),
            lxw_col_t(r.firstColumn - 1), lxw_row_t(r.lastRow - 1), lxw_col_t(r.lastColumn - 1), "",
            formatOf(styleAt(r.firstRow, r.firstColumn)));
        if (result != LXW_NO_ERROR)
            return fail(lxw_strerror(result));
    }

    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const auto& cells = m_rows[r];
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const Cell& item = cells[c];
            lxw_format* format = formatOf(item.style);
            lxw_error result = LXW_NO_ERROR;
            switch (item.kind) {
            case Cell::Kind::Text:
                result = worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), item.text.c_str(), format);
                break;
            case Cell::Kind::Number:
                result = worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), item.number, format);
                break;
            case Cell::Kind::Empty:
                if (format)
                    result = worksheet_write_blank(sheet, lxw_row_t(r), lxw_col_t(c), format);
                break;
            }
            if (result != LXW_NO_ERROR)
                return fail(lxw_strerror(result));
        }
    }

    for (std::size_t c = 0; c < m_widths.size(); ++c) {
        if (m_widths[c] > 0) {
            const lxw_error result
                = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), m_widths[c], nullptr);
            if (result != LXW_NO_ERROR)
                return fail(lxw_strerror(result));
        }
    }

    lxw_workbook* finished = book;
    book = nullptr;
    const lxw_error closed = workbook_close(finished);
    if (closed != LXW_NO_ERROR)
        return fail(lxw_strerror(closed));

    // On disk before it takes the chosen name.
    const int written = open(temporary.c_str(), O_RDONLY);
    if (written < 0 || fsync(written) != 0) {
        if (written >= 0)
            close(written);
        return fail(std::strerror(errno));
    }
    close(written);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return fail(std::strerror(errno));
    return true;
}
