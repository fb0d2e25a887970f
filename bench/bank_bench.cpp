// The import of a bank statement with a full partnership: a statement of 10,000 payments read and
// each payment matched to its subscriber and month against the full database (3001 subscribers),
// beside the least any reader of the same file does: reading it and splitting it into lines. The
// entry of the matched payments into the ledger is shown too, on its own. Then what the treasurer
// waits for until the import's window is on the screen: a statement of 200,000 documents (a bank's
// whole year, target 2 s), and one of a few megabyte-long lines, which must open as fast as any.
//
//   bank_bench [database file]     (make_demo_database <file> --full)

#include "accounts/bank_import.h"
#include "accounts/bank_window.h"
#include "accounts/ledger_window.h"
#include "bench_support.h"
#include "database/database_file.h"
#include "demo_statement.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "text/cp1251.h"
#include "window_bench.h"

#include <QApplication>
#include <QTableView>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

constexpr int Payments = 10'000;

// Reading the file whole and finding its lines.
std::size_t readAndSplit(const std::string& path)
{
    const database::FileBytes file = database::readFile(path, bank::MaxStatementBytes);
    std::vector<std::string_view> lines;
    std::string_view rest = file.bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return lines.size();
}

// Reads the statement, matches its payments and opens the window over the ledger, painted once,
// as the treasurer sees it; the window is gone again after. False when the file is refused.
bool openWindow(AppState& state, frmRedLS& ledger, const std::string& path)
{
    bank::ReadResult read = bank::readStatementFile(path);
    if (read.status != bank::ReadResult::Status::Read) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), read.problem.c_str());
        return false;
    }
    const std::string account = read.statement.account;
    bank::Statement header = read.statement;
    header.documents.clear();
    bank::Import import = bank::prepareImport(std::move(read.statement), state.table, {}, account);
    auto* window
        = new frmBank(state, &ledger, QStringLiteral("statement.txt"), header, std::move(import), {}, {});
    window->show();
    window->repaint();
    QCoreApplication::processEvents();
    delete window;
    return true;
}

// A statement of `payments` documents whose purposes (and the first payer's name) are about
// `lineBytes` long.
std::string longLines(const RecordTable& table, int payments, std::size_t lineBytes)
{
    DemoStatementOptions options;
    options.payments = payments;
    options.month = 3;
    std::string text = demoStatement(table, options);
    std::string filler = " показания";
    while (filler.size() < lineBytes)
        filler += " 12345 кВт*ч";
    for (const char* key : { "НазначениеПлатежа=", "Плательщик=" }) {
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            const std::size_t end = text.find('\r', at);
            text.insert(end == std::string::npos ? text.size() : end, filler);
            if (std::string_view(key) == "Плательщик=")
                break;
            at = text.find('\n', at);
            if (at == std::string::npos)
                break;
        }
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    bench::WindowRun run;
    QApplication app(argc, argv);
    bench::WindowRun::useMeasuringFont();
    const std::string folder = bench::workFolder();
    RecordTable table;
    if (!bench::loadFullDatabase(argc > 1 ? argv[1] : nullptr, "bank.spb", table))
        return 1;

    DemoStatementOptions options;
    options.payments = Payments;
    options.month = 3;
    const std::string statementPath = folder + "/statement.txt";
    const std::string bytes = cp1251::encode(demoStatement(table, options));
    if (!bench::writeInput(statementPath, bytes))
        return 1;
    std::printf("statement of %d payments (%.1f MB) against %d subscribers, medians\n\n", Payments,
        double(bytes.size()) / 1e6, table.recordCount());

    const int runs = 11;
    std::size_t lines = 0;
    const bench::Timing floor = bench::medianMs(runs, [&] { lines = readAndSplit(statementPath); });
    bank::Import import;
    const bench::Timing reading = bench::medianMs(runs, [&] {
        bank::ReadResult read = bank::readStatementFile(statementPath);
        const std::string account = read.statement.account;
        import = bank::prepareImport(std::move(read.statement), table, {}, account);
    });
    bench::printRow("read and match", reading, "ms", floor, "read + split lines");
    const double ratio = reading.wall / floor.wall;
    std::printf("targets: at most 200 ms: %s; at most 5 x the floor: %s (%.1f x)\n",
        reading.wall <= 200 ? "met" : "MISSED", ratio <= 5 ? "met" : "MISSED", ratio);

    int matched = 0;
    std::vector<bank::Posting> postings;
    for (const bank::Payment& payment : import.payments) {
        if (!payment.matched)
            continue;
        ++matched;
        postings.push_back({ payment.record, *payment.month, *payment.sum });
    }
    std::printf("lines %zu, payments %zu, matched %d, skipped documents %d\n", lines, import.payments.size(),
        matched, import.skipped);

    const RecordTable before = table;
    const bench::Timing posting = bench::medianMs(5, [&] {
        table = before;
        bank::post(table, postings);
    });
    bench::printRow("entering the matched (with a copy of the table)", posting, "ms");

    // The window over the ledger.
    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, run.folder());
    state.table = before;
    frmRedLS ledger(state, QStringLiteral("2026"));
    ledger.Form_Load();
    ledger.show();
    QCoreApplication::processEvents();

    constexpr int Year = 200'000;
    DemoStatementOptions yearOptions;
    yearOptions.payments = Year;
    yearOptions.month = 3;
    const std::string yearPath = folder + "/year.txt";
    const std::string yearBytes = cp1251::encode(demoStatement(table, yearOptions));
    if (!bench::writeInput(yearPath, yearBytes))
        return 1;
    std::printf("\nstatement of %d documents (%.1f MB)\n", Year, double(yearBytes.size()) / 1e6);
    const bench::Timing yearFloor = bench::medianMs(3, [&] { readAndSplit(yearPath); });
    bool opened = true;
    const bench::Timing yearOpen
        = bench::medianMs(3, [&] { opened = openWindow(state, ledger, yearPath) && opened; });
    bench::printRow("read, match and open the window", yearOpen, "ms", yearFloor, "read + split lines");
    std::printf("target: at most 2000 ms: %s\n",
        !opened                     ? "MISSED (the statement was refused)"
            : yearOpen.wall <= 2000 ? "met"
                                    : "MISSED");

    const std::string longPath = folder + "/long.txt";
    const std::string longBytes = cp1251::encode(longLines(table, 5, std::size_t(10) << 20));
    if (!bench::writeInput(longPath, longBytes))
        return 1;
    std::printf("\nstatement of 5 documents of 10 MB purposes (%.1f MB)\n", double(longBytes.size()) / 1e6);
    const bench::Timing longFloor = bench::medianMs(3, [&] { readAndSplit(longPath); });
    const bench::Timing longOpen = bench::medianMs(3, [&] { opened = openWindow(state, ledger, longPath); });
    if (!opened)
        std::printf("the statement was refused\n");
    bench::printRow("read, match and open the window", longOpen, "ms", longFloor, "read + split lines");
    return 0;
}
