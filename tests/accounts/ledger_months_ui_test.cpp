// Moving the ledger through the months and years, and the carry-over of December into the next
// January.

#include "accounts/carry_over_window.h"
#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"

#include <QLabel>
#include <QPushButton>

namespace {

using namespace ledgertest;

TEST_F(LedgerWindow, MonthButtonsStepCarryAndStopAtTheYearsEnds)
{
    // January's end underpayment of 100 must reach February, whatever February held before.
    writeRecords({ { "Иванов", { { 1078, "100" }, { 1078 + 22, "5" } } } });
    frmRedLS* ledger = openLedger("2024", 0);
    ASSERT_NE(ledger, nullptr);
    auto* left = ledger->findChild<QToolButton*>("CmdLeft");
    auto* right = ledger->findChild<QToolButton*>("CmdRight");
    auto* perenos = ledger->findChild<QPushButton*>("CmdPerenos");
    EXPECT_FALSE(left->isEnabled());
    EXPECT_TRUE(right->isEnabled());
    EXPECT_FALSE(perenos->isVisible());

    right->click();
    EXPECT_EQ(ledger->shownMonth(), "Февраль");
    EXPECT_EQ(state.LedgerMonthIndex, 1);
    EXPECT_EQ(state.LedgerBase, 1078 + 22);
    EXPECT_EQ(text(ledger, 0, StartUnderpayment), "100,00");
    EXPECT_TRUE(left->isEnabled());
    // February stored on arrival: March starts where February ends.
    EXPECT_EQ(state.table.field(1, 1078 + 44), "100,00");

    for (int i = 0; i < 10; ++i)
        right->click();
    EXPECT_EQ(ledger->shownMonth(), "Декабрь");
    EXPECT_FALSE(right->isEnabled());
    EXPECT_TRUE(perenos->isVisible());
    EXPECT_TRUE(perenos->isEnabled());
    EXPECT_EQ(text(ledger, 0, StartUnderpayment), "100,00");

    left->click();
    EXPECT_EQ(ledger->shownMonth(), "Ноябрь");
    EXPECT_FALSE(perenos->isVisible());
    EXPECT_TRUE(right->isEnabled());

    // Within the run the ledger reopens on the month last viewed.
    closeLedger(ledger);
    ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->shownMonth(), "Ноябрь");
}

TEST_F(LedgerWindow, AYearThatIsNotInTheListShowsJanuary2020)
{
    writeRecords({ { "Иванов", { { 18 + 6, "12" } } } });
    main = start();
    ASSERT_NE(main, nullptr);
    chooseMainYear("1999");
    state.LedgerOpenedThisRun = true; // June viewed earlier in the run
    state.LedgerMonthIndex = 5;
    frmRedLS* ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->shownYear(), "2020");
    EXPECT_EQ(ledger->shownMonth(), "Январь");
    EXPECT_EQ(state.LedgerMonthIndex, 0);
    EXPECT_EQ(state.LedgerBase, 18);
    EXPECT_FALSE(ledger->findChild<QToolButton*>("CmdLeft")->isEnabled());
    EXPECT_EQ(text(ledger, 0, PaidIn), "12,00");
}

TEST_F(LedgerWindow, ChoosingAnotherYearShowsTheSameMonthThere)
{
    writeRecords({ { "Иванов", { { March2024 + 6, "12" }, { March2024 + 265 + 6, "34" } } } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    QComboBox* year = ledger->yearSelector();
    year->setCurrentIndex(year->findText("2025"));
    emit year->activated(year->currentIndex());
    EXPECT_EQ(ledger->shownMonth(), "Март");
    EXPECT_EQ(state.LedgerBase, March2024 + 265);
    EXPECT_EQ(text(ledger, 0, PaidIn), "34,00");
    // The month left behind was stored, carrying into its April.
    EXPECT_EQ(state.table.field(1, March2024 + 23), "12,00");
}

TEST_F(LedgerWindow, CarryOverFromDecember2024IntoJanuary2025)
{
    writeRecords({ { "Иванов", { { December2024, "100" } } }, { "Петров", { { December2024 + 6, "30" } } },
        { "Сидоров", { { January2025, "77,00" } } } });
    frmRedLS* ledger = openLedger("2024", 11);
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QPushButton*>("CmdPerenos")->click();
    auto* window = ledger->findChild<frmPerenos*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    EXPECT_EQ(window->windowTitle(), "Перенос данных на следующий год");
    EXPECT_EQ(window->yearLabel()->text(), "2025");
    CarryOverModel* model = window->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->cellText(0, 0), "1. Иванов");
    EXPECT_EQ(model->cellText(0, 1), "100,00");
    EXPECT_EQ(model->cellText(1, 2), "30,00");
    EXPECT_EQ(model->cellText(2, 1), "");

    // A correction goes in as typed; Enter moves down the column.
    click(window->grid(), model->index(1, 2));
    ASSERT_TRUE(window->editor()->isVisible());
    window->editor()->clear();
    type(window->editor(), "15.5");
    EXPECT_EQ(model->cellText(1, 2), "15,5");
    EXPECT_EQ(window->grid()->currentIndex(), model->index(2, 2));
    QTest::keyClick(window->editor(), Qt::Key_Escape);

    QPushButton* transfer = window->transferButton();
    EXPECT_TRUE(transfer->isEnabled());
    transfer->click();
    EXPECT_FALSE(transfer->isEnabled());
    EXPECT_EQ(state.table.field(1, January2025), "100,00");
    EXPECT_EQ(state.table.field(2, January2025 + 1), "15,5");
    EXPECT_EQ(state.table.field(3, January2025), ""); // the December balance, not January's old one
    // Once only, until another cell is chosen.
    state.table.set(1, January2025, "изменено");
    transfer->click();
    EXPECT_EQ(state.table.field(1, January2025), "изменено");
    click(window->grid(), model->index(0, 0));
    EXPECT_TRUE(transfer->isEnabled());

    window->clearButton()->click();
    EXPECT_EQ(model->cellText(0, 1), "");
    EXPECT_EQ(model->cellText(1, 2), "");
    EXPECT_TRUE(transfer->isEnabled());
    // The cleared fields are not carried.
    dialogs.answers.push_back(Answer::No);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Перенести исправленные остатки на следующий год?");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The ledger of January 2025 starts from the transferred balances.
    closeLedger(ledger);
    state.LedgerMonthIndex = 0;
    chooseMainYear("2025");
    ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(text(ledger, 0, StartUnderpayment), "изменено,00");
    EXPECT_EQ(text(ledger, 1, StartOverpayment), "15,50");
}

TEST_F(LedgerWindow, TheLastWindowOfYearsHasNoCarryOver)
{
    // 2100 … 2107 is as far as the years go: December 2107 has no next January.
    writeRecords({ { "Иванов", { { fields::WindowField, "2100" } } } });
    frmRedLS* ledger = openLedger("2107", 11);
    ASSERT_NE(ledger, nullptr);
    auto* perenos = ledger->findChild<QPushButton*>("CmdPerenos");
    EXPECT_TRUE(perenos->isVisible());
    EXPECT_FALSE(perenos->isEnabled());
    ledger->CmdPerenos_Click();
    EXPECT_EQ(ledger->findChild<frmPerenos*>(), nullptr);
}

} // namespace
