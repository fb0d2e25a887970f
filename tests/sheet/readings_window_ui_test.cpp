#include "app/main_window.h"
#include "database/database_file.h"
#include "sheet/readings_model.h"
#include "sheet/readings_window.h"
#include "sheet/route_file.h"
#include "sheet/sheet.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/pdf.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <filesystem>

namespace {

constexpr int Year = 2026;

// Where two database files part: the line and the field, for a failure that says what differs.
std::string firstDifference(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    if (i == a.size() && i == b.size())
        return "none";
    const std::size_t line = std::size_t(std::count(a.begin(), a.begin() + long(i), '\n')) + 1;
    const std::size_t start = a.rfind('\n', i == 0 ? 0 : i - 1);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    const std::size_t field = std::size_t(std::count(a.begin() + long(from), a.begin() + long(i), '|')) + 1;
    return "line " + std::to_string(line) + ", field " + std::to_string(field) + ": \"" + a.substr(i, 12)
        + "\" against \"" + b.substr(i, 12) + "\"";
}

class ReadingsWindow : public AppFixture
{
protected:
    // The demo database with the month's date and readings emptied for everyone, as before the
    // round; the month before keeps its readings.
    void prepareMonth(int subscribers, int month)
    {
        writeDemoDatabase(subscribers);
        RecordTable table;
        ASSERT_EQ(database::load(databasePath(), table).status, database::LoadResult::Status::Loaded);
        for (int r = 1; r <= table.recordCount(); ++r) {
            for (int b : { fields::Date, fields::CurrentReading, fields::PreviousReading })
                table.set(r, sheet::cellField(Year, month, b), "");
        }
        ASSERT_TRUE(database::write(databasePath(), table));
        m_prepared = databaseBytes();
    }

    void restart()
    {
        program.reset();
        writeBytes(databasePath(), m_prepared);
        program = std::make_unique<Program>(state);
    }

    // What the round gives each subscriber, and the date it was read on.
    static std::string readingFor(const RecordTable& table, int r, int month)
    {
        const std::string previous(table.field(r,
            sheet::cellField(
                month == 1 ? Year - 1 : Year, month == 1 ? 12 : month - 1, fields::CurrentReading)));
        return std::to_string((previous.empty() ? 1000 : std::stol(previous)) + 37 + r % 50);
    }

    // Opened as the user opens it, from the main window's menu, then the month chosen.
    frmReadings* openWindow(int month)
    {
        Form1* form = program->mainWindow();
        const QWidgetList before = QApplication::topLevelWidgets();
        form->findChild<QAction*>(QStringLiteral("Menu_Tools_Readings"))->trigger();
        frmReadings* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<frmReadings*>(w); found && !before.contains(w))
                window = found;
        }
        EXPECT_NE(window, nullptr);
        if (!window)
            return nullptr;
        window->yearSelector()->setCurrentIndex(window->yearSelector()->findText(QString::number(Year)));
        emit window->yearSelector()->activated(window->yearSelector()->currentIndex());
        window->monthSelector()->setCurrentIndex(month - 1);
        emit window->monthSelector()->activated(month - 1);
        window->activateWindow();
        // A window opened a second time in one test may not become active offscreen; the keys
        // are sent to the grid itself then.
        QTest::qWaitForWindowActive(window, 1000);
        return window;
    }

    // The box of the cell being typed.
    static QWidget* cellEditor(QTableView* grid)
    {
        for (QLineEdit* editor : grid->findChildren<QLineEdit*>(QStringLiteral("txtg"))) {
            if (editor->isVisible())
                return editor;
        }
        return grid;
    }

    // Keys as the user types them: the first one opens the cell, the others go into it.
    static void typeKeys(QTableView* grid, const QString& text)
    {
        grid->setFocus();
        QTest::keyClick(grid, text.at(0).toLatin1());
        QTest::keyClicks(cellEditor(grid), text.mid(1));
    }

    static void typeInto(QTableView* grid, int row, int column, const std::string& text)
    {
        grid->setCurrentIndex(grid->model()->index(row, column));
        typeKeys(grid, QString::fromStdString(text));
        QTest::keyClick(cellEditor(grid), Qt::Key_Return);
    }

    std::string m_prepared;
};

TEST_F(ReadingsWindow, TypingAMonthGivesTheFileTheSheetGives)
{
    for (int month : { 1, 7 }) {
        SCOPED_TRACE(month);
        prepareMonth(200, month);
        const std::string date = month == 1 ? "31.01.26" : "31.07.26";

        // On the yearly sheet, one subscriber after the other.
        restart();
        Form1* form = start();
        ASSERT_NE(form, nullptr);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        form->yearSelector()->setCurrentIndex(form->yearSelector()->findText(QString::number(Year)));
        const RecordTable& table = state.table;
        for (int r = 1; r <= table.recordCount(); ++r) {
            if (table.field(r, fields::FullName) == "Уличное освещение")
                continue;
            form->subscriberSelector()->setCurrentIndex(r - 1);
            emit form->subscriberSelector()->activated(r - 1);
            const std::string previous(table.field(r,
                sheet::cellField(
                    month == 1 ? Year - 1 : Year, month == 1 ? 12 : month - 1, fields::CurrentReading)));
            const std::string reading = readingFor(table, r, month);
            const std::pair<int, std::string> cells[] = { { fields::Date, date },
                { fields::PreviousReading, previous }, { fields::CurrentReading, reading } };
            for (const auto& [b, text] : cells) {
                SheetCell* cell = form->sheet()->typed(month, b);
                cell->setFocus();
                QTest::keyClicks(cell, QString::fromStdString(text));
            }
            form->subscriberSelector()->setFocus();
        }
        form->close();
        const std::string bySheet = databaseBytes();

        // In the window, down the column.
        restart();
        form = start();
        ASSERT_NE(form, nullptr);
        // The file was put back behind the program's back: that notice belongs to the test.
        dialogs.shown.clear();
        frmReadings* window = openWindow(month);
        QTableView* grid = window->grid();
        ReadingsModel* model = window->model();
        ASSERT_EQ(model->rowCount(), 199); // the street lighting is nobody's round
        for (int row = 0; row < model->rowCount(); ++row)
            typeInto(grid, row, ReadingsModel::Current, readingFor(state.table, model->record(row), month));
        EXPECT_EQ(model->view(model->rowCount() - 1).current,
            readingFor(state.table, model->record(model->rowCount() - 1), month));
        window->findChild<QPushButton*>(QStringLiteral("CmdDate"))->click();
        window->findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
        EXPECT_FALSE(window->unwritten());
        window->close();
        form->close();
        EXPECT_EQ(firstDifference(databaseBytes(), bySheet), "none");
        EXPECT_TRUE(dialogs.shown.isEmpty())
            << (dialogs.shown.isEmpty() ? std::string() : dialogs.shown.front().text.toStdString());
    }
}

TEST_F(ReadingsWindow, KeysMoveAndEscapeUndoesTheCell)
{
    prepareMonth(10, 7);
    restart();
    ASSERT_NE(start(), nullptr);
    frmReadings* window = openWindow(7);
    QTableView* grid = window->grid();
    ReadingsModel* model = window->model();

    const std::string reading = readingFor(state.table, model->record(0), 7);
    typeInto(grid, 0, ReadingsModel::Current, reading);
    EXPECT_EQ(grid->currentIndex().row(), 1) << "Enter goes down the column";
    EXPECT_EQ(grid->currentIndex().column(), int(ReadingsModel::Current));
    EXPECT_EQ(model->view(0).current, reading);

    typeKeys(grid, QStringLiteral("777"));
    QTest::keyClick(cellEditor(grid), Qt::Key_Escape);
    EXPECT_EQ(model->view(1).current, "");
    EXPECT_FALSE(
        state.table.field(model->record(1), sheet::cellField(Year, 7, fields::CurrentReading)) == "777");

    // A cell left by a click elsewhere is kept.
    typeKeys(grid, QStringLiteral("4321"));
    window->monthSelector()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(model->view(1).current, "4321");
    // Below the previous reading: said, coloured, and kept all the same.
    EXPECT_EQ(model->view(1).remark.rfind("Показание меньше предыдущего", 0), 0u) << model->view(1).remark;
    EXPECT_TRUE(model->index(1, ReadingsModel::Name).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model->index(0, ReadingsModel::Name).data(Qt::BackgroundRole).isValid());
    dialogs.answers.push_back(Answer::No);
    window->close();
}

TEST_F(ReadingsWindow, RouteOrderIsKeptWithTheDatabase)
{
    prepareMonth(10, 7);
    restart();
    ASSERT_NE(start(), nullptr);
    frmReadings* window = openWindow(7);
    QTableView* grid = window->grid();
    grid->setCurrentIndex(window->model()->index(0, ReadingsModel::Current));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(window->routeOrder()->isChecked());
    EXPECT_EQ(window->model()->order().front(), 2);
    EXPECT_EQ(window->model()->record(2), 1);
    EXPECT_EQ(grid->currentIndex().row(), 2) << "the focus moves with the row";

    // Nothing reaches the file before the save; then the database and the route go together.
    const std::string routePath = route::filePath(databasePath());
    EXPECT_FALSE(std::filesystem::exists(routePath));
    QTest::keyClick(grid, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(std::filesystem::exists(routePath));
    EXPECT_EQ(route::parse(readBytes(routePath), state.table).front(), 2);
    window->close();

    // Opened again, the round is as it was left.
    frmReadings* again = openWindow(7);
    again->routeOrder()->setChecked(true);
    EXPECT_EQ(again->model()->record(0), 2);
    EXPECT_EQ(again->model()->record(2), 1);
    again->close();
}

TEST_F(ReadingsWindow, ClosingWithUnwrittenChangesAsks)
{
    prepareMonth(10, 7);
    restart();
    ASSERT_NE(start(), nullptr);
    const int field = sheet::cellField(Year, 7, fields::CurrentReading);

    // Cancel: the window stays. No: the records are as they were and the file is untouched.
    frmReadings* window = openWindow(7);
    const int record = window->model()->record(0);
    typeInto(window->grid(), 0, ReadingsModel::Current, "9000");
    typeInto(window->grid(), 1, ReadingsModel::Current, "9100");
    EXPECT_TRUE(window->findChild<QLabel*>("LblStatus")->text().endsWith("есть несохранённые изменения"))
        << window->findChild<QLabel*>("LblStatus")->text().toStdString();
    dialogs.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown.back().text, QStringLiteral("Показания изменены. Сохранить изменения в базе?"));
    dialogs.answers.push_back(Answer::No);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(state.table.field(record, field), "");
    EXPECT_EQ(databaseBytes(), m_prepared);

    // Yes: written.
    window = openWindow(7);
    typeInto(window->grid(), 0, ReadingsModel::Current, "9000");
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(window->close());
    RecordTable written;
    database::load(databasePath(), written);
    EXPECT_EQ(written.field(record, field), "9000");
}

TEST_F(ReadingsWindow, PrintsTheRoundSheetInTheChosenOrder)
{
    prepareMonth(60, 7);
    restart();
    ASSERT_NE(start(), nullptr);
    frmReadings* window = openWindow(7);
    typeInto(window->grid(), 0, ReadingsModel::Current, "8123");
    window->grid()->setCurrentIndex(window->model()->index(0, ReadingsModel::Current));
    window->moveCurrentRow(1);
    window->findChild<QPushButton*>(QStringLiteral("CmdPrint"))->click();
    const std::string first = pdfText(printedPage(1), 1);
    EXPECT_NE(first.find("Показания счётчиков за июль 2026"), std::string::npos) << first;
    EXPECT_NE(first.find("Предыдущее"), std::string::npos);
    EXPECT_NE(first.find("8123"), std::string::npos);
    // 59 rows: two sheets, the second one with the last subscribers.
    EXPECT_NE(pdfText(printedPage(1), 2).find("Лист 2"), std::string::npos);
    const std::string name2(state.table.field(2, fields::FullName));
    const std::string name1(state.table.field(1, fields::FullName));
    EXPECT_LT(first.find(name2), first.find(name1)) << "the round's order";
    dialogs.answers.push_back(Answer::No);
    window->close();
}

} // namespace
