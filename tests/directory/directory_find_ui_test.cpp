// Finding names in the directory: the rows marked, the message, the scroll and the reset.

#include "directory/directory_fixture.h"

namespace {

using namespace directorytest;

TEST_F(Directory, FindMarksNamesInAnyLetterCaseAndReportsExactly)
{
    writeDatabase({ { "1", "Петрова И. П." }, { "2", "Иванов А. В." }, { "3", "ПЕТРОВ П. П." },
        { "4", "Копетов К. Л." }, { "5", "Сидоренко Н. С." } });
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    auto* find = directory->findChild<QLineEdit*>("txtfind");
    ASSERT_NE(find, nullptr);

    typeText(find, "ПеТ");
    QTest::keyClick(find, Qt::Key_Return);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Результаты поиска    \"пет\"");
    EXPECT_EQ(dialogs.shown[0].text, " Количество найденных строк = 3.  Номер первой найденной строки = 1");
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(rowsColoured(directory, LightCyan), (std::vector<int>{ 1, 3, 4 }));

    // A second find first clears the marks of the first.
    find->clear();
    typeText(find, "сидор");
    button(directory, "Cmdfind")->click();
    EXPECT_EQ(dialogs.shown[1].text, " Количество найденных строк = 1.  Номер первой найденной строки = 5");
    EXPECT_EQ(rowsColoured(directory, LightCyan), std::vector<int>{ 5 });

    find->clear();
    typeText(find, "Зайцев");
    QTest::keyClick(find, Qt::Key_Enter);
    EXPECT_EQ(dialogs.shown[2].title, "Результаты поиска    ");
    EXPECT_EQ(dialogs.shown[2].text, "Выражение   \"зайцев\"   не найдено.");
    EXPECT_TRUE(rowsColoured(directory, LightCyan).empty());

    find->clear();
    QTest::keyClick(find, Qt::Key_Return);
    EXPECT_EQ(dialogs.shown.size(), 3) << "an empty text finds nothing and says nothing";

    typeText(find, "ов");
    QTest::keyClick(find, Qt::Key_Return);
    EXPECT_EQ(rowsColoured(directory, LightCyan), (std::vector<int>{ 1, 2, 3, 4 }));
    button(directory, "CmdRes")->click();
    EXPECT_TRUE(rowsColoured(directory, LightCyan).empty());
    EXPECT_EQ(dialogs.shown.size(), 4);
}

TEST_F(Directory, FindScrollsToTheFirstMatchAndTheResetBackToTheTop)
{
    std::vector<std::vector<std::string>> records;
    for (int row = 1; row <= 300; ++row)
        records.push_back({ std::to_string(row), "Абонент " + std::to_string(row) });
    records[149][1] = "Зайцева Л. Д.";
    records[219][1] = "Зайцев Р. Ф.";
    writeDatabase(records);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    QTableView* g = directory->grid();
    EXPECT_EQ(g->rowAt(0), 0);

    directory->findChild<QLineEdit*>("txtfind")->setText("зайцев");
    directory->Cmdfind_Click();
    EXPECT_EQ(dialogs.shown[0].text, " Количество найденных строк = 2.  Номер первой найденной строки = 150");
    EXPECT_EQ(g->rowAt(0), 149);
    EXPECT_EQ(rowsColoured(directory, LightCyan), (std::vector<int>{ 150, 220 }));

    directory->CmdRes_Click();
    EXPECT_EQ(g->rowAt(0), 0);
    EXPECT_TRUE(rowsColoured(directory, LightCyan).empty());
}

TEST_F(Directory, AFoundRowThatIsChosenTurnsYellowAndBackToNormalAfterwards)
{
    writeDatabase({ { "1", "Петрова" }, { "2", "Петров" }, { "3", "Иванов" } });
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    directory->findChild<QLineEdit*>("txtfind")->setText("петров");
    directory->Cmdfind_Click();
    clickRow(directory, 2);
    EXPECT_EQ(rowsColoured(directory, Yellow), std::vector<int>{ 2 });
    EXPECT_EQ(rowsColoured(directory, LightCyan), std::vector<int>{ 1 });
    clickRow(directory, 3);
    EXPECT_EQ(rowsColoured(directory, Yellow), std::vector<int>{ 3 });
    EXPECT_EQ(rowColour(directory, 2), QColor()) << "back in the window colour";
}

} // namespace
