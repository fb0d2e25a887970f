#include "reports/summary.h"

#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

namespace reports {
namespace {

// An addition that overflows is left out, as in the sheet's totals.
void addTo(Currency& total, Currency value)
{
    total = Currency::add(total, value).value_or(total);
}

Currency amount(const RecordTable& table, int record, int field)
{
    return Currency::parseOrZero(table.field(record, field));
}

bool filled(std::string_view text)
{
    return text.find_first_not_of(' ') != std::string_view::npos;
}

std::optional<double> percentOf(Currency part, Currency whole)
{
    if (whole.isZero())
        return std::nullopt;
    return part.toDouble() / whole.toDouble() * 100.0;
}

} // namespace

YearSummary summariseYear(const RecordTable& table, int year)
{
    YearSummary summary;
    if (!table.years().holds(year))
        return summary;
    const std::string yearText = fields::yearText(year);
    for (int record = 1; record <= table.recordCount(); ++record) {
        const std::optional<sheet::SheetTexts> texts = sheet::readYear(table, record, yearText);
        if (!texts)
            continue;
        const sheet::SheetComputation c = sheet::computeSheet(*texts);
        bool readSoFar = false;
        for (int m = 1; m <= 12; ++m) {
            Figures& f = summary.months[std::size_t(m - 1)];
            const bool read = filled((*texts)[std::size_t(m - 1)][fields::CurrentReading]);
            readSoFar = readSoFar || read;
            f.withReadings += read ? 1 : 0;
            summary.withReadingsSoFar[std::size_t(m - 1)] += readSoFar ? 1 : 0;
            const auto& r = c.results[std::size_t(m)];
            addTo(f.consumption, r[sheet::Difference]);
            addTo(f.lighting, r[sheet::Lighting]);
            addTo(f.losses, r[sheet::Losses]);
            addTo(f.toPay, r[sheet::EnergyToPay]);
            addTo(f.energyMoney, r[sheet::EnergyMoney]);
            addTo(f.service, r[sheet::ServiceMoney]);
            addTo(f.charged, r[sheet::MonthTotal]);

            const int b = fields::ledgerBaseOfMonth(year, m);
            for (int offset : { 2, 3, 4 })
                addTo(f.otherCharges, amount(table, record, b + offset));
            for (int offset : { 6, 7, 8 })
                addTo(f.received, amount(table, record, b + offset));
            addTo(f.debt, amount(table, record, b + 9));
            addTo(f.overpayment, amount(table, record, b + 10));
        }
    }
    return summary;
}

Figures yearSoFar(const YearSummary& summary, int month)
{
    Figures total;
    if (month < 1 || month > 12)
        return total;
    for (int m = 1; m <= month; ++m) {
        const Figures& f = summary.months[std::size_t(m - 1)];
        addTo(total.consumption, f.consumption);
        addTo(total.lighting, f.lighting);
        addTo(total.losses, f.losses);
        addTo(total.toPay, f.toPay);
        addTo(total.energyMoney, f.energyMoney);
        addTo(total.service, f.service);
        addTo(total.charged, f.charged);
        addTo(total.otherCharges, f.otherCharges);
        addTo(total.received, f.received);
    }
    const Figures& last = summary.months[std::size_t(month - 1)];
    total.withReadings = summary.withReadingsSoFar[std::size_t(month - 1)];
    total.debt = last.debt;
    total.overpayment = last.overpayment;
    return total;
}

namespace {

void addFigures(SupplierComparison& comparison, const Figures& subscribers, const SupplierMonth& typed)
{
    if (const std::optional<Currency> kwh = Currency::parse(typed.kwh)) {
        Currency total = comparison.supplierKwh.value_or(Currency());
        addTo(total, *kwh);
        comparison.supplierKwh = total;
        addTo(comparison.subscribersKwh, subscribers.toPay);
    }
    if (const std::optional<Currency> bill = Currency::parse(typed.bill)) {
        Currency total = comparison.supplierBill.value_or(Currency());
        addTo(total, *bill);
        comparison.supplierBill = total;
        addTo(comparison.subscribersMoney, subscribers.energyMoney);
    }
}

} // namespace

SupplierComparison compareMonth(
    const YearSummary& summary, const SupplierFigures& figures, int year, int month)
{
    SupplierComparison comparison;
    if (month >= 1 && month <= 12)
        addFigures(comparison, summary.months[std::size_t(month - 1)], figures.month(year, month));
    return comparison;
}

SupplierComparison compareYearSoFar(
    const YearSummary& summary, const SupplierFigures& figures, int year, int month)
{
    SupplierComparison comparison;
    for (int m = 1; m <= month && m <= 12; ++m)
        addFigures(comparison, summary.months[std::size_t(m - 1)], figures.month(year, m));
    return comparison;
}

Uncovered uncovered(const SupplierComparison& comparison)
{
    Uncovered result;
    if (comparison.supplierKwh) {
        result.kwh = Currency::subtract(*comparison.supplierKwh, comparison.subscribersKwh);
        if (result.kwh)
            result.kwhPercent = percentOf(*result.kwh, *comparison.supplierKwh);
    }
    if (comparison.supplierBill) {
        result.roubles = Currency::subtract(*comparison.supplierBill, comparison.subscribersMoney);
        if (result.roubles)
            result.roublesPercent = percentOf(*result.roubles, *comparison.supplierBill);
    }
    return result;
}

int latestMonthWithReadings(const RecordTable& table, int year)
{
    if (!table.years().holds(year))
        return 1;
    for (int m = 12; m > 1; --m) {
        const int field = sheet::cellField(year, m, fields::CurrentReading);
        for (int record = 1; record <= table.recordCount(); ++record) {
            if (filled(table.field(record, field)))
                return m;
        }
    }
    return 1;
}

} // namespace reports
