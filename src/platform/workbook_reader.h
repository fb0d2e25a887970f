#pragma once

// Reads the first worksheet of a workbook file, an .xlsx or a legacy .xls, into the texts its
// cells show. The file is read whole and checked first, so a caller either gets every cell or a
// failure, never half a sheet.
//
// Workbooks come from anywhere, so nothing in the file is trusted: each part of an .xlsx is
// inflated only up to its declared size, which must stay under a cap; no memory is reserved from
// counts written in the file; XML with a document type declaration is refused; the text of all
// cells together stays under a cap. Legacy .xls files are read by FreeXL in a child process,
// which has been seen to read past its buffers on damaged files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class WorkbookReader
{
public:
    enum class Status {
        Read,
        AccessDenied, // the system refused to open the file
        Unreadable, // missing, damaged, too large, not a workbook, or without a worksheet
    };

    // A 3000-row sheet is well under a megabyte; these leave room for workbooks made by hand.
    static constexpr std::size_t MaxFileBytes = 32u << 20;
    static constexpr std::size_t MaxPartBytes = 16u << 20;
    static constexpr std::size_t MaxTextBytes = 32u << 20; // all the texts of the sheet's cells

    // The format is recognised from the file's first bytes, not from its name.
    Status open(const std::string& path);
    // The bytes of an .xlsx file.
    Status openXlsx(std::string_view bytes);

    // The text a cell shows (row and column from 1); the empty text for an empty cell. Numbers
    // come as the "General" format shows them with a decimal comma, dates as "DD.MM.YYYY".
    std::string text(int row, int column) const;
    std::string text(std::string_view address) const;
    std::size_t cellCount() const { return m_cells.size(); }

    // Why the last open failed, in plain words for developers.
    const std::string& failure() const { return m_failure; }

    struct Cell
    {
        std::uint32_t row;
        std::uint32_t column;
        std::string text;
    };
    // Every cell that shows a text, by row, then column.
    const std::vector<Cell>& cells() const { return m_cells; }

private:
    Status fail(Status status, std::string reason);
    Status openXls(const std::string& path);

    std::vector<Cell> m_cells; // sorted by row, then column
    std::string m_failure;
};
