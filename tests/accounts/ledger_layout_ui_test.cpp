// The ledger on the screen: the sums under their columns, the whole window within the screen, the
// names in view while the amounts scroll sideways.

#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

namespace {

using namespace ledgertest;

TEST_F(LedgerWindow, SumsStayUnderTheirColumnsWhenTheWindowIsResized)
{
    writeDemoDatabase(40);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    QTableView* grid = ledger->grid();
    const auto checkAligned = [&] {
        for (int j = 0; j < SumBoxes; ++j) {
            QLineEdit* box = ledger->sumBox(j);
            const int c = j + 1;
            if (!isShownColumn(c)) {
                EXPECT_FALSE(box->isVisible());
                continue;
            }
            const int columnLeft
                = grid->viewport()->mapTo(ledger, QPoint(grid->columnViewportPosition(c), 0)).x();
            EXPECT_EQ(box->mapTo(ledger, QPoint(0, 0)).x(), columnLeft) << "tS " << j;
            EXPECT_EQ(box->width(), grid->columnWidth(c)) << "tS " << j;
            EXPECT_GT(
                box->mapTo(ledger, QPoint(0, 0)).y(), grid->mapTo(ledger, QPoint(0, grid->height())).y() - 1);
        }
    };
    checkAligned();
    ledger->resize(1400, 800);
    QCoreApplication::processEvents();
    checkAligned();
    const int nameWidth = grid->columnWidth(NameColumn);
    ledger->resize(1600, 900);
    QCoreApplication::processEvents();
    checkAligned();
    EXPECT_EQ(grid->columnWidth(NameColumn), nameWidth + 200);
    // The sums row keeps its distance from the bottom, the grid takes the new height.
    EXPECT_GT(grid->height(), 100);
}

TEST_F(LedgerWindow, OpensWithinTheScreenWithItsSumsAndStatusBarInView)
{
    writeDemoDatabase(40);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    QCoreApplication::processEvents();
    const QRect screen = ledger->screen()->availableGeometry();
    // The case looked at: the screen has no room for every row the ledger would show.
    ASSERT_LT(screen.height(), 900);
    EXPECT_LE(ledger->frameGeometry().height(), screen.height());
    auto* bar = ledger->findChild<QWidget*>("StatusBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_LE(bar->mapTo(ledger, QPoint(0, bar->height())).y(), ledger->height());
    const int sumsBottom = ledger->sumBox(0)->mapTo(ledger, QPoint(0, ledger->sumBox(0)->height())).y();
    EXPECT_LE(sumsBottom, bar->mapTo(ledger, QPoint(0, 0)).y());
    // Rows to work in all the same.
    EXPECT_GE(ledger->grid()->viewport()->height(), 10 * ledger->grid()->rowHeight(0));
}

TEST_F(LedgerWindow, TheNamesStayInViewWhileTheAmountsScrollSideways)
{
    writeDemoDatabase(40);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    ledger->resize(700, 600);
    QCoreApplication::processEvents();
    QTableView* grid = ledger->grid();
    auto* names = grid->findChild<QTableView*>("gFrozen");
    ASSERT_NE(names, nullptr);
    QScrollBar* sideways = grid->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0) << "the ledger must be too narrow for its columns";
    sideways->setValue(sideways->maximum());
    grid->verticalScrollBar()->setValue(10);
    QCoreApplication::processEvents();

    // Over the grid's left edge, as wide as the name column, on the same rows.
    EXPECT_TRUE(names->isVisible());
    EXPECT_EQ(names->mapTo(grid, QPoint(0, 0)).x(), grid->frameWidth());
    EXPECT_EQ(names->width(), grid->columnWidth(NameColumn));
    EXPECT_EQ(names->columnWidth(NameColumn), grid->columnWidth(NameColumn));
    const QModelIndex topRow = names->indexAt(QPoint(5, 2));
    EXPECT_EQ(topRow.column(), NameColumn);
    EXPECT_EQ(topRow.row(), grid->indexAt(QPoint(grid->viewport()->width() - 5, 2)).row());
    EXPECT_EQ(topRow.row(), 10);
    for (int c = 1; c < Columns; ++c)
        EXPECT_TRUE(names->isColumnHidden(c)) << c;
    // The caption of the sums stays under the names, the sums under their columns.
    EXPECT_EQ(ledger->findChild<QLabel*>("LbSum")->mapTo(ledger, QPoint(0, 0)).x(),
        ledger->findChild<QWidget*>("sumsRow")->mapTo(ledger, QPoint(0, 0)).x());
    const int paidIn = grid->viewport()->mapTo(ledger, QPoint(grid->columnViewportPosition(PaidIn), 0)).x();
    EXPECT_EQ(ledger->sumBox(PaidIn - 1)->mapTo(ledger, QPoint(0, 0)).x(), paidIn);

    // A cell of the first amount column, reached from far right, comes out from under the names,
    // and the find's move to a name leaves the columns where they are.
    grid->scrollTo(at(ledger, 30, StartUnderpayment));
    EXPECT_GE(grid->visualRect(at(ledger, 30, StartUnderpayment)).left(), grid->columnWidth(NameColumn));
    sideways->setValue(sideways->maximum());
    const int column = sideways->value();
    grid->scrollTo(at(ledger, 2, NameColumn));
    EXPECT_EQ(sideways->value(), column);
    EXPECT_EQ(
        names->indexAt(QPoint(5, 2)).row(), grid->indexAt(QPoint(grid->viewport()->width() - 5, 2)).row());

    // A click on a name while an amount is being typed keeps the amount, as a click on any cell does.
    click(grid, at(ledger, 3, PaidIn));
    ASSERT_TRUE(ledger->editor()->isVisible());
    QTest::keyClicks(ledger->editor(), "321");
    const QModelIndex name = names->model()->index(names->indexAt(QPoint(5, 2)).row(), NameColumn);
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualRect(name).center());
    EXPECT_FALSE(ledger->editor()->isVisible());
    EXPECT_EQ(text(ledger, 3, PaidIn), "321,00");
    EXPECT_EQ(state.table.field(4, March2024 + 6), "321,00");
}

} // namespace
