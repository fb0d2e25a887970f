#include "app/main_window.h"
#include "database/cp1251.h"
#include "directory/add_subscriber_window.h"
#include "directory/directory_model.h"
#include "directory/directory_window.h"
#include "directory/edit_subscriber_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <algorithm>

namespace {

const QColor Yellow(0xFF, 0xFF, 0x00);
const QColor LightCyan(0x80, 0xFF, 0xFF);

// Typing as the keyboard does; QTest's own typing knows only Latin letters.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Names of the windows shown while it exists.
class ShownWindows : public QObject
{
public:
    ShownWindows() { qApp->installEventFilter(this); }
    QStringList names;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow())
            names << watched->objectName();
        return false;
    }
};

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Directory : public AppFixture
{
protected:
    // Starts the program and opens the directory from the main window's menu.
    frmSpr* openDirectory()
    {
        Form1* form = program->mainWindow() ? program->mainWindow() : start();
        if (!form)
            return nullptr;
        form->findChild<QAction*>("Mnu_Abonenty")->trigger();
        settle();
        return activated(program->directoryWindow());
    }

    template <typename W> W* activated(W* window)
    {
        if (window) {
            window->activateWindow();
            // A dialog counts as active while its opener is; the keyboard goes to the dialog only
            // once it is the active window itself.
            EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
        }
        return window;
    }

    QPushButton* button(QWidget* window, const char* name) { return window->findChild<QPushButton*>(name); }

    void clickRow(frmSpr* directory, int row)
    {
        QTableView* g = directory->grid();
        const QModelIndex index = g->model()->index(row - 1, 1);
        g->scrollTo(index);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(index).center());
    }

    QString cell(frmSpr* directory, int row, int column)
    {
        return directory->model()->index(row - 1, column).data().toString();
    }

    QColor rowColour(frmSpr* directory, int row, int column = 0)
    {
        return directory->model()->index(row - 1, column).data(Qt::BackgroundRole).value<QColor>();
    }

    // The rows painted in the colour across all six cells.
    std::vector<int> rowsColoured(frmSpr* directory, const QColor& colour)
    {
        std::vector<int> rows;
        for (int row = 1; row <= directory->model()->rowCount(); ++row) {
            int cells = 0;
            for (int column = 0; column < DirectoryModel::ColumnCount; ++column)
                cells += rowColour(directory, row, column) == colour ? 1 : 0;
            if (cells == DirectoryModel::ColumnCount)
                rows.push_back(row);
        }
        return rows;
    }

    frmAdd* openAdder(frmSpr* directory)
    {
        button(directory, "Cmd1")->click();
        return activated(directory->findChild<frmAdd*>());
    }

    // Types a subscriber into the boxes of a dialog, leaving the boxes with Enter as an operator would.
    void typeEntry(SubscriberForm* dialog, const std::vector<QString>& texts)
    {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            dialog->box(int(j))->setFocus(Qt::TabFocusReason);
            dialog->box(int(j))->selectAll();
            typeText(dialog->box(int(j)), texts[j]);
            QTest::keyClick(dialog->box(int(j)), Qt::Key_Return);
            settle();
        }
    }

    QStringList selectorNames(Form1* form)
    {
        QStringList names;
        for (int i = 0; i < form->subscriberSelector()->count(); ++i)
            names << form->subscriberSelector()->itemText(i);
        return names;
    }

    bool fileHas(const std::string& utf8) const
    {
        return databaseBytes().find(cp1251::encode(utf8)) != std::string::npos;
    }
    int fileLines() const
    {
        const std::string bytes = databaseBytes();
        return int(std::count(bytes.begin(), bytes.end(), '\n'));
    }
};

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
