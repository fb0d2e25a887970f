#include "app/main_window.h"
#include "reports/sheet_workbook.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/workbook_dump.h"

#include <QAction>
#include <QTest>
#include <QToolButton>
#include <filesystem>

namespace {

using SheetWorkbook = AppFixture;

const QStringList RowThree = { "Месяц", "Дата", "текущее  ", "последнее", "разница  ", "мощн., кВт", "часы",
    "сутки", "кВт*Ч", "кВт*Ч", "%", "кВт*Ч", "кВт*Ч", "Тариф, р.", "За эл. эн., р.", "Сбор бака, %",
    "Сбор бака, р.", "Итого к оплате, р." };

// A subscriber with January and February 2020 filled in.
std::vector<std::string> subscriber()
{
    std::vector<std::string> record(2128);
    record[0] = "1";
    record[1] = "Иванов И. И.";
    const auto set = [&](int m, int b, const char* text) {
        record[std::size_t(fields::monthBase(0, m) + b - 1)] = text;
    };
    const char* january[] = { "31.01.20", "1500", "1400", "0,5", "100", "31", "10", "5,47", "2" };
    const char* february[] = { "29.02.20", "1580", "1500", "0,5", "90", "29", "10", "5,47", "2" };
    for (int b = 0; b < 9; ++b) {
        set(1, b, january[b]);
        set(2, b, february[b]);
    }
    return record;
}

TEST_F(SheetWorkbook, WritesTheSheetOnScreenWithItsLayout)
{
    writeDatabase({ subscriber() });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string path = folder.file("sheet.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form->findChild<QAction*>("Menu_Tools_Export_Excel")->trigger();

    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Учет эл. энергии  Иванов И. И. 2020.xlsx");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.xlsx");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Файлы (*.xlsx)|*.xlsx|Все файлы(*.*)|*.*|");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.sheets.size(), 1);
    EXPECT_EQ(dump.paper, 9);
    EXPECT_TRUE(dump.landscape);
    EXPECT_TRUE(dump.onePageWide);
    EXPECT_EQ(dump.titleRows, "");
    EXPECT_EQ(dump.maxRow, 15);
    EXPECT_EQ(dump.maxColumn, 18);
    EXPECT_EQ(dump.merges, (QStringList{ "C2:E2", "F1:I1", "F2:I2", "N2:R2" }));
    EXPECT_EQ(dump.text("F1"), "Иванов И. И. 2020 г.");
    EXPECT_TRUE(dump.bold("F1"));
    EXPECT_TRUE(dump.bold("A1"));
    EXPECT_TRUE(dump.unbordered("F1"));
    EXPECT_EQ(dump.text("C2"), "Показания счетчика, кВт*Ч");
    EXPECT_EQ(dump.text("F2"), "Уличное освещение");
    EXPECT_EQ(dump.text("J2"), "ИТОГО");
    EXPECT_EQ(dump.text("K2"), "Потери");
    EXPECT_EQ(dump.text("L2"), "Потери");
    EXPECT_EQ(dump.text("M2"), "К оплате");
    EXPECT_EQ(dump.text("N2"), "Начислена оплата");
    for (int c = 1; c <= 18; ++c) {
        const QString h = cellName(c, 3);
        EXPECT_EQ(dump.text(h), RowThree[c - 1]) << c;
        EXPECT_TRUE(dump.bold(h)) << c;
        EXPECT_TRUE(dump.bold(cellName(c, 2))) << c;
        EXPECT_EQ(dump.align(cellName(c, 2)), "center") << c;
        // Row 3 is centred, then C … R right-aligned over it.
        EXPECT_EQ(dump.align(h), c <= 2 ? "center" : "right") << c;
    }
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(dump.text(cellName(1, m + 3)).toStdString(), fields::MonthNames[std::size_t(m - 1)]);
        EXPECT_FALSE(dump.bold(cellName(1, m + 3)));
    }
    EXPECT_EQ(dump.text("B4"), "31.01.20");
    EXPECT_EQ(dump.type("B4"), "s");
    EXPECT_EQ(dump.text("B5"), "29.02.20");

    // The numbers of the last calculation, as numbers.
    const sheet::SheetComputation& c = form->lastComputation();
    const auto expectNumber = [&](const char* column, int m, Currency value) {
        const QString address = QString(column) + QString::number(m + 3);
        EXPECT_EQ(dump.type(address), "n") << address.toStdString();
        EXPECT_DOUBLE_EQ(dump.number(address), value.toDouble()) << address.toStdString();
    };
    for (int m = 1; m <= 12; ++m) {
        expectNumber("C", m, c.inputs[m][1]);
        expectNumber("D", m, c.inputs[m][2]);
        expectNumber("E", m, c.results[m][sheet::Difference]);
        expectNumber("F", m, c.inputs[m][3]);
        expectNumber("G", m, c.inputs[m][4]);
        expectNumber("H", m, c.inputs[m][5]);
        expectNumber("I", m, c.results[m][sheet::Lighting]);
        expectNumber("J", m, c.results[m][sheet::TotalEnergy]);
        expectNumber("K", m, c.inputs[m][6]);
        expectNumber("L", m, c.results[m][sheet::Losses]);
        expectNumber("M", m, c.results[m][sheet::EnergyToPay]);
        expectNumber("N", m, c.inputs[m][7]);
        expectNumber("O", m, c.results[m][sheet::EnergyMoney]);
        expectNumber("P", m, c.inputs[m][8]);
        expectNumber("Q", m, c.results[m][sheet::ServiceMoney]);
        expectNumber("R", m, c.results[m][sheet::MonthTotal]);
    }
    EXPECT_EQ(dump.number("C4"), 1500);
    EXPECT_EQ(dump.number("D4"), 1400);
    EXPECT_EQ(dump.number("E4"), 100);
    EXPECT_EQ(dump.number("N4"), 5.47);
    EXPECT_GT(dump.number("R4"), 0);
    // A month without data: its name, an empty date and 0 everywhere.
    EXPECT_TRUE(dump.cell("B6").value("value").isNull());
    for (int col = 3; col <= 18; ++col)
        EXPECT_EQ(dump.number(cellName(col, 6)), 0) << col;

    for (int row = 2; row <= 15; ++row)
        for (int col = 1; col <= 18; ++col)
            EXPECT_TRUE(dump.bordered(cellName(col, row))) << cellName(col, row).toStdString();
    EXPECT_TRUE(dump.unbordered("A16"));
    for (const char* a : { "B4", "C4", "H15" })
        EXPECT_EQ(dump.format(a), "General") << a;
    for (const char* a : { "I4", "R4", "R15" })
        EXPECT_EQ(dump.format(a), "0.00") << a;
    // Fitted columns: "Сентябрь" in A, the longest heading in R.
    EXPECT_GT(dump.width("A"), 8);
    EXPECT_GT(dump.width("R"), 18);
    EXPECT_LT(dump.width("R"), 30);
    EXPECT_EQ(dump.widths.size(), 18);
}

TEST_F(SheetWorkbook, ExportsWhatWasJustTypedWithoutStoringAnything)
{
    writeDatabase({ subscriber() });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string databaseBefore = databaseBytes();
    SheetCell* march = form->sheet()->typed(3, 1);
    march->setFocus();
    QTest::keyClicks(march, "1700");

    const std::string path = folder.file("typed.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    form->findChild<QToolButton*>("Command6")->click();
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.number("C6"), 1700);
    EXPECT_EQ(state.table.field(1, fields::monthBase(0, 3) + 1), "");
    EXPECT_EQ(databaseBytes(), databaseBefore);
}

TEST_F(SheetWorkbook, CancellingWritesNothing)
{
    writeDatabase({ subscriber() });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const auto files = std::distance(std::filesystem::directory_iterator(folder.path()), {});
    EXPECT_FALSE(exportSheetWorkbook(state, form->shown()));
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), files);
}

TEST_F(SheetWorkbook, ANameWithASlashIsProposedAsOneFileName)
{
    std::vector<std::string> record = subscriber();
    record[1] = "Участок 12/3";
    writeDatabase({ record });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(exportSheetWorkbook(state, form->shown()));
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Учет эл. энергии  Участок 12_3 2020.xlsx");
}

} // namespace
