#include "sheet/sheet.h"

namespace sheet {

int findRecord(const RecordTable& table, std::string_view name, int previous)
{
    for (int row = 1; row <= table.recordCount(); ++row) {
        if (table.field(row, fields::FullName) == name)
            return row;
    }
    return previous;
}

std::optional<SheetTexts> readYear(const RecordTable& table, int record, std::string_view yearText)
{
    const std::optional<int> year = table.years().find(yearText);
    if (!year)
        return std::nullopt;
    SheetTexts texts;
    for (int m = 1; m <= Months; ++m) {
        for (int b = 0; b < ShownElements; ++b)
            texts[m - 1][b] = std::string(table.field(record, cellField(*year, m, b)));
    }
    return texts;
}

void storeYear(RecordTable& table, int record, std::string_view yearText, const SheetTexts& texts)
{
    const std::optional<int> year = table.years().find(yearText);
    if (!year)
        return;
    for (int m = 1; m <= Months; ++m) {
        for (int b = 0; b < TypedElements; ++b)
            table.set(record, cellField(*year, m, b), texts[m - 1][b]);
    }
}

} // namespace sheet
