// Leaving the ledger's editor by any way but Escape keeps what was typed, as in a spreadsheet.

#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <functional>

namespace {

using namespace ledgertest;

class LedgerEditing : public LedgerWindow
{ };

constexpr int April2024 = March2024 + 22;
constexpr int April2025 = April2024 + 265;

TEST_F(LedgerEditing, ClickingAnotherCellKeepsTheAmountAndEndsOnTheClickedCell)
{
    writeRecords({ { "Иванов", { { March2024, "100" }, { March2024 - 1, "50" }, { March2024 + 3, "20" } } },
        { "Петров", { { March2024 + 4, "8" } } } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, PaidIn));
    QTest::keyClicks(txtg, "200.5");
    click(ledger->grid(), at(ledger, 1, OtherCharges));

    // The same as Enter: two decimals, the row recomputed, the month stored and carried.
    EXPECT_EQ(text(ledger, 0, PaidIn), "200,50");
    EXPECT_EQ(text(ledger, 0, TotalDue), "170,00");
    EXPECT_EQ(text(ledger, 0, EndOverpayment), "30,50");
    EXPECT_EQ(ledger->sumText(PaidIn - 1), "200,50");
    EXPECT_EQ(state.table.field(1, March2024 + 6), "200,50");
    EXPECT_EQ(state.table.field(1, April2024 + 1), "30,50");
    // But the editor is where the user clicked, not where Enter would have gone.
    EXPECT_EQ(ledger->grid()->currentIndex(), at(ledger, 1, OtherCharges));
    ASSERT_TRUE(txtg->isVisible());
    EXPECT_EQ(txtg->cell(), at(ledger, 1, OtherCharges));
    EXPECT_EQ(txtg->text(), "8,00");

    // A click on a cell that is not edited keeps the amount too and opens nothing.
    QTest::keyClicks(txtg, "15");
    click(ledger->grid(), at(ledger, 0, TotalDue));
    EXPECT_FALSE(txtg->isVisible());
    EXPECT_EQ(text(ledger, 1, OtherCharges), "15,00");
    EXPECT_EQ(state.table.field(2, March2024 + 4), "15,00");
    EXPECT_EQ(ledger->grid()->currentIndex(), at(ledger, 0, TotalDue));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerEditing, ScrollingTheGridKeepsTheAmount)
{
    std::vector<std::pair<std::string, Fields>> records;
    for (int i = 0; i < 60; ++i)
        records.push_back({ "Абонент " + std::to_string(i + 1), { { March2024 + 6, "10" } } });
    writeRecords(records);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    QTableView* grid = ledger->grid();
    const std::vector<std::pair<const char*, std::function<void()>>> scrolls = {
        { "scroll bar",
            [&] { grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->value() + 10); } },
        { "wheel",
            [&] {
                const QPointF inside(grid->viewport()->rect().center());
                QWheelEvent wheel(inside, grid->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(grid->viewport(), &wheel);
            } },
    };
    int row = 0;
    for (const auto& [way, scroll] : scrolls) {
        SCOPED_TRACE(way);
        click(grid, at(ledger, row, PaidIn));
        ASSERT_TRUE(txtg->isVisible());
        QTest::keyClicks(txtg, "55");
        const int before = grid->verticalScrollBar()->value();
        scroll();
        ASSERT_NE(grid->verticalScrollBar()->value(), before);
        EXPECT_FALSE(txtg->isVisible());
        EXPECT_EQ(text(ledger, row, PaidIn), "55,00");
        EXPECT_EQ(state.table.field(row + 1, March2024 + 6), "55,00");
        EXPECT_EQ(state.table.field(row + 1, March2024 + 10), "55,00");
        EXPECT_EQ(grid->currentIndex(), at(ledger, row, PaidIn));
        row += 5;
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerEditing, EscapeDropsTheTypedAmountWhereverTheUserGoesNext)
{
    std::vector<std::pair<std::string, Fields>> records;
    for (int i = 0; i < 60; ++i)
        records.push_back({ "Абонент " + std::to_string(i + 1), { { March2024 + 6, "10" } } });
    writeRecords(records);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, PaidIn));
    QTest::keyClicks(txtg, "99");
    QTest::keyClick(txtg, Qt::Key_Escape);
    EXPECT_FALSE(txtg->isVisible());
    EXPECT_EQ(text(ledger, 0, PaidIn), "10,00");
    EXPECT_EQ(state.table.field(1, March2024 + 10), ""); // nothing computed or stored

    click(ledger->grid(), at(ledger, 1, PaidIn));
    ledger->grid()->verticalScrollBar()->setValue(10);
    EXPECT_EQ(text(ledger, 0, PaidIn), "10,00");
    closeLedger(ledger);
    EXPECT_EQ(fileTable().field(1, March2024 + 6), "10,00");
}

TEST_F(LedgerEditing, ClosingTheWindowKeepsTheAmountInTheTableAndTheFile)
{
    writeRecords({ { "Иванов", { { March2024 - 1, "50" } } }, { "Петров", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    click(ledger->grid(), at(ledger, 0, OtherIncome));
    QTest::keyClicks(ledger->editor(), "33");
    closeLedger(ledger);
    EXPECT_EQ(shownLedger(), nullptr);
    EXPECT_EQ(state.table.field(1, March2024 + 8), "33,00");
    const RecordTable file = fileTable();
    EXPECT_EQ(file.field(1, March2024 + 8), "33,00");
    EXPECT_EQ(file.field(1, March2024 + 9), "17,00"); // end underpayment
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerEditing, TheWindowsButtonsAndTheFindBoxKeepTheAmountFirst)
{
    writeRecords({ { "Иванов", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    const auto typeAt = [&](int column, const char* keys) {
        click(ledger->grid(), at(ledger, 0, column));
        ASSERT_TRUE(txtg->isVisible());
        QTest::keyClicks(txtg, keys);
    };

    // Nothing stored yet: the typing alone gives the save button something to save.
    typeAt(OtherIncome, "40");
    ledger->findChild<QToolButton*>("Cmd6")->click();
    EXPECT_FALSE(txtg->isVisible());
    EXPECT_EQ(fileTable().field(1, March2024 + 8), "40,00");

    // The month left behind carries the amount into the next one.
    typeAt(PaidIn, "7");
    ledger->findChild<QToolButton*>("CmdRight")->click();
    EXPECT_EQ(ledger->shownMonth(), "Апрель");
    EXPECT_EQ(state.table.field(1, March2024 + 6), "7,00");
    EXPECT_EQ(text(ledger, 0, StartOverpayment), "47,00");

    auto* txtfind = ledger->findChild<QLineEdit*>("txtfind");
    typeAt(ElectricianPay, "3");
    QTest::mouseClick(txtfind, Qt::LeftButton);
    EXPECT_FALSE(txtg->isVisible());
    EXPECT_TRUE(txtfind->hasFocus());
    EXPECT_EQ(state.table.field(1, April2024 + 3), "3,00");

    typeAt(OtherCharges, "5");
    QComboBox* year = ledger->yearSelector();
    year->setCurrentIndex(year->findText("2025"));
    emit year->activated(year->currentIndex());
    EXPECT_EQ(state.table.field(1, April2024 + 4), "5,00");
    EXPECT_EQ(state.LedgerBase, April2025);

    // The export (cancelled here) comes after the amount is kept.
    typeAt(PaidIn, "9");
    ledger->findChild<QToolButton*>("Command1")->click();
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(state.table.field(1, April2025 + 6), "9,00");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerEditing, AnAmountRefusedOnLeavingKeepsTheUserInTheCell)
{
    writeRecords({ { "Иванов", { { March2024 + 6, "10" } } }, { "Петров", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, PaidIn));
    QTest::keyClicks(txtg, "abc");
    const std::string before = databaseBytes();
    // A message box on screen is a window of its own: it takes the focus and leaves no window
    // active when it closes.
    QWidget box;
    dialogs.whileShown = [&](const Message&) {
        box.show();
        box.activateWindow();
        QCoreApplication::processEvents();
        box.hide();
        QCoreApplication::processEvents();
    };

    // One message for each thing the user tries; the cell, the table and the file stay as they were.
    click(ledger->grid(), at(ledger, 1, PaidIn));
    ledger->findChild<QToolButton*>("Cmd6")->click();
    ledger->close();
    ASSERT_EQ(dialogs.shown.size(), 3);
    for (const Message& shown : dialogs.shown) {
        EXPECT_EQ(shown.text, "Введите сумму числом, например 1250,50");
        EXPECT_EQ(shown.title, "Ошибка ввода");
    }
    EXPECT_TRUE(ledger->isVisible());
    ASSERT_TRUE(txtg->isVisible());
    // The window comes back to the front, with the user in the cell.
    EXPECT_TRUE(QTest::qWaitFor([&] { return txtg->hasFocus(); }, 1000));
    EXPECT_EQ(txtg->cell(), at(ledger, 0, PaidIn));
    EXPECT_EQ(txtg->text(), "abc");
    EXPECT_EQ(ledger->grid()->currentIndex(), at(ledger, 0, PaidIn));
    EXPECT_EQ(text(ledger, 0, PaidIn), "10,00");
    EXPECT_EQ(state.table.field(1, March2024 + 6), "10,00");
    EXPECT_EQ(databaseBytes(), before);

    // Escape gives the way out.
    QTest::keyClick(txtg, Qt::Key_Escape);
    closeLedger(ledger);
    EXPECT_EQ(shownLedger(), nullptr);
    EXPECT_EQ(fileTable().field(1, March2024 + 6), "10,00");
    EXPECT_EQ(dialogs.shown.size(), 3);
}

TEST_F(LedgerEditing, AnotherWindowInFrontOrTheEditorsMenuLeaveTheEditOpen)
{
    writeRecords({ { "Иванов", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, PaidIn));
    QTest::keyClicks(txtg, "12");

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(txtg->isVisible());
    other.hide();
    ledger->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ledger));

    // The menu of cut, copy and paste takes the focus for a moment.
    QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(txtg, &toMenu);
    EXPECT_TRUE(txtg->isVisible());
    EXPECT_EQ(text(ledger, 0, PaidIn), "");

    QTest::keyClick(txtg, Qt::Key_Return);
    EXPECT_EQ(state.table.field(1, March2024 + 6), "12,00");
}

} // namespace
