#include "app/main_window.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "documents/preview_frame.h"
#include "reports/check_window.h"
#include "sheet/sheet.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/pdf.h"
#include "support/workbook_dump.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

namespace {

constexpr int Y2025 = 2025;

class CheckWindow : public AppFixture
{
protected:
    ~CheckWindow() override
    {
        // What a failed test left open goes with it.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmCheck*>(w) || qobject_cast<MDIfrmPrint*>(w))
                w->deleteLater();
        settle();
    }

    // The demo's partnership of eight, with two slips in 2025: Sidorenko's February has no
    // previous reading, Popov's July no tariff.
    void writePlanted()
    {
        RecordTable table;
        DemoOptions options;
        options.subscribers = 8;
        fillDemoTable(table, options);
        table.set(3, sheet::cellField(Y2025, 2, fields::PreviousReading), "");
        table.set(7, sheet::cellField(Y2025, 7, fields::Tariff), "");
        ASSERT_TRUE(database::write(databasePath(), table));
        names = { std::string(table.field(3, fields::FullName)),
            std::string(table.field(7, fields::FullName)) };
        settings.setValue(
            settings::Main, "Cmb0", QString::fromStdString(std::string(table.field(1, fields::FullName))));
        settings.setValue(settings::Main, "Cmb1", "2025");
    }

    frmCheck* openCheck(Form1* form)
    {
        form->findChild<QAction*>("Menu_Tools_Check")->trigger();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* check = qobject_cast<frmCheck*>(w); check && check->isVisible())
                return check;
        return nullptr;
    }

    static QString cell(QTableWidget* grid, int row, int column)
    {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    std::vector<std::string> names;
};

TEST_F(CheckWindow, ListsTheFindingsOfTheYearWithTheirCounts)
{
    writePlanted();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    frmCheck* check = openCheck(form);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(check->windowTitle(), "Проверка показаний");
    EXPECT_EQ(check->yearSelector()->currentText(), "2025");
    EXPECT_EQ(check->monthSelector()->currentText(), "все месяцы");
    EXPECT_EQ(check->countLabel(1)->text(), "Нет предыдущего показания: 1");
    EXPECT_EQ(check->countLabel(5)->text(), "Нет тарифа: 1");
    EXPECT_EQ(check->countLabel(0)->text(), "Показание меньше предыдущего: 0");
    EXPECT_EQ(check->totalLabel()->text(), "Всего замечаний: 2");

    QTableWidget* grid = check->grid();
    EXPECT_EQ(grid->objectName(), "g");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), "Что найдено");
    EXPECT_EQ(cell(grid, 0, 0), "3");
    EXPECT_EQ(cell(grid, 0, 1).toStdString(), names[0]);
    EXPECT_EQ(cell(grid, 0, 2), "Февраль");
    EXPECT_EQ(cell(grid, 0, 3), "Нет предыдущего показания");
    EXPECT_TRUE(cell(grid, 0, 4).endsWith(", последнее не указано"));
    EXPECT_EQ(cell(grid, 1, 1).toStdString(), names[1]);
    EXPECT_EQ(cell(grid, 1, 3), "Нет тарифа");

    // One month alone, and a year without slips.
    check->monthSelector()->setCurrentIndex(7);
    emit check->monthSelector()->activated(7);
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(cell(grid, 0, 2), "Июль");
    check->yearSelector()->setCurrentIndex(3);
    emit check->yearSelector()->activated(3);
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(check->totalLabel()->text(), "Замечаний нет");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    check->closeButton()->click();
    settle();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(CheckWindow, ADoubleClickShowsTheMonthOnTheSheet)
{
    writePlanted();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    frmCheck* check = openCheck(form);
    ASSERT_NE(check, nullptr);
    QTableWidget* grid = check->grid();
    const QRect rect = grid->visualItemRect(grid->item(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    const QPointer<frmCheck> closed = check;
    settle();

    EXPECT_TRUE(closed.isNull()) << "the check closes";
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->CurrentRecord, 3);
    EXPECT_EQ(form->subscriberSelector()->currentText().toStdString(), names[0]);
    EXPECT_EQ(form->yearSelector()->currentText(), "2025");
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    SheetCell* february = form->sheet()->typed(2, fields::CurrentReading);
    EXPECT_TRUE(february->hasFocus());
    EXPECT_EQ(february->text().toStdString(),
        state.table.field(3, sheet::cellField(Y2025, 2, fields::CurrentReading)));
}

TEST_F(CheckWindow, EnterOnARowShowsItsMonthToo)
{
    writePlanted();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    // The sheet shows another year: the jump brings the check's year.
    form->yearSelector()->setCurrentIndex(2);
    emit form->yearSelector()->activated(2);
    frmCheck* check = openCheck(form);
    ASSERT_NE(check, nullptr);
    const int index = check->yearSelector()->findText(QString::number(Y2025));
    check->yearSelector()->setCurrentIndex(index);
    emit check->yearSelector()->activated(index);
    check->grid()->setCurrentCell(1, 0);
    QTest::keyClick(check->grid(), Qt::Key_Return);
    settle();
    EXPECT_EQ(form->CurrentRecord, 7);
    EXPECT_EQ(form->yearSelector()->currentText(), "2025");
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_TRUE(form->sheet()->typed(7, fields::CurrentReading)->hasFocus());
}

TEST_F(CheckWindow, ChecksWhatWasJustTypedOnTheSheet)
{
    writePlanted();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    // The first subscriber's March tariff deleted on the sheet, and the check opened at once.
    form->sheet()->typed(3, fields::Tariff)->setText("");
    frmCheck* check = openCheck(form);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->countLabel(5)->text(), "Нет тарифа: 2");
    EXPECT_EQ(cell(check->grid(), 0, 0), "1");
    EXPECT_EQ(cell(check->grid(), 0, 2), "Март");
}

TEST_F(CheckWindow, SavesTheFindingsAsAWorkbook)
{
    writePlanted();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    frmCheck* check = openCheck(form);
    ASSERT_NE(check, nullptr);
    const std::string path = folder.file("check.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    check->exportButton()->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Проверка показаний 2025 все месяцы.xlsx");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.text("A1"), "Проверка показаний");
    EXPECT_TRUE(dump.bold("A1"));
    EXPECT_EQ(dump.text("A2"), "2025 год, все месяцы");
    EXPECT_EQ(dump.text("A5"), "Всего замечаний: 2");
    // The headings under the notes, then a row per finding, framed.
    EXPECT_EQ(dump.text("A7"), "№");
    EXPECT_EQ(dump.text("E7"), "Значения");
    EXPECT_TRUE(dump.bold("C7"));
    EXPECT_EQ(dump.text("A8"), "3");
    EXPECT_EQ(dump.text("B8").toStdString(), names[0]);
    EXPECT_EQ(dump.text("D8"), "Нет предыдущего показания");
    EXPECT_EQ(dump.text("D9"), "Нет тарифа");
    EXPECT_EQ(dump.maxRow, 9);
    EXPECT_TRUE(dump.bordered("E9"));
    EXPECT_TRUE(dump.landscape);
}

TEST_F(CheckWindow, PrintsThroughThePreviewFrame)
{
    writePlanted();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    frmCheck* check = openCheck(form);
    ASSERT_NE(check, nullptr);
    check->printButton()->click();
    MDIfrmPrint* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
            frame = f;
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(check->isVisible());
    ASSERT_NE(frame->page(), nullptr);
    EXPECT_EQ(frame->page()->objectName(), "frmPrintCheck");
    EXPECT_EQ(frame->windowTitle(), "Печать: Проверка показаний");
    EXPECT_EQ(frame->page()->sheetCount(), 1);
    frame->findChild<QAction*>("Print")->trigger();

    const std::optional<PdfInfo> info = pdfInfo(printedPage(1));
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->portrait());
    const std::string text = pdfText(printedPage(1));
    EXPECT_NE(text.find("Проверка показаний"), std::string::npos);
    EXPECT_NE(text.find("2025 год, все месяцы"), std::string::npos);
    EXPECT_NE(text.find("Лист 1 из 1"), std::string::npos);
    EXPECT_NE(text.find("Составлено 06.12.2026"), std::string::npos);
    EXPECT_NE(text.find(names[0]), std::string::npos);
    EXPECT_NE(text.find("Нет тарифа"), std::string::npos);

    frame->close();
    settle();
    EXPECT_TRUE(check->isVisible());
}

} // namespace
