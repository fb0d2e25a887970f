// What the treasurer waits for in the ledger with a full partnership (3001 subscribers, every month
// of every year filled in): opening the ledger (fill, compute, first paint) and one committed cell
// (Enter: compute, store, sums, repaint). Each figure is the median of many runs and stands beside
// a floor measured in the same run, so that the ratio holds on a busy machine; the processor time
// the program spent is shown too, as it does not grow when other programs share the processors.
//
//   ledger_bench [database file]     (make_demo_database <file> --subscribers 3001 --full)

#include "accounts/cell_editor.h"
#include "accounts/ledger.h"
#include "accounts/ledger_model.h"
#include "accounts/ledger_window.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "window_bench.h"

#include <QApplication>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double processorMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing
{
    std::vector<double> wall;
    std::vector<double> processor;

    void measure(const std::function<void()>& work)
    {
        const double processorStart = processorMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        work();
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        processor.push_back(processorMilliseconds() - processorStart);
    }
};

void report(const char* what, const Timing& value, const char* floorName, const Timing& floor, double target)
{
    const double wall = median(value.wall);
    const double floorWall = median(floor.wall);
    std::printf("%-20s %8.3f ms (processor %7.3f ms)   %-28s %7.3f ms (processor %7.3f ms)   ratio %5.1f   "
                "target %5.1f ms: %s\n",
        what, wall, median(value.processor), floorName, floorWall, median(floor.processor), wall / floorWall,
        target, wall <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    bench::WindowRun run;
    QApplication app(argc, argv);
    bench::WindowRun::useMeasuringFont();

    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, run.folder());
    if (argc > 1) {
        if (database::load(argv[1], state.table).status != database::LoadResult::Status::Loaded) {
            std::fprintf(stderr, "%s: not a database\n", argv[1]);
            return 1;
        }
    } else {
        fillDemoTable(state.table, fullDemoOptions());
    }
    const int records = state.table.recordCount();
    std::printf("ledger of %d subscribers, March 2024, medians\n", records);
    state.LedgerMonthIndex = 2;
    const ledger::LedgerMonth march = ledger::ledgerMonth(4, 3);

    // Opening. Floor: reading and converting the month's nine stored amounts of every subscriber,
    // which any ledger must do. The first opening also normalises what it reads and writes it
    // back, so it is reported on its own.
    Timing first;
    Timing opens;
    Timing floors;
    for (int run = 0; run < 31; ++run) {
        floors.measure([&] {
            std::int64_t sum = 0;
            for (int i = 1; i <= records; ++i) {
                for (int offset : { -1, 0, 1, 2, 3, 4, 6, 7, 8 })
                    sum += Currency::parseOrZero(state.table.field(i, march.base + offset)).raw();
            }
            if (sum == 42)
                std::printf(" ");
        });
        frmRedLS* ledger = nullptr;
        (run == 0 ? first : opens).measure([&] {
            ledger = new frmRedLS(state, QStringLiteral("2024"));
            ledger->Form_Load();
            ledger->show();
            ledger->repaint();
        });
        delete ledger;
    }
    std::printf("first opening: %.3f ms\n", first.wall.front());
    report("opening the ledger", opens, "reading the month's amounts", floors, 150);

    // One committed cell, down the "Внесено" column: the grid scrolls once the editor reaches
    // the bottom.
    frmRedLS ledger(state, QStringLiteral("2024"));
    ledger.Form_Load();
    ledger.show();
    QCoreApplication::processEvents();
    QTableView* grid = ledger.grid();
    CellEditor* editor = ledger.editor();
    grid->setCurrentIndex(ledger.model()->index(0, ledger::PaidIn));
    QTest::keyClick(grid, Qt::Key_Return);
    if (!editor->isVisible()) {
        std::fprintf(stderr, "the editor did not open\n");
        return 1;
    }
    Timing commits;
    Timing paints;
    Timing logic;
    for (int i = 0; i < 501; ++i) {
        editor->setText(QString::number(1000 + i) + QStringLiteral(",5"));
        commits.measure([&] {
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents();
        });
        paints.measure([&] { ledger.repaint(); });
        logic.measure([&] {
            ledger::Grid& shown = ledger.model()->grid();
            ledger::setCell(shown, i, ledger::OtherIncome, std::to_string(i) + ",00");
            ledger::compute(shown);
            ledger::store(state.table, march, shown);
        });
    }
    report("one committed cell", commits, "repainting the window alone", paints, 16);
    std::printf("%-20s %8.3f ms (one cell typed, compute and store, no window)\n", "the ledger's logic",
        median(logic.wall));
    return 0;
}
