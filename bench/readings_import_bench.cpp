// The import of a month's readings for a full partnership: 3001 lines of a Windows-1251 CSV (half
// naming the subscriber by plot number, half by surname and initials) read, their columns found,
// every key matched and every reading checked against the full database, beside the least any
// reader of the same bytes does: decoding them and splitting them into lines and cells. Then the
// same with the preview window on the screen, as the treasurer waits for it.
//
//   readings_import_bench [database file]     (make_demo_database <file> --full)

#include "bench_support.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "sheet/readings_import.h"
#include "sheet/readings_import_window.h"
#include "sheet/sheet.h"
#include "text/cp1251.h"
#include "window_bench.h"

#include <QApplication>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

constexpr int Year = 2026;
constexpr int Month = 3;

// "12;Иванов И. П.;10432" or ";Иванов И. П.;10432", one line per subscriber.
std::string monthList(const RecordTable& table)
{
    std::string text = "Участок;ФИО;Показание\r\n";
    for (int r = 1; r <= table.recordCount(); ++r) {
        const std::string_view now = table.field(r, sheet::cellField(Year, Month, fields::CurrentReading));
        const long reading = (now.empty() ? 0 : std::stol(std::string(now))) + 17;
        if (r % 2 == 0)
            text += std::to_string(r) + ";;";
        else
            text += ";" + std::string(table.field(r, fields::FullName)) + ";";
        text += std::to_string(reading) + "\r\n";
    }
    return cp1251::encode(text);
}

std::size_t decodeAndSplit(const std::string& bytes)
{
    const std::string text = cp1251::decode(bytes);
    std::size_t cells = 0;
    std::vector<std::string> row;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        row.clear();
        for (std::size_t from = 0;;) {
            const std::size_t to = line.find(';', from);
            row.emplace_back(line.substr(from, to - from));
            if (to == std::string_view::npos)
                break;
            from = to + 1;
        }
        cells += row.size();
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return cells;
}

} // namespace

int main(int argc, char** argv)
{
    bench::WindowRun run;
    QApplication app(argc, argv);
    bench::WindowRun::useMeasuringFont();
    const std::string folder = bench::workFolder();
    RecordTable table;
    if (!bench::loadFullDatabase(argc > 1 ? argv[1] : nullptr, "readings.spb", table))
        return 1;
    if (!table.years().holds(Year)) {
        std::fprintf(stderr, "the database does not hold %d\n", Year);
        return 1;
    }

    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 4, 1), QTime(10, 0)));
    RecordingShell shell;
    Printer printer = Printer::intoFolder(QString::fromStdString(folder + "/printed"));
    AppState state({ dialogs, settings, clock, shell, printer }, QString::fromStdString(folder));
    state.table = std::move(table);
    const std::string bytes = monthList(state.table);
    std::printf("%d readings (%.0f KB, Windows-1251 CSV) against %d subscribers, medians\n\n",
        state.table.recordCount(), double(bytes.size()) / 1e3, state.table.recordCount());

    std::size_t cells = 0;
    const bench::Timing floor = bench::medianMs(15, [&] { cells += decodeAndSplit(bytes); });
    std::string outcome;
    const bench::Timing import = bench::medianMs(15, [&] {
        const readings::ReadResult read = readings::readText(bytes);
        const std::vector<readings::Line> lines
            = readings::matchLines(state.table, read.source, readings::findColumns(read.source), Year, Month);
        outcome = readings::summary(lines);
    });
    bench::printRow("read, match and check (target 200 ms)", import, "ms", floor, "decode + split");
    // The demo's names repeat among 3001 subscribers: many lines by name are rightly ambiguous.
    std::printf("  %s\n", outcome.c_str());

    const bench::Timing shown = bench::medianMs(5, [&] {
        const readings::ReadResult read = readings::readText(bytes);
        frmReadingsImport window(state, read.source, Year, Month, QStringLiteral("март.csv"));
        window.show();
        window.repaint();
        QCoreApplication::processEvents();
    });
    bench::printRow("the same with the preview on the screen", shown, "ms", floor, "decode + split");
    return cells > 0 ? 0 : 1;
}
