// Adding subscribers: several in one opening, stored only when confirmed, with the name checked
// and the directory's limit kept.

#include "directory/directory_fixture.h"

#include <QPointer>

namespace {

using namespace directorytest;

TEST_F(Directory, AddingSeveralSubscribersInOneOpening)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    frmAdd* adder = openAdder(directory);
    ASSERT_NE(adder, nullptr);
    EXPECT_EQ(adder->windowTitle(), "Добавление нового абонента");
    EXPECT_EQ(adder->windowModality(), Qt::WindowModal);
    EXPECT_EQ(QApplication::activeModalWidget(), adder);
    EXPECT_FALSE(adder->Cmd1()->isEnabled());
    EXPECT_FALSE(adder->CmdOk()->isVisible());

    typeEntry(adder, { "Новиков П. Р.", "уч. 4, ул. Лесная", "+7 999 000-00-04", "НЕВА 101", "новый" });
    EXPECT_TRUE(adder->Cmd1()->hasFocus()) << "Enter in the note box moves on to Добавить";
    QTest::keyClick(adder->Cmd1(), Qt::Key_Return);
    EXPECT_EQ(adder->addedCount(), 1);
    EXPECT_TRUE(adder->CmdOk()->isVisible());
    EXPECT_FALSE(adder->Cmd1()->isEnabled());
    for (int j = 0; j < 5; ++j)
        EXPECT_TRUE(adder->box(j)->text().isEmpty());

    typeEntry(adder, { "Орлова С. А." });
    adder->Cmd1()->click();
    EXPECT_EQ(state.table.recordCount(), 3) << "nothing counts before Занести в базу";
    EXPECT_EQ(directory->model()->rowCount(), 3);

    QPointer<frmAdd> watch(adder);
    adder->CmdOk()->click();
    settle();
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(state.table.recordCount(), 5);
    ASSERT_EQ(directory->model()->rowCount(), 5);
    EXPECT_EQ(cell(directory, 4, 0), "4");
    EXPECT_EQ(cell(directory, 4, 1), "Новиков П. Р.");
    EXPECT_EQ(cell(directory, 4, 5), "новый");
    EXPECT_EQ(cell(directory, 5, 0), "5");
    EXPECT_EQ(cell(directory, 5, 1), "Орлова С. А.");
    EXPECT_EQ(fileLines(), 5);
    EXPECT_TRUE(fileHas("\r\n4|Новиков П. Р.|уч. 4, ул. Лесная|+7 999 000-00-04|НЕВА 101|новый||"));
    EXPECT_TRUE(fileHas("\r\n5|Орлова С. А.|||||"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(Directory, ClosingTheAddDialogAsksWhetherToStoreTheAddedSubscribers)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    const std::string before = databaseBytes();

    // Nothing added: the dialog closes without a word.
    frmAdd* adder = openAdder(directory);
    typeEntry(adder, { "Только набран Т. Т." });
    adder->close();
    settle();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(directory->findChild<frmAdd*>(), nullptr);

    // Cancel keeps the dialog and what it holds; No drops the additions.
    adder = openAdder(directory);
    typeEntry(adder, { "Черновик Ч. Ч." });
    adder->Cmd1()->click();
    QPointer<frmAdd> watch(adder);
    dialogs.answers = { Answer::Cancel };
    adder->close();
    settle();
    ASSERT_EQ(dialogs.shown.size(), 1);
    const Message& question = dialogs.shown[0];
    EXPECT_EQ(question.text, "Занести добавленных абонентов в базу?");
    EXPECT_EQ(question.title, "Добавление нового абонента");
    EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(question.defaultAnswer, Answer::Yes);
    ASSERT_FALSE(watch.isNull());
    EXPECT_TRUE(adder->isVisible());
    EXPECT_EQ(adder->addedCount(), 1);
    EXPECT_EQ(state.table.recordCount(), 3);

    dialogs.answers = { Answer::No };
    QTest::keyClick(adder, Qt::Key_Escape); // Esc closes the dialog as its close box does
    settle();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(state.table.recordCount(), 3);
    EXPECT_EQ(directory->model()->rowCount(), 3);
    EXPECT_EQ(databaseBytes(), before);

    // Yes stores them as "Занести в базу" does; the dropped one is overwritten.
    adder = openAdder(directory);
    typeEntry(adder, { "Белова М. К." });
    adder->Cmd1()->click();
    typeEntry(adder, { "Гусев Г. Г." });
    adder->Cmd1()->click();
    dialogs.answers = { Answer::Yes };
    adder->close();
    settle();
    EXPECT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(directory->findChild<frmAdd*>(), nullptr);
    EXPECT_EQ(state.table.recordCount(), 5);
    EXPECT_EQ(cell(directory, 4, 1), "Белова М. К.");
    EXPECT_EQ(cell(directory, 5, 1), "Гусев Г. Г.");
    EXPECT_EQ(fileLines(), 5);
    EXPECT_TRUE(fileHas("\r\n4|Белова М. К.|"));
    EXPECT_FALSE(fileHas("Черновик"));

    // Confirmed with "Занести в базу": closing asks nothing more.
    adder = openAdder(directory);
    typeEntry(adder, { "Зуев З. З." });
    adder->Cmd1()->click();
    adder->CmdOk()->click();
    settle();
    EXPECT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(state.table.recordCount(), 6);
}

TEST_F(Directory, ANameOfBlanksNeverReachesTheButtons)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    frmAdd* adder = openAdder(directory);
    ASSERT_NE(adder, nullptr);
    EXPECT_TRUE(adder->box(0)->hasFocus());
    typeText(adder->box(0), "   ");
    EXPECT_FALSE(adder->Cmd1()->isEnabled());
    for (int j = 0; j < 5; ++j) {
        EXPECT_TRUE(adder->box(j)->hasFocus()) << "box " << j;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    EXPECT_TRUE(adder->box(4)->hasFocus());
    EXPECT_EQ(adder->addedCount(), 0);

    // Called all the same, Добавить refuses.
    adder->Cmd1_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Не введена Фамилия И. О. ");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(adder->box(0)->hasFocus());
    EXPECT_EQ(adder->addedCount(), 0);
}

TEST_F(Directory, TheBoxWithTheFocusIsYellow)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    frmAdd* adder = openAdder(directory);
    const QColor normal = adder->box(1)->palette().color(QPalette::Base);
    EXPECT_NE(normal, Yellow);
    EXPECT_EQ(adder->box(0)->palette().color(QPalette::Base), Yellow);
    QTest::keyClick(adder->box(0), Qt::Key_Return);
    EXPECT_EQ(adder->box(0)->palette().color(QPalette::Base), normal);
    EXPECT_EQ(adder->box(1)->palette().color(QPalette::Base), Yellow);
}

TEST_F(Directory, ATakenNameIsWarnedAboutOnceWithoutBlockingTheAddition)
{
    writeDatabase({ { "1", "Иванов А. В." }, { "2", "Петрова И. П." } });
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    frmAdd* adder = openAdder(directory);
    typeText(adder->box(0), "петрова и. п.");
    QTest::keyClick(adder->box(0), Qt::Key_Return);
    settle();
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "letter case counts";

    adder->box(0)->setFocus(Qt::TabFocusReason);
    adder->box(0)->clear();
    typeText(adder->box(0), "Петрова И. П.");
    QTest::keyClick(adder->box(0), Qt::Key_Return);
    settle();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Абонент с такой Фамилией И. О. уже есть!");
    EXPECT_EQ(dialogs.shown[0].title, "Повтор Ф. И. О.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(adder->box(0)->hasFocus());

    // Leaving the unchanged name again is no reason to ask again.
    QTest::keyClick(adder->box(0), Qt::Key_Return);
    settle();
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(adder->box(1)->hasFocus());
    adder->Cmd1()->click();

    // A name added in this opening is taken too.
    adder->box(0)->setFocus(Qt::TabFocusReason);
    typeText(adder->box(0), "Петрова И. П.");
    QTest::keyClick(adder->box(0), Qt::Key_Return);
    settle();
    EXPECT_EQ(dialogs.shown.size(), 2);
    adder->Cmd1()->click();
    adder->CmdOk()->click();
    settle();
    EXPECT_EQ(state.table.recordCount(), 4);
    EXPECT_EQ(state.table.field(3, fields::FullName), "Петрова И. П.");
    EXPECT_EQ(state.table.field(4, fields::FullName), "Петрова И. П.");
}

TEST_F(Directory, AFullDirectoryRefusesTheNextSubscriber)
{
    std::vector<std::vector<std::string>> records;
    for (int row = 1; row <= 3000; ++row)
        records.push_back({ std::to_string(row), "Абонент " + std::to_string(row) });
    writeDatabase(records);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    frmAdd* adder = openAdder(directory);
    typeEntry(adder, { "Последний П. П." });
    adder->Cmd1()->click();
    EXPECT_EQ(adder->addedCount(), 1);
    typeEntry(adder, { "Лишний Л. Л.", "уч. 3002" });
    adder->Cmd1()->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "В базе уже 3001 абонент: больше добавить нельзя.");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(adder->addedCount(), 1);
    EXPECT_EQ(adder->box(0)->text(), "Лишний Л. Л.") << "what was typed stays in the boxes";
    adder->CmdOk()->click();
    settle();
    EXPECT_EQ(state.table.recordCount(), 3001);
    EXPECT_EQ(fileLines(), 3001);
    EXPECT_FALSE(fileHas("Лишний"));

    adder = openAdder(directory);
    typeEntry(adder, { "Ещё один" });
    adder->Cmd1()->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(adder->addedCount(), 0);
}

} // namespace
