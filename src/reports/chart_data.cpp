#include "reports/chart_data.h"

#include "database/field_map.h"

#include <string>

namespace chart {
namespace {

constexpr std::array<std::uint32_t, 10> TenColours = {
    0x0000FF, // red
    0xFF0000, // blue
    0x008000, // green
    0x400000, // dark blue
    0x00C0C0, // olive
    0xFF00FF, // magenta
    0xFFFF00, // cyan
    0x0080FF, // orange
    0xFFC0FF, // pink
    0x808080, // grey
};

Palette makePalette()
{
    Palette palette{};
    for (int i = 0; i < 50; ++i)
        for (int k = 1; k <= 10; ++k)
            palette[static_cast<std::size_t>(10 * i + k)] = TenColours[static_cast<std::size_t>(k - 1)];
    return palette;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Integer quotients rounded up and down (the built-in division truncates towards zero).
std::int64_t ceilDiv(std::int64_t a, std::int64_t b)
{
    return a / b + ((a % b != 0 && a > 0) ? 1 : 0);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0 && a < 0) ? 1 : 0);
}

} // namespace

const Palette& curvePalette()
{
    static const Palette palette = makePalette();
    return palette;
}

std::uint32_t curveColour(int n)
{
    if (n < 0 || n >= PaletteSize)
        return 0;
    return curvePalette()[static_cast<std::size_t>(n)];
}

Currency readingValue(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::size_t wholeBegin = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::string_view whole = text.substr(wholeBegin, i - wholeBegin);
    std::string_view decimals;
    if (i < text.size() && text[i] == '.') {
        const std::size_t decimalsBegin = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        decimals = text.substr(decimalsBegin, i - decimalsBegin);
    }
    std::string number(whole.empty() ? std::string_view("0") : whole);
    if (!decimals.empty())
        number.append(",").append(decimals);
    // A reading too long for the money type is not a reading: it counts as 0.
    return Currency::parseOrZero(number);
}

MonthlyValues monthlyValues(const RecordTable& table, int row, int year)
{
    MonthlyValues values{};
    if (!table.years().holds(year))
        return values;
    for (int m = 1; m <= 12; ++m) {
        const int base = fields::baseOfMonth(year, m);
        const Currency current = readingValue(table.field(row, base + fields::CurrentReading));
        const Currency previous = readingValue(table.field(row, base + fields::PreviousReading));
        values[static_cast<std::size_t>(m - 1)] = Currency::subtract(current, previous).value_or(Currency());
    }
    return values;
}

void Scale::fitFirstCurve(const MonthlyValues& values)
{
    for (const Currency value : values) {
        // The value in whole kWh, rounded up: it fits under the top when this does.
        const std::int64_t needed = ceilDiv(value.raw(), Currency::Scale);
        if (needed > m_maximum)
            m_maximum += ScaleStep * ceilDiv(needed - m_maximum, ScaleStep);
    }
}

void Scale::showNegatives(const MonthlyValues& values)
{
    for (const Currency value : values) {
        const std::int64_t lowest = floorDiv(value.raw(), Currency::Scale);
        if (lowest < m_minimum)
            m_minimum = ScaleStep * floorDiv(lowest, ScaleStep);
    }
}

void Scale::raise()
{
    m_maximum += ScaleStep;
    m_canLower = true;
}

void Scale::lower()
{
    if (m_maximum > ScaleStep)
        m_maximum -= ScaleStep;
    else
        m_canLower = false;
}

} // namespace chart
