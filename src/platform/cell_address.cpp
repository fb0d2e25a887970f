#include "platform/cell_address.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace workbook {

namespace {

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<int> rowNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 7 || digits.front() == '0')
        return std::nullopt;
    int row = 0;
    for (char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        row = row * 10 + (c - '0');
    }
    if (row > MaxRows)
        return std::nullopt;
    return row;
}

} // namespace

std::optional<int> columnNumber(std::string_view letters)
{
    if (letters.empty() || letters.size() > 3)
        return std::nullopt;
    int column = 0;
    for (char c : letters) {
        if (!isLetter(c))
            return std::nullopt;
        const char upper = (c >= 'a') ? char(c - 'a' + 'A') : c;
        column = column * 26 + (upper - 'A' + 1);
    }
    if (column > MaxColumns)
        return std::nullopt;
    return column;
}

std::string columnLetters(int column)
{
    std::string letters;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        letters.insert(letters.begin(), char('A' + digit));
        column = (column - 1) / 26;
    }
    return letters;
}

std::optional<CellRange> parseCell(std::string_view address)
{
    std::size_t split = 0;
    while (split < address.size() && isLetter(address[split]))
        ++split;
    const auto column = columnNumber(address.substr(0, split));
    const auto row = rowNumber(address.substr(split));
    if (!column || !row)
        return std::nullopt;
    return CellRange{ *row, *column, *row, *column };
}

std::optional<CellRange> parseRange(std::string_view address)
{
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return parseCell(address);
    const std::string_view first = address.substr(0, colon);
    const std::string_view last = address.substr(colon + 1);

    if (const auto a = columnNumber(first)) {
        const auto b = columnNumber(last);
        if (!b)
            return std::nullopt;
        return CellRange{ 1, std::min(*a, *b), MaxRows, std::max(*a, *b) };
    }
    const auto a = parseCell(first);
    const auto b = parseCell(last);
    if (!a || !b)
        return std::nullopt;
    return CellRange{ std::min(a->firstRow, b->firstRow), std::min(a->firstColumn, b->firstColumn),
        std::max(a->firstRow, b->firstRow), std::max(a->firstColumn, b->firstColumn) };
}

std::string generalNumberText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text(buffer);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

} // namespace workbook
