#include "accounts/ledger_workbook.h"
#include "database/database_file.h"
#include "support/app_fixture.h"
#include "support/workbook_dump.h"

#include <filesystem>

namespace {

class LedgerWorkbook : public AppFixture
{
protected:
    void load()
    {
        ASSERT_EQ(database::load(databasePath(), state.table).status, database::LoadResult::Status::Loaded);
    }
    std::string workbookPath() const { return folder.file("ledger.xlsx"); }
    bool exportTo(const std::string& path, const QString& year, const QString& month)
    {
        dialogs.fileNames.push_back(QString::fromStdString(path));
        return exportLedgerWorkbook(state, year, month);
    }
};

const QStringList RowThree
    = { "№", "Фамилия И. О.", " Недоплата ", " Переплата ", "За электро энерг.", "Зарплата эл-ку",
          "  Прочее ", "к оплате", "   Внесено   ", "   Прочее   ", "   Недоплата  ", "   Переплата  " };

TEST_F(LedgerWorkbook, WritesTheHeadingWithItsMergesFontsAndColours)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    load();
    ASSERT_TRUE(exportTo(workbookPath(), "2024", "Март"));
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Лицевой счет  Март 2024.xlsx");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.xlsx");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Файлы (*.xlsx)|*.xlsx|Все файлы(*.*)|*.*|");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    const WorkbookDump dump = dumpWorkbook(workbookPath());
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.sheets.size(), 1);
    EXPECT_EQ(dump.paper, 9);
    EXPECT_TRUE(dump.landscape);
    EXPECT_TRUE(dump.onePageWide);
    EXPECT_EQ(dump.titleRows, "$1:$3");
    EXPECT_EQ(dump.merges, (QStringList{ "C2:D2", "D1:E1", "E2:G2", "I2:J2", "K2:L2" }));
    EXPECT_EQ(dump.text("D1"), "Март 2024");
    EXPECT_EQ(dump.text("C2"), "Остаток на нач. мес., р.");
    EXPECT_EQ(dump.text("E2"), "Начислены расходы в текущ. мес., р.");
    EXPECT_EQ(dump.text("H2"), "ИТОГО");
    EXPECT_EQ(dump.text("I2"), "Приход в текущ. мес., р.");
    EXPECT_EQ(dump.text("K2"), "Остаток на конец мес., р.");
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(dump.text(cellName(c, 3)), RowThree[c - 1]) << c;
    for (int row = 1; row <= 3; ++row)
        for (int c = 1; c <= 12; ++c) {
            EXPECT_TRUE(dump.bold(cellName(c, row))) << cellName(c, row).toStdString();
            EXPECT_EQ(dump.align(cellName(c, row)), "center") << cellName(c, row).toStdString();
        }
    EXPECT_FALSE(dump.bold("A4"));

    const QString blue = "FF0000FF";
    const QString red = "FFFF0000";
    for (const char* c : { "C3", "K3", "E2", "F2", "G2", "E3", "F3", "G3" })
        EXPECT_EQ(dump.colour(c), blue) << c;
    for (const char* c : { "D3", "L3", "I2", "J2", "I3", "J3" })
        EXPECT_EQ(dump.colour(c), red) << c;
    for (const char* c : { "A3", "B3", "H2", "H3", "C2", "D1", "C4", "K4" })
        EXPECT_EQ(dump.colour(c), "") << c;

    // Borders from row 2 to the last subscriber, every cell, nothing else.
    for (int row = 2; row <= 5; ++row)
        for (int c = 1; c <= 12; ++c)
            EXPECT_TRUE(dump.bordered(cellName(c, row))) << cellName(c, row).toStdString();
    for (const char* c : { "A1", "D1", "L1", "A6", "L6", "M2" })
        EXPECT_TRUE(dump.unbordered(c)) << c;
}

TEST_F(LedgerWorkbook, WritesTheStoredValuesOfTheMonthWithAFullStop)
{
    // March 2024: ledger base 1078 + 2·22 = 1122. Each field of the month holds its offset.
    std::vector<std::string> record(2128);
    record[0] = "1";
    record[1] = "Иванов И. И.";
    const int base = fields::ledgerBase(4, 3);
    ASSERT_EQ(base, 1122);
    for (int offset = -1; offset <= 11; ++offset)
        record[std::size_t(base + offset - 1)]
            = std::to_string(1000 + offset) + ",5" + std::to_string(offset + 1);
    record[std::size_t(base - 1)] = "1234,50";
    record[std::size_t(base + 6 - 1)] = ""; // nothing paid
    record[std::size_t(base + 8 - 1)] = "7"; // no decimals
    std::vector<std::string> second(2128);
    second[0] = "2";
    second[1] = "Петров П. П.";
    second[std::size_t(base + 9 - 1)] = "-3,00";
    writeDatabase({ record, second });
    load();
    ASSERT_TRUE(exportTo(workbookPath(), "2024", "Март"));

    const WorkbookDump dump = dumpWorkbook(workbookPath());
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    const QStringList first = { "1", "Иванов И. И.", "1234.50", "1001.52", "999.50", "1003.54", "1004.55",
        "1005.56", "", "7", "1009.510", "1010.511" };
    for (int c = 1; c <= 12; ++c) {
        const QString address = cellName(c, 4);
        EXPECT_EQ(dump.text(address), first[c - 1]) << address.toStdString();
        if (!first[c - 1].isEmpty()) {
            EXPECT_EQ(dump.type(address), "s") << address.toStdString();
        }
    }
    EXPECT_EQ(dump.text("B5"), "Петров П. П.");
    EXPECT_EQ(dump.text("K5"), "-3.00");
    // Money columns C … L: the money format and right-aligned, down to row 500; A and B not.
    for (const char* c : { "C4", "L4", "H5", "C500", "L500" }) {
        EXPECT_EQ(dump.format(c), "#,##0.00$") << c;
        EXPECT_EQ(dump.align(c), "right") << c;
    }
    EXPECT_EQ(dump.format("B4"), "General");
    EXPECT_EQ(dump.align("B4"), "");
    EXPECT_EQ(dump.align("C501"), "");
    // Fitted columns: the name column is wider than the number column.
    EXPECT_GT(dump.width("B"), dump.width("A"));
    EXPECT_GT(dump.width("B"), 12);
}

TEST_F(LedgerWorkbook, EverySubscriberOfAFullTableIsWritten)
{
    writeDemoDatabase(fields::MaxRecords);
    load();
    ASSERT_TRUE(exportTo(workbookPath(), "2026", "Декабрь"));
    const WorkbookDump dump = dumpWorkbook(workbookPath());
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    const int last = fields::MaxRecords + 3;
    EXPECT_EQ(dump.maxRow, last);
    EXPECT_EQ(dump.text(cellName(1, last)), "3001");
    EXPECT_EQ(dump.text(cellName(2, last)).toStdString(), state.table.field(3001, fields::FullName));
    EXPECT_TRUE(dump.bordered(cellName(12, last)));
    EXPECT_EQ(dump.format(cellName(12, last)), "#,##0.00$");
    EXPECT_EQ(dump.align(cellName(3, last)), "right");
}

TEST_F(LedgerWorkbook, CancellingOrAnUnknownMonthWritesNothing)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    load();
    EXPECT_FALSE(exportLedgerWorkbook(state, "2024", "Март"));
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_FALSE(exportTo(workbookPath(), "2019", "Март"));
    EXPECT_FALSE(exportTo(workbookPath(), "2024", "Мартобря"));
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(workbookPath()));
}

} // namespace
