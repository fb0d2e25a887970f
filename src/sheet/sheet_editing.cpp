#include "sheet/sheet_editing.h"

#include <algorithm>
#include <array>

namespace sheet {
namespace {

constexpr std::array<const char*, Months> MonthEnds = { "31.01", "28.02", "31.03", "30.04", "31.05", "30.06",
    "31.07", "31.08", "30.09", "31.10", "30.11", "31.12" };
constexpr std::array<const char*, Months> LightingHours
    = { "14", "12", "10", "7", "5", "5", "6,5", "8", "11", "14", "15", "15" };
constexpr std::array<const char*, Months> MonthDays
    = { "31", "28", "31", "30", "31", "30", "31", "31", "30", "31", "30", "31" };

std::string_view lastTwoDigits(std::string_view yearText)
{
    return yearText.size() >= 2 ? yearText.substr(yearText.size() - 2) : yearText;
}

} // namespace

char wrongSeparator(int element)
{
    return element == fields::Date ? ',' : '.';
}

std::string withRightSeparators(int element, std::string_view text)
{
    const char wrong = wrongSeparator(element);
    const char right = element == fields::Date ? '.' : ',';
    std::string result(text);
    std::replace(result.begin(), result.end(), wrong, right);
    return result;
}

std::vector<CellEdit> copiesOnLeaving(const SheetTexts& texts, int m, int b, const CopyTools& tools)
{
    std::vector<CellEdit> edits;
    const auto cell
        = [&texts](int month, int element) -> const std::string& { return texts[month - 1][element]; };

    if (b == fields::CurrentReading && tools.autofillPrevious && m >= 1 && m < Months) {
        if (cell(m + 1, fields::PreviousReading).empty() && !cell(m, fields::CurrentReading).empty())
            edits.push_back({ m + 1, fields::PreviousReading, cell(m, fields::CurrentReading) });
    }

    if (m == 1) {
        const bool copyJanuary = (b == fields::LightingPower && tools.power)
            || (b == fields::LossesPercent && tools.losses) || (b == fields::Tariff && tools.tariff);
        if (copyJanuary) {
            for (int month = 2; month <= Months; ++month) {
                if (cell(month, b).empty())
                    edits.push_back({ month, b, cell(1, b) });
            }
        }
    }
    return edits;
}

bool isQuickCopyElement(int b)
{
    return b == fields::Date || b == fields::LossesPercent || b == fields::Tariff
        || b == fields::ServicePercent;
}

bool fineCopy(RecordTable& table, std::string_view yearText, int m, int b, std::string_view value)
{
    const std::optional<int> year = table.years().find(yearText);
    if (!year || m < 1 || m > Months || b < 0 || b >= ShownElements)
        return false;
    const int field = cellField(*year, m, b);
    for (int row = 1; row <= table.recordCount(); ++row)
        table.set(row, field, value);
    return true;
}

std::vector<CellEdit> monthEndDates(int year)
{
    std::vector<CellEdit> edits;
    const std::string yearText = fields::yearText(year);
    for (int m = 1; m <= Months; ++m) {
        std::string date = m == 2 && fields::isLeapYear(year) ? "29.02" : MonthEnds[m - 1];
        date += '.';
        date += lastTwoDigits(yearText);
        edits.push_back({ m, fields::Date, std::move(date) });
    }
    return edits;
}

std::vector<CellEdit> lightingHoursAndDays(int year)
{
    std::vector<CellEdit> edits;
    for (int m = 1; m <= Months; ++m)
        edits.push_back({ m, fields::LightingHours, LightingHours[m - 1] });
    for (int m = 1; m <= Months; ++m)
        edits.push_back(
            { m, fields::LightingDays, m == 2 && fields::isLeapYear(year) ? "29" : MonthDays[m - 1] });
    return edits;
}

std::vector<CellEdit> lightingCleared()
{
    std::vector<CellEdit> edits;
    for (int m = 1; m <= Months; ++m) {
        edits.push_back({ m, fields::LightingHours, {} });
        edits.push_back({ m, fields::LightingDays, {} });
    }
    return edits;
}

bool anyFilled(const SheetTexts& texts, std::initializer_list<int> elements)
{
    for (const MonthTexts& month : texts) {
        for (int b : elements) {
            if (!month[b].empty())
                return true;
        }
    }
    return false;
}

} // namespace sheet
