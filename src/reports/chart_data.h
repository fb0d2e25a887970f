#pragma once

// What the consumption chart draws: each month's consumption of one subscriber in one year, read
// from the stored meter readings, the colours of the curves in the order they are drawn, and the
// scale of the consumption axis.

#include "database/money.h"
#include "database/record_table.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace chart {

constexpr int PaletteSize = 1001; // entries 0 … 1000
constexpr int ScaleStep = 100; // kWh by which the top of the scale moves
constexpr int InitialMaximum = 500;

using MonthlyValues = std::array<Currency, 12>; // January … December

// Colours 0x00BBGGRR for curve 1, 2, …: red, blue, green, dark blue, olive, magenta, cyan, orange,
// pink, grey, then the same ten again; curves 501 … 1000 (and entry 0) are black.
using Palette = std::array<std::uint32_t, PaletteSize>;
const Palette& curvePalette();
// The colour of the n-th curve since the window opened; black past the palette's end.
std::uint32_t curveColour(int n);

// A meter reading as the chart reads it: the leading digits, with a full stop as the decimal point;
// reading stops at the first other character, so "10625,5" reads 10625 and an empty text reads 0.
Currency readingValue(std::string_view text);

// Current minus previous reading of every month of a year of the record (all zero for a year the
// table does not hold). A current reading below the previous one gives a negative value: the chart
// shows it as it is.
MonthlyValues monthlyValues(const RecordTable& table, int row, int year);

// The top and bottom of the consumption axis and how the curves move them.
class Scale
{
public:
    std::int64_t maximum() const { return m_maximum; }
    std::int64_t minimum() const { return m_minimum; }
    bool canLower() const { return m_canLower; }

    // The first curve drawn since the window opened raises the top in steps of 100 until every
    // month fits; later curves leave it where it is.
    void fitFirstCurve(const MonthlyValues& values);
    // The bottom is 0 unless a drawn curve goes below it: then whole steps below its lowest value.
    void showNegatives(const MonthlyValues& values);

    // "-": the top goes up by 100 (the curves look flatter); "+" may be pressed again.
    void raise();
    // "+": the top comes down by 100 while it is above 100; at 100 it stays and "+" is disabled.
    void lower();

private:
    std::int64_t m_maximum = InitialMaximum;
    std::int64_t m_minimum = 0;
    bool m_canLower = true;
};

} // namespace chart
