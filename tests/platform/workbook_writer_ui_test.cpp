#include "platform/cell_address.h"
#include "platform/workbook_writer.h"
#include "support/files.h"
#include "support/workbook_dump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using Alignment = WorkbookWriter::Alignment;
using workbook::CellRange;

TEST(CellAddress, TakesApartTheAddressesTheProgramWrites)
{
    struct Case
    {
        const char* address;
        std::optional<CellRange> range;
    };
    const Case cases[] = {
        { "A1", CellRange{ 1, 1, 1, 1 } },
        { "f12", CellRange{ 12, 6, 12, 6 } },
        { "C4:L500", CellRange{ 4, 3, 500, 12 } },
        { "L3:A1", CellRange{ 1, 1, 3, 12 } },
        { "A:R", CellRange{ 1, 1, workbook::MaxRows, 18 } },
        { "XFD1048576", CellRange{ 1048576, 16384, 1048576, 16384 } },
        { "AA10", CellRange{ 10, 27, 10, 27 } },
        { "XFE1", std::nullopt },
        { "A1048577", std::nullopt },
        { "A0", std::nullopt },
        { "A01", std::nullopt },
        { "1A", std::nullopt },
        { "", std::nullopt },
        { "A1:", std::nullopt },
        { "A:1", std::nullopt },
        { "Б2", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(workbook::parseRange(c.address), c.range) << c.address;
    EXPECT_EQ(workbook::columnLetters(18), "R");
    EXPECT_EQ(workbook::columnLetters(27), "AA");
    EXPECT_EQ(workbook::columnLetters(16384), "XFD");
}

TEST(CellAddress, ShowsNumbersAsTheGeneralFormatDoes)
{
    EXPECT_EQ(workbook::generalNumberText(0), "0");
    EXPECT_EQ(workbook::generalNumberText(-0.0), "0");
    EXPECT_EQ(workbook::generalNumberText(1234.5), "1234,5");
    EXPECT_EQ(workbook::generalNumberText(-399.72), "-399,72");
    EXPECT_EQ(workbook::generalNumberText(0.1 + 0.2), "0,3");
    EXPECT_EQ(workbook::generalNumberText(89161234567.0), "89161234567");
    EXPECT_EQ(workbook::generalNumberText(1e20), "1E+20");
}

TEST(WorkbookWriter, FormatsAddUpOnEveryCellOfTheirRanges)
{
    TempFolder folder;
    const std::string path = folder.file("formats.xlsx");
    WorkbookWriter writer;
    writer.setText("A1", "Заголовок");
    writer.setNumber("B2", 12.5);
    writer.setBold("A1:C2");
    writer.setFontColourIndex("B1:B2", 5);
    writer.setFontColourIndex("C2", 3);
    writer.setAlignment("A1:C3", Alignment::Centre);
    writer.setAlignment("B2:C3", Alignment::Right);
    writer.setNumberFormat("B2:B3", "0.00");
    writer.setNumberFormat("C2:C3", "#,##0.00$");
    writer.setBorders("A2:C3");
    ASSERT_TRUE(writer.saveAs(path));

    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.sheets, QStringList{ "Лист1" });
    EXPECT_EQ(dump.paper, 9);
    EXPECT_EQ(dump.text("A1"), "Заголовок");
    EXPECT_EQ(dump.type("A1"), "s");
    EXPECT_EQ(dump.number("B2"), 12.5);
    EXPECT_EQ(dump.type("B2"), "n");
    EXPECT_TRUE(dump.bold("A1"));
    EXPECT_TRUE(dump.bold("C2"));
    EXPECT_FALSE(dump.bold("C3"));
    EXPECT_EQ(dump.colour("B1"), "FF0000FF");
    EXPECT_EQ(dump.colour("C2"), "FFFF0000");
    EXPECT_EQ(dump.colour("A1"), "");
    EXPECT_EQ(dump.align("A1"), "center");
    EXPECT_EQ(dump.align("A3"), "center");
    EXPECT_EQ(dump.align("B2"), "right");
    EXPECT_EQ(dump.align("C3"), "right");
    EXPECT_EQ(dump.format("A1"), "General");
    EXPECT_EQ(dump.format("B3"), "0.00");
    EXPECT_EQ(dump.format("C2"), "#,##0.00$");
    EXPECT_TRUE(dump.unbordered("A1"));
    for (const char* c : { "A2", "B2", "C2", "A3", "B3", "C3" })
        EXPECT_TRUE(dump.bordered(c)) << c;
}

TEST(WorkbookWriter, AMergedRangeKeepsItsNumberAndEveryCellItsFormat)
{
    TempFolder folder;
    const std::string path = folder.file("merge.xlsx");
    WorkbookWriter writer;
    writer.merge("A1:C1");
    writer.setNumber("A1", 5.25);
    writer.merge("A2:B2");
    writer.setText("A2", "Показания");
    writer.setBorders("A1:C2");
    ASSERT_TRUE(writer.saveAs(path));

    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.merges, (QStringList{ "A1:C1", "A2:B2" }));
    EXPECT_EQ(dump.number("A1"), 5.25);
    EXPECT_EQ(dump.text("A2"), "Показания");
    for (const char* c : { "A1", "B1", "C1", "A2", "B2", "C2" })
        EXPECT_TRUE(dump.bordered(c)) << c;
}

TEST(WorkbookWriter, FitsColumnsToTheirLongestShownText)
{
    WorkbookWriter writer;
    const std::string name = "Константинопольский Константин Константинович"; // 45 letters
    writer.setText("A1", "№");
    writer.setText("A2", "3001");
    writer.setText("B1", name);
    writer.setText("C1", name);
    writer.setBold("C1");
    writer.merge("D1:E1");
    writer.setText("D1", name); // merged: no say in the width
    writer.setText("D2", "ab");
    writer.setNumber("F1", 1234567.891);
    writer.setNumberFormat("F1", "0.00"); // "1234567,89"
    writer.setNumber("G1", 1234567.891);
    writer.setNumberFormat("G1", "#,##0.00$"); // "1 234 567,89$"
    writer.setText("H1", "двух-\nстрочный");
    writer.autoFitColumns("A:I");

    EXPECT_EQ(writer.shownText(1, 6), "1234567,89");
    EXPECT_EQ(writer.shownText(1, 7), "1 234 567,89$");
    const double a = writer.columnWidth(1);
    const double b = writer.columnWidth(2);
    const double c = writer.columnWidth(3);
    EXPECT_GT(a, 4);
    EXPECT_LT(a, 8);
    // Cyrillic letters count as one character each, not as their two bytes.
    EXPECT_GT(b, 45);
    EXPECT_LT(b, 60);
    EXPECT_GT(c, b);
    EXPECT_LT(writer.columnWidth(4), 6);
    EXPECT_GT(writer.columnWidth(7), writer.columnWidth(6));
    EXPECT_GT(writer.columnWidth(8), 9);
    EXPECT_LT(writer.columnWidth(8), 14);
    EXPECT_EQ(writer.columnWidth(9), 0); // nothing to fit: the width stays
}

TEST(WorkbookWriter, SavesFittedWidthsIntoTheFile)
{
    TempFolder folder;
    const std::string path = folder.file("widths.xlsx");
    WorkbookWriter writer;
    writer.setText("B1", "Фамилия Имя Отчество");
    writer.autoFitColumns("A:B");
    ASSERT_TRUE(writer.saveAs(path));
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_FALSE(dump.widths.contains("A"));
    EXPECT_NEAR(dump.width("B"), writer.columnWidth(2), 1.0);
}

TEST(WorkbookWriter, ASaveReplacesTheFileWholeOrNotAtAll)
{
    TempFolder folder;
    const std::string path = folder.file("book.xlsx");
    writeBytes(path, "old content");

    // An address the program got wrong: nothing is written, the old file stays.
    WorkbookWriter wrong;
    wrong.setText("A1", "x");
    wrong.setBold("A1:ZZZZ9");
    std::string error;
    EXPECT_FALSE(wrong.saveAs(path, &error));
    EXPECT_NE(error.find("ZZZZ9"), std::string::npos) << error;
    EXPECT_EQ(readBytes(path), "old content");

    WorkbookWriter whole;
    whole.setBold("A:B"); // formats on whole columns are refused too
    EXPECT_FALSE(whole.saveAs(path));
    EXPECT_EQ(readBytes(path), "old content");

    WorkbookWriter right;
    right.setText("A1", "новое");
    const mode_t mask = umask(022);
    EXPECT_TRUE(right.saveAs(path));
    umask(mask);
    EXPECT_EQ(readBytes(path).substr(0, 2), "PK");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    // No temporary files are left behind by any of it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 1);

    EXPECT_FALSE(right.saveAs(folder.file("no such folder/book.xlsx"), &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
