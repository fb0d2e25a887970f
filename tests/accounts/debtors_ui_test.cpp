#include "accounts/debtors_window.h"
#include "accounts/ledger_fixture.h"
#include "documents/preview_frame.h"
#include "reports/report_page.h"
#include "support/pdf.h"
#include "support/workbook_dump.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace ledgertest {
namespace {

constexpr int B = March2024;
constexpr int February2024 = B - 22;

class Debtors : public LedgerWindow
{
protected:
    ~Debtors() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmDebtors*>(w) || qobject_cast<MDIfrmPrint*>(w))
                w->deleteLater();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // March 2024 as typed, the end balances not yet worked out: the ledger works them out.
    void writeMarch()
    {
        writeRecords({
            { "Иванов И. И.", { { B, "100,00" }, { B - 1, "399,72" }, { B + 6, "300,00" } } },
            { "Петрова П. П.",
                { { B, "900,00" }, { B + 3, "150,00" }, { February2024 + 9, "900,00" },
                    { February2024 - 22 + 9, "400,00" } } },
            { "Сидоров С. С.", { { B + 1, "50,00" }, { B - 1, "40,00" } } },
            { "Кузнецова К. К.", { { B, "20,00" } } },
        });
    }

    frmDebtors* openDebtorsOf(frmRedLS* ledger)
    {
        ledger->findChild<QPushButton*>("CmdDebtors")->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* debtors = qobject_cast<frmDebtors*>(w); debtors && debtors->isVisible())
                return debtors;
        return nullptr;
    }

    static QString cell(QTableWidget* grid, int row, int column)
    {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(Debtors, ListsTheLedgersMonthLargestDebtFirstWithTotals)
{
    writeMarch();
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    frmDebtors* debtors = openDebtorsOf(ledger);
    ASSERT_NE(debtors, nullptr);
    EXPECT_FALSE(ledger->isVisible());
    EXPECT_EQ(debtors->windowTitle(), "Должники");
    EXPECT_EQ(debtors->monthLabel()->text(), "Должники на конец месяца: Март 2024");
    EXPECT_EQ(debtors->thresholdBox()->text(), "0,00");

    QTableWidget* grid = debtors->grid();
    ASSERT_EQ(grid->rowCount(), 4); // three debtors and the totals
    const QStringList petrova = { "2", "Петрова П. П.", "900,00", "150,00", "", "1050,00", "2" };
    const QStringList ivanov = { "1", "Иванов И. И.", "100,00", "399,72", "300,00", "199,72", "0" };
    const QStringList kuznetsova = { "4", "Кузнецова К. К.", "20,00", "", "", "20,00", "0" };
    const QStringList totals = { "", "Итого: 3", "1020,00", "549,72", "300,00", "1269,72", "" };
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(cell(grid, 0, c), petrova[c]) << c;
        EXPECT_EQ(cell(grid, 1, c), ivanov[c]) << c;
        EXPECT_EQ(cell(grid, 2, c), kuznetsova[c]) << c;
        EXPECT_EQ(cell(grid, 3, c), totals[c]) << c;
    }
    EXPECT_TRUE(grid->item(3, 5)->font().bold());
    // What the list shows is what the ledger stored.
    EXPECT_EQ(state.table.field(2, B + 9), "1050,00");

    debtors->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ledger->isVisible());
}

TEST_F(Debtors, TheThresholdLeavesOutSmallDebtsAndRefusesWhatIsNoAmount)
{
    writeMarch();
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    frmDebtors* debtors = openDebtorsOf(ledger);
    ASSERT_NE(debtors, nullptr);
    QLineEdit* box = debtors->thresholdBox();

    box->setText("199.72");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), "199,72");
    ASSERT_EQ(debtors->grid()->rowCount(), 2);
    EXPECT_EQ(cell(debtors->grid(), 1, 1), "Итого: 1");

    box->setText("сто");
    debtors->findChild<QPushButton*>("CmdShow")->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Введите сумму числом не меньше нуля, например 500,00");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(box->text(), "199,72");
    EXPECT_EQ(debtors->grid()->rowCount(), 2);

    // Printing takes the typed threshold first; one that is no amount prints nothing.
    box->setText("-1");
    debtors->printButton()->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(debtors->isVisible());
    box->setText("0");
    debtors->printButton()->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_FALSE(debtors->isVisible());
}

TEST_F(Debtors, ClosesWhateverTheThresholdBoxHolds)
{
    writeMarch();
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    frmDebtors* debtors = openDebtorsOf(ledger);
    ASSERT_NE(debtors, nullptr);
    debtors->thresholdBox()->setText("сто");
    const QPointer<frmDebtors> window = debtors;
    debtors->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(ledger->isVisible());
}

TEST_F(Debtors, PrintsAndSavesTheList)
{
    writeMarch();
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    frmDebtors* debtors = openDebtorsOf(ledger);
    ASSERT_NE(debtors, nullptr);

    const std::string path = folder.file("debtors.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    debtors->exportButton()->click();
    EXPECT_EQ(dialogs.fileRequests.back().proposedName, "Должники Март 2024.xlsx");
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.text("A1"), "Должники");
    EXPECT_EQ(dump.text("A2"), "На конец месяца: Март 2024");
    EXPECT_EQ(dump.text("A3"), "Долг больше 0,00 р.: абонентов 3 на сумму 1269,72 р.");
    EXPECT_EQ(dump.text("F6"), "Долг на кон.\nмес., р.");
    // Amounts are numbers with two decimals; the count of months a number too.
    EXPECT_EQ(dump.text("B7"), "Петрова П. П.");
    EXPECT_EQ(dump.type("F7"), "n");
    EXPECT_DOUBLE_EQ(dump.number("F7"), 1050.0);
    EXPECT_EQ(dump.format("F7"), "0.00");
    EXPECT_DOUBLE_EQ(dump.number("G7"), 2.0);
    EXPECT_EQ(dump.type("E7"), "n");
    EXPECT_DOUBLE_EQ(dump.number("D8"), 399.72);
    EXPECT_TRUE(dump.cell("E9").value("value").isNull()); // nothing paid: an empty cell
    EXPECT_EQ(dump.text("B10"), "Итого: 3");
    EXPECT_TRUE(dump.bold("F10"));
    EXPECT_DOUBLE_EQ(dump.number("F10"), 1269.72);
    EXPECT_TRUE(dump.bordered("G10"));
    EXPECT_TRUE(dump.landscape);

    debtors->printButton()->click();
    MDIfrmPrint* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
            frame = f;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->page()->objectName(), "frmPrintDebtors");
    frame->findChild<QAction*>("Print")->trigger();
    const std::string text = pdfText(printedPage(1));
    EXPECT_NE(text.find("Должники"), std::string::npos);
    EXPECT_NE(text.find("На конец месяца: Март 2024"), std::string::npos);
    EXPECT_NE(text.find("Петрова П. П."), std::string::npos);
    EXPECT_NE(text.find("1269,72"), std::string::npos);
    EXPECT_FALSE(pdfInfo(printedPage(1))->portrait());
}

TEST_F(Debtors, ALongListPrintsSheetBySheetWithTheTotalsAfterTheLast)
{
    std::vector<std::pair<std::string, Fields>> records;
    for (int i = 1; i <= 70; ++i)
        records.push_back({ "Абонент " + std::to_string(i), { { B, std::to_string(1000 - i) + ",00" } } });
    writeRecords(records);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    frmDebtors* debtors = openDebtorsOf(ledger);
    ASSERT_NE(debtors, nullptr);
    debtors->printButton()->click();
    MDIfrmPrint* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
            frame = f;
    ASSERT_NE(frame, nullptr);
    auto* page = qobject_cast<ReportPage*>(frame->page());
    ASSERT_NE(page, nullptr);
    const int perSheet = page->rowsPerSheet();
    const int sheets = page->sheetCount();
    ASSERT_GE(sheets, 2);
    EXPECT_EQ(sheets, (70 + 1 + perSheet - 1) / perSheet);
    EXPECT_TRUE(frame->pageButton(sheets)->isVisible());

    const std::string all = folder.file("должники.pdf");
    dialogs.fileNames.push_back(QString::fromStdString(all));
    frame->findChild<QAction*>("SavePdfAll")->trigger();
    EXPECT_EQ(dialogs.fileRequests.back().proposedName, "Должники Март 2024.pdf");
    const auto info = pdfInfo(all);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, sheets);
    int listed = 0;
    for (int n = 1; n <= sheets; ++n) {
        const std::string text = pdfText(all, n);
        EXPECT_NE(text.find("Лист " + std::to_string(n) + " из " + std::to_string(sheets)), std::string::npos)
            << n;
        EXPECT_NE(text.find("Фамилия И. О."), std::string::npos) << n;
        listed += occurrences(text, "Абонент ");
        EXPECT_EQ(text.find("Итого: 70") != std::string::npos, n == sheets) << n;
    }
    EXPECT_EQ(listed, 70);
    // The largest debt first: the first subscriber opens the first sheet.
    EXPECT_NE(pdfText(all, 1).find("Абонент 1 "), std::string::npos);
}

} // namespace
} // namespace ledgertest
