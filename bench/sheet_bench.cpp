// What the operator waits for on the yearly sheet: the calculation of a full year, and one
// keystroke in a tariff cell through to every computed cell updated. Each figure is printed beside
// a floor measured in the same run, as the median of many rounds.
//
//   sheet_bench [rounds]

#include "app/main_window.h"
#include "app/program.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/text_input.h"
#include "session/app_state.h"
#include "sheet/sheet_calculation.h"
#include "sheet/sheet_view.h"
#include "window_bench.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// The processor time of this thread: the machine is shared, and time spent waiting for a core is
// not the program's.
double threadMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Median over the rounds of the time of one call, in microseconds; each round times `calls` calls.
double medianMicroseconds(int rounds, int calls, const std::function<void()>& call)
{
    std::vector<double> times;
    times.reserve(std::size_t(rounds));
    for (int r = 0; r < rounds; ++r) {
        const double start = threadMicroseconds();
        for (int i = 0; i < calls; ++i)
            call();
        times.push_back((threadMicroseconds() - start) / calls);
    }
    std::nth_element(times.begin(), times.begin() + rounds / 2, times.end());
    return times[std::size_t(rounds / 2)];
}

void report(const char* what, double figure, const char* floorName, double floor, double target)
{
    std::printf("%-34s %9.2f µs   %-34s %9.2f µs   ratio %5.1f   target ≤ %.0f µs: %s\n", what, figure,
        floorName, floor, figure / floor, target, figure <= target ? "met" : "NOT MET");
}

volatile std::int64_t g_sink = 0;

void benchCalculation(int rounds)
{
    // A full year of a subscriber: readings, street lighting, losses, tariff and service every month.
    RecordTable table;
    DemoOptions options;
    options.subscribers = 4;
    options.everyField = true;
    options.lastYear = 2027;
    fillDemoTable(table, options);
    const sheet::SheetTexts texts = *sheet::readYear(table, 1, "2026");

    const double calculation = medianMicroseconds(rounds, 2000, [&] {
        const sheet::SheetComputation c = sheet::computeSheet(texts);
        g_sink = g_sink + c.results[sheet::TotalsRow][sheet::MonthTotal].raw();
    });
    // The floor: reading the 96 typed numbers, which any calculation of the sheet has to do.
    const double reading = medianMicroseconds(rounds, 2000, [&] {
        std::int64_t sum = 0;
        for (const sheet::MonthTexts& month : texts)
            for (int b = 1; b < sheet::ShownElements; ++b)
                sum += Currency::parseOrZero(month[b]).raw();
        g_sink = g_sink + sum;
    });
    report("calculation of a full sheet", calculation, "floor: reading its 96 numbers", reading, 20);
}

void benchKeystroke(int rounds)
{
    QTemporaryDir folder;
    {
        RecordTable table;
        DemoOptions options;
        options.subscribers = 40;
        fillDemoTable(table, options);
        database::write(QFile::encodeName(folder.filePath("Tervolin2.spb")).toStdString(), table);
    }
    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, folder.path());
    Program program(state);
    if (!program.start()) {
        std::fprintf(stderr, "the program did not start on the demo database\n");
        std::exit(1);
    }
    Form1* form = program.mainWindow();
    SheetCell* tariff = form->sheet()->typed(3, fields::Tariff);
    QLineEdit* yearTotal = form->sheet()->computed(sheet::TotalsRow, sheet::MonthTotal);
    tariff->setFocus();
    tariff->end(false);

    // Check once that a keystroke reaches the totals, then time typing and erasing a digit.
    const QString before = yearTotal->text();
    QTest::keyClick(tariff, Qt::Key_1);
    if (yearTotal->text() == before) {
        std::fprintf(stderr, "a keystroke in the tariff did not reach the year's total\n");
        std::exit(1);
    }
    QTest::keyClick(tariff, Qt::Key_Backspace);

    const double keystroke = medianMicroseconds(rounds, 50, [&] {
        QTest::keyClick(tariff, Qt::Key_1);
        QTest::keyClick(tariff, Qt::Key_Backspace);
    }) / 2;

    // The peer: the same keystrokes into an input box that computes nothing.
    QLineEdit plain;
    acceptOnlyStorableText(&plain);
    plain.setText(tariff->text());
    const double plainKeystroke = medianMicroseconds(rounds, 50, [&] {
        QTest::keyClick(&plain, Qt::Key_1);
        QTest::keyClick(&plain, Qt::Key_Backspace);
    }) / 2;
    report("keystroke in a tariff cell", keystroke, "peer: keystroke in a plain box", plainKeystroke, 1000);

    // Closing stores and writes into the temporary folder only.
    form->close();
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 101;
    bench::WindowRun run;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));

    std::printf("median of %d rounds, processor time of the thread\n", rounds);
    benchCalculation(rounds);
    benchKeystroke(rounds);
    return 0;
}
