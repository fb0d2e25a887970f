// A save of the full database (3001 subscribers, every month of every year) with one field
// changed, as the program makes it: the database written with its entry in the change journal
// beside it. Beside it, the same write of the database alone, measured in the same rounds; and the
// same save once the journal holds a few thousand entries, so that a cost growing with the journal
// shows.
//
//   change_log_bench [rounds] [database file]

#include "bench_support.h"
#include "database/change_log.h"
#include "database/database_file.h"
#include "database/sha256.h"
#include "database/year_archive.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "window_bench.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr double Target = 1.2;

bench::Timing median(std::vector<bench::Timing> runs)
{
    const auto middle = [&](auto member) {
        std::vector<double> values;
        for (const bench::Timing& t : runs)
            values.push_back(t.*member);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return { middle(&bench::Timing::wall), middle(&bench::Timing::cpu) };
}

void verdict(const char* what, bench::Timing figure, bench::Timing floor)
{
    bench::printRow(what, figure, "ms", floor, "database::write alone");
    const double ratio = figure.wall / std::max(floor.wall, 1e-9);
    std::printf(
        "  target: at most %.1f× the write alone: %s\n\n", Target, ratio <= Target ? "met" : "NOT MET");
    std::fflush(stdout);
}

// A journal of `count` entries of one changed field each, the last naming the database as it is.
std::string journalOf(int count, const std::string& databaseHash)
{
    std::string journal;
    for (int i = 1; i <= count; ++i) {
        changelog::Entry entry{ "06.12.2026 21:05:00", "bench", "Сохранение", "", {},
            i == count ? databaseHash : Sha256::of(std::to_string(i)) };
        entry.changes.push_back({ 1 + i % 3000, "Иванов И. И.", 2026, 3, "Текущее показание",
            std::to_string(i), std::to_string(i + 1) });
        journal = changelog::appended(journal, entry);
    }
    return journal;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    bench::WindowRun run; // settings of this run alone
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));

    const std::string work = bench::workFolder() + "/change_log";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    const std::string original = work + "/original.spb";
    if (!bench::useOrMakeFullDatabase(argc > 2 ? argv[2] : nullptr, original))
        return 1;

    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, QString::fromStdString(work));
    state.dataFolder = QString::fromStdString(work);
    const std::string path = state.databaseFile();
    const std::string journal = database::sideFilePath(path, changelog::FileName);
    if (database::load(original, state.table).status != database::LoadResult::Status::Loaded) {
        std::fprintf(stderr, "the database does not load\n");
        return 1;
    }
    std::printf("database: %d subscribers, %.1f MB\n\n", state.table.recordCount(),
        double(std::filesystem::file_size(original)) / 1e6);

    // One reading typed in and saved, again and again; the write alone gets the same table.
    const int field = fields::baseOfMonth(2026, 3) + fields::CurrentReading;
    int typed = 0;
    const auto typeOne = [&] { state.table.set(1500, field, std::to_string(10000 + typed++ % 7)); };
    const std::string alone = work + "/alone.spb";

    const auto measure = [&](const char* what) {
        // The first save of a run is not counted: it starts the journal for this file.
        typeOne();
        state.WriteDatabase();
        std::vector<bench::Timing> floors;
        std::vector<bench::Timing> commits;
        std::vector<bench::Timing> saves;
        bool failed = false;
        for (int i = 0; i < rounds; ++i) {
            typeOne();
            floors.push_back(bench::medianMs(1, [&] { database::write(alone, state.table); }));
            // The commit without the journal: the database's SHA-256, a record and one small side file.
            typeOne();
            commits.push_back(bench::medianMs(1, [&] {
                database::write(alone, state.table, { { alone + ".side", std::string("x") } });
            }));
            typeOne();
            saves.push_back(bench::medianMs(1, [&] { failed |= !state.WriteDatabase(); }));
        }
        if (failed)
            std::printf("A SAVE FAILED\n");
        verdict(what, median(saves), median(floors));
        bench::printRow("  the same beside a commit", median(saves), "ms", median(commits),
            "commit with one small side file");
        std::printf("\n");
    };

    database::copyFile(original, path);
    std::filesystem::remove(journal);
    measure("save with its journal entry");

    const int entries = 2000;
    database::write(path, state.table);
    database::writeFile(journal, journalOf(entries, Sha256::of(database::readFile(path, 1u << 30).bytes)));
    std::printf(
        "journal of %d entries: %.2f MB\n", entries, double(std::filesystem::file_size(journal)) / 1e6);
    measure("the same, journal grown");
    std::printf("journal after the run: %.2f MB\n", double(std::filesystem::file_size(journal)) / 1e6);

    const std::string text = database::readFile(journal, 1u << 30).bytes;
    const changelog::Verification read
        = changelog::verify(text, Sha256::of(database::readFile(path, 1u << 30).bytes));
    std::printf("journal verified: %s, %zu entries\n",
        read.status == changelog::Verification::Status::Sound ? "sound" : "NOT SOUND", read.entries.size());
    return 0;
}
