// An archive of past years opened from the menu: another copy of the program looks into it,
// prints from it and refuses every change, and nothing is written to it, beside it or to the
// user's own settings.

#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"
#include "app/program.h"
#include "directory/directory_window.h"
#include "platform/file_places.h"
#include "sheet/sheet_view.h"

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <set>

namespace {

using namespace ledgertest;

const QString Refusal = QStringLiteral("Архив открыт только для просмотра.");

class ArchiveView : public LedgerWindow
{
protected:
    ArchiveView()
    {
        std::filesystem::create_directory(filePath(folder.file("архив")));
        writeDemoDatabase(6);
        archivePath = folder.file("архив/Tervolin2 архив 2020-2027.spb");
        std::filesystem::rename(filePath(databasePath()), filePath(archivePath));
        writeBytes(archivePath + ".bank", "1|05.02.2026|10,00||1|2026|2|06.02.2026|Петров|\r\n");
        archiveBytes = readBytes(archivePath);
        settings.setValue(settings::Main, "Cmb1", "2026");
        settings.setValue(settings::Main, "Li", "10");
    }

    // The program as "tervolin --archive PATH" starts it.
    Form1* startOnArchive()
    {
        state.viewArchive(QString::fromStdString(archivePath));
        main = start();
        return main;
    }

    std::set<std::string> filesBesideArchive() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(filePath(folder.file("архив"))))
            names.insert(utf8Path(entry.path().filename()));
        return names;
    }

    // Each command said the one refusal, and nothing else was asked.
    void expectRefusedOnce(const char* command)
    {
        ASSERT_EQ(dialogs.shown.size(), 1) << command;
        EXPECT_EQ(dialogs.shown[0].text, Refusal) << command;
        dialogs.shown.clear();
    }

    void expectArchiveUntouched()
    {
        EXPECT_EQ(readBytes(archivePath), archiveBytes);
        EXPECT_EQ(filesBesideArchive(),
            (std::set<std::string>{ "Tervolin2 архив 2020-2027.spb", "Tervolin2 архив 2020-2027.spb.bank" }));
    }

    std::string archivePath;
    std::string archiveBytes;
};

TEST_F(ArchiveView, TheMenuStartsACopyOfTheProgramOnTheArchiveChosen)
{
    writeDemoDatabase(3);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    dialogs.fileNames = { QString::fromStdString(archivePath) };
    form->findChild<QAction*>("Menu_Tuns_Archive")->trigger();
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(archivePath));
    ASSERT_EQ(shell.programStarts.size(), 1);
    EXPECT_EQ(shell.programStarts[0], (QStringList{ "--archive", shown }));
    EXPECT_EQ(places::folder(settings, places::Kind::Archive), QString::fromStdString(folder.file("архив")));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // A copy that cannot be started is said; a dialog cancelled starts none.
    shell.programStartable = false;
    dialogs.fileNames = { QString::fromStdString(archivePath) };
    form->findChild<QAction*>("Menu_Tuns_Archive")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Не удалось запустить программу для просмотра архива " + shown + ".");
    dialogs.fileNames = { std::nullopt };
    form->findChild<QAction*>("Menu_Tuns_Archive")->trigger();
    EXPECT_EQ(shell.programStarts.size(), 2);
}

TEST_F(ArchiveView, TheArgumentNamesTheArchive)
{
    EXPECT_EQ(archiveArgument({ "tervolin" }), std::nullopt);
    EXPECT_EQ(archiveArgument({ "tervolin", "--archive", "/a/б.spb" }), QString("/a/б.spb"));
    EXPECT_EQ(archiveArgument({ "tervolin", "--archive=/a/б.spb" }), QString("/a/б.spb"));
    EXPECT_EQ(archiveArgument({ "tervolin", "--archive" }), QString());
}

TEST_F(ArchiveView, TheArchiveShowsItsYearsAndRefusesTyping)
{
    Form1* form = startOnArchive();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Архив (только просмотр): Терволин, оплата электричества");
    EXPECT_EQ(form->yearSelector()->currentText(), "2026");
    EXPECT_FALSE(form->timer2()->isActive()); // no autosave

    SheetCell* cell = form->sheet()->typed(3, fields::CurrentReading);
    const QString before = cell->text();
    ASSERT_FALSE(before.isEmpty());
    cell->setFocus();
    QTest::keyClicks(cell, "9");
    QTest::keyClick(cell, Qt::Key_Backspace);
    EXPECT_EQ(cell->text(), before);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text, Refusal);
    dialogs.shown.clear();
    // Moving through the cell and copying it are no changes.
    QTest::keyClick(cell, Qt::Key_Home);
    QTest::keyClick(cell, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    form->findChild<QToolButton*>("Cmd6")->click();
    expectRefusedOnce("Cmd6");
    for (const char* command : { "Menu_Tools_Date", "Menu_Tools_PostChUlOsv", "Menu_Tools_DelChUlOsv",
             "Menu_Tuns_Save", "Menu_Tuns_Coloor", "Menu_Tuns_Rekv", "Menu_Tuns_RCopy", "Menu_Tuns_Vost" }) {
        form->findChild<QAction*>(command)->trigger();
        expectRefusedOnce(command);
    }
    EXPECT_TRUE(program->mainWindow() != nullptr);

    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    expectArchiveUntouched();
}

TEST_F(ArchiveView, TheLedgerAndTheDirectoryRefuseEveryChange)
{
    frmRedLS* ledger = nullptr;
    ASSERT_NE(startOnArchive(), nullptr);
    ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_TRUE(ledger->windowTitle().startsWith("Архив (только просмотр): "));
    const QModelIndex paid = at(ledger, 1, 9);
    const QString before = text(ledger, 1, 9);
    click(ledger->findChild<QTableView*>("g"), paid);
    auto* editor = ledger->findChild<CellEditor*>("txtg");
    // The box still opens, to show and copy the amount.
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClicks(editor, "5");
    EXPECT_EQ(dialogs.shown.size(), 1);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(text(ledger, 1, 9), before);
    dialogs.shown.clear();
    ledger->findChild<QToolButton*>("Cmd6")->click();
    expectRefusedOnce("Cmd6");
    ledger->findChild<QToolButton*>("CmdBank")->click();
    expectRefusedOnce("CmdBank");
    ledger->findChild<QPushButton*>("CmdPerenos")->click();
    expectRefusedOnce("CmdPerenos");
    closeLedger(ledger);

    main->findChild<QAction*>("Mnu_Abonenty")->trigger();
    frmSpr* directory = program->directoryWindow();
    ASSERT_NE(directory, nullptr);
    EXPECT_TRUE(directory->windowTitle().startsWith("Архив (только просмотр): "));
    directory->grid()->setFocus();
    QTest::keyClick(directory->grid(), Qt::Key_Down);
    QTest::keyClick(directory->grid(), Qt::Key_Down);
    ASSERT_GE(state.SelectedDirectoryRow, 2); // one that may be deleted
    for (const char* command : { "Cmd1", "Cmd2", "CmdDel", "CmdImport" }) {
        directory->findChild<QPushButton*>(command)->click();
        expectRefusedOnce(command);
    }
    directory->close();
    main->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    expectArchiveUntouched();
}

TEST_F(ArchiveView, PrintsWorkAndTheUsersSettingsStayTheirOwn)
{
    Form1* form = startOnArchive();
    ASSERT_NE(form, nullptr);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    form->sheet()->typed(3, fields::CurrentReading)->setFocus();
    QTest::keyClick(form->sheet()->typed(3, fields::CurrentReading), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(std::filesystem::exists(filePath(printedPage(1))));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // The year chosen here is this run's alone.
    chooseMainYear("2024");
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tervolin"),
        QStringLiteral("tervolin"));
    EXPECT_EQ(stored.value(settings::Main + "/Cmb1").toString(), "2026");
    expectArchiveUntouched();
}

TEST_F(ArchiveView, AMissingArchiveIsSaidAndNothingIsMade)
{
    std::filesystem::remove(filePath(archivePath));
    EXPECT_EQ(startOnArchive(), nullptr);
    EXPECT_TRUE(program->ended());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
        "Архив " + QDir::toNativeSeparators(QString::fromStdString(archivePath)) + " не найден.");
    EXPECT_EQ(filesBesideArchive(), (std::set<std::string>{ "Tervolin2 архив 2020-2027.spb.bank" }));
}

} // namespace
