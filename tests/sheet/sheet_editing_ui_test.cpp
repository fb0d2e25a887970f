#include "app/main_window.h"
#include "database/database_file.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QTest>
#include <QToolButton>

namespace {

constexpr int Date = fields::Date;
constexpr int Current = fields::CurrentReading;
constexpr int Previous = fields::PreviousReading;
constexpr int Power = fields::LightingPower;
constexpr int Hours = fields::LightingHours;
constexpr int Days = fields::LightingDays;
constexpr int Losses = fields::LossesPercent;
constexpr int Tariff = fields::Tariff;
constexpr int Service = fields::ServicePercent;

class SheetWindow : public AppFixture
{
protected:
    // Starts the program on the records with the year shown, the window active so that the focus
    // moves as a user's clicks would move it.
    Form1* open(const std::vector<std::vector<std::string>>& records, const QString& year = "2020")
    {
        writeDatabase(records);
        settings.setValue(settings::Main, "Cmb1", year);
        form = start();
        if (form) {
            form->activateWindow();
            windowActive = QTest::qWaitForWindowActive(form);
        }
        return form;
    }

    SheetCell* cell(int m, int b) const { return form->sheet()->typed(m, b); }
    QString text(int m, int b) const { return cell(m, b)->text(); }
    QString computed(int row, int c) const { return form->sheet()->computed(row, c)->text(); }
    std::string field(int row, int m, int b, int k = 0) const
    {
        return std::string(state.table.field(row, fields::monthBase(k, m) + b));
    }

    void focus(int m, int b) { cell(m, b)->setFocus(Qt::MouseFocusReason); }
    void type(int m, int b, const QString& keys)
    {
        focus(m, b);
        QTest::keyClicks(cell(m, b), keys);
    }
    // Clicks somewhere that is not a cell of the sheet.
    void leaveTheSheet() { form->subscriberSelector()->setFocus(Qt::MouseFocusReason); }

    void typeWorkedMonth(int m)
    {
        const std::pair<int, const char*> cells[]
            = { { Current, "10700" }, { Previous, "10625" }, { Power, "0,25" }, { Hours, "6,5" },
                  { Days, "26" }, { Losses, "4" }, { Tariff, "3,22" }, { Service, "1,8" } };
        for (const auto& [b, keys] : cells)
            type(m, b, QString::fromUtf8(keys));
    }

    QColor background(int m, int b) const { return cell(m, b)->palette().color(QPalette::Base); }
    bool saveButtonEnabled() const { return form->findChild<QToolButton*>("Cmd6")->isEnabled(); }

    Form1* form = nullptr;
    bool windowActive = false;
};

const std::vector<std::string> Subscriber = { "1", "Иванов И. И." };

TEST_F(SheetWindow, TypedSeparatorsAreCorrectedWithTheCaretAtTheEnd)
{
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    type(1, Tariff, "1.8");
    EXPECT_EQ(text(1, Tariff), "1,8");
    EXPECT_EQ(cell(1, Tariff)->cursorPosition(), 3);
    QTest::keyClicks(cell(1, Tariff), "5");
    EXPECT_EQ(text(1, Tariff), "1,85");

    type(1, Date, "31,01,07");
    EXPECT_EQ(text(1, Date), "31.01.07");

    focus(2, Current);
    QApplication::clipboard()->setText("10.700.5");
    cell(2, Current)->paste();
    EXPECT_EQ(text(2, Current), "10,700,5");
    EXPECT_EQ(cell(2, Current)->cursorPosition(), 8);

    // Characters the database cannot hold do not get in, typed or set.
    type(3, Tariff, "2|5");
    EXPECT_EQ(text(3, Tariff), "25");
    cell(4, Current)->setText("10\r\n7\r00\n");
    EXPECT_EQ(text(4, Current), "10700");
}

TEST_F(SheetWindow, StoredFullStopsBecomeCommasAndTheFilledSheetIsComputed)
{
    std::vector<std::string> record = { "1", "Иванов И. И." };
    record.resize(2128);
    const int march = fields::monthBase(0, 3);
    const char* typed[] = { "31,03,20", "10700", "10625", "0.25", "6.5", "26", "4", "3.22", "1.8" };
    for (int b = 0; b < 9; ++b)
        record[march + b - 1] = typed[b];
    ASSERT_TRUE(open({ record }));
    EXPECT_EQ(text(3, Date), "31.03.20");
    EXPECT_EQ(text(3, Tariff), "3,22");
    EXPECT_EQ(computed(3, sheet::MonthTotal), "399,72");
    EXPECT_EQ(computed(13, sheet::MonthTotal), "399,72");
    EXPECT_EQ(text(3, fields::MonthCharge), "399,72");
}

TEST_F(SheetWindow, AStoredTextLongerThanALineEditTakesSurvivesShowingAndStoring)
{
    // Longer than a line edit's default limit: showing it must not cut what the file holds.
    std::string note = "запись";
    for (int i = 0; i < 6000; ++i)
        note += " запись"; // 42006 characters
    std::vector<std::string> record = { "1", "Иванов И. И." };
    record.resize(2128);
    record[fields::monthBase(0, 3) + Date - 1] = note;
    ASSERT_TRUE(open({ record }));
    ASSERT_TRUE(windowActive);
    EXPECT_EQ(text(3, Date).size(), QString::fromStdString(note).size());

    type(4, Tariff, "3,22");
    leaveTheSheet();
    EXPECT_EQ(field(1, 3, Date), note);
    ASSERT_TRUE(state.WriteDatabase());
    RecordTable reread;
    ASSERT_EQ(database::load(databasePath(), reread).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(reread.field(1, fields::monthBase(0, 3) + Date), note);
}

TEST_F(SheetWindow, EveryKeystrokeRecomputesAndLeavingACellStoresTheSheet)
{
    ASSERT_TRUE(open({ Subscriber, { "2", "Петров П. П." } }));
    ASSERT_TRUE(windowActive);
    EXPECT_FALSE(saveButtonEnabled());

    // Leaving a cell that was not changed still stores the sheet: every month gets its charge.
    focus(5, Date);
    leaveTheSheet();
    EXPECT_TRUE(saveButtonEnabled());
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(field(1, m, fields::MonthCharge), "0") << m;

    typeWorkedMonth(3);
    EXPECT_EQ(computed(3, sheet::MonthTotal), "399,72");
    EXPECT_EQ(computed(3, sheet::Difference), "75");
    leaveTheSheet();
    EXPECT_EQ(field(1, 3, Service), "1,8");
    EXPECT_EQ(field(1, 3, fields::MonthCharge), "399,72");

    focus(3, Service);
    QTest::keyClick(cell(3, Service), Qt::Key_End);
    QTest::keyClick(cell(3, Service), Qt::Key_Backspace); // "1," is 1 %
    EXPECT_EQ(computed(3, sheet::ServiceMoney), "3,93");
    EXPECT_EQ(computed(13, sheet::MonthTotal), "396,58");
    // Not in the record until the cell is left.
    EXPECT_EQ(field(1, 3, Service), "1,8");
    EXPECT_EQ(field(1, 3, fields::MonthCharge), "399,72");

    leaveTheSheet();
    EXPECT_EQ(field(1, 3, Service), "1,");
    EXPECT_EQ(field(1, 3, fields::MonthCharge), "396,58");
    EXPECT_EQ(field(1, 3, Current), "10700");
    EXPECT_TRUE(state.table.field(2, fields::monthBase(0, 3) + Current).empty());
}

TEST_F(SheetWindow, EnterAndTheArrowsMoveBetweenMonthsUpToTheEdges)
{
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    focus(1, Tariff);
    QTest::keyClick(cell(1, Tariff), Qt::Key_Up);
    EXPECT_TRUE(cell(1, Tariff)->hasFocus());
    QTest::keyClick(cell(1, Tariff), Qt::Key_Return);
    EXPECT_TRUE(cell(2, Tariff)->hasFocus());
    QTest::keyClick(cell(2, Tariff), Qt::Key_Down);
    EXPECT_TRUE(cell(3, Tariff)->hasFocus());
    QTest::keyClick(cell(3, Tariff), Qt::Key_Enter);
    EXPECT_TRUE(cell(4, Tariff)->hasFocus());
    QTest::keyClick(cell(4, Tariff), Qt::Key_Up);
    EXPECT_TRUE(cell(3, Tariff)->hasFocus());

    focus(12, Date);
    QTest::keyClick(cell(12, Date), Qt::Key_Return);
    QTest::keyClick(cell(12, Date), Qt::Key_Down);
    EXPECT_TRUE(cell(12, Date)->hasFocus());
    QTest::keyClick(cell(12, Date), Qt::Key_Up);
    EXPECT_TRUE(cell(11, Date)->hasFocus());
}

TEST_F(SheetWindow, TheFocusedCellShowsTheFocusColourAndLeftCellsTheirRowColour)
{
    state.services.settings.setValue(settings::Main, "Color3", QString::number(0x000080FF)); // orange
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    const QColor focusColour(0xFF, 0x80, 0x00);
    const QColor odd(0xC0, 0xFF, 0xFF);
    const QColor even(0x00, 0xFF, 0xFF);

    focus(2, Losses);
    EXPECT_EQ(background(2, Losses), focusColour);
    QTest::keyClick(cell(2, Losses), Qt::Key_Down);
    EXPECT_EQ(background(2, Losses), even);
    EXPECT_EQ(background(3, Losses), focusColour);
    leaveTheSheet();
    EXPECT_EQ(background(3, Losses), odd);
}

TEST_F(SheetWindow, AutofillActsOnLeavingTheReadingOnly)
{
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    form->copyTool(1)->setChecked(true);

    type(3, Current, "10700");
    EXPECT_EQ(text(4, Previous), "");
    QTest::keyClick(cell(3, Current), Qt::Key_Tab);
    EXPECT_EQ(text(4, Previous), "10700");
    EXPECT_EQ(field(1, 4, Previous), "10700");
    EXPECT_EQ(computed(4, sheet::Difference), "");

    form->copyTool(1)->setChecked(false);
    type(7, Current, "11000");
    leaveTheSheet();
    EXPECT_EQ(text(8, Previous), "");
}

TEST_F(SheetWindow, JanuaryCopiesWaitUntilTheirOwnCellIsLeft)
{
    std::vector<std::string> record = Subscriber;
    record.resize(2128);
    record[fields::monthBase(0, 5) + Tariff - 1] = "2,1";
    record[fields::monthBase(0, 6) + Tariff - 1] = "2,2";
    ASSERT_TRUE(open({ record }));
    ASSERT_TRUE(windowActive);
    form->copyTool(4)->setChecked(true);

    cell(1, Tariff)->setText("1,8");
    focus(1, Losses);
    leaveTheSheet();
    EXPECT_EQ(text(2, Tariff), "");

    focus(1, Tariff);
    leaveTheSheet();
    for (int m : { 2, 3, 4, 7, 8, 9, 10, 11, 12 }) {
        EXPECT_EQ(text(m, Tariff), "1,8") << m;
        EXPECT_EQ(field(1, m, Tariff), "1,8") << m;
    }
    EXPECT_EQ(text(5, Tariff), "2,1");
    EXPECT_EQ(text(6, Tariff), "2,2");

    // The losses tool is off: January's losses stay January's.
    type(1, Losses, "4");
    leaveTheSheet();
    EXPECT_EQ(text(2, Losses), "");
}

TEST_F(SheetWindow, SwitchingToAnotherWindowDoesNotLeaveTheCell)
{
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    form->copyTool(1)->setChecked(true);
    type(1, Current, "107");

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(text(2, Previous), "");
    EXPECT_EQ(field(1, 1, Current), "");

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    ASSERT_TRUE(cell(1, Current)->hasFocus());
    QTest::keyClicks(cell(1, Current), "00");
    leaveTheSheet();
    EXPECT_EQ(text(2, Previous), "10700");
}

TEST_F(SheetWindow, FocusComingBackElsewhereLeavesTheCell)
{
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    form->copyTool(1)->setChecked(true);
    type(1, Current, "10700");

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    // A click into the window may reach it before the window is active again.
    cell(3, Date)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(text(2, Previous), "");

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    ASSERT_TRUE(cell(3, Date)->hasFocus());
    EXPECT_EQ(text(2, Previous), "10700");
    EXPECT_EQ(field(1, 1, Current), "10700");
    EXPECT_EQ(background(1, Current), QColor(0xC0, 0xFF, 0xFF));
}

TEST_F(SheetWindow, QuickCopyAsksAndWritesTheFieldOfEverySubscriber)
{
    ASSERT_TRUE(open({ Subscriber, { "2", "Петров П. П." }, { "3", "Сидоров С. С." } }, "2026"));
    cell(3, Tariff)->setText("1,8");

    QTest::mouseClick(cell(3, Tariff), Qt::LeftButton);
    QTest::mouseClick(cell(3, Current), Qt::MiddleButton);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    dialogs.answers = { Answer::No };
    QTest::mouseClick(cell(3, Tariff), Qt::MiddleButton);
    ASSERT_EQ(dialogs.shown.size(), 1);
    const Message& question = dialogs.shown[0];
    EXPECT_EQ(question.text, "Копировать содержимое этой ячейки: 1,8 для всех абонентов? ");
    EXPECT_EQ(question.title, "Быстрое копирование.");
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, Answer::No);
    // The shown subscriber's sheet was stored when the clicks moved the focus; the others are as
    // they were.
    for (int row = 2; row <= 3; ++row)
        EXPECT_TRUE(state.table.field(row, 1649).empty()) << row;

    dialogs.answers = { Answer::Yes };
    QTest::mouseClick(cell(3, Tariff), Qt::MiddleButton);
    EXPECT_EQ(dialogs.shown.size(), 2);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(state.table.field(row, 1649), "1,8") << row;
    EXPECT_EQ(text(3, Tariff), "1,8");
}

TEST_F(SheetWindow, MonthEndDatesAskBeforeOverwriting)
{
    ASSERT_TRUE(open({ Subscriber }, "2024"));
    // All empty: written without a question.
    form->Menu_Tools_Date_Click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(text(1, Date), "31.01.24");
    EXPECT_EQ(text(2, Date), "29.02.24");
    EXPECT_EQ(text(12, Date), "31.12.24");
    EXPECT_EQ(field(1, 2, Date, 4), "29.02.24");

    cell(4, Date)->setText("15.04.24");
    dialogs.answers = { Answer::No };
    form->Menu_Tools_Date_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
        "Найдены заполненные ячейки дат, если продолжить заполнение, то информация в них "
        "изменится. Продолжить заполнение дат? ");
    EXPECT_EQ(dialogs.shown[0].title, "Подтвердите заполнение дат.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].defaultAnswer, Answer::No);
    EXPECT_EQ(text(4, Date), "15.04.24");
    EXPECT_EQ(field(1, 4, Date, 4), "30.04.24");

    dialogs.answers = { Answer::Yes };
    form->Menu_Tools_Date_Click();
    EXPECT_EQ(text(4, Date), "30.04.24");
}

TEST_F(SheetWindow, StreetLightingHoursAndDaysAreFilledAndComputed)
{
    ASSERT_TRUE(open({ Subscriber }, "2020"));
    cell(1, Power)->setText("0,25");
    // Only the power is there: no question.
    form->Menu_Tools_PostChUlOsv_Click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(text(1, Hours), "14");
    EXPECT_EQ(text(1, Days), "31");
    EXPECT_EQ(text(7, Hours), "6,5");
    EXPECT_EQ(text(2, Days), "29");
    EXPECT_EQ(text(1, Power), "0,25");
    EXPECT_EQ(computed(1, sheet::Lighting), "108,50");
    EXPECT_EQ(field(1, 2, Days), "29");
    EXPECT_EQ(field(1, 1, Power), "0,25");

    cell(3, Hours)->setText("9");
    dialogs.answers = { Answer::No };
    form->Menu_Tools_PostChUlOsv_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
        "Обнаружены заполненные ячейки,  если продолжить информация в них изменится. Продолжить заполнение?");
    EXPECT_EQ(dialogs.shown[0].title, "Подтвердите заполнение Часов и Суток уличного освещения.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(dialogs.shown[0].defaultAnswer, Answer::No);
    EXPECT_EQ(text(3, Hours), "9");

    dialogs.answers = { Answer::Yes };
    form->Menu_Tools_PostChUlOsv_Click();
    EXPECT_EQ(text(3, Hours), "10");
}

TEST_F(SheetWindow, ClearingStreetLightingReportsWhenThereIsNothingToClear)
{
    ASSERT_TRUE(open({ Subscriber }, "2023"));
    form->Menu_Tools_DelChUlOsv_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Все ячейки часов и суток уличного освещеня пусты, очищать нечего!");
    EXPECT_EQ(dialogs.shown[0].title, "Заполненых ячеек не найдено.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_FALSE(saveButtonEnabled()); // nothing was stored

    cell(1, Power)->setText("0,25");
    form->Menu_Tools_PostChUlOsv_Click();
    EXPECT_EQ(text(2, Days), "28");
    ASSERT_EQ(computed(1, sheet::Lighting), "108,50");

    dialogs.shown.clear();
    dialogs.answers = { Answer::No };
    form->Menu_Tools_DelChUlOsv_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Вы действительно хотите очистить часы и сутки уличного освещения?");
    EXPECT_EQ(dialogs.shown[0].title, "Подтвердите удаление.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.shown[0].defaultAnswer, Answer::No);
    EXPECT_EQ(text(1, Hours), "14");

    dialogs.answers = { Answer::Yes };
    form->Menu_Tools_DelChUlOsv_Click();
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(text(m, Hours), "") << m;
        EXPECT_EQ(text(m, Days), "") << m;
        EXPECT_EQ(computed(m, sheet::Lighting), "") << m;
        EXPECT_EQ(field(1, m, Hours, 3), "") << m;
    }
    EXPECT_EQ(text(1, Power), "0,25");
}

TEST_F(SheetWindow, AYearNotInTheListIsRefusedWithAMessage)
{
    ASSERT_TRUE(open({ Subscriber, { "2", "Петров П. П." } }, "2026"));
    cell(3, Tariff)->setText("1,8");
    const std::string before = databaseBytes();
    // A year typed over the selector counts once a fill has used it: here the choice of a subscriber.
    form->yearSelector()->setEditText("2030");
    emit form->subscriberSelector()->activated(form->subscriberSelector()->currentIndex());

    form->Menu_Tools_Date_Click();
    form->Menu_Tools_PostChUlOsv_Click();
    QTest::mouseClick(cell(3, Tariff), Qt::MiddleButton);
    ASSERT_EQ(dialogs.shown.size(), 3);
    for (const Message& message : dialogs.shown) {
        EXPECT_EQ(message.title, "Год не выбран");
        EXPECT_EQ(
            message.text, "Года \"2030\" нет в списке. Выберите в списке \"Год\" один из годов 2020 … 2027.");
    }
    EXPECT_EQ(text(1, Date), "");
    EXPECT_EQ(text(1, Hours), "");
    for (int row = 1; row <= 2; ++row)
        EXPECT_TRUE(state.table.field(row, 1649).empty());
    form->close();
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(SheetWindow, ClickingAPictureButtonLeavesTheCellFirst)
{
    ASSERT_TRUE(open({ Subscriber }));
    ASSERT_TRUE(windowActive);
    type(3, Current, "10700");
    QToolButton* calculator = form->findChild<QToolButton*>("Cmd3");
    QTest::mouseClick(calculator, Qt::LeftButton);
    EXPECT_EQ(field(1, 3, Current), "10700");
    EXPECT_EQ(shell.calculatorStarts, 1);
}

} // namespace
