// What the user waits for in the workbook exchanges, with the full database of 3001 subscribers
// (every month of every year filled in): saving the directory, the month's ledger and the yearly
// sheet as workbooks, and replacing the directory from a workbook. Each figure is the median of
// many runs, printed beside a floor measured in the same run: the bare library writing the same
// cells without any format, or, for the import, the reader alone and the database write that the
// import ends with.

#include "accounts/ledger_workbook.h"
#include "app/main_window.h"
#include "app/program.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "directory/directory_workbook.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/workbook_reader.h"
#include "reports/sheet_workbook.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 21;

double medianMilliseconds(const std::function<void()>& run)
{
    run(); // warm-up
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, double ms, const char* floorName, double floorMs)
{
    std::printf("%-34s %8.1f ms   %-40s %8.1f ms   ratio %5.2f   target <= 500 ms: %s\n", what, ms, floorName,
        floorMs, ms / floorMs, ms <= 500 ? "met" : "MISSED");
}

// The same cells as texts through libxlsxwriter, no formats, no merges, no widths.
void bareTexts(const std::string& path, const RecordTable& table, const std::vector<int>& fieldsOfRow)
{
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (int r = 1; r <= table.recordCount(); ++r)
        for (std::size_t c = 0; c < fieldsOfRow.size(); ++c)
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                std::string(table.field(r, fieldsOfRow[c])).c_str(), nullptr);
    workbook_close(book);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QTemporaryDir folder;
    const std::string databasePath = QDir(folder.path()).filePath("Tervolin2.spb").toStdString();
    {
        RecordTable table;
        fillDemoTable(table, fullDemoOptions());
        if (!database::write(databasePath, table)) {
            std::fprintf(stderr, "cannot write the database\n");
            return 1;
        }
    }

    ScriptedDialogs dialogs;
    SettingsStore settings;
    SystemClock clock;
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, folder.path());
    Program program(state);
    if (!program.start()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    Form1* form = program.mainWindow();
    const QString workbook = QDir(folder.path()).filePath("out.xlsx");
    const std::string bare = QDir(folder.path()).filePath("bare.xlsx").toStdString();
    std::printf("Workbooks with %d subscribers, median of %d runs\n", state.table.recordCount(), Runs);

    const double directoryExport = medianMilliseconds([&] {
        dialogs.fileNames.push_back(workbook);
        exportDirectoryWorkbook(state);
    });
    const double directoryBare = medianMilliseconds([&] {
        bareTexts(bare, state.table, { 1, 2, 3, 4, 5, 6 });
    });
    report("directory export", directoryExport, "bare library, same 3001 x 6 texts", directoryBare);

    // The directory workbook just written is the one imported.
    const std::string directoryFile = QDir(folder.path()).filePath("directory.xlsx").toStdString();
    QFile::copy(workbook, QString::fromStdString(directoryFile));
    const double directoryImport = medianMilliseconds([&] {
        dialogs.answers.push_back(Answer::Yes);
        dialogs.fileNames.push_back(QString::fromStdString(directoryFile));
        importDirectoryWorkbook(state);
    });
    const double readerAlone = medianMilliseconds([&] {
        WorkbookReader reader;
        reader.open(directoryFile);
    });
    const double databaseWrite = medianMilliseconds([&] { state.WriteDatabase(); });
    report("directory import (with its write)", directoryImport, "database write alone", databaseWrite);
    report("  of which reading the workbook", readerAlone, "database write alone", databaseWrite);

    std::vector<int> ledgerFields = { 1, 2 };
    const int base = fields::ledgerBase(6, 12);
    for (int offset : { 0, 1, -1, 3, 4, 5, 6, 8, 9, 10 })
        ledgerFields.push_back(base + offset);
    const double ledgerExport = medianMilliseconds([&] {
        dialogs.fileNames.push_back(workbook);
        exportLedgerWorkbook(state, QStringLiteral("2026"), QStringLiteral("Декабрь"));
    });
    const double ledgerBare = medianMilliseconds([&] { bareTexts(bare, state.table, ledgerFields); });
    report("ledger export", ledgerExport, "bare library, same 3001 x 12 texts", ledgerBare);

    const double sheetExport = medianMilliseconds([&] {
        dialogs.fileNames.push_back(workbook);
        exportSheetWorkbook(state, form->shown());
    });
    const double sheetBare = medianMilliseconds([&] {
        lxw_workbook* book = workbook_new(bare.c_str());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        for (int r = 0; r < 15; ++r)
            for (int c = 0; c < 18; ++c)
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), r * c, nullptr);
        workbook_close(book);
    });
    report("sheet export", sheetExport, "bare library, 15 x 18 numbers", sheetBare);

    // Only the import's question may have been asked: anything else means a run failed.
    for (const Message& message : dialogs.shown) {
        if (message.buttons != MessageButtons::YesNo) {
            std::fprintf(stderr, "a run failed: %s\n", qPrintable(message.text));
            return 1;
        }
    }
    return 0;
}
