// The ledger's "Печать" and "Экспорт" buttons hand the shown month to the printout and the
// workbook.

#include "accounts/ledger_window.h"
#include "app/main_window.h"
#include "documents/preview_frame.h"
#include "support/app_fixture.h"
#include "support/workbook_dump.h"

#include <QAction>
#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace {

class LedgerTools : public AppFixture
{
protected:
    ~LedgerTools() override
    {
        // The ledger is left open by the tests; it must not outlive the program it belongs to.
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmRedLS*>(window))
                window->deleteLater();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    frmRedLS* openLedger()
    {
        writeDemoDatabase(5);
        settings.setValue(settings::Main, "Cmb1", "2024");
        // March 2024: where the ledger was closed last time, so its first opening goes there.
        settings.setValue(settings::Main, "Cmb10", "2024");
        settings.setValue(settings::Main, "Li", "2");
        Form1* main = start();
        if (!main)
            return nullptr;
        main->findChild<QAction*>("Mnu_LicSchet")->trigger();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* ledger = qobject_cast<frmRedLS*>(window); ledger && ledger->isVisible())
                return ledger;
        }
        return nullptr;
    }
};

TEST_F(LedgerTools, PrintShowsTheMonthWithTheLedgersSums)
{
    frmRedLS* ledger = openLedger();
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QToolButton*>("Command3")->click();
    MDIfrmPrint* frame = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* f = qobject_cast<MDIfrmPrint*>(window); f && f->isVisible())
            frame = f;
    }
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(ledger->isVisible());
    EXPECT_EQ(state.PrintYear, "2024");
    EXPECT_EQ(state.PrintMonth, "Март");
    auto* grid = frame->findChild<QTableWidget*>("g");
    ASSERT_NE(grid, nullptr);
    const int sums = grid->rowCount() - 1;
    EXPECT_EQ(grid->item(sums, 1)->text(), "      Сумма столбцов:");
    EXPECT_EQ(grid->item(sums, 2)->text(), ledger->sumText(0)); // start underpayment
    EXPECT_EQ(grid->item(sums, 4)->text(), ledger->sumText(2)); // electricity
    EXPECT_FALSE(ledger->sumText(2).isEmpty());
    frame->close();
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ledger->isVisible());
}

TEST_F(LedgerTools, ExportWritesTheShownMonthAsStored)
{
    frmRedLS* ledger = openLedger();
    ASSERT_NE(ledger, nullptr);
    const std::string path = folder.file("ledger.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    ledger->findChild<QToolButton*>("Command1")->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Лицевой счет  Март 2024.xlsx");
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.text("D1"), "Март 2024");
    EXPECT_EQ(dump.text("B4").toStdString(), state.table.field(1, fields::FullName));
}

} // namespace
