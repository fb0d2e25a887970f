// Choosing a row of the directory and deleting a subscriber: the first and the only one stay, the
// later ones move up.

#include "directory/directory_fixture.h"

namespace {

using namespace directorytest;

TEST_F(Directory, ChoosingARowEnablesEditingAndDeletingExceptForTheFirst)
{
    writeDemoDatabase(5);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    QPushButton* edit = button(directory, "Cmd2");
    QPushButton* remove = button(directory, "CmdDel");
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(remove->isEnabled());

    clickRow(directory, 1);
    EXPECT_EQ(state.SelectedDirectoryRow, 1);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(rowsColoured(directory, Yellow), std::vector<int>{ 1 });

    clickRow(directory, 3);
    EXPECT_EQ(state.SelectedDirectoryRow, 3);
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_EQ(rowsColoured(directory, Yellow), std::vector<int>{ 3 });

    // The keyboard moves the choice as the mouse does.
    QTest::keyClick(directory->grid(), Qt::Key_Down);
    EXPECT_EQ(state.SelectedDirectoryRow, 4);
    EXPECT_EQ(rowsColoured(directory, Yellow), std::vector<int>{ 4 });
    QTest::keyClick(directory->grid(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(state.SelectedDirectoryRow, 1);
    EXPECT_FALSE(remove->isEnabled());
    QTest::keyClick(directory->grid(), Qt::Key_Delete);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "the first subscriber is never offered for deletion";
}

TEST_F(Directory, TheOnlySubscriberCannotBeDeleted)
{
    writeDatabase({ { "1", "Иванов А. В." } });
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    clickRow(directory, 1);
    EXPECT_FALSE(button(directory, "CmdDel")->isEnabled());
    directory->CmdDel_Click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(state.table.recordCount(), 1);
}

TEST_F(Directory, DeletingAsksFirstAndMovesTheLaterSubscribersUp)
{
    writeDemoDatabase(5);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    const std::string before = databaseBytes();
    const QString fourth = cell(directory, 4, 1);
    const std::string fourthReading(state.table.field(4, fields::monthBase(2, 6) + fields::CurrentReading));
    ASSERT_FALSE(fourthReading.empty());

    clickRow(directory, 3);
    dialogs.answers = { Answer::No };
    button(directory, "CmdDel")->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    const Message& question = dialogs.shown[0];
    EXPECT_EQ(question.text, "Вы действительно хотите удалить из справочника запись № 3");
    EXPECT_EQ(question.title, "Подтвердите удаление.");
    EXPECT_EQ(question.icon, MessageIcon::Information);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, Answer::No);
    EXPECT_EQ(directory->model()->rowCount(), 5);
    EXPECT_EQ(databaseBytes(), before);

    dialogs.answers = { Answer::Yes };
    button(directory, "CmdDel")->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(fileLines(), 4);
    ASSERT_EQ(directory->model()->rowCount(), 4);
    EXPECT_EQ(cell(directory, 3, 0), "3");
    EXPECT_EQ(cell(directory, 3, 1), fourth);
    EXPECT_EQ(state.table.field(3, fields::monthBase(2, 6) + fields::CurrentReading), fourthReading);
    EXPECT_TRUE(fileHas("\r\n3|" + fourth.toStdString() + "|"));
    // The refilled grid has nothing chosen.
    EXPECT_FALSE(button(directory, "CmdDel")->isEnabled());
    EXPECT_FALSE(button(directory, "Cmd2")->isEnabled());
    EXPECT_EQ(state.SelectedDirectoryRow, 0);
    EXPECT_TRUE(rowsColoured(directory, Yellow).empty());
}

TEST_F(Directory, AfterDeletingTheLastSubscriberNothingIsLeftToEdit)
{
    writeDemoDatabase(4);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    clickRow(directory, 4);
    dialogs.answers = { Answer::Yes };
    button(directory, "CmdDel")->click();
    EXPECT_EQ(state.table.recordCount(), 3);
    directory->Cmd2_Click();
    settle();
    EXPECT_EQ(directory->findChild<frmRedakt*>(), nullptr);
}

} // namespace
