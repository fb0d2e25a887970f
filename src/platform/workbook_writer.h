#pragma once

// A new workbook of one worksheet, built with the range operations the exports use and saved as
// an .xlsx file: values, merges, alignment, number formats, bold, font colours, borders and
// columns fitted to their contents. Like a spreadsheet application, a format set on a range
// applies to every cell of it, empty ones included, and adds to what the cells had.
//
// The file is written to a temporary file beside the chosen one and renamed over it only once
// it is complete, so a failed save leaves whatever was there before.

#include "platform/cell_address.h"

#include <string>
#include <string_view>
#include <vector>

class WorkbookWriter
{
public:
    enum class Alignment { General = 0, Left = 2, Centre = 3, Right = 4 };

    WorkbookWriter();
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    // Every cell of the range gets the value.
    void setText(std::string_view range, std::string_view text);
    void setNumber(std::string_view range, double value);
    // A block of texts whose top-left cell is the given one, row by row.
    void setTexts(std::string_view topLeft, const std::vector<std::vector<std::string>>& rows);

    void merge(std::string_view range);
    void setAlignment(std::string_view range, Alignment alignment);
    // "General", "0.00", or any other format code.
    void setNumberFormat(std::string_view range, std::string_view format);
    void setBold(std::string_view range);
    // The colour indexes of the standard palette that the exports use: 3 red, 5 blue.
    void setFontColourIndex(std::string_view range, int index);
    // A thin continuous line on all four edges of every cell.
    void setBorders(std::string_view range);
    // Each column as wide as its longest shown text; merged cells are left out, as a spreadsheet
    // application leaves them out. Columns without text keep their width.
    void autoFitColumns(std::string_view columns);

    // How the sheet prints on A4: across the paper or along it, every column on one page's width
    // (as many pages down as it takes), the first heading rows repeated on every page.
    void setPrintLayout(bool landscape, int headingRows);

    // False, with a reason, when the workbook could not be written; an address the program got
    // wrong earlier also makes the save fail rather than produce a workbook with cells missing.
    bool saveAs(const std::string& path, std::string* error = nullptr);

    // What a cell holds, for checks before saving (row and column from 1).
    std::string shownText(int row, int column) const;
    double columnWidth(int column) const;

    struct Style
    {
        bool bold = false;
        bool borders = false;
        int colourIndex = 0; // 0: automatic
        Alignment alignment = Alignment::General;
        int numberFormat = 0; // index into m_numberFormats; 0 is "General"
        friend auto operator<=>(const Style&, const Style&) = default;
    };

private:
    struct Cell
    {
        enum class Kind : unsigned char { Empty, Text, Number };
        Kind kind = Kind::Empty;
        double number = 0;
        std::string text;
        Style style;
    };

    // Remembers the first address (or colour) the program got wrong; the save then fails.
    void refuse(std::string_view what);
    bool resolve(std::string_view address, workbook::CellRange& range);
    Cell& cell(int row, int column);
    const Cell* findCell(int row, int column) const;
    template <typename Change> void forEachCell(std::string_view address, Change change);
    bool inMergedRange(int row, int column) const;
    std::string shown(const Cell& cell) const;

    std::vector<std::vector<Cell>> m_rows; // [row − 1][column − 1]
    std::vector<workbook::CellRange> m_merges;
    std::vector<std::string> m_numberFormats{ "General" };
    std::vector<double> m_widths; // [column − 1]; 0 for the default width
    bool m_printLayout = false;
    bool m_landscape = false;
    int m_headingRows = 0;
    bool m_addressFailed = false; // an address or colour was refused
    std::string m_badAddress;
};
