#include "database/database_file.h"
#include "directory/directory.h"
#include "directory/directory_workbook.h"
#include "platform/workbook_writer.h"
#include "support/app_fixture.h"
#include "support/workbook_dump.h"
#include "support/zip_files.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class DirectoryWorkbook : public AppFixture
{
protected:
    // The database on disk, in the table as the directory window has it.
    void load()
    {
        ASSERT_EQ(database::load(databasePath(), state.table).status, database::LoadResult::Status::Loaded);
    }
    std::string workbookPath(const std::string& name = "directory.xlsx") const { return folder.file(name); }
    void answerFile(const std::string& path) { dialogs.fileNames.push_back(QString::fromStdString(path)); }

    // Answers the import's question with Yes and its open dialog with the file.
    bool import(const std::string& path)
    {
        dialogs.answers.push_back(Answer::Yes);
        answerFile(path);
        return importDirectoryWorkbook(state);
    }

    std::vector<std::string> directoryOf(const RecordTable& table, int row) const
    {
        std::vector<std::string> fields;
        for (int f = fields::Number; f <= fields::Note; ++f)
            fields.emplace_back(table.field(row, f));
        return fields;
    }

    // A workbook of these rows, from row 1 (the heading) down.
    std::string workbookOf(
        const std::vector<std::vector<std::string>>& rows, const std::string& name = "in.xlsx")
    {
        WorkbookWriter writer;
        writer.setTexts("A1", rows);
        const std::string path = folder.file(name);
        EXPECT_TRUE(writer.saveAs(path));
        return path;
    }
};

const std::vector<std::string> Heading
    = { "№", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание" };

TEST_F(DirectoryWorkbook, ExportWritesTheHeadingAndEveryFieldAsText)
{
    writeDatabase({ { "1", "Иванов Иван Иванович", "ул. Садовая, уч. 12", "007", "НЕВА 101", "=1+1" },
        { "2", "Петрова А. С.", "", "", "", "1,5" },
        { "3", "Ёлкин Ё. Ё.", "уч. 40", "+7 (495) 123-45-67", "ЦЭ6807", "" } });
    load();
    answerFile(workbookPath());
    ASSERT_TRUE(exportDirectoryWorkbook(state));

    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Справочник абонентов от 06.12.2026 21ч 05мин.xlsx");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.xlsx");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Файлы (*.xlsx)|*.xlsx|Все файлы(*.*)|*.*|");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    const WorkbookDump dump = dumpWorkbook(workbookPath());
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.sheets.size(), 1);
    EXPECT_TRUE(dump.merges.isEmpty());
    EXPECT_EQ(dump.paper, 9);
    EXPECT_FALSE(dump.landscape);
    EXPECT_TRUE(dump.onePageWide);
    EXPECT_EQ(dump.titleRows, "$1:$1");
    for (int c = 1; c <= 6; ++c) {
        const QString h = cellName(c, 1);
        EXPECT_EQ(dump.text(h).toStdString(), Heading[std::size_t(c - 1)]);
        EXPECT_TRUE(dump.bold(h)) << h.toStdString();
        EXPECT_EQ(dump.align(h), "center") << h.toStdString();
    }
    EXPECT_EQ(dump.text("A2"), "1");
    EXPECT_EQ(dump.type("A2"), "s");
    EXPECT_EQ(dump.text("D2"), "007");
    EXPECT_EQ(dump.type("D2"), "s");
    EXPECT_EQ(dump.text("F2"), "=1+1");
    EXPECT_EQ(dump.type("F2"), "s");
    EXPECT_EQ(dump.text("F3"), "1,5");
    EXPECT_TRUE(dump.cell("C3").value("value").isNull());
    EXPECT_EQ(dump.text("B4"), "Ёлкин Ё. Ё.");
    EXPECT_FALSE(dump.bold("B2"));

    // Every cell of the table bordered, nothing beyond it.
    for (int row = 1; row <= 4; ++row)
        for (int c = 1; c <= 6; ++c)
            EXPECT_TRUE(dump.bordered(cellName(c, row))) << cellName(c, row).toStdString();
    EXPECT_TRUE(dump.unbordered("A5"));
    EXPECT_TRUE(dump.unbordered("B5"));
    // B … F left-aligned down to row 500 for rows added later; column A and row 501 as they are.
    EXPECT_EQ(dump.align("B2"), "left");
    EXPECT_EQ(dump.align("F500"), "left");
    EXPECT_EQ(dump.align("A2"), "");
    EXPECT_EQ(dump.align("B501"), "");
    // Columns fitted: the longest name has 20 letters.
    EXPECT_GT(dump.width("B"), 20);
    EXPECT_LT(dump.width("B"), 30);
    EXPECT_GT(dump.width("A"), 1);
    EXPECT_LT(dump.width("A"), dump.width("E"));
}

TEST_F(DirectoryWorkbook, CancellingTheExportWritesNothing)
{
    writeDatabase({ { "1", "Иванов" } });
    load();
    EXPECT_FALSE(exportDirectoryWorkbook(state));
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1); // the database only
}

TEST_F(DirectoryWorkbook, AnExportThatCannotBeSavedSaysSo)
{
    writeDatabase({ { "1", "Иванов" } });
    load();
    const std::string path = folder.file("нет такой папки/справочник.xlsx");
    answerFile(path);
    EXPECT_FALSE(exportDirectoryWorkbook(state));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Не удалось сохранить файл " + QString::fromStdString(path));
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка сохранения");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
}

TEST_F(DirectoryWorkbook, AFullDirectoryComesBackUnchangedThroughExportAndImport)
{
    writeDemoDatabase(fields::MaxRecords);
    load();
    const RecordTable before = state.table;
    answerFile(workbookPath());
    ASSERT_TRUE(exportDirectoryWorkbook(state));

    const WorkbookDump dump = dumpWorkbook(workbookPath());
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.maxRow, 3002);
    EXPECT_EQ(dump.text("A3002"), "3001");
    EXPECT_TRUE(dump.bordered("F3002"));
    EXPECT_EQ(dump.align("B3002"), "left");

    const std::string fileBefore = databaseBytes();
    ASSERT_TRUE(import(workbookPath()));
    EXPECT_TRUE(dialogs.shown.size() == 1 && dialogs.shown[0].buttons == MessageButtons::YesNo);
    EXPECT_EQ(state.table.recordCount(), fields::MaxRecords);
    for (int row = 1; row <= fields::MaxRecords; ++row)
        ASSERT_EQ(directoryOf(state.table, row), directoryOf(before, row)) << row;
    EXPECT_EQ(databaseBytes(), fileBefore);
}

TEST_F(DirectoryWorkbook, ImportAsksFirstAndDoesNothingOnNo)
{
    writeDatabase({ { "1", "Иванов" } });
    load();
    const std::string path = workbookOf({ Heading, { "1", "Петров" } });
    dialogs.answers.push_back(Answer::No);
    answerFile(path);
    EXPECT_FALSE(importDirectoryWorkbook(state));
    ASSERT_EQ(dialogs.shown.size(), 1);
    const Message& question = dialogs.shown[0];
    EXPECT_EQ(question.text, "Вы действительно хотите безвозвратно изменить данные справочника абонентов?");
    EXPECT_EQ(question.title, "Импорт справочника из Excel");
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, Answer::No);
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    EXPECT_EQ(state.table.field(1, fields::FullName), "Иванов");

    // Yes, then cancelling the open dialog: nothing either.
    dialogs.fileNames.clear();
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_FALSE(importDirectoryWorkbook(state));
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Файлы (*.xlsx;*.xls)|*.xlsx;*.xls|Все файлы(*.*)|*.*|");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.xlsx");
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(state.table.field(1, fields::FullName), "Иванов");
}

TEST_F(DirectoryWorkbook, ImportReplacesTheDirectoryAndKeepsEachRowsYearlyData)
{
    // Three subscribers with a reading in January 2020 (field 9); the workbook has two rows.
    std::vector<std::vector<std::string>> records;
    for (int i = 1; i <= 3; ++i) {
        std::vector<std::string> record(9);
        record[0] = std::to_string(i);
        record[1] = "Старый " + std::to_string(i);
        record[2] = "уч. " + std::to_string(i);
        record[8] = std::to_string(100 * i);
        records.push_back(record);
    }
    writeDatabase(records);
    load();
    const std::string path
        = workbookOf({ Heading, { "1", "Новый Н. Н.", "ул. Лесная, 1", "89161234567", "НЕВА", "новый" },
            { " 2 ", "Второй В. В.", "", "", "", "" }, { "", "Без номера: конец данных" },
            { "4", "Не читается" } });
    ASSERT_TRUE(import(path));

    EXPECT_EQ(state.table.recordCount(), 2);
    EXPECT_EQ(directoryOf(state.table, 1),
        (std::vector<std::string>{ "1", "Новый Н. Н.", "ул. Лесная, 1", "89161234567", "НЕВА", "новый" }));
    EXPECT_EQ(directoryOf(state.table, 2), (std::vector<std::string>{ "2", "Второй В. В.", "", "", "", "" }));
    EXPECT_EQ(state.table.field(1, 9), "100");
    EXPECT_EQ(state.table.field(2, 9), "200");
    EXPECT_EQ(dialogs.shown.size(), 1) << "rows numbered 1, 2 in order: the question only";

    // Written to the file: two records, as the table has them.
    RecordTable onDisk;
    ASSERT_EQ(database::load(databasePath(), onDisk).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(onDisk.recordCount(), 2);
    EXPECT_EQ(directoryOf(onDisk, 1), directoryOf(state.table, 1));
    EXPECT_EQ(onDisk.field(2, 9), "200");
}

TEST_F(DirectoryWorkbook, ARowOrderThatIsNotTheDirectorysIsImportedOnlyWhenConfirmed)
{
    // Each subscriber's January 2020 reading (field 9) belongs to that subscriber.
    writeDatabase({ { "1", "Яковлев Я. Я.", "уч. 1", "", "", "", "", "", "100" },
        { "2", "Андреев А. А.", "уч. 2", "", "", "", "", "", "200" },
        { "3", "Борисов Б. Б.", "уч. 3", "", "", "", "", "", "300" } });
    load();
    const RecordTable before = state.table;
    const std::string fileBefore = databaseBytes();
    // Sorted by name in the spreadsheet, as users do.
    const std::string sorted = workbookOf({ Heading, { "2", "Андреев А. А.", "уч. 2" },
        { "3", "Борисов Б. Б.", "уч. 3" }, { "1", "Яковлев Я. Я.", "уч. 1" } });

    EXPECT_FALSE(import(sorted)); // the second question answered with its default, No
    ASSERT_EQ(dialogs.shown.size(), 2);
    const Message& question = dialogs.shown[1];
    EXPECT_EQ(question.text,
        "Строки книги не совпадают с номерами справочника (строка 2: номер 2). Показания и лицевые счета "
        "останутся за номерами строк, а не за фамилиями. Всё равно заменить справочник?");
    EXPECT_EQ(question.title, "Импорт справочника из Excel");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, Answer::No);
    EXPECT_EQ(state.table.recordCount(), 3);
    for (int row = 1; row <= 3; ++row)
        for (int f = fields::Number; f <= 9; ++f)
            EXPECT_EQ(state.table.field(row, f), before.field(row, f)) << row << ":" << f;
    EXPECT_EQ(databaseBytes(), fileBefore);

    // The first row out of place is named, whatever its column A holds.
    dialogs.shown.clear();
    EXPECT_FALSE(import(workbookOf(
        { Heading, { "1", "Яковлев Я. Я." }, { "2", "Андреев А. А." }, { "уч. 3", "Борисов Б. Б." } },
        "shifted.xlsx")));
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[1].text.startsWith(
        "Строки книги не совпадают с номерами справочника (строка 4: номер уч. 3)."));
    EXPECT_EQ(databaseBytes(), fileBefore);

    // Yes: the rows go by their places, as the operator was told.
    dialogs.shown.clear();
    dialogs.answers = { Answer::Yes, Answer::Yes };
    answerFile(sorted);
    ASSERT_TRUE(importDirectoryWorkbook(state));
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(state.table.field(1, fields::FullName), "Андреев А. А.");
    EXPECT_EQ(state.table.field(1, 9), "100");
    EXPECT_EQ(state.table.field(3, fields::FullName), "Яковлев Я. Я.");
    EXPECT_EQ(state.table.field(3, 9), "300");
    EXPECT_NE(databaseBytes(), fileBefore);
}

TEST_F(DirectoryWorkbook, CharactersTheDatabaseCannotHoldAreCountedOutAndLongNamesCut)
{
    const std::string longStored(250, 'S');
    writeDatabase({ { "1", longStored, "уч. 1" }, { "2", "Петров" }, { "3", "Сидоров" } });
    load();
    std::string longNew(150, 'N');
    for (int i = 0; i < 100; ++i)
        longNew += "Щ";
    ASSERT_EQ(directory::characterCount(longNew), 250);
    const std::string path
        = workbookOf({ Heading, { "1", longStored, "уч. 1" }, // the name the record has: kept whole
            { "2", "Петров|Водкин", "уч. 2\nдом 5", "", "НЕВА 中", "" }, // three cells cleaned
            { "3", longNew, "€ ok" } });
    ASSERT_TRUE(import(path));

    EXPECT_EQ(state.table.field(1, fields::FullName), longStored);
    EXPECT_EQ(state.table.field(2, fields::FullName), "ПетровВодкин");
    EXPECT_EQ(state.table.field(2, fields::Address), "уч. 2дом 5");
    EXPECT_EQ(state.table.field(2, fields::MeterType), "НЕВА");
    EXPECT_EQ(state.table.field(3, fields::FullName), directory::firstCharacters(longNew, 200));
    EXPECT_EQ(state.table.field(3, fields::Address), "€ ok");
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text,
        "Очищено ячеек: 3 (удалены символы, которые база не может хранить).\n"
        "Сокращено фамилий длиннее 200 символов: 1.");
    EXPECT_EQ(dialogs.shown[1].title, "Импорт справочника из Excel");
    EXPECT_EQ(dialogs.shown[1].icon, MessageIcon::Information);

    // The file holds what the table holds, the long stored name whole.
    RecordTable onDisk;
    ASSERT_EQ(database::load(databasePath(), onDisk).status, database::LoadResult::Status::Loaded);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(directoryOf(onDisk, row), directoryOf(state.table, row)) << row;

    // A clean workbook says nothing more than the question.
    dialogs.shown.clear();
    ASSERT_TRUE(import(workbookOf({ Heading, { "1", "Иванов" } }, "clean.xlsx")));
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(DirectoryWorkbook, NewRowsPastTheOldDirectoryStartEmpty)
{
    // Row 2 still holds, in memory, a subscriber an earlier import dropped.
    writeDatabase(
        { { "1", "Первый", "", "", "", "", "", "150" }, { "2", "Выбывший", "", "", "", "", "", "270" } });
    load();
    state.table.setRecordCount(1);
    ASSERT_TRUE(import(workbookOf({ Heading, { "1", "Первый" }, { "2", "Новенький" } })));
    EXPECT_EQ(state.table.recordCount(), 2);
    EXPECT_EQ(state.table.field(1, 8), "150");
    EXPECT_EQ(state.table.field(2, fields::FullName), "Новенький");
    EXPECT_EQ(state.table.field(2, 8), "");
}

TEST_F(DirectoryWorkbook, ImportsWorkbooksSavedByASpreadsheetProgram)
{
    const std::vector<std::vector<std::string>> expected = {
        { "1", "Иванов Иван Иванович", "ул. Садовая, уч. 12", "89161234567", "НЕВА 101",
            "поверка 15.03.2024" },
        { "2", "Петрова Анна Сергеевна", "уч. 7", "+7 (495) 123-45-67", "Меркурий 201", "15.03.2024" },
        { "3", "Сидоров С. С.", "уч. 3", "", "", "Примечание с \"кавычками\"" },
        { "4", "Ёлкин Ё. Ё.", "уч. 40", "", "ЦЭ6807", "1,5" },
    };
    for (const char* file : { "directory_libreoffice.xlsx", "directory_legacy.xls" }) {
        SCOPED_TRACE(file);
        writeDatabase({ { "1", "Старый" } });
        load();
        ASSERT_TRUE(import(std::string(TERVOLIN_TEST_DATA_DIR) + "/" + file));
        ASSERT_EQ(state.table.recordCount(), 4);
        for (int row = 1; row <= 4; ++row)
            EXPECT_EQ(directoryOf(state.table, row), expected[std::size_t(row - 1)]) << row;
        EXPECT_EQ(dialogs.shown.size(), 1);
        dialogs.shown.clear();
    }
}

TEST_F(DirectoryWorkbook, AWorkbookWithoutDataRowsChangesNothing)
{
    writeDatabase({ { "1", "Иванов" }, { "2", "Петров" } });
    load();
    const std::string before = databaseBytes();
    EXPECT_FALSE(import(workbookOf({ Heading, { "", "Имя без номера" } })));
    EXPECT_EQ(state.table.recordCount(), 2);
    EXPECT_EQ(state.table.field(2, fields::FullName), "Петров");
    EXPECT_EQ(dialogs.shown.size(), 1); // the question only
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(DirectoryWorkbook, BadWorkbooksAreRefusedAndChangeNothing)
{
    writeDatabase({ { "1", "Иванов" }, { "2", "Петров" } });
    load();
    const std::string before = databaseBytes();

    std::vector<std::vector<std::string>> tooMany = { Heading };
    for (int i = 1; i <= fields::MaxRecords + 1; ++i)
        tooMany.push_back({ std::to_string(i), "Абонент " + std::to_string(i) });
    const std::string exported = workbookOf(tooMany, "too-many.xlsx");
    const std::string good = readBytes(workbookOf({ Heading, { "1", "Новый" } }, "good.xlsx"));

    std::string bomb = "<worksheet><sheetData>";
    bomb.append(20u << 20, ' ');
    bomb += "</sheetData></worksheet>";
    ZipParts bombParts = minimalWorkbook("");
    for (auto& [name, content] : bombParts)
        if (name == "xl/worksheets/sheet1.xml")
            content = bomb;
    ZipParts noSheet = minimalWorkbook("");
    for (auto& [name, content] : noSheet)
        if (name == "xl/workbook.xml")
            content = "<workbook><sheets/></workbook>";

    const std::vector<std::pair<std::string, std::string>> files = {
        { "truncated.xlsx", good.substr(0, good.size() - 100) },
        { "random.xlsx", std::string(3000, '\x9C') + "Иванов" },
        { "bomb.xlsx", zipBytes(bombParts) },
        { "no-sheet.xlsx", zipBytes(noSheet) },
        { "empty.xls", "" },
    };
    std::vector<std::string> paths = { exported };
    for (const auto& [name, bytes] : files) {
        writeBytes(folder.file(name), bytes);
        paths.push_back(folder.file(name));
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        dialogs.shown.clear();
        EXPECT_FALSE(import(path));
        ASSERT_EQ(dialogs.shown.size(), 2);
        EXPECT_EQ(dialogs.shown[1].text, "Ошибка импорта!");
        EXPECT_EQ(dialogs.shown[1].title, "Ошибка");
        EXPECT_EQ(dialogs.shown[1].icon, MessageIcon::Information);
        EXPECT_EQ(state.table.recordCount(), 2);
        EXPECT_EQ(state.table.field(1, fields::FullName), "Иванов");
        EXPECT_EQ(databaseBytes(), before);
    }
}

TEST_F(DirectoryWorkbook, AWorkbookTheUserMayNotReadIsReportedAsClosed)
{
    writeDatabase({ { "1", "Иванов" } });
    load();
    const std::string path = workbookOf({ Heading, { "1", "Петров" } });
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    // The superuser reads anything: the import runs as an ordinary user in a child process,
    // which reports through its exit status what it saw.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const bool imported = import(path);
        const bool told = dialogs.shown.size() == 2 && dialogs.shown[1].text == "Доступ к файлу закрыт!"
            && dialogs.shown[1].title == "Ошибка импорта"
            && dialogs.shown[1].icon == MessageIcon::Exclamation;
        const bool untouched
            = state.table.recordCount() == 1 && state.table.field(1, fields::FullName) == "Иванов";
        _exit(!imported && told && untouched ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
