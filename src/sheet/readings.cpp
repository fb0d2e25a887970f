#include "sheet/readings.h"

#include "database/database_file.h"
#include "sheet/reading_check.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"
#include "sheet/sheet_editing.h"
#include "text/cp1251.h"

#include <algorithm>

namespace readings {
namespace {

constexpr std::string_view StreetLighting = "Уличное освещение";

// The remark names only what the treasurer can put right while typing the month.
bool remarkable(sheet::FindingKind kind)
{
    return kind == sheet::FindingKind::ReadingBelowPrevious || kind == sheet::FindingKind::NoPreviousReading
        || kind == sheet::FindingKind::SharpRise;
}

bool blank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// A typed text as a cell of the sheet takes it.
std::string cellText(int element, std::string_view typed)
{
    return sheet::withRightSeparators(element, cp1251::storableText(database::withoutLineBreaks(typed)));
}

} // namespace

bool isStreetLighting(const RecordTable& table, int record)
{
    return table.field(record, fields::FullName) == StreetLighting;
}

std::string autofillPrevious(const RecordTable& table, int record, int year, int month)
{
    const fields::YearWindow& years = table.years();
    const int before = month == 1 ? year - 1 : year;
    const int beforeMonth = month == 1 ? 12 : month - 1;
    if (!years.holds(before) || month < 1 || month > sheet::Months)
        return {};
    return std::string(table.field(record, sheet::cellField(before, beforeMonth, fields::CurrentReading)));
}

RowView viewRow(const RecordTable& table, int record, int year, int month)
{
    RowView row;
    const std::optional<sheet::SheetTexts> texts = sheet::readYear(table, record, fields::yearText(year));
    if (!texts || month < 1 || month > sheet::Months)
        return row;
    const sheet::MonthTexts& cells = (*texts)[std::size_t(month - 1)];
    row.date = cells[fields::Date];
    row.current = cells[fields::CurrentReading];
    row.previous = cells[fields::PreviousReading];
    if (blank(row.previous)) {
        std::string filled = autofillPrevious(table, record, year, month);
        row.previousFilledIn = !filled.empty();
        row.previous = std::move(filled);
    }
    const sheet::SheetComputation c = sheet::computeSheet(*texts);
    row.consumption = c.shown[std::size_t(month)][sheet::Difference];
    row.energy = c.shown[std::size_t(month)][sheet::EnergyToPay];
    row.remark = remarkOf(table, record, year, month);
    return row;
}

bool storeRow(
    RecordTable& table, int record, int year, int month, std::string_view date, std::string_view current)
{
    const std::string yearText = fields::yearText(year);
    std::optional<sheet::SheetTexts> texts = sheet::readYear(table, record, yearText);
    if (!texts || month < 1 || month > sheet::Months || record < 1 || record > table.recordCount())
        return false;
    sheet::MonthTexts& cells = (*texts)[std::size_t(month - 1)];
    cells[fields::Date] = cellText(fields::Date, date);
    cells[fields::CurrentReading] = cellText(fields::CurrentReading, current);
    if (blank(cells[fields::PreviousReading]) && !cells[fields::CurrentReading].empty()) {
        const std::string filled = autofillPrevious(table, record, year, month);
        if (!filled.empty())
            cells[fields::PreviousReading] = filled;
    }
    // The hidden month charges of all twelve months, as the sheet keeps them whenever it is stored.
    const sheet::SheetComputation c = sheet::computeSheet(*texts);
    for (int m = 1; m <= sheet::Months; ++m)
        (*texts)[std::size_t(m - 1)][fields::MonthCharge] = c.hiddenTotal[std::size_t(m)];
    sheet::storeYear(table, record, yearText, *texts);
    return true;
}

std::string remarkOf(const RecordTable& table, int record, int year, int month)
{
    std::string remark;
    for (const sheet::Finding& finding : sheet::checkRecordReadings(table, record, year, month).findings) {
        if (!remarkable(finding.kind))
            continue;
        if (!remark.empty())
            remark += "; ";
        remark += std::string(sheet::findingText(finding.kind)) + ": " + finding.values;
    }
    return remark;
}

std::string monthEndDate(int year, int month)
{
    for (const sheet::CellEdit& edit : sheet::monthEndDates(year)) {
        if (edit.month == month)
            return edit.text;
    }
    return {};
}

} // namespace readings
