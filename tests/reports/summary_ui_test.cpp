#include "app/main_window.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "documents/preview_frame.h"
#include "reports/summary_window.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"
#include "support/app_fixture.h"
#include "support/pdf.h"
#include "support/workbook_dump.h"

#include <QAction>
#include <QApplication>
#include <QBarSet>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr int Y2024 = 2024;

class SummaryWindow : public AppFixture
{
protected:
    ~SummaryWindow() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmSummary*>(w) || qobject_cast<MDIfrmPrint*>(w))
                w->deleteLater();
        settle();
    }

    void writeDemo()
    {
        writeDemoDatabase(6);
        settings.setValue(settings::Main, "Cmb1", "2024");
    }

    frmSummary* openSummary()
    {
        if (!form)
            form = start();
        if (!form)
            return nullptr;
        form->findChild<QAction*>("Menu_Tools_Summary")->trigger();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* summary = qobject_cast<frmSummary*>(w); summary && summary->isVisible())
                return summary;
        return nullptr;
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    static void choose(QComboBox* combo, int index)
    {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    static void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // The row of the grid whose first cell reads so.
    static int row(QTableWidget* grid, const QString& caption)
    {
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, 0) && grid->item(r, 0)->text() == caption)
                return r;
        return -1;
    }
    static QString value(QTableWidget* grid, const QString& caption, int column)
    {
        const int r = row(grid, caption);
        return r < 0 || !grid->item(r, column) ? QStringLiteral("<no row>") : grid->item(r, column)->text();
    }

    // The sheet's calculation of every subscriber, added up here: column c of month m.
    Currency sheetTotal(int m, int c) const
    {
        std::int64_t total = 0;
        for (int r = 1; r <= state.table.recordCount(); ++r)
            total += sheet::computeSheet(*sheet::readYear(state.table, r, "2024")).results[m][c].raw();
        return Currency::fromRaw(total);
    }

    std::string balancePath() const { return folder.file("Tervolin2.balance"); }

    Form1* form = nullptr;
};

TEST_F(SummaryWindow, ShowsTheMonthAndTheYearSoFarAsTheSheetsAddUp)
{
    writeDemo();
    frmSummary* summary = openSummary();
    ASSERT_NE(summary, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(summary->windowTitle(), "Сводка за месяц");
    EXPECT_EQ(summary->yearSelector()->currentText(), "2024");
    EXPECT_EQ(summary->monthSelector()->currentText(), "Декабрь");

    choose(summary->monthSelector(), 2); // March
    QTableWidget* grid = summary->grid();
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Март");
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "С начала года");
    EXPECT_EQ(value(grid, "Абонентов с показаниями", 1), "6");
    EXPECT_EQ(value(grid, "К оплате, кВт*Ч", 1).toStdString(), sheetTotal(3, sheet::EnergyToPay).plainText());
    EXPECT_EQ(value(grid, "Расход по счетчикам, кВт*Ч", 1).toStdString(),
        sheetTotal(3, sheet::Difference).plainText());
    EXPECT_EQ(value(grid, "Итого начислено за эл. энергию, р.", 1).toStdString(),
        moneyText(sheetTotal(3, sheet::MonthTotal)));
    const Currency firstQuarter = Currency::fromRaw(sheetTotal(1, sheet::EnergyMoney).raw()
        + sheetTotal(2, sheet::EnergyMoney).raw() + sheetTotal(3, sheet::EnergyMoney).raw());
    EXPECT_EQ(value(grid, "За эл. энергию, р.", 2).toStdString(), moneyText(firstQuarter));
    std::int64_t received = 0;
    for (int r = 1; r <= state.table.recordCount(); ++r)
        received
            += Currency::parseOrZero(state.table.field(r, fields::ledgerBaseOfMonth(Y2024, 3) + 6)).raw();
    EXPECT_EQ(value(grid, "Получено, р.", 1).toStdString(), moneyText(Currency::fromRaw(received)));

    // The chart: the twelve months of the year.
    ASSERT_EQ(summary->kwhBars()->count(), 12);
    EXPECT_DOUBLE_EQ(summary->kwhBars()->at(2), sheetTotal(3, sheet::EnergyToPay).toDouble());
    EXPECT_DOUBLE_EQ(summary->moneyBars()->at(2), Currency::fromRaw(received).toDouble());

    // Another year: its own figures and chart.
    choose(summary->yearSelector(), 7);
    EXPECT_EQ(value(grid, "Абонентов с показаниями", 1), "0");
    EXPECT_DOUBLE_EQ(summary->kwhBars()->at(2), 0.0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(SummaryWindow, KeepsTheSuppliersFiguresInTheirFileAndShowsWhatIsUncovered)
{
    writeDemo();
    frmSummary* summary = openSummary();
    ASSERT_NE(summary, nullptr);
    choose(summary->monthSelector(), 2);
    EXPECT_FALSE(std::filesystem::exists(balancePath()));
    const Currency toPay = sheetTotal(3, sheet::EnergyToPay);
    const Currency money = sheetTotal(3, sheet::EnergyMoney);
    const Currency supplierKwh = Currency::fromRaw(toPay.round2().raw() + 1000 * Currency::Scale);

    type(summary->supplierKwhBox(), QString::fromStdString(supplierKwh.plainText()));
    type(summary->supplierBillBox(), "1000000.5");
    EXPECT_EQ(summary->supplierBillBox()->text(), "1000000,5");
    EXPECT_EQ(readBytes(balancePath()), "2024|3|" + supplierKwh.plainText() + "|1000000,5|\r\n");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    QTableWidget* grid = summary->grid();
    EXPECT_EQ(value(grid, "Поставщик: по общему счетчику, кВт*Ч", 1).toStdString(), supplierKwh.plainText());
    EXPECT_EQ(value(grid, "Не покрыто начислениями, кВт*Ч", 1).toStdString(),
        Currency::subtract(supplierKwh, toPay)->plainText());
    EXPECT_EQ(value(grid, "Поставщик: счет, р.", 1), "1000000,50");
    EXPECT_EQ(value(grid, "Не покрыто начислениями за эл. энергию, р.", 1).toStdString(),
        moneyText(*Currency::subtract(Currency::parse("1000000,5").value(), money)));
    // Another month has figures of its own; March's come back with it.
    choose(summary->monthSelector(), 3);
    EXPECT_EQ(summary->supplierKwhBox()->text(), "");
    EXPECT_EQ(value(grid, "Не покрыто начислениями, кВт*Ч", 1), "");
    EXPECT_EQ(value(grid, "Поставщик: по общему счетчику, кВт*Ч", 2).toStdString(), supplierKwh.plainText());
    summary->closeButton()->click();
    settle();

    summary = openSummary();
    ASSERT_NE(summary, nullptr);
    choose(summary->monthSelector(), 2);
    EXPECT_EQ(summary->supplierKwhBox()->text().toStdString(), supplierKwh.plainText());
    EXPECT_EQ(summary->supplierBillBox()->text(), "1000000,5");
    // Emptied, the month's line goes.
    type(summary->supplierKwhBox(), "");
    type(summary->supplierBillBox(), "");
    EXPECT_EQ(readBytes(balancePath()), "");
}

TEST_F(SummaryWindow, AFigureThatIsNoNumberIsRefusedAndTheFileKept)
{
    writeDemo();
    writeBytes(balancePath(), "2024|12|500||\r\n");
    frmSummary* summary = openSummary();
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->supplierKwhBox()->text(), "500");
    type(summary->supplierKwhBox(), "12a");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Введите число не меньше нуля, например 12500 или 87500,50");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_EQ(summary->supplierKwhBox()->text(), "500");
    EXPECT_EQ(readBytes(balancePath()), "2024|12|500||\r\n");

    // What is typed and not yet taken is taken before the month changes; a refusal keeps the month.
    summary->supplierBillBox()->setText("-3");
    choose(summary->monthSelector(), 0);
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(summary->monthSelector()->currentText(), "Декабрь");
    summary->supplierBillBox()->setText("7,25");
    summary->closeButton()->click();
    EXPECT_EQ(readBytes(balancePath()), "2024|12|500|7,25|\r\n");
}

TEST_F(SummaryWindow, AFileItCannotReadIsLeftAsItIs)
{
    writeDemo();
    writeBytes(balancePath(), "2024|12|500||\r\nне то\r\n");
    frmSummary* summary = openSummary();
    ASSERT_NE(summary, nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text.toStdString(),
        "Строка № 2 файла " + balancePath()
            + " содержит ошибку. Данные поставщика не показываются и не записываются, пока файл не "
              "исправлен.");
    EXPECT_EQ(dialogs.shown[0].title, "Данные поставщика");
    EXPECT_FALSE(summary->supplierKwhBox()->isEnabled());
    EXPECT_FALSE(summary->supplierBillBox()->isEnabled());
    summary->closeButton()->click();
    settle();
    EXPECT_EQ(readBytes(balancePath()), "2024|12|500||\r\nне то\r\n");
}

TEST_F(SummaryWindow, AFileThatCannotBeWrittenKeepsTheFiguresAsTheyWere)
{
    writeDemo();
    writeBytes(balancePath(), "2024|12|500||\r\n");
    ::chmod(balancePath().c_str(), 0444);
    frmSummary* summary = openSummary();
    ASSERT_NE(summary, nullptr);
    type(summary->supplierKwhBox(), "600");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(
        dialogs.shown[0].text.toStdString(), "Не удалось записать данные поставщика в файл " + balancePath());
    EXPECT_EQ(summary->supplierKwhBox()->text(), "500");
    EXPECT_EQ(readBytes(balancePath()), "2024|12|500||\r\n");
}

TEST_F(SummaryWindow, ABackupTakesTheSuppliersFiguresAlong)
{
    writeDemo();
    form = start();
    ASSERT_NE(form, nullptr);
    const std::string first = folder.file("first.spb");
    dialogs.fileNames.push_back(QString::fromStdString(first));
    form->findChild<QAction*>("Menu_Tuns_RCopy")->trigger();
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(first + ".balance")); // nothing typed yet, nothing copied

    writeBytes(balancePath(), "2024|3|12500|87500,50|\r\n");
    const std::string second = folder.file("second.spb");
    dialogs.fileNames.push_back(QString::fromStdString(second));
    form->findChild<QAction*>("Menu_Tuns_RCopy")->trigger();
    EXPECT_EQ(readBytes(second + ".balance"), "2024|3|12500|87500,50|\r\n");
    EXPECT_EQ(readBytes(second), databaseBytes());
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // Figures typed since: the restore brings back the backup's and keeps the later ones beside.
    writeBytes(balancePath(), "2024|3|13000|90000|\r\n");
    dialogs.fileNames.push_back(QString::fromStdString(second));
    dialogs.answers.push_back(Answer::Yes);
    form->findChild<QAction*>("Menu_Tuns_Vost")->trigger();
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(readBytes(balancePath()), "2024|3|12500|87500,50|\r\n");
    EXPECT_EQ(readBytes(balancePath() + ".до-восстановления"), "2024|3|13000|90000|\r\n");
    EXPECT_EQ(dialogs.shown.last().title, "Восстановление произошло успешно");
}

TEST_F(SummaryWindow, ABackupThatCannotTakeTheFiguresAlongSaysSo)
{
    writeDemo();
    form = start();
    ASSERT_NE(form, nullptr);
    writeBytes(balancePath(), "2024|3|12500|87500,50|\r\n");
    const std::string copy = folder.file("copy.spb");
    std::filesystem::create_directory(copy + ".balance"); // a folder where the copy would go
    dialogs.fileNames.push_back(QString::fromStdString(copy));
    form->findChild<QAction*>("Menu_Tuns_RCopy")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text.toStdString(),
        "Не удалось записать данные поставщика в файл " + copy + ".balance");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка резервного копирования");
}

TEST_F(SummaryWindow, PrintsAndSavesTheSummary)
{
    writeDemo();
    writeBytes(balancePath(), "2024|12|20000|150000|\r\n");
    frmSummary* summary = openSummary();
    ASSERT_NE(summary, nullptr);
    const std::string path = folder.file("summary.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    summary->exportButton()->click();
    EXPECT_EQ(dialogs.fileRequests.back().proposedName, "Сводка Декабрь 2024.xlsx");
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.text("A1"), "Сводка за месяц");
    EXPECT_EQ(dump.text("A2"), "Декабрь 2024");
    EXPECT_EQ(dump.text("B6"), "Декабрь");
    EXPECT_EQ(dump.text("A7"), "Абонентов с показаниями");
    EXPECT_DOUBLE_EQ(dump.number("B7"), 6.0);
    // kWh as plain numbers, roubles with two decimals.
    EXPECT_EQ(dump.text("A11"), "К оплате, кВт*Ч");
    EXPECT_DOUBLE_EQ(dump.number("B11"), sheetTotal(12, sheet::EnergyToPay).toDouble());
    EXPECT_EQ(dump.format("B11"), "General");
    EXPECT_EQ(dump.text("A12"), "За эл. энергию, р.");
    EXPECT_DOUBLE_EQ(dump.number("B12"), sheetTotal(12, sheet::EnergyMoney).toDouble());
    EXPECT_EQ(dump.format("B12"), "0.00");
    EXPECT_EQ(dump.text("A19"), "Поставщик: по общему счетчику, кВт*Ч");
    EXPECT_DOUBLE_EQ(dump.number("B19"), 20000.0);
    EXPECT_FALSE(dump.landscape);

    summary->printButton()->click();
    MDIfrmPrint* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
            frame = f;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->page()->objectName(), "frmPrintSummary");
    frame->findChild<QAction*>("Print")->trigger();
    const std::string text = pdfText(printedPage(1));
    EXPECT_NE(text.find("Сводка за месяц"), std::string::npos);
    EXPECT_NE(text.find("Не покрыто начислениями"), std::string::npos);
    EXPECT_NE(text.find(moneyText(sheetTotal(12, sheet::EnergyMoney))), std::string::npos);
    EXPECT_TRUE(pdfInfo(printedPage(1))->portrait());
}

} // namespace
