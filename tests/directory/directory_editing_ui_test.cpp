// Editing a subscriber's five fields, and what the boxes of the add and edit dialogs let through:
// names held to their limit, no line breaks.

#include "directory/directory_fixture.h"

#include <QClipboard>

namespace {

using namespace directorytest;

TEST_F(Directory, NewNamesAreHeldToTheLimitAndStoredLongerOnesKeptWhole)
{
    const QString stored = QString(120, QChar(u'Ж')) + QString(130, QLatin1Char('x'));
    writeDatabase({ { "1", "Иванов А. В." }, { "2", stored.toStdString(), "уч. 2" } });
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(cell(directory, 2, 1), stored);
    const QString limitMessage = "Фамилия И. О. длиннее 200 символов: лишнее отброшено.";

    // Pasted or typed past the limit: cut at once, where the operator sees it.
    frmAdd* adder = openAdder(directory);
    ASSERT_NE(adder, nullptr);
    QApplication::clipboard()->setText(QString(205, QChar(u'Я')));
    adder->box(0)->setFocus(Qt::TabFocusReason);
    adder->box(0)->paste();
    EXPECT_EQ(adder->box(0)->text(), QString(200, QChar(u'Я')));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, limitMessage);
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
    typeText(adder->box(0), "Ю");
    EXPECT_EQ(adder->box(0)->text(), QString(200, QChar(u'Я')));
    EXPECT_EQ(dialogs.shown.size(), 2);
    adder->Cmd1()->click();
    EXPECT_EQ(adder->addedCount(), 1);

    // A name put in the box by other means is cut when it would be stored, and waits there to
    // be seen before it is.
    adder->box(0)->setText(QString(201, QLatin1Char('q')));
    adder->Cmd1()->click();
    EXPECT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(adder->addedCount(), 1);
    EXPECT_EQ(adder->box(0)->text(), QString(200, QLatin1Char('q')));
    adder->Cmd1()->click();
    EXPECT_EQ(adder->addedCount(), 2);
    adder->CmdOk()->click();
    settle();
    EXPECT_EQ(state.table.field(3, fields::FullName), QString(200, QChar(u'Я')).toStdString());
    EXPECT_EQ(state.table.field(4, fields::FullName), std::string(200, 'q'));

    // The edit dialog keeps a longer stored name as long as it is left alone...
    clickRow(directory, 2);
    button(directory, "Cmd2")->click();
    auto* editor = activated(directory->findChild<frmRedakt*>());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->box(0)->text(), stored);
    editor->box(2)->setText("+7 900 000-00-02");
    editor->Cmd1()->click();
    settle();
    EXPECT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(state.table.field(2, fields::FullName), stored.toStdString());
    EXPECT_EQ(state.table.field(2, fields::Telephone), "+7 900 000-00-02");
    EXPECT_TRUE(fileHas("\r\n2|" + stored.toStdString() + "|уч. 2|+7 900 000-00-02|"));

    // ... and holds it to the limit once it is changed.
    clickRow(directory, 2);
    button(directory, "Cmd2")->click();
    editor = activated(directory->findChild<frmRedakt*>());
    ASSERT_NE(editor, nullptr);
    editor->box(0)->end(false);
    typeText(editor->box(0), "!");
    EXPECT_EQ(dialogs.shown.size(), 4);
    EXPECT_EQ(editor->box(0)->text(), stored.left(200));
    editor->Cmd1()->click();
    settle();
    EXPECT_EQ(state.table.field(2, fields::FullName), stored.left(200).toStdString());
}

TEST_F(Directory, LineBreaksNeverReachTheRecord)
{
    writeDatabase({ { "1", "Иванов А. В." }, { "2", "Петрова И. П." } });
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    // What an import may bring along: a break inside a field, so far only in memory.
    state.table.set(2, fields::Address, "уч. 2\r\nдом 5");
    clickRow(directory, 2);
    button(directory, "Cmd2")->click();
    auto* editor = activated(directory->findChild<frmRedakt*>());
    ASSERT_NE(editor, nullptr);
    editor->box(1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(editor->box(1), Qt::Key_Return);
    EXPECT_EQ(editor->box(1)->text(), "уч. 2дом 5");

    QApplication::clipboard()->setText("+7 900\r\n123-45-67");
    editor->box(2)->setFocus(Qt::TabFocusReason);
    editor->box(2)->clear();
    editor->box(2)->paste();
    QTest::keyClick(editor->box(2), Qt::Key_Return);
    EXPECT_EQ(editor->box(2)->text(), "+7 900123-45-67");
    editor->Cmd1()->click();
    settle();
    EXPECT_EQ(state.table.field(2, fields::Address), "уч. 2дом 5");
    EXPECT_EQ(state.table.field(2, fields::Telephone), "+7 900123-45-67");
}

TEST_F(Directory, EditingStoresTheFiveFieldsAndCancellingNothing)
{
    writeDemoDatabase(4);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    const std::string yearly(state.table.field(2, fields::monthBase(1, 3) + fields::Tariff));
    const std::string telephone(state.table.field(2, fields::Telephone));

    // A double click opens the editor as Правка does.
    QTableView* g = directory->grid();
    const QPoint where = g->visualRect(directory->model()->index(1, 2)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, where);
    auto* editor = activated(directory->findChild<frmRedakt*>());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Редактирование справочника");
    EXPECT_EQ(editor->row(), 2);
    for (int j = 0; j < 5; ++j)
        EXPECT_EQ(editor->box(j)->text().toStdString(), state.table.field(2, 2 + j));
    EXPECT_TRUE(editor->Cmd1()->isEnabled());

    // Leaving the subscriber's own name unchanged is no repeat.
    QTest::keyClick(editor->box(0), Qt::Key_Return);
    settle();
    EXPECT_TRUE(dialogs.shown.isEmpty());

    editor->box(2)->setText("+7 900 555-55-55");
    editor->box(4)->setText("переехал");
    editor->Command1()->click();
    settle();
    EXPECT_EQ(state.table.field(2, fields::Telephone), telephone);
    EXPECT_EQ(cell(directory, 2, 3).toStdString(), telephone);

    // Enter on the chosen row opens it again.
    QTest::keyClick(g, Qt::Key_Return);
    editor = activated(directory->findChild<frmRedakt*>());
    ASSERT_NE(editor, nullptr);
    editor->box(0)->selectAll();
    typeText(editor->box(0), "   ");
    EXPECT_FALSE(editor->Cmd1()->isEnabled());
    editor->box(0)->setText("Новикова Т. Ю.");
    editor->box(2)->setText("+7 900 555-55-55");
    editor->Cmd1()->click();
    settle();
    EXPECT_EQ(cell(directory, 2, 1), "Новикова Т. Ю.");
    EXPECT_EQ(cell(directory, 2, 3), "+7 900 555-55-55");
    EXPECT_EQ(state.table.field(2, fields::monthBase(1, 3) + fields::Tariff), yearly);
    EXPECT_TRUE(fileHas("\r\n2|Новикова Т. Ю.|"));
    EXPECT_TRUE(fileHas("|+7 900 555-55-55|"));
}

} // namespace
