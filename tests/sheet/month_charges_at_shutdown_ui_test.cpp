// The built program, started on a database whose charges were never computed and ended by the
// system (log-out, shutdown), leaves every month's charge of the sheet it showed in the file.

#include "database/database_file.h"
#include "support/files.h"

#include <QProcess>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(ProgramRun, EndedBySigtermItStoresTheMonthChargesOfTheShownSheet)
{
    TempFolder folder;
    const std::filesystem::path program = folder.path() / "tervolin";
    std::filesystem::copy_file(std::filesystem::path(TERVOLIN_BIN_DIR) / "tervolin", program);

    // 2020: March is the month the operators check by hand, June has street lighting only.
    std::vector<std::string> first(2128);
    first[0] = "1";
    first[1] = "Иванов И. И.";
    const auto set = [&first](int m, const std::vector<std::string>& typed) {
        for (std::size_t b = 0; b < typed.size(); ++b)
            first[fields::monthBase(0, m) + b - 1] = typed[b];
    };
    set(3, { "31.03.20", "10700", "10625", "0,25", "6,5", "26", "4", "3,22", "1,8" });
    set(6, { "30.06.20", "", "", "0,25", "6,5", "26", "4", "3,22", "1,8" });
    std::vector<std::string> second = { "2", "Петров П. П." };
    writeBytes(folder.file("Tervolin2.spb"), databaseLine(first) + databaseLine(second));

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(folder.file("config")));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    run.setProcessEnvironment(environment);
    run.start(QString::fromStdString(program.string()), {});
    ASSERT_TRUE(run.waitForStarted(10000));

    // The lock beside the database is taken once the program handles the signal itself.
    const std::filesystem::path lock = folder.path() / "Tervolin2.spb.lock";
    for (int i = 0; i < 300 && !std::filesystem::exists(lock); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(std::filesystem::exists(lock));
    ::kill(pid_t(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);

    RecordTable table;
    ASSERT_EQ(
        database::load(folder.file("Tervolin2.spb"), table).status, database::LoadResult::Status::Loaded);
    for (int m = 1; m <= 12; ++m) {
        const std::string_view charge = table.field(1, fields::monthBase(0, m) + fields::MonthCharge);
        EXPECT_EQ(charge, m == 3 ? "399,72" : m == 6 ? "144,04" : "0") << m;
        // Only the shown subscriber's shown year is stored.
        EXPECT_TRUE(table.field(1, fields::monthBase(1, m) + fields::MonthCharge).empty());
        EXPECT_TRUE(table.field(2, fields::monthBase(0, m) + fields::MonthCharge).empty());
    }
    EXPECT_EQ(table.field(1, fields::monthBase(0, 3) + fields::Tariff), "3,22");
}

} // namespace
