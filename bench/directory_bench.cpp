// What the operator waits for in the subscriber directory with a full database (3001 subscribers,
// every month of every year filled in): opening the window, a find that marks a third of the rows,
// deleting the second subscriber. Each figure is the median of many runs, printed beside a floor
// measured in the same run on the same data.
//
//   directory_bench [database file]   (default: a new one, as make_demo_database --subscribers 3001 --full)

#include "bench_support.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "directory/directory.h"
#include "directory/directory_model.h"
#include "directory/directory_window.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"

#include <QApplication>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Median of the runs; `prepare` runs untimed before each.
double median(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const auto start = Clock::now();
        work();
        times.push_back(milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, double ms, const char* floorName, double floorMs, double targetMs)
{
    std::printf("%-42s %7.2f ms   %-40s %7.2f ms   ratio %5.2f", what, ms, floorName, floorMs, ms / floorMs);
    if (targetMs > 0)
        std::printf("   target %.0f ms %s", targetMs, ms <= targetMs ? "met" : "MISSED");
    std::printf("\n");
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));

    const std::string path = folder.filePath(QStringLiteral("Tervolin2.spb")).toStdString();
    if (!bench::useOrMakeFullDatabase(argc > 1 ? argv[1] : nullptr, path))
        return 1;

    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, folder.path());
    state.DatabasePath = QString::fromStdString(path);
    if (database::load(path, state.table).status != database::LoadResult::Status::Loaded) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        return 1;
    }
    const RecordTable pristine = state.table;
    std::printf("%d subscribers, %d fields each; medians of many runs\n\n", state.table.recordCount(),
        fields::PerRecord);

    // Opening: the window is built, filled from the table and painted once.
    const double open = median(15, nullptr, [&] {
        auto* window = new frmSpr(state);
        window->show();
        settle(); // shown on the screen
        window->grid()->viewport()->repaint();
        delete window;
    });
    // Floor: the same window with an empty grid; peer: a grid holding a copy of every text.
    const double emptyOpen = median(15, nullptr, [&] {
        const int count = state.table.recordCount();
        state.table.setRecordCount(0);
        auto* window = new frmSpr(state);
        window->show();
        settle(); // shown on the screen
        window->grid()->viewport()->repaint();
        delete window;
        state.table.setRecordCount(count);
    });
    const double copiedGrid = median(5, nullptr, [&] {
        QStandardItemModel model(state.table.recordCount(), DirectoryModel::ColumnCount);
        for (int row = 1; row <= state.table.recordCount(); ++row) {
            for (int column = 0; column < DirectoryModel::ColumnCount; ++column) {
                const std::string_view text = state.table.field(row, fields::Number + column);
                model.setItem(row - 1, column,
                    new QStandardItem(QString::fromUtf8(text.data(), qsizetype(text.size()))));
            }
        }
        QTableView view;
        view.setModel(&model);
        view.resize(1000, 600);
        view.show();
        settle();
        view.viewport()->repaint();
    });
    report("opening the directory", open, "floor: the window with no rows", emptyOpen, 50);
    report("", open, "peer: a grid holding copies of the texts", copiedGrid, 0);

    // Find: "ОВА" in capitals matches a third of the demo names.
    auto* window = new frmSpr(state);
    window->show();
    settle();
    window->findChild<QLineEdit*>(QStringLiteral("txtfind"))->setText(QStringLiteral("ОВА"));
    const double find = median(
        31, [&] { dialogs.shown.clear(); },
        [&] {
            window->Cmdfind_Click();
            window->grid()->viewport()->repaint();
        });
    const int matches = int(directory::findNames(state.table, "ова").count());
    // Floor: what no find can avoid, scanning the names as they are and painting the grid once.
    volatile int sink = 0;
    const double scan = median(31, nullptr, [&] {
        int n = 0;
        for (int row = 1; row <= state.table.recordCount(); ++row)
            n += state.table.field(row, fields::FullName).find("ова") != std::string_view::npos ? 1 : 0;
        sink = n;
        window->grid()->viewport()->repaint();
    });
    std::printf("\nfind \"ОВА\": %d of %d rows marked\n", matches, state.table.recordCount());
    report("find marking a third of the rows", find, "floor: scan of the names and one paint", scan, 50);

    // Deleting the second subscriber: the question is answered Yes at once.
    const auto restore = [&] {
        state.table = pristine;
        window->ZAPOLNTABL();
        window->g_Click(2);
        dialogs.answers = { Answer::Yes };
    };
    const double shiftAndRefill = median(11, restore, [&] {
        directory::deleteRecord(state.table, 2);
        window->ZAPOLNTABL();
        window->grid()->viewport()->repaint();
    });
    const double deleteClick = median(11, restore, [&] {
        window->CmdDel_Click();
        window->grid()->viewport()->repaint();
    });
    RecordTable afterDelete = pristine;
    directory::deleteRecord(afterDelete, 2);
    const std::string writePath = folder.filePath(QStringLiteral("write.spb")).toStdString();
    const double write = median(11, nullptr, [&] { database::write(writePath, afterDelete); });
    std::printf("\n");
    report("deleting the 2nd: move up, empty, refill", shiftAndRefill, "floor: writing the file alone", write,
        50);
    report("deleting the 2nd: the whole click", deleteClick, "floor: writing the file alone", write, 0);
    delete window;
    return sink < 0 ? 1 : 0;
}
