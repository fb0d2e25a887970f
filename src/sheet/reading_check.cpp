#include "sheet/reading_check.h"

#include "database/money.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

#include <algorithm>
#include <optional>

namespace sheet {
namespace {

constexpr std::int64_t RiseFactor = 3;
constexpr std::int64_t RiseAtLeast = 100 * Currency::Scale; // kWh

bool filled(std::string_view text)
{
    return text.find_first_not_of(' ') != std::string_view::npos;
}

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Months are numbered in time order across the table's years (0 = January of the first one).
constexpr int AllMonths = fields::WindowMonths;

std::string monthAndYear(const RecordTable& table, int ordinalMonth)
{
    const fields::YearMonth at = table.years().at(ordinalMonth);
    return std::string(fields::MonthNames[std::size_t(at.month - 1)]) + " " + fields::yearText(at.year);
}

std::string_view cellText(const RecordTable& table, int record, int ordinalMonth, int b)
{
    const fields::YearMonth at = table.years().at(ordinalMonth);
    return table.field(record, cellField(at.year, at.month, b));
}

std::string_view currentText(const RecordTable& table, int record, int ordinalMonth)
{
    return cellText(table, record, ordinalMonth, fields::CurrentReading);
}

// Two readings are the same when they are the same number; texts that are no numbers must match.
bool sameReading(std::string_view a, std::string_view b)
{
    const std::optional<Currency> x = Currency::parse(a);
    const std::optional<Currency> y = Currency::parse(b);
    if (x && y)
        return *x == *y;
    return trimmed(a) == trimmed(b);
}

// The consumption of a month whose two readings are numbers, the current one not below the
// previous one: what the sheet charges for a month read as it should be.
std::optional<Currency> readConsumption(std::string_view current, std::string_view previous)
{
    if (!filled(current) || !filled(previous))
        return std::nullopt;
    const std::optional<Currency> now = Currency::parse(current);
    const std::optional<Currency> before = Currency::parse(previous);
    if (!now || !before || *now < *before)
        return std::nullopt;
    return Currency::subtract(*now, *before);
}

Currency median(std::vector<Currency> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n % 2 == 1)
        return values[n / 2];
    return Currency::fromRaw((values[n / 2 - 1].raw() + values[n / 2].raw()) / 2);
}

std::string kwh(Currency value)
{
    return value.plainText() + " кВт*Ч";
}

class RecordCheck
{
public:
    RecordCheck(const RecordTable& table, int record, int year, int month, ReadingCheck& result)
        : m_table(table), m_record(record), m_year(year), m_onlyMonth(month), m_result(result)
    { }

    void run()
    {
        const std::optional<SheetTexts> texts = readYear(m_table, m_record, fields::yearText(m_year));
        if (!texts)
            return;
        const SheetTexts& t = *texts;
        const SheetComputation c = computeSheet(t);
        findFilledEnds();
        std::vector<Currency> recent = usualMonthsBeforeTheYear();

        for (int m = 1; m <= Months; ++m) {
            const std::string_view current = t[m - 1][fields::CurrentReading];
            const std::string_view previous = t[m - 1][fields::PreviousReading];
            const std::optional<Currency> consumption = readConsumption(current, previous);
            if (m_onlyMonth == 0 || m_onlyMonth == m)
                checkMonth(t, c, m, consumption, recent);
            if (consumption) {
                recent.push_back(*consumption);
                if (recent.size() > std::size_t(UsualMonths))
                    recent.erase(recent.begin());
            }
        }
    }

private:
    void add(int m, FindingKind kind, std::string values)
    {
        m_result.findings.push_back({ m_record, m, kind, std::move(values) });
        ++m_result.counts[std::size_t(kind)];
    }

    // The first and the last month of all the years with a current reading.
    void findFilledEnds()
    {
        for (int o = 0; o < AllMonths; ++o) {
            if (filled(currentText(m_table, m_record, o))) {
                m_firstFilled = o;
                break;
            }
        }
        for (int o = AllMonths - 1; o >= 0; --o) {
            if (filled(currentText(m_table, m_record, o))) {
                m_lastFilled = o;
                break;
            }
        }
    }

    // The consumptions of the last twelve well-read months before January of the year, oldest
    // first.
    std::vector<Currency> usualMonthsBeforeTheYear() const
    {
        std::vector<Currency> found;
        for (int o = ordinal(1) - 1; o >= 0 && found.size() < std::size_t(UsualMonths); --o) {
            const std::optional<Currency> consumption
                = readConsumption(cellText(m_table, m_record, o, fields::CurrentReading),
                    cellText(m_table, m_record, o, fields::PreviousReading));
            if (consumption)
                found.push_back(*consumption);
        }
        std::reverse(found.begin(), found.end());
        return found;
    }

    std::string nearestReading(int from, int step) const
    {
        for (int o = from + step; o >= 0 && o < AllMonths; o += step) {
            const std::string_view text = currentText(m_table, m_record, o);
            if (filled(text))
                return trimmed(text) + " (" + monthAndYear(m_table, o) + ")";
        }
        return {};
    }

    void checkMonth(const SheetTexts& t, const SheetComputation& c, int m,
        const std::optional<Currency>& consumption, const std::vector<Currency>& recent)
    {
        const std::string_view current = t[m - 1][fields::CurrentReading];
        const std::string_view previous = t[m - 1][fields::PreviousReading];
        const bool hasCurrent = filled(current);
        const bool hasPrevious = filled(previous);

        if (hasCurrent && hasPrevious) {
            const std::optional<Currency> now = Currency::parse(current);
            const std::optional<Currency> before = Currency::parse(previous);
            if (now && before && *now < *before)
                add(m, FindingKind::ReadingBelowPrevious,
                    "Текущее " + trimmed(current) + ", последнее " + trimmed(previous));
        }
        if (hasCurrent && !hasPrevious)
            add(m, FindingKind::NoPreviousReading, "Текущее " + trimmed(current) + ", последнее не указано");

        if (hasPrevious) {
            const int before = ordinal(m) - 1;
            if (before >= 0) {
                const std::string_view earlier = m == 1 ? currentText(m_table, m_record, before)
                                                        : std::string_view(t[m - 2][fields::CurrentReading]);
                if (filled(earlier) && !sameReading(previous, earlier))
                    add(m, FindingKind::ReadingGap,
                        "Последнее " + trimmed(previous) + ", текущее за " + monthAndYear(m_table, before)
                            + ": " + trimmed(earlier));
            }
        }

        const int o = ordinal(m);
        if (!hasCurrent && m_firstFilled >= 0 && m_firstFilled < o && m_lastFilled > o)
            add(m, FindingKind::MissingReading,
                "Текущее не указано; до: " + nearestReading(o, -1) + ", после: " + nearestReading(o, 1));

        if (consumption && recent.size() >= std::size_t(FewestUsualMonths)) {
            const Currency usual = median(recent);
            if (consumption->raw() > RiseFactor * usual.raw()
                && consumption->raw() - usual.raw() >= RiseAtLeast)
                add(m, FindingKind::SharpRise,
                    "Разница " + kwh(*consumption) + ", обычно " + kwh(usual) + " (медиана "
                        + std::to_string(recent.size()) + " мес.)");
        }

        const Currency used = c.results[m][Difference];
        const Currency lighting = c.results[m][Lighting];
        if ((!used.isZero() || !lighting.isZero()) && c.inputs[m][fields::Tariff].isZero()) {
            std::string values;
            if (!used.isZero())
                values = "Разница " + kwh(used) + ", ";
            if (!lighting.isZero())
                values += "уличное освещение " + kwh(lighting) + ", ";
            add(m, FindingKind::NoTariff, values + "тариф не указан");
        }
    }

    int ordinal(int m) const { return m_table.years().ordinal({ m_year, m }); }

    const RecordTable& m_table;
    int m_record;
    int m_year;
    int m_onlyMonth;
    ReadingCheck& m_result;
    int m_firstFilled = -1;
    int m_lastFilled = -1;
};

} // namespace

std::string_view findingText(FindingKind kind)
{
    switch (kind) {
    case FindingKind::ReadingBelowPrevious: return "Показание меньше предыдущего";
    case FindingKind::NoPreviousReading: return "Нет предыдущего показания";
    case FindingKind::ReadingGap: return "Разрыв показаний";
    case FindingKind::MissingReading: return "Нет показания";
    case FindingKind::SharpRise: return "Резкий рост";
    case FindingKind::NoTariff: return "Нет тарифа";
    }
    return {};
}

ReadingCheck checkReadings(const RecordTable& table, int year, int month)
{
    ReadingCheck result;
    if (!table.years().holds(year) || month < 0 || month > Months)
        return result;
    for (int record = 1; record <= table.recordCount(); ++record)
        RecordCheck(table, record, year, month, result).run();
    return result;
}

ReadingCheck checkRecordReadings(const RecordTable& table, int record, int year, int month)
{
    ReadingCheck result;
    if (!table.years().holds(year) || month < 0 || month > Months || record < 1
        || record > table.recordCount())
        return result;
    RecordCheck(table, record, year, month, result).run();
    return result;
}

} // namespace sheet
