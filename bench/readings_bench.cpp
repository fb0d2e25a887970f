// What the treasurer waits for in "Показания за месяц": the window opened on the full database
// (3001 subscribers, every month filled), and a reading typed into a row through to the record
// stored, the month charges worked out again and the row's remark checked. Each figure is printed
// beside a floor measured in the same run.
//
//   readings_bench [rounds]

#include "bench_support.h"
#include "demo_data.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "sheet/readings_model.h"
#include "sheet/readings_window.h"
#include "sheet/sheet.h"
#include "window_bench.h"

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void report(const char* what, bench::Timing figure, const char* floorName, bench::Timing floor, double target,
    const char* unit)
{
    std::printf("%-40s %9.2f %s   %-36s %9.2f %s   ratio %5.1f   target ≤ %.0f %s: %s\n", what, figure.cpu,
        unit, floorName, floor.cpu, unit, figure.cpu / std::max(floor.cpu, 1e-9), target, unit,
        figure.wall <= target ? "met" : "NOT MET");
    std::printf("%-40s %9.2f %s (wall)\n", "", figure.wall, unit);
}

volatile std::size_t g_sink = 0;

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    bench::WindowRun run;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, folder.path());
    state.dataFolder = folder.path();
    fillDemoTable(state.table, fullDemoOptions());
    const int year = 2026;
    const int month = 7;
    std::printf("%d subscribers, median of %d rounds (processor time; wall below)\n",
        state.table.recordCount(), rounds);

    // Opened, laid out and painted once, as the user first sees it; then closed unasked.
    const bench::Timing opening = bench::medianMs(rounds, [&] {
        auto* window = new frmReadings(state, year, month);
        window->show();
        QApplication::processEvents();
        window->grid()->viewport()->repaint();
        delete window;
    });
    // The floor: reading the names and the month's readings of every record once.
    const bench::Timing reading = bench::medianMs(rounds, [&] {
        std::size_t length = 0;
        for (int r = 1; r <= state.table.recordCount(); ++r) {
            length += state.table.field(r, fields::FullName).size();
            for (int b : { fields::Date, fields::CurrentReading, fields::PreviousReading })
                length += state.table.field(r, sheet::cellField(year, month, b)).size();
        }
        g_sink = g_sink + length;
    });
    report("opening the window (3001 subscribers)", opening, "floor: reading every row's fields", reading,
        300, "ms");

    // A reading typed into the middle of the list: stored, the year computed, the remark checked.
    frmReadings window(state, year, month);
    ReadingsModel* model = window.model();
    const int row = model->rowCount() / 2;
    const std::string date = model->view(row).date;
    const std::string current = model->view(row).current;
    const std::string other = current + "1";
    bool flip = false;
    const bench::Timing keystroke = bench::medianUs(rounds * 20, [&] {
        flip = !flip;
        model->store(row, date, flip ? other : current);
    });
    // The floor: the year of the record read and stored as it is, with nothing worked out.
    const int record = model->record(row);
    const bench::Timing plainStore = bench::medianUs(rounds * 20, [&] {
        const auto texts = sheet::readYear(state.table, record, "2026");
        sheet::storeYear(state.table, record, "2026", *texts);
    });
    report("a reading stored and recomputed", { keystroke.wall / 1000, keystroke.cpu / 1000 },
        "floor: the record's year read and stored", { plainStore.wall / 1000, plainStore.cpu / 1000 }, 5,
        "ms");
    model->store(row, date, current);
    return 0;
}
