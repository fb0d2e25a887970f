// The keyboard: every menu item has its letter, and the shortcuts reach what their buttons and
// menu items do, wherever the focus is.

#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"
#include "directory/directory_window.h"
#include "sheet/sheet_view.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <filesystem>
#include <set>

namespace {

using namespace ledgertest;

class Keyboard : public LedgerWindow
{
protected:
    Form1* openMain()
    {
        writeRecords({ { "Иванов И. И.", {} }, { "Петров П. П.", {} } });
        settings.setValue(settings::Main, "Cmb1", "2024");
        main = start();
        if (main) {
            main->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(main));
        }
        return main;
    }
    static void press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(widget, key, modifiers);
    }
    QString helpMissing() const
    {
        return QStringLiteral("Файл справки %1 не найден.")
            .arg(QString::fromStdString(folder.file("Help.pdf")));
    }
};

// The letter after the single "&" of a caption, or nothing when it has none or more than one.
std::optional<QChar> mnemonic(const QString& caption)
{
    std::optional<QChar> found;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') { // "&&" is a plain "&"
            ++i;
            continue;
        }
        if (found)
            return std::nullopt;
        found = caption[i + 1].toLower();
    }
    return found;
}

// Every visible item of the list has its own letter.
void expectUniqueMnemonics(const QList<QAction*>& actions, const QString& where)
{
    std::set<QChar> letters;
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible() || action->text().isEmpty())
            continue;
        const std::optional<QChar> letter = mnemonic(action->text());
        ASSERT_TRUE(letter.has_value()) << where.toStdString() << ": " << action->text().toStdString();
        EXPECT_TRUE(letters.insert(*letter).second)
            << where.toStdString() << ": the letter of " << action->text().toStdString() << " again";
    }
}

void expectMnemonicsIn(QWidget* window)
{
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window); mainWindow && mainWindow->menuWidget())
        expectUniqueMnemonics(mainWindow->menuBar()->actions(), window->objectName() + " menu bar");
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        // The line edits' own pop-up menus are built when they open, by Qt, with their letters.
        if (menu->objectName().isEmpty())
            continue;
        expectUniqueMnemonics(menu->actions(), menu->objectName());
    }
}

TEST_F(Keyboard, EveryMenuOfEveryWindowHasALetterForEachItem)
{
    ASSERT_NE(openMain(), nullptr);
    const int menus = int(main->findChildren<QMenu*>().size());
    EXPECT_GE(menus, 5); // the four of the menu bar and the month's documents
    expectMnemonicsIn(main);
    // The captions are as they were, with their letters added.
    EXPECT_EQ(main->findChild<QAction*>("Menu_Tuns_RCopy")->text(), "Резервное &копирование базы");
    EXPECT_EQ(main->findChild<QAction*>("Mnu_LicSchet")->iconText(), "Лицевой счет");

    frmRedLS* ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    expectMnemonicsIn(ledger);
    closeLedger(ledger);

    main->findChild<QAction*>("Mnu_Abonenty")->trigger();
    ASSERT_NE(program->directoryWindow(), nullptr);
    expectMnemonicsIn(program->directoryWindow());
}

TEST_F(Keyboard, TheMainWindowsKeysWorkFromASheetCell)
{
    ASSERT_NE(openMain(), nullptr);
    SheetCell* cell = main->sheet()->typed(3, fields::CurrentReading);
    cell->setFocus();
    QTest::keyClicks(cell, "98765");

    // Saving leaves the cell as the button's click would, stores and writes, and comes back.
    press(cell, Qt::Key_S);
    EXPECT_NE(databaseBytes().find("98765"), std::string::npos);
    EXPECT_EQ(main->statusBar()->currentMessage(), "База сохранена 21:05");
    EXPECT_EQ(QApplication::focusWidget(), cell);

    press(cell, Qt::Key_P);
    EXPECT_TRUE(std::filesystem::exists(printedPage(1)));
    EXPECT_EQ(QApplication::focusWidget(), cell);

    press(cell, Qt::Key_F1, Qt::NoModifier);
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.shown.last().text, helpMissing());

    press(cell, Qt::Key_L);
    frmRedLS* ledger = shownLedger();
    ASSERT_NE(ledger, nullptr);
    closeLedger(ledger);
    ASSERT_TRUE(main->isVisible());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));

    cell->setFocus();
    press(cell, Qt::Key_D);
    EXPECT_NE(program->directoryWindow(), nullptr);
}

TEST_F(Keyboard, TheLedgersKeysKeepWhatIsBeingTyped)
{
    writeRecords({ { "Иванов И. И.", {} }, { "Петров П. П.", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    click(ledger->grid(), at(ledger, 0, PaidIn));
    CellEditor* editor = ledger->editor();
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClicks(editor, "432,10");

    press(editor, Qt::Key_S);
    EXPECT_EQ(fileTable().field(1, March2024 + 6), "432,10");
    EXPECT_EQ(ledger->findChild<QStatusBar*>("StatusBar")->currentMessage(), "База сохранена 21:05");

    press(ledger->grid(), Qt::Key_F);
    EXPECT_EQ(QApplication::focusWidget(), ledger->findChild<QLineEdit*>("txtfind"));

    press(ledger->grid(), Qt::Key_F1, Qt::NoModifier);
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.shown.last().text, helpMissing());

    // Printing opens the month's printout.
    press(ledger->grid(), Qt::Key_P);
    bool printout = false;
    for (QWidget* window : QApplication::topLevelWidgets())
        printout = printout || (window->objectName() == "MDIfrmPrint" && window->isVisible());
    EXPECT_TRUE(printout);
}

TEST_F(Keyboard, AReportWindowPrintsWithCtrlP)
{
    ASSERT_NE(openMain(), nullptr);
    main->findChild<QAction*>("Menu_Tools_Check")->trigger();
    QWidget* check = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == "frmCheck" && window->isVisible())
            check = window;
    }
    ASSERT_NE(check, nullptr);
    check->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(check));
    press(check, Qt::Key_P);
    bool printout = false;
    for (QWidget* window : QApplication::topLevelWidgets())
        printout = printout || (window->objectName() == "MDIfrmPrint" && window->isVisible());
    EXPECT_TRUE(printout);
}

TEST_F(Keyboard, TheDirectoryFindsFromTheGridAndOpensTheGuide)
{
    ASSERT_NE(openMain(), nullptr);
    main->findChild<QAction*>("Mnu_Abonenty")->trigger();
    frmSpr* directory = program->directoryWindow();
    ASSERT_NE(directory, nullptr);
    directory->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(directory));
    directory->grid()->setFocus();

    press(directory->grid(), Qt::Key_F);
    EXPECT_EQ(QApplication::focusWidget(), directory->findChild<QLineEdit*>("txtfind"));
    press(directory->grid(), Qt::Key_F1, Qt::NoModifier);
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.shown.last().text, helpMissing());
}

} // namespace
