// The files beside an automatic backup: every one of the set goes with it, is compared at a close,
// and leaves with it when the backup is removed.

#include "app/main_window.h"
#include "support/app_fixture.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const char* const CloseBackup = "Резервные копии/Tervolin2 2026-12-06 21-05-00.spb";
const char* const Sides[] = { ".bank", ".balance", ".route", ".claims", ".log", ".why" };

class AutomaticBackupSides : public AppFixture
{
protected:
    void run(const char* note)
    {
        program = std::make_unique<Program>(state);
        Form1* form = start();
        ASSERT_NE(form, nullptr);
        if (note)
            state.table.set(1, fields::Note, note);
        form->close();
        ASSERT_TRUE(program->ended());
    }

    bool exists(const std::string& name) const { return fs::exists(filePath(folder.file(name))); }
};

TEST_F(AutomaticBackupSides, TheRegisterOfClaimsChangedAloneIsBackedUpAtTheClose)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    run("первая");
    ASSERT_TRUE(exists(CloseBackup));
    EXPECT_FALSE(exists(std::string(CloseBackup) + ".claims"));

    // A claim sent: the register is written without the database.
    clock.set(clock.now().addSecs(60));
    writeBytes(folder.file("Tervolin2.claims"), "1\t06.12.2026\t1\tИванов И. И.\t10,00\r\n");
    run(nullptr);
    const std::string next = "Резервные копии/Tervolin2 2026-12-06 21-06-00.spb";
    ASSERT_TRUE(exists(next));
    EXPECT_EQ(readBytes(folder.file(next + ".claims")), readBytes(folder.file("Tervolin2.claims")));
}

TEST_F(AutomaticBackupSides, ABackupRemovedTakesEveryFileOfItsSet)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    // Twelve backups of one morning five days ago: with the close's own the ten newest stay, the three
    // oldest go.
    fs::create_directories(filePath(folder.file("Резервные копии")));
    std::vector<std::string> names;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = "Резервные копии/Tervolin2 2026-12-01 10-00-"
            + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".spb";
        writeBytes(folder.file(name), databaseBytes());
        for (const char* side : Sides)
            writeBytes(folder.file(name + side), "x");
        names.push_back(name);
    }
    run("изменение");
    ASSERT_TRUE(exists(CloseBackup));
    for (int n = 0; n < 3; ++n) {
        EXPECT_FALSE(exists(names[std::size_t(n)])) << n;
        for (const char* side : Sides)
            EXPECT_FALSE(exists(names[std::size_t(n)] + side)) << n << side;
    }
    for (const char* side : Sides)
        EXPECT_TRUE(exists(names[3] + side)) << side;
}

} // namespace
