#include "database/database_file.h"
#include "demo_data.h"
#include "platform/workbook_writer.h"
#include "sheet/readings_import_window.h"
#include "sheet/sheet.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>

namespace {

constexpr int Year = 2026;
constexpr int Month = 12;

class ReadingsImportWindow : public AppFixture
{
protected:
    void SetUp() override
    {
        DemoOptions options;
        options.subscribers = 8;
        fillDemoTable(state.table, options);
        // Two subscribers of one name, and one whose December is typed already.
        state.table.set(7, fields::FullName, std::string(state.table.field(6, fields::FullName)));
        state.table.set(3, sheet::cellField(Year, Month, fields::CurrentReading), "99999");
        ASSERT_TRUE(database::write(databasePath(), state.table));
    }

    std::string name(int record) const { return std::string(state.table.field(record, fields::FullName)); }
    std::string november(int record, int more) const
    {
        const std::string_view text
            = state.table.field(record, sheet::cellField(Year, 11, fields::CurrentReading));
        return std::to_string(std::stol(std::string(text)) + more);
    }

    QObject m_context;

    // Runs `act` on the preview once it is on the screen, then lets the import go on. Bound to the
    // test: a preview that never came up leaves no call behind for a later test.
    void whenShown(std::function<void(frmReadingsImport&)> act)
    {
        QTimer::singleShot(0, &m_context, [this, act] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* preview = qobject_cast<frmReadingsImport*>(w); preview && preview->isVisible()) {
                    shownLines = preview->lines();
                    act(*preview);
                    // A failed assertion in `act` must not leave the import waiting.
                    if (preview->isVisible())
                        preview->reject();
                    return;
                }
            ADD_FAILURE() << "no preview on the screen";
        });
    }

    static void press(frmReadingsImport& preview, const char* button)
    {
        preview.findChild<QPushButton*>(button)->click();
    }

    std::vector<readings::Line> shownLines;
};

TEST_F(ReadingsImportWindow, TakesTheCheckedLinesOfAWorkbook)
{
    WorkbookWriter writer;
    writer.setTexts("A1",
        { { "Показания за декабрь 2026" }, {}, { "№ уч.", "Ф.И.О.", "Дата снятия", "Показание" },
            { "2", "", "31.12.2026", november(2, 120) }, { "", name(5), "", november(5, 80) },
            { "3", "", "", november(3, 10) }, { "", name(6), "", "500" }, { "", "Нетакого Н. Н.", "", "700" },
            { "8", "", "", "сто" } });
    writer.setNumber("D10", 4321);
    writer.setTexts("A10", { { "4" } });
    const std::string path = folder.file("декабрь.xlsx");
    ASSERT_TRUE(writer.saveAs(path));
    dialogs.fileNames.push_back(QString::fromStdString(path));

    QTableWidget* grid = nullptr;
    whenShown([&](frmReadingsImport& preview) {
        grid = preview.findChild<QTableWidget*>("g");
        ASSERT_EQ(grid->rowCount(), 7);
        // The line for record 4 is unchecked by the user before taking.
        grid->item(6, 0)->setCheckState(Qt::Unchecked);
        press(preview, "CmdOk");
    });
    const std::vector<readings::Taken> taken = importReadingsFromFile(state, nullptr, Year, Month);

    ASSERT_EQ(shownLines.size(), 7u);
    EXPECT_EQ(shownLines[2].current, "99999");
    EXPECT_TRUE(shownLines[2].replaces);
    EXPECT_EQ(shownLines[3].outcome, readings::Outcome::Ambiguous);
    EXPECT_EQ(shownLines[4].outcome, readings::Outcome::Unmatched);
    EXPECT_EQ(shownLines[5].outcome, readings::Outcome::Refused);
    EXPECT_EQ(shownLines[6].reading, "4321");
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(std::tie(taken[0].record, taken[0].reading, taken[0].date),
        std::make_tuple(2, november(2, 120), std::string("31.12.26")));
    EXPECT_EQ(std::tie(taken[1].record, taken[1].reading, taken[1].date),
        std::make_tuple(5, november(5, 80), std::string()));
    EXPECT_EQ(setting("LastReadingsDir"), QString::fromStdString(folder.path().string()));
}

TEST_F(ReadingsImportWindow, ReadsCsvInEitherEncodingAndCancelTakesNothing)
{
    const std::string text = "ФИО;Показание\r\n" + name(5) + ";" + november(5, 1) + "\r\n";
    for (const bool cp1251 : { false, true }) {
        const std::string path = folder.file(cp1251 ? "1251.csv" : "utf8.csv");
        writeBytes(path, cp1251 ? cp1251::encode(text) : text);
        dialogs.fileNames.push_back(QString::fromStdString(path));
        whenShown([](frmReadingsImport& preview) { press(preview, "CmdOk"); });
        const std::vector<readings::Taken> taken = importReadingsFromFile(state, nullptr, Year, Month);
        ASSERT_EQ(taken.size(), 1u) << cp1251;
        EXPECT_EQ(taken[0].record, 5);
        EXPECT_EQ(taken[0].reading, november(5, 1));
    }
    dialogs.fileNames.push_back(QString::fromStdString(folder.file("utf8.csv")));
    whenShown([](frmReadingsImport& preview) { press(preview, "CmdCancel"); });
    EXPECT_TRUE(importReadingsFromFile(state, nullptr, Year, Month).empty());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ReadingsImportWindow, TakesPastedMessagesOneAReading)
{
    whenShown([](frmReadingsImport& preview) { press(preview, "CmdOk"); });
    const std::vector<readings::Taken> taken = importReadingsFromText(state, nullptr, Year, Month,
        QString::fromStdString("уч. 2 — " + november(2, 5) + "\n\nл/с 4: " + november(4, 6) + " 30.12.26\n"));
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(std::make_pair(taken[0].record, taken[0].reading), std::make_pair(2, november(2, 5)));
    EXPECT_EQ(std::make_pair(taken[1].record, taken[1].date), std::make_pair(4, std::string("30.12.26")));
}

TEST_F(ReadingsImportWindow, RefusedFilesChangeNothing)
{
    const std::string before = databaseBytes();
    const std::pair<std::string, std::string> files[] = {
        { "пусто.csv", "" },
        { "картинка.txt", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) },
        { "битая.xlsx", std::string("PK\x03\x04", 4) + std::string(200, '\x01') },
    };
    const QString messages[] = {
        "Файл пуст: в нем нет ни одной строки с показанием.",
        "Файл не похож на текст: выберите таблицу Excel (.xlsx, .xls), CSV или текстовый файл.",
        "Файл поврежден или это не таблица Excel.",
    };
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const std::string path = folder.file(files[i].first);
        writeBytes(path, files[i].second);
        dialogs.fileNames.push_back(QString::fromStdString(path));
        EXPECT_TRUE(importReadingsFromFile(state, nullptr, Year, Month).empty());
        ASSERT_EQ(dialogs.shown.size(), int(i + 1));
        EXPECT_TRUE(dialogs.shown.back().text.endsWith(messages[i]))
            << dialogs.shown.back().text.toStdString();
        EXPECT_EQ(dialogs.shown.back().title, "Загрузка показаний");
        EXPECT_EQ(readBytes(path), files[i].second);
    }
    // A file far too large is refused before it is read.
    const std::string huge = folder.file("huge.txt");
    writeBytes(huge, std::string(readings::MaxFileBytes + 10, '7'));
    dialogs.fileNames.push_back(QString::fromStdString(huge));
    EXPECT_TRUE(importReadingsFromFile(state, nullptr, Year, Month).empty());
    EXPECT_TRUE(dialogs.shown.back().text.contains("слишком большой"));

    ASSERT_TRUE(database::write(folder.file("after.spb"), state.table));
    EXPECT_EQ(readBytes(folder.file("after.spb")), before);
    EXPECT_EQ(databaseBytes(), before);
}

} // namespace
