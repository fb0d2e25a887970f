// The directory opens in the main window's place and gives it back with every change shown and
// written; its grid keeps its column widths and follows the window; the end of the run while it is
// open writes everything.

#include "directory/directory_fixture.h"
#include "sheet/sheet_view.h"

#include <QToolButton>

namespace {

using namespace directorytest;

TEST_F(Directory, OpensFromTheMainWindowAndReturnsWithEveryChangeOnScreenAndOnDisk)
{
    writeDatabase({ { "1", "Иванов А. В.", "уч. 1", "+7 900 111-11-11", "НЕВА 101", "член правления" },
        { "2", "Петрова И. П." }, { "3", "Сидоренко Н. С." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->sheet()->typed(2, 1)->setText("4321"); // February 2020 of the first subscriber
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    EXPECT_FALSE(program->ended());
    EXPECT_EQ(program->mainWindow(), nullptr);
    EXPECT_TRUE(directory->isVisible());
    EXPECT_EQ(directory->windowTitle(), "Справочник абоненты");
    EXPECT_TRUE(fileHas("|4321|")) << "the main window stored its sheet and wrote the file on its way out";

    const QStringList headers = { "ID", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание" };
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(directory->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
    ASSERT_EQ(directory->model()->rowCount(), 3);
    const QStringList first
        = { "1", "Иванов А. В.", "уч. 1", "+7 900 111-11-11", "НЕВА 101", "член правления" };
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(cell(directory, 1, column), first[column]);
    EXPECT_EQ(cell(directory, 3, 1), "Сидоренко Н. С.");
    EXPECT_EQ(button(directory, "CmdImport")->text(), "Импорт из Excel");
    EXPECT_EQ(button(directory, "Command1")->text(), "Экспорт в Excel");

    frmAdd* adder = openAdder(directory);
    ASSERT_NE(adder, nullptr);
    typeEntry(adder, { "Кузнецова О. Г.", "уч. 4" });
    adder->Cmd1()->click();
    adder->CmdOk()->click();
    settle();

    directory->close();
    settle();
    Form1* again = program->mainWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(selectorNames(again),
        QStringList({ "Иванов А. В.", "Петрова И. П.", "Сидоренко Н. С.", "Кузнецова О. Г." }));
    EXPECT_EQ(again->sheet()->typed(2, 1)->text(), "4321");
    EXPECT_TRUE(fileHas("4|Кузнецова О. Г.|уч. 4|"));

    // And once more through the picture button.
    again->findChild<QToolButton*>("Cmd1")->click();
    settle();
    directory = activated(program->directoryWindow());
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->model()->rowCount(), 4);
    directory->close();
    settle();
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_FALSE(program->ended());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Directory, ColumnWidthsFollowThePaddedCaptionsUntilStoredAndAreKeptInTwips)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    QTableView* g = directory->grid();
    const int dpi = g->logicalDpiX();
    // Captions with their blanks: address 68 characters, name 55, note 37, meter type 25, number 4.
    EXPECT_GT(g->columnWidth(2), g->columnWidth(1));
    EXPECT_GT(g->columnWidth(1), g->columnWidth(5));
    EXPECT_GT(g->columnWidth(5), g->columnWidth(4));
    EXPECT_GT(g->columnWidth(4), g->columnWidth(0));
    EXPECT_GE(g->columnWidth(0), g->fontMetrics().horizontalAdvance("3001"))
        << "numbers of a full directory fit";
    const int meterTypeWidth = g->columnWidth(4);

    g->setColumnWidth(2, 333);
    directory->close();
    settle();
    EXPECT_EQ(setting("CW(2)", settings::DirectoryGrid), QString::number((333 * 1440 + dpi / 2) / dpi));
    for (int column = 0; column < 6; ++column)
        EXPECT_NE(setting(QStringLiteral("CW(%1)").arg(column), settings::DirectoryGrid), "<none>");

    settings.setValue(settings::DirectoryGrid, "CW(1)", "3000");
    settings.setValue(settings::DirectoryGrid, "CW(4)", "широкая");
    settings.setValue(settings::DirectoryGrid, "CW(5)", "0");
    directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->grid()->columnWidth(2), 333);
    EXPECT_EQ(directory->grid()->columnWidth(1), (3000 * dpi + 720) / 1440);
    EXPECT_EQ(directory->grid()->columnWidth(4), meterTypeWidth) << "an unreadable width is taken as missing";
    EXPECT_GT(directory->grid()->columnWidth(5), 0) << "a column is never stored out of sight";
    directory->close();
    settle();
    EXPECT_EQ(setting("CW(1)", settings::DirectoryGrid), "3000");
}

TEST_F(Directory, TheGridFollowsTheWindowSize)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    const QSize before = directory->grid()->size();
    directory->resize(directory->width() + 150, directory->height() + 100);
    settle();
    EXPECT_EQ(directory->grid()->width(), before.width() + 150);
    EXPECT_EQ(directory->grid()->height(), before.height() + 100);
    EXPECT_NE(button(directory, "CmdImport"), nullptr);
    EXPECT_NE(button(directory, "Command1"), nullptr);
}

TEST_F(Directory, EndOfSessionWhileTheDirectoryIsOpenEndsTheRunWithEverythingWritten)
{
    writeDemoDatabase(5);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->sheet()->typed(1, 1)->setText("98765");
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    clickRow(directory, 2);
    dialogs.answers = { Answer::Yes };
    button(directory, "CmdDel")->click();
    frmAdd* adder = openAdder(directory);
    typeEntry(adder, { "Не подтверждён Н. Н." });
    adder->Cmd1()->click();

    // At the end of the run the main window is not loaded again just to be closed.
    ShownWindows shownWindows;
    program->terminate();
    for (int i = 0; i < 20 && !program->ended(); ++i)
        settle();
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_FALSE(shownWindows.names.contains("Form1"));
    EXPECT_NE(setting("CW(0)", settings::DirectoryGrid), "<none>");
    // The add dialog closed as its close box would, with nobody there to answer its question: its
    // default answer stores.
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(fileLines(), 5);
    EXPECT_TRUE(fileHas("|98765|"));
    EXPECT_TRUE(fileHas("\r\n5|Не подтверждён Н. Н.|"));
}

} // namespace
