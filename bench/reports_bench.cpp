// The reports for the general meeting on the full database (3001 subscribers, every month of every
// year): the readings check of a whole year, the debtors of a month and the month's summary, each
// beside the least it must do in the same run: the sheet's calculation of every subscriber's year
// for the check and the summary, reading the month's ledger fields of every subscriber for the
// debtors. Targets: each at most 300 ms and at most three times its floor.
//
//   reports_bench [database file]     (make_demo_database <file> --full)

#include "accounts/debtors.h"
#include "bench_support.h"
#include "database/database_file.h"
#include "reports/summary.h"
#include "sheet/reading_check.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

#include <cstdio>

namespace {

constexpr int Year = 4; // 2024
constexpr int Month = 3;
constexpr int Runs = 15;
constexpr double TargetMs = 300;
constexpr double TargetRatio = 3;

bool report(const char* what, bench::Timing value, bench::Timing floor, const char* floorName)
{
    bench::printRow(what, value, "ms", floor, floorName);
    const bool met = value.wall <= TargetMs && value.wall <= TargetRatio * floor.wall;
    std::printf(
        "  target ≤ %.0f ms and ≤ %.0f× the floor: %s\n\n", TargetMs, TargetRatio, met ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string path = bench::workFolder() + "/reports.spb";
    if (!bench::useOrMakeFullDatabase(argc > 1 ? argv[1] : nullptr, path))
        return 1;
    RecordTable table;
    if (database::load(path, table).status != database::LoadResult::Status::Loaded) {
        std::fprintf(stderr, "%s: not a database\n", path.c_str());
        return 1;
    }
    const int records = table.recordCount();
    std::printf("reports of %d subscribers, 2024 (March for a month), medians of %d runs\n\n", records, Runs);

    long sink = 0;
    const bench::Timing sheets = bench::medianMs(Runs, [&] {
        for (int r = 1; r <= records; ++r) {
            const sheet::SheetComputation c = sheet::computeSheet(*sheet::readYear(table, r, "2024"));
            sink += c.results[sheet::TotalsRow][sheet::MonthTotal].raw();
        }
    });
    const char* sheetFloor = "every subscriber's sheet";

    const bench::Timing check
        = bench::medianMs(Runs, [&] { sink += long(sheet::checkReadings(table, Year, 0).findings.size()); });
    const bench::Timing summary = bench::medianMs(Runs, [&] {
        const reports::YearSummary s = reports::summariseYear(table, Year);
        sink += reports::yearSoFar(s, Month).charged.raw();
    });

    const ledger::LedgerMonth march = ledger::ledgerMonth(Year, Month);
    const bench::Timing ledgerFields = bench::medianMs(Runs, [&] {
        for (int r = 1; r <= records; ++r) {
            for (int offset : { -1, 0, 1, 2, 3, 4, 6, 7, 8, 9 })
                sink += Currency::parseOrZero(table.field(r, march.base + offset)).raw();
        }
    });
    const bench::Timing debtors = bench::medianMs(
        Runs, [&] { sink += long(ledger::debtorsList(table, march, Currency()).debtors.size()); });

    bool met = report("whole-year readings check", check, sheets, sheetFloor);
    met = report("debtors of the month", debtors, ledgerFields, "the month's ledger fields") && met;
    met = report("month's summary", summary, sheets, sheetFloor) && met;
    std::printf("(%ld)\n", sink % 10);
    return met ? 0 : 2;
}
