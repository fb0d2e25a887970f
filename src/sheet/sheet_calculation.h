#pragma once

// What the sheet computes, from the typed texts to the texts of the computed cells: consumption,
// street lighting, losses, energy to pay and the money due of each month, and the year's totals.

#include "database/money.h"
#include "sheet/sheet.h"

#include <array>
#include <string>

namespace sheet {

// Computed columns of a month row.
enum Computed {
    Difference = 0,
    Lighting,
    TotalEnergy,
    Losses,
    EnergyToPay,
    EnergyMoney,
    ServiceMoney,
    MonthTotal
};

constexpr int TotalsRow = 13;

struct SheetComputation
{
    // SheetInputs(m, c): rows 1 … 12, columns 1 … 8 (row 0 and column 0 unused).
    std::array<std::array<Currency, ShownElements>, Months + 1> inputs{};
    // SheetResults(r, c): rows 1 … 12 and 13 (totals), columns 0 … 7 (row 0 unused).
    std::array<std::array<Currency, ComputedElements>, TotalsRow + 1> results{};
    // Texts of the computed cells txtR1 … txtR13 as shown (row 0 unused).
    std::array<std::array<std::string, ComputedElements>, TotalsRow + 1> shown;
    // The month's total to pay in plain text, for the hidden element 9 (row 0 unused).
    std::array<std::string, Months + 1> hiddenTotal;
};

SheetComputation computeSheet(const SheetTexts& typed);

} // namespace sheet
