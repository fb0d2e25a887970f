#include "sheet/sheet_calculation.h"

#include <optional>

namespace sheet {
namespace {

Currency orZero(std::optional<Currency> value)
{
    return value.value_or(Currency());
}

// A step that overflows leaves its result at 0, and the later steps use that 0.
std::optional<Currency> times(std::optional<Currency> a, Currency b)
{
    if (!a)
        return std::nullopt;
    return Currency::multiply(*a, b);
}

// (a × b) / 100, rounded to kopecks: losses and the network-service charge.
Currency percentage(Currency a, Currency b)
{
    const std::optional<Currency> product = Currency::multiply(a, b);
    if (!product)
        return Currency();
    return Currency::percentRound2(*product);
}

Currency rounded(std::optional<Currency> value)
{
    return value ? value->round2() : Currency();
}

} // namespace

SheetComputation computeSheet(const SheetTexts& typed)
{
    SheetComputation c;
    for (int m = 1; m <= Months; ++m) {
        for (int e = 1; e < ShownElements; ++e)
            c.inputs[m][e] = Currency::parseOrZero(typed[m - 1][e]);
    }

    for (int m = 1; m <= Months; ++m) {
        const auto& in = c.inputs[m];
        auto& out = c.results[m];

        Currency difference = orZero(Currency::subtract(in[1], in[2]));
        if (difference.isNegative())
            difference = Currency(); // a reading below the previous one: no consumption
        out[Difference] = difference;
        out[Lighting] = rounded(times(Currency::multiply(in[3], in[4]), in[5]));
        out[TotalEnergy] = rounded(Currency::add(out[Difference], out[Lighting]));
        out[Losses] = percentage(out[TotalEnergy], in[6]);
        out[EnergyToPay] = rounded(Currency::add(out[TotalEnergy], out[Losses]));
        out[EnergyMoney] = rounded(Currency::multiply(out[EnergyToPay], in[7]));
        out[ServiceMoney] = percentage(in[8], out[EnergyMoney]);
        out[MonthTotal] = rounded(Currency::add(out[EnergyMoney], out[ServiceMoney]));
    }

    for (int col = 0; col < ComputedElements; ++col) {
        Currency total;
        for (int m = 1; m <= Months; ++m) {
            // The totals add the rounded months; an addition that overflows is left out.
            total = Currency::add(total, c.results[m][col]).value_or(total);
            c.shown[m][col] = c.results[m][col].plainText();
        }
        c.results[TotalsRow][col] = total;
        c.shown[TotalsRow][col] = total.plainText();
    }
    for (int m = 1; m <= Months; ++m)
        c.hiddenTotal[m] = c.shown[m][MonthTotal];

    for (int row = 1; row <= TotalsRow; ++row) {
        // Energy and money show two decimals, the difference its plain value; zero shows nothing.
        for (int col = Lighting; col < ComputedElements; ++col) {
            std::string& text = c.shown[row][col];
            text = twoDecimalText(text);
            if (text == "0,00")
                text.clear();
        }
        if (c.shown[row][Difference] == "0")
            c.shown[row][Difference].clear();
    }
    return c;
}

} // namespace sheet
