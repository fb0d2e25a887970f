#include "reports/supplier_figures.h"
#include "support/files.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using reports::SupplierFigures;
using Status = reports::SupplierFile::Status;

TEST(SupplierFigures, RoundTripThroughTheirFile)
{
    TempFolder folder;
    const std::string path = reports::supplierFilePath(folder.file("Tervolin2.spb"));
    EXPECT_EQ(path, folder.file("Tervolin2.balance"));

    const reports::SupplierFile missing = reports::loadSupplierFigures(path);
    EXPECT_EQ(missing.status, Status::Missing);
    EXPECT_EQ(missing.figures, SupplierFigures());

    SupplierFigures figures;
    figures.setMonth(2024, 3, { "12500", "87500,50" });
    figures.setMonth(2020, 12, { "", "1000" });
    figures.setMonth(2024, 11, { "900", "" });
    figures.setMonth(2024, 5, { "", "" }); // nothing typed: no line
    ASSERT_TRUE(reports::saveSupplierFigures(path, figures));
    EXPECT_EQ(readBytes(path), "2020|12||1000|\r\n2024|3|12500|87500,50|\r\n2024|11|900||\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    const reports::SupplierFile loaded = reports::loadSupplierFigures(path);
    ASSERT_EQ(loaded.status, Status::Loaded);
    EXPECT_EQ(loaded.figures, figures);
    EXPECT_EQ(loaded.figures.month(2024, 3).bill, "87500,50");
    EXPECT_TRUE(loaded.figures.month(2024, 4).empty());

    // A month emptied goes from the file.
    figures.setMonth(2020, 12, { "", "" });
    ASSERT_TRUE(reports::saveSupplierFigures(path, figures));
    EXPECT_EQ(readBytes(path), "2024|3|12500|87500,50|\r\n2024|11|900||\r\n");
}

TEST(SupplierFigures, ALineNotAsWrittenIsNamed)
{
    const std::pair<const char*, int> cases[] = {
        { "2024|3|1|2|\r\n2024|13|1|2|\r\n", 2 },
        { "2019|1|1|2|\r\n", 1 },
        { "2024|3|abc||\r\n", 1 },
        { "2024|3|-5||\r\n", 1 },
        { "2024|3|1|2\r\n", 1 },
        { "2024|3|1|2|3|\r\n", 1 },
        { "2024|3|1|2|\r\n2024|4|||\r\n2024|3|5|6|\r\n", 3 }, // the same month twice
        { "2108|1|1|2|\r\n", 1 },
        { "202|1|1|2|\r\n", 1 },
        { "+202|1|1|2|\r\n", 1 },
    };
    for (const auto& [text, line] : cases) {
        int bad = 0;
        EXPECT_FALSE(SupplierFigures::parse(text, &bad)) << text;
        EXPECT_EQ(bad, line) << text;
    }
    // Blank lines and a last line without its CR LF are no harm.
    const std::optional<SupplierFigures> lenient
        = SupplierFigures::parse("\r\n2024|3|1|2|\r\n\r\n2024|4|3||");
    ASSERT_TRUE(lenient);
    EXPECT_EQ(lenient->month(2024, 4).kwh, "3");
    // The years after 2027 are the database's too, once it has moved on to them.
    const std::optional<SupplierFigures> later = SupplierFigures::parse("2028|1|10|20|\r\n2107|12|1||\r\n");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->month(2028, 1).bill, "20");
    EXPECT_EQ(later->fileText(), "2028|1|10|20|\r\n2107|12|1||\r\n");

    TempFolder folder;
    const std::string path = folder.file("Tervolin2.balance");
    writeBytes(path, "2024|3|1|2|\r\nмусор\r\n");
    const reports::SupplierFile file = reports::loadSupplierFigures(path);
    EXPECT_EQ(file.status, Status::BadLine);
    EXPECT_EQ(file.line, 2);
}

TEST(SupplierFigures, TypedFiguresAreNumbersNotBelowZero)
{
    const std::pair<const char*, std::optional<const char*>> cases[] = { { "12500", "12500" },
        { " 87500.50 ", "87500,50" }, { "", "" }, { "  ", "" }, { "0", "0" }, { "-1", std::nullopt },
        { "1a", std::nullopt }, { "1|2", std::nullopt }, { ",5", std::nullopt } };
    for (const auto& [typed, expected] : cases) {
        const std::optional<std::string> figure = reports::typedFigure(typed);
        ASSERT_EQ(figure.has_value(), expected.has_value()) << typed;
        if (figure) {
            EXPECT_EQ(*figure, *expected) << typed;
        }
    }
}

TEST(SupplierFigures, AFileProtectedFromWritingIsKept)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.balance");
    writeBytes(path, "2024|3|1|2|\r\n");
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    SupplierFigures figures;
    figures.setMonth(2024, 3, { "5", "6" });
    std::string error;
    EXPECT_FALSE(reports::saveSupplierFigures(path, figures, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(path), "2024|3|1|2|\r\n");
}

} // namespace
