// Automatic backups at the close of the program, in the restore, when they fail, and where none
// may be made.

#include "app/automatic_backup.h"
#include "app/backup_list_window.h"
#include "app/main_window.h"
#include "app/save_settings_window.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* const CloseBackup = "Резервные копии/Tervolin2 2026-12-06 21-05-00.spb";

class AutomaticBackups : public AppFixture
{
protected:
    std::string backups() const { return folder.file("Резервные копии"); }
    // The automatic backups' names in the folder, oldest first.
    std::vector<std::string> backupNames() const
    {
        std::vector<std::string> names;
        if (fs::is_directory(fs::path(backups())))
            for (const auto& entry : fs::directory_iterator(fs::path(backups())))
                if (entry.path().extension() == ".spb")
                    names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void trigger(Form1* form, const char* name)
    {
        QAction* action = form->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }

    // A run of the program that changes record 1's note, or nothing, and closes.
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

    // Puts a backup of these bytes in the folder as an earlier run would have.
    void earlierBackup(const std::string& name, const std::string& bytes, const char* why)
    {
        fs::create_directories(fs::path(backups()));
        writeBytes(folder.file("Резервные копии/" + name), bytes);
        writeBytes(folder.file("Резервные копии/" + name + ".why"), std::string(why) + "\n");
    }

    QObject m_context;

    // Does `act` on the list of backups once the restore has opened it.
    void whenListed(std::function<void(frmBackupList*)> act)
    {
        // Bound to the test: a list that never opened leaves no call behind for a later test.
        QTimer::singleShot(0, &m_context, [act] {
            auto* list = qobject_cast<frmBackupList*>(QApplication::activeModalWidget());
            ASSERT_NE(list, nullptr);
            act(list);
            if (list->isVisible())
                list->reject();
        });
    }
};

TEST_F(AutomaticBackups, ACloseAfterAChangeBacksUpTheSetAndACloseWithoutOneDoesNot)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    writeBytes(folder.file("Tervolin2.bank"), "журнал");
    writeBytes(folder.file("Tervolin2.balance"), "поставщик");

    run("первая");
    ASSERT_EQ(backupNames(), std::vector<std::string>{ "Tervolin2 2026-12-06 21-05-00.spb" });
    EXPECT_EQ(readBytes(folder.file(CloseBackup)), databaseBytes());
    EXPECT_EQ(readBytes(folder.file(std::string(CloseBackup) + ".bank")), "журнал");
    EXPECT_EQ(readBytes(folder.file(std::string(CloseBackup) + ".balance")), "поставщик");
    EXPECT_EQ(readBytes(folder.file(std::string(CloseBackup) + ".why")), "при закрытии программы\n");

    // Only looked at: the newest backup already holds it.
    clock.set(clock.now().addSecs(3600));
    run(nullptr);
    EXPECT_EQ(backupNames().size(), 1u);

    // A side file that changed alone is a change too; within the same second the name is numbered.
    writeBytes(folder.file("Tervolin2.balance"), "поставщик, март");
    run(nullptr);
    run("вторая");
    EXPECT_EQ(backupNames(),
        (std::vector<std::string>{ "Tervolin2 2026-12-06 21-05-00.spb",
            "Tervolin2 2026-12-06 22-05-00 (2).spb", "Tervolin2 2026-12-06 22-05-00.spb" }));
    EXPECT_EQ(
        readBytes(folder.file("Резервные копии/Tervolin2 2026-12-06 22-05-00 (2).spb")), databaseBytes());
}

TEST_F(AutomaticBackups, TheRestoreOffersThemNewestFirstAndBacksUpTheDatabaseItReplaces)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    const std::string current = databaseBytes();
    const std::string older = databaseLine({ "1", "Иванов И. И.", "старый адрес" });
    const std::string newer = databaseLine({ "1", "Иванов И. И.", "новый адрес" });
    earlierBackup("Tervolin2 2026-11-30 09-00-00.spb", older, "перед импортом справочника");
    earlierBackup("Tervolin2 2026-12-01 18-30-05.spb", newer, "при закрытии программы");
    Form1* form = start();
    ASSERT_NE(form, nullptr);

    QStringList rows;
    whenListed([&rows](frmBackupList* list) {
        EXPECT_EQ(list->windowTitle(), "Восстановление базы из резервной копии");
        for (int row = 0; row < list->List->rowCount(); ++row)
            rows << list->List->item(row, 0)->text() + " | " + list->List->item(row, 2)->text();
        EXPECT_FALSE(list->List->item(0, 1)->text().isEmpty());
        list->List->selectRow(1);
        list->CmdRestore->click();
    });
    dialogs.answers.push_back(Answer::Yes);
    trigger(form, "Menu_Tuns_Vost");

    EXPECT_EQ(rows,
        QStringList({ "01.12.2026 18:30:05 | при закрытии программы",
            "30.11.2026 09:00:00 | перед импортом справочника" }));
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    ASSERT_TRUE(program->ended());
    EXPECT_EQ(databaseBytes(), older);
    const std::string before = folder.file(CloseBackup);
    EXPECT_EQ(readBytes(before), current);
    EXPECT_EQ(readBytes(before + ".why"), "перед восстановлением из резервной копии\n");
}

TEST_F(AutomaticBackups, AnotherFileOpensTheFileDialogAndCancelDoesNothing)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    earlierBackup("Tervolin2 2026-12-01 18-30-05.spb", databaseBytes(), "при закрытии программы");
    Form1* form = start();
    ASSERT_NE(form, nullptr);

    whenListed([](frmBackupList* list) { list->CmdOther->click(); });
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_EQ(dialogs.fileRequests.size(), 1);

    whenListed([](frmBackupList*) {});
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_FALSE(program->ended());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(backupNames().size(), 1u);
}

TEST_F(AutomaticBackups, AFolderThatTakesNoBackupIsReportedAndTheCloseGoesOn)
{
    struct Case
    {
        const char* what;
        bool readOnlyFolder; // else a file stands where the folder should be
    };
    for (const Case& c : { Case{ "read-only folder", true }, Case{ "file in the way", false } }) {
        SCOPED_TRACE(c.what);
        fs::remove_all(fs::path(backups()));
        if (c.readOnlyFolder) {
            fs::create_directories(fs::path(backups()));
            fs::permissions(fs::path(backups()), fs::perms::owner_read | fs::perms::owner_exec);
            if (access(backups().c_str(), W_OK) == 0) {
                fs::permissions(fs::path(backups()), fs::perms::owner_all);
                continue; // this user writes into any folder
            }
        } else {
            writeBytes(backups(), "не папка");
        }
        writeDatabase({ { "1", "Иванов И. И." } });
        run("изменено");
        fs::permissions(fs::path(backups()), fs::perms::owner_all);
        EXPECT_NE(databaseBytes().find(cp1251::encode("изменено")), std::string::npos)
            << "the database is written all the same";
        EXPECT_TRUE(state.notices.last().startsWith("Автоматическая резервная копия не записана: "))
            << state.notices.last().toStdString();
        EXPECT_TRUE(state.notices.last().contains("Резервные копии"));

        // Said once, at the next start.
        fs::remove_all(fs::path(backups()));
        dialogs.shown.clear();
        run(nullptr);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].title, "Автоматическая резервная копия");
        EXPECT_TRUE(dialogs.shown[0].text.contains("06.12.2026 21:05, при закрытии программы"));
        EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(backupNames().size(), 1u);
        run(nullptr);
        EXPECT_EQ(dialogs.shown.size(), 1);
    }
}

TEST_F(AutomaticBackups, TurnedOffInTheSaveSettingsNoneIsMade)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    trigger(form, "Menu_Tuns_Save");
    auto* window = form->findChild<frmTunSave*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->ChAutoBackup->isChecked());
    EXPECT_EQ(window->TxtAutoBackupDir->placeholderText().toStdString(), backups());
    window->ChAutoBackup->setChecked(false);
    EXPECT_FALSE(window->TxtAutoBackupDir->isEnabled());
    window->findChild<QPushButton*>("CmdOk")->click();
    EXPECT_EQ(setting("AutoBackup"), "0");

    state.table.set(1, fields::Note, "изменено");
    form->close();
    ASSERT_TRUE(program->ended());
    EXPECT_FALSE(fs::exists(fs::path(backups())));
}

TEST_F(AutomaticBackups, AFolderChosenInTheSettingsTakesThem)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    const std::string chosen = folder.file("копии на флешке");
    settings.setValue(settings::Main, "AutoBackupDir", QString::fromStdString(chosen));
    run("изменено");
    EXPECT_FALSE(fs::exists(fs::path(backups())));
    EXPECT_EQ(readBytes(chosen + "/Tervolin2 2026-12-06 21-05-00.spb"), databaseBytes());
}

TEST_F(AutomaticBackups, TheArchiveViewMakesNone)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    const std::string archive = folder.file("архив/Tervolin2 архив 2020-2027.spb");
    fs::create_directories(fs::path(folder.file("архив")));
    fs::copy_file(fs::path(databasePath()), fs::path(archive));
    state.viewArchive(QString::fromStdString(archive));
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    state.table.set(1, fields::Note, "изменено");
    backup::automaticBackup(state, backup::Reason::Restore);
    form->close();
    EXPECT_FALSE(fs::exists(fs::path(folder.file("архив/Резервные копии"))));
    EXPECT_FALSE(fs::exists(fs::path(backups())));
}

} // namespace
