#include "platform/workbook_reader.h"
#include "platform/workbook_writer.h"
#include "support/files.h"
#include "support/zip_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Status = WorkbookReader::Status;

const std::string Relations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string replacePart(ZipParts& parts, const std::string& name, std::string content)
{
    for (auto& [partName, partContent] : parts)
        if (partName == name)
            partContent = std::move(content);
    return name;
}

TEST(WorkbookReader, ReadsBackWhatTheProgramWrites)
{
    TempFolder folder;
    const std::string path = folder.file("back.xlsx");
    WorkbookWriter writer;
    writer.setText("A1", "Иванов Иван Иванович");
    writer.setText("B1", "");
    writer.setTexts("A2", { { "007", "=1+1", "1,5" }, { "", "ул. Садовая, уч. 12" } });
    writer.setNumber("A5", 1234.5);
    writer.setNumber("B5", 89161234567.0);
    writer.setNumber("C5", 0.1 + 0.2);
    writer.setNumber("D5", -2);
    writer.merge("A7:C7");
    writer.setNumber("A7", 42);
    writer.setBold("A1:D7");
    writer.setBorders("A1:D7");
    ASSERT_TRUE(writer.saveAs(path));

    WorkbookReader reader;
    ASSERT_EQ(reader.open(path), Status::Read) << reader.failure();
    EXPECT_EQ(reader.text("A1"), "Иванов Иван Иванович");
    EXPECT_EQ(reader.text("B1"), "");
    EXPECT_EQ(reader.text("A2"), "007");
    EXPECT_EQ(reader.text("B2"), "=1+1");
    EXPECT_EQ(reader.text("C2"), "1,5");
    EXPECT_EQ(reader.text("A3"), "");
    EXPECT_EQ(reader.text(3, 2), "ул. Садовая, уч. 12");
    EXPECT_EQ(reader.text("A5"), "1234,5");
    EXPECT_EQ(reader.text("B5"), "89161234567");
    EXPECT_EQ(reader.text("C5"), "0,3");
    EXPECT_EQ(reader.text("D5"), "-2");
    EXPECT_EQ(reader.text("A7"), "42");
    EXPECT_EQ(reader.text("B7"), "");
    EXPECT_EQ(reader.text("Z99"), "");
}

TEST(WorkbookReader, ReadsTheCellsOtherProgramsWrite)
{
    // Rich-text runs with a phonetic run left out, an inline string, booleans, a formula's text
    // and error results, an escaped character, date and time styles, rows and cells without
    // addresses, and a prefixed namespace.
    ZipParts parts = minimalWorkbook(
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="inlineStr"><is><t>Строчная</t></is></c></row>
<row r="2"><c r="A2" t="b"><v>1</v></c><c r="B2" t="b"><v>0</v></c><c r="C2" t="str"><f>A1&amp;""</f><v>Формула</v></c><c r="D2" t="e"><v>#N/A</v></c></row>
<row r="3"><c r="A3" s="1"><v>45366</v></c><c r="B3" s="2"><v>45366.5</v></c><c r="C3" s="3"><v>0.75</v></c><c r="D3" t="d"><v>2024-03-15T00:00:00</v></c><c r="E3" s="1"><v>59</v></c><c r="F3" s="1"><v>61</v></c></row>
<row><c><v>7</v></c><c><v>8</v></c><c t="s"><v>2</v></c></row>
<row r="10"><c r="B10" s="4"><v>1234.5</v></c><c r="C10" t="s"><v>3</v></c></row>)",
        R"(<si><t>Иванов</t></si><si><r><rPr><b/></rPr><t>Пет</t></r><r><t xml:space="preserve">ров </t></r><rPh><t>ペ</t></rPh></si><si><t> </t></si><si><t>а_x000D_б</t></si>)");
    parts.emplace_back("xl/styles.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<x:styleSheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:numFmts><x:numFmt numFmtId="164" formatCode="[$-419]d\ mmmm\ yyyy"/><x:numFmt numFmtId="165" formatCode="&quot;Итого: &quot;0.00"/></x:numFmts>
<x:cellXfs><x:xf numFmtId="0"/><x:xf numFmtId="14"/><x:xf numFmtId="164"/><x:xf numFmtId="20"/><x:xf numFmtId="165"/></x:cellXfs>
</x:styleSheet>)");
    replacePart(parts, "xl/_rels/workbook.xml.rels",
        R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type=")"
            + Relations + R"(/worksheet" Target="/xl/worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type=")"
            + Relations + R"(/sharedStrings" Target="./sharedStrings.xml"/>
<Relationship Id="rId3" Type=")"
            + Relations + R"(/styles" Target="../xl/styles.xml"/>
</Relationships>)");

    WorkbookReader reader;
    ASSERT_EQ(reader.openXlsx(zipBytes(parts)), Status::Read) << reader.failure();
    EXPECT_EQ(reader.text("A1"), "Иванов");
    EXPECT_EQ(reader.text("B1"), "Петров ");
    EXPECT_EQ(reader.text("C1"), "Строчная");
    EXPECT_EQ(reader.text("A2"), "ИСТИНА");
    EXPECT_EQ(reader.text("B2"), "ЛОЖЬ");
    EXPECT_EQ(reader.text("C2"), "Формула");
    EXPECT_EQ(reader.text("D2"), "#N/A");
    EXPECT_EQ(reader.text("A3"), "15.03.2024");
    EXPECT_EQ(reader.text("B3"), "15.03.2024 12:00:00");
    EXPECT_EQ(reader.text("C3"), "18:00:00");
    EXPECT_EQ(reader.text("D3"), "15.03.2024");
    EXPECT_EQ(reader.text("E3"), "28.02.1900");
    EXPECT_EQ(reader.text("F3"), "01.03.1900");
    EXPECT_EQ(reader.text("A4"), "7");
    EXPECT_EQ(reader.text("B4"), "8");
    EXPECT_EQ(reader.text("C4"), " ");
    EXPECT_EQ(reader.text("B10"), "1234,5"); // a number format with a quoted text is no date
    EXPECT_EQ(reader.text("C10"), "а\rб");
}

TEST(WorkbookReader, TakesTheFirstWorksheetInTabOrderThroughTheRelationships)
{
    // The workbook part lives elsewhere, the first tab is a chart sheet, and the first worksheet
    // is stored as sheet2.xml.
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    ZipParts parts = {
        { "_rels/.rels",
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="r" Type=")"
                + Relations + R"(/officeDocument" Target="book/main.xml"/></Relationships>)" },
        { "book/main.xml", R"(<workbook xmlns=")" + main + R"(" xmlns:rel=")" + Relations + R"(">
<workbookPr date1904="1"/>
<sheets><sheet name="График" sheetId="3" rel:id="c"/><sheet name="Второй" sheetId="2" rel:id="b"/><sheet name="Первый" sheetId="1" rel:id="a"/></sheets></workbook>)" },
        { "book/_rels/main.xml.rels",
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="a" Type=")"
                + Relations + R"(/worksheet" Target="sheets/sheet1.xml"/>
<Relationship Id="b" Type=")"
                + Relations + R"(/worksheet" Target="sheets/sheet2.xml"/>
<Relationship Id="c" Type=")"
                + Relations + R"(/chartsheet" Target="sheets/chart1.xml"/>
<Relationship Id="s" Type=")"
                + Relations + R"(/styles" Target="styles.xml"/></Relationships>)" },
        { "book/styles.xml",
            R"(<styleSheet xmlns=")" + main
                + R"("><cellXfs><xf numFmtId="0"/><xf numFmtId="14"/></cellXfs></styleSheet>)" },
        { "book/sheets/sheet1.xml",
            R"(<worksheet xmlns=")" + main
                + R"("><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>третий</t></is></c></row></sheetData></worksheet>)" },
        { "book/sheets/sheet2.xml",
            R"(<worksheet xmlns=")" + main
                + R"("><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>второй</t></is></c><c r="B1" s="1"><v>0</v></c></row></sheetData></worksheet>)" },
        { "book/sheets/chart1.xml", "<chartsheet/>" },
    };
    WorkbookReader reader;
    ASSERT_EQ(reader.openXlsx(zipBytes(parts)), Status::Read) << reader.failure();
    EXPECT_EQ(reader.text("A1"), "второй");
    EXPECT_EQ(reader.text("B1"), "01.01.1904");
}

// Bytes that must be refused as unreadable, whatever they are.
struct BadWorkbook
{
    const char* what;
    std::string bytes;
    const char* reason = ""; // a part of the reason given, where it matters which one
};

std::string patchedSizes(std::string bytes, const std::string& name, std::uint32_t size)
{
    // The uncompressed size in the local header (offset 22) and the central directory (offset 24).
    const auto patch = [&](const std::string& signature, std::size_t offset, std::size_t nameOffset) {
        std::size_t at = 0;
        while ((at = bytes.find(signature, at)) != std::string::npos) {
            if (bytes.compare(at + nameOffset, name.size(), name) == 0)
                for (int i = 0; i < 4; ++i)
                    bytes[at + offset + std::size_t(i)] = char((size >> (8 * i)) & 0xFF);
            at += signature.size();
        }
    };
    patch(std::string("PK\x03\x04", 4), 22, 30);
    patch(std::string("PK\x01\x02", 4), 24, 46);
    return bytes;
}

std::vector<BadWorkbook> badWorkbooks()
{
    std::vector<BadWorkbook> bad;
    const std::string good = zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
    bad.push_back({ "an empty file", "" });
    bad.push_back({ "a truncated archive", good.substr(0, good.size() / 2) });
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = char(random());
    bad.push_back({ "random bytes", noise });
    bad.push_back({ "random bytes after a zip signature", std::string("PK\x03\x04", 4) + noise });
    bad.push_back({ "a zip without a workbook", zipBytes({ { "readme.txt", "привет" } }) });

    ZipParts noSheet = minimalWorkbook("");
    replacePart(
        noSheet, "xl/workbook.xml", R"(<workbook xmlns:r=")" + Relations + R"("><sheets/></workbook>)");
    bad.push_back({ "a workbook without a worksheet", zipBytes(noSheet) });

    ZipParts missingSheet = minimalWorkbook("");
    std::erase_if(missingSheet, [](const auto& part) { return part.first == "xl/worksheets/sheet1.xml"; });
    bad.push_back({ "a worksheet part that is missing", zipBytes(missingSheet) });

    // A sheet that inflates past the bound from a few kilobytes.
    std::string huge = "<worksheet><sheetData>";
    huge.append(WorkbookReader::MaxPartBytes + 1024, ' ');
    huge += "</sheetData></worksheet>";
    ZipParts bomb = minimalWorkbook("");
    replacePart(bomb, "xl/worksheets/sheet1.xml", huge);
    const std::string bombBytes = zipBytes(bomb);
    EXPECT_LT(bombBytes.size(), 100000u);
    bad.push_back({ "a zip bomb", bombBytes, "more than a workbook part may hold" });

    // The same sheet declaring a small size: reading must not go past it.
    std::string bigSheet = "<worksheet><sheetData>";
    bigSheet.append(200000, ' ');
    bigSheet += "</sheetData></worksheet>";
    ZipParts lying = minimalWorkbook("");
    replacePart(lying, "xl/worksheets/sheet1.xml", bigSheet);
    bad.push_back({ "a part larger than it declares",
        patchedSizes(zipBytes(lying), "xl/worksheets/sheet1.xml", 100), "not of its declared size" });

    // One long shared string shown by many cells: copied into each, it would take gigabytes.
    std::string manyCells;
    for (int row = 1; row <= 5000; ++row)
        manyCells += "<row r=\"" + std::to_string(row) + "\"><c t=\"s\"><v>0</v></c></row>";
    bad.push_back({ "a long shared string in many cells",
        zipBytes(minimalWorkbook(manyCells, "<si><t>" + std::string(1u << 20, 'x') + "</t></si>")),
        "more text" });
    bad.push_back({ "a shared string that is not there",
        zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1" t="s"><v>5</v></c></row>)", "<si><t>a</t></si>")) });
    bad.push_back({ "a shared string without a table",
        zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)")) });
    bad.push_back({ "a cell past the last column",
        zipBytes(minimalWorkbook(R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)")) });
    bad.push_back({ "a row past the last row",
        zipBytes(minimalWorkbook(R"(<row r="1048577"><c><v>1</v></c></row>)")) });
    bad.push_back({ "a number cell without a number",
        zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1"><v>один</v></c></row>)")) });
    bad.push_back({ "broken XML", zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></row>)")) });

    ZipParts laughs = minimalWorkbook("");
    replacePart(laughs, "xl/worksheets/sheet1.xml", R"(<?xml version="1.0"?>
<!DOCTYPE worksheet [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">]>
<worksheet><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&c;</t></is></c></row></sheetData></worksheet>)");
    bad.push_back({ "XML with entities", zipBytes(laughs) });
    return bad;
}

TEST(WorkbookReader, RefusesDamagedForeignAndHostileFilesWithoutKeepingAnything)
{
    WorkbookReader reader;
    for (const BadWorkbook& bad : badWorkbooks()) {
        // A good read before each, so that a failure is seen to drop what was read.
        ASSERT_EQ(reader.openXlsx(zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"))),
            Status::Read);
        EXPECT_EQ(reader.openXlsx(bad.bytes), Status::Unreadable) << bad.what;
        EXPECT_EQ(reader.cellCount(), 0u) << bad.what;
        EXPECT_FALSE(reader.failure().empty()) << bad.what;
        EXPECT_NE(reader.failure().find(bad.reason), std::string::npos)
            << bad.what << ": " << reader.failure();
    }
}

TEST(WorkbookReader, RecognisesTheFormatByContentNotByName)
{
    TempFolder folder;
    const std::string xlsxNamedXls = folder.file("book.xls");
    writeBytes(xlsxNamedXls, zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1"><v>3</v></c></row>)")));
    WorkbookReader reader;
    ASSERT_EQ(reader.open(xlsxNamedXls), Status::Read) << reader.failure();
    EXPECT_EQ(reader.text("A1"), "3");

    const std::string text = folder.file("notes.xlsx");
    writeBytes(text, "№;Фамилия\n1;Иванов\n");
    EXPECT_EQ(reader.open(text), Status::Unreadable);
    EXPECT_EQ(reader.open(folder.file("missing.xlsx")), Status::Unreadable);
    EXPECT_EQ(reader.open(folder.path().string()), Status::Unreadable);

    // A named pipe nobody writes into: refused at once, not waited on.
    const std::string pipe = folder.file("pipe.xlsx");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(reader.open(pipe), Status::Unreadable);

    // A compound file that is no workbook.
    std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    compound.append(4096, '\0');
    const std::string broken = folder.file("broken.xls");
    writeBytes(broken, compound);
    EXPECT_EQ(reader.open(broken), Status::Unreadable);
}

TEST(WorkbookReader, ALegacyWorkbookIsReadWithinTheSameBounds)
{
    WorkbookReader reader;
    ASSERT_EQ(reader.open(std::string(TERVOLIN_TEST_DATA_DIR) + "/directory_legacy.xls"), Status::Read);
    EXPECT_EQ(reader.text("B2"), "Иванов Иван Иванович");
    EXPECT_EQ(reader.text("D2"), "89161234567");
    EXPECT_EQ(reader.text("F3"), "15.03.2024");
    EXPECT_EQ(reader.text("A7"), "6");
    // 5000 cells showing one string of 8000 letters: 40 MB of text from a 180 KB file.
    EXPECT_EQ(reader.open(std::string(TERVOLIN_TEST_DATA_DIR) + "/legacy_long_text_in_many_cells.xls"),
        Status::Unreadable);
    EXPECT_NE(reader.failure().find("more text"), std::string::npos) << reader.failure();
    EXPECT_EQ(reader.cellCount(), 0u);
    // A damaged file on which the legacy reader reads past its buffers.
    EXPECT_EQ(reader.open(std::string(TERVOLIN_TEST_DATA_DIR) + "/legacy_damaged.xls"), Status::Unreadable);
    ASSERT_EQ(reader.open(std::string(TERVOLIN_TEST_DATA_DIR) + "/directory_legacy.xls"), Status::Read);
    EXPECT_EQ(reader.cellCount(), 30u);
}

TEST(WorkbookReader, AFileTheUserMayNotReadIsReportedAsSuch)
{
    TempFolder folder;
    const std::string path = folder.file("closed.xlsx");
    writeBytes(path, zipBytes(minimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)")));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    // The superuser reads anything: the read is made as an ordinary user in a child process.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        WorkbookReader reader;
        _exit(reader.open(path) == Status::AccessDenied ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(WorkbookReader, InputsFoundByTheFuzzerAreStillReadOrRefused)
{
    // One input for each way of reading or refusing that the fuzzer reached; the name says which
    // it must be. Inputs that ever crash the reader join them.
    const std::filesystem::path folder = std::filesystem::path(TERVOLIN_TEST_DATA_DIR) / "reader_inputs";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        WorkbookReader reader;
        const Status status = reader.openXlsx(readBytes(entry.path().string()));
        EXPECT_EQ(status, name.starts_with("read-") ? Status::Read : Status::Unreadable) << name;
        ++count;
    }
    EXPECT_GE(count, 20);
}

} // namespace
