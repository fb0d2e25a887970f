// What the operator waits for when the program starts: the main window's load on the full database
// (the file read, the subscriber selector filled, the sheet filled and computed), beside the same
// start on the same database where one subscriber's name is 1 MB long. A name that long must cost
// no more than its bytes: the ratio of the two starts is the figure.
//
//   startup_bench [database]

#include "app/main_window.h"
#include "app/program.h"
#include "bench_support.h"
#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "window_bench.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// One start of the program on the database in `folder`, closed again without writing anything.
void startOnce(const QString& folder)
{
    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, folder);
    Program program(state);
    if (!program.start() || program.mainWindow()->subscriberSelector()->count() < 2) {
        std::fprintf(stderr, "the program did not start on %s\n", qPrintable(folder));
        std::exit(1);
    }
    program.endProgram(0);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string work = bench::workFolder();
    const std::string full = work + "/full.spb";
    if (!bench::useOrMakeFullDatabase(argc > 1 ? argv[1] : nullptr, full))
        return 1;
    bench::WindowRun run;
    QApplication application(argc, argv);
    bench::WindowRun::useMeasuringFont();

    QTemporaryDir plain;
    QTemporaryDir longName;
    const auto databaseIn = [](const QTemporaryDir& dir) {
        return QFile::encodeName(QDir(dir.path()).filePath(QString::fromLatin1(database::FileName)))
            .toStdString();
    };
    std::filesystem::copy_file(full, databaseIn(plain));
    {
        RecordTable table;
        database::load(full, table);
        // The name in the middle of the list: the selector's items before and after it both count.
        const int row = table.recordCount() / 2;
        std::string name;
        for (int characters = 0; characters < (1 << 20); characters += 10)
            name += "Петрова К "; // ten characters, a megabyte in the file
        table.set(row, fields::FullName, name);
        database::write(databaseIn(longName), table);
    }

    // The two starts take turns, so that whatever else the machine does falls on both alike.
    const int runs = 9;
    std::vector<bench::Timing> normalRuns;
    std::vector<bench::Timing> longRuns;
    for (int i = 0; i < runs; ++i) {
        normalRuns.push_back(bench::medianMs(1, [&] { startOnce(plain.path()); }));
        longRuns.push_back(bench::medianMs(1, [&] { startOnce(longName.path()); }));
    }
    const auto median = [](std::vector<bench::Timing> timings) {
        std::vector<double> wall;
        std::vector<double> cpu;
        for (const bench::Timing& t : timings) {
            wall.push_back(t.wall);
            cpu.push_back(t.cpu);
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        return bench::Timing{ wall[wall.size() / 2], cpu[cpu.size() / 2] };
    };
    const bench::Timing normal = median(normalRuns);
    const bench::Timing withLongName = median(longRuns);
    bench::printRow("start-up, one name of 1 MB", withLongName, "ms", normal, "the same start without it");
    const double ratio = withLongName.cpu / normal.cpu;
    std::printf("target: ratio ≤ 1.2: %s\n", ratio <= 1.2 ? "met" : "NOT MET");
    return 0;
}
