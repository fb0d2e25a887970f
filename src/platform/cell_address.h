#pragma once

// Cell and range addresses of a worksheet as the program writes them ("A1", "C4:L500", "A:R"),
// taken apart into rows and columns counted from 1.

#include <optional>
#include <string>
#include <string_view>

namespace workbook {

constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384; // "XFD"

struct CellRange
{
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;

    bool contains(int row, int column) const
    {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    friend bool operator==(const CellRange&, const CellRange&) = default;
};

// "A" → 1, "R" → 18, "AA" → 27; nothing for anything else or past "XFD".
std::optional<int> columnNumber(std::string_view letters);
// 1 → "A", 27 → "AA".
std::string columnLetters(int column);

// A number as a spreadsheet shows it in the "General" format with a decimal comma: at most 15
// significant digits, no trailing zeros, an exponent only for very large or small values
// ("1234,5", "89161234567", "1E+20").
std::string generalNumberText(double value);

// A single cell "B12" (letters then digits, upper or lower case).
std::optional<CellRange> parseCell(std::string_view address);
// "A1", "A1:L3" (corners in any order) or whole columns "A:R" (every row of them).
std::optional<CellRange> parseRange(std::string_view address);

} // namespace workbook
