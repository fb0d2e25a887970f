// The frame around the sheet: picture buttons with their hints, month labels, calculator, save.

#include "app/main_window.h"
#include "database/database_file.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

namespace {

using MainWindowFrame = AppFixture;

void send(QWidget* target, QEvent::Type type, Qt::MouseButton button = Qt::NoButton)
{
    if (type == QEvent::Enter) {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(target, &event);
        return;
    }
    QMouseEvent event(type, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), button,
        type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST_F(MainWindowFrame, EveryPictureButtonHasAPictureAndAHint)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    const char* names[] = { "Cmd6", "Command1", "Cmd1", "Cmd2", "Cmd3", "Cmd4", "Command6", "Cmd5" };
    const char* hints[]
        = { "Сохранить ", "Печать", "Справочник", "Л. счет", "Калькулятор", "График", "Экспорт", "Помощь" };
    for (int i = 0; i < 8; ++i) {
        auto* button = form->findChild<QToolButton*>(names[i]);
        ASSERT_NE(button, nullptr) << names[i];
        EXPECT_FALSE(button->icon().isNull()) << names[i];
        auto* hint = form->findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i));
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->text(), QString::fromUtf8(hints[i]));
        EXPECT_TRUE(hint->isHidden());
    }
}

TEST_F(MainWindowFrame, HintsShowOverTheirButtonAndHideOverTheFrame)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* calculatorHint = form->findChild<QLabel*>("Label1_4");
    send(form->findChild<QToolButton*>("Cmd3"), QEvent::Enter);
    EXPECT_FALSE(calculatorHint->isHidden());
    send(form->findChild<QToolButton*>("Cmd5"), QEvent::Enter);
    EXPECT_FALSE(form->findChild<QLabel*>("Label1_7")->isHidden());
    send(form->findChild<QFrame*>("Frame1"), QEvent::MouseMove);
    EXPECT_TRUE(calculatorHint->isHidden());
    EXPECT_TRUE(form->findChild<QLabel*>("Label1_7")->isHidden());
}

TEST_F(MainWindowFrame, AHintHidesWhenTheMouseLeavesItsButtonAndNoTooltipRepeatsIt)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* calculator = form->findChild<QToolButton*>("Cmd3");
    auto* calculatorHint = form->findChild<QLabel*>("Label1_4");
    send(calculator, QEvent::Enter);
    EXPECT_FALSE(calculatorHint->isHidden());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(calculator, &leave);
    EXPECT_TRUE(calculatorHint->isHidden());
    for (QToolButton* button : form->findChild<QFrame*>("Frame1")->findChildren<QToolButton*>()) {
        EXPECT_TRUE(button->toolTip().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
    }
}

TEST_F(MainWindowFrame, MonthLabelsTurnBoldAndHandTheMonthOver)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    MonthLabel* march = form->sheet()->monthLabel(3);
    EXPECT_EQ(march->objectName(), "lbl1_103");
    send(march, QEvent::Enter);
    EXPECT_TRUE(march->font().bold());
    send(form->centralWidget(), QEvent::MouseMove);
    EXPECT_FALSE(march->font().bold());

    send(march, QEvent::MouseButtonPress, Qt::LeftButton);
    send(march, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(state.ReportMonthName, "Март");
    EXPECT_EQ(state.ReportMonth, 103);
    auto* documents = form->findChild<QMenu*>("Menu_Vedomost");
    EXPECT_FALSE(documents->isVisible());

    send(form->sheet()->monthLabel(12), QEvent::MouseButtonPress, Qt::RightButton);
    send(form->sheet()->monthLabel(12), QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(state.ReportMonth, 112);
    EXPECT_TRUE(documents->isVisible());
    ASSERT_EQ(documents->actions().size(), 4);
    EXPECT_EQ(documents->actions()[0]->objectName(), "Vedomost");
    EXPECT_EQ(documents->actions()[1]->objectName(), "Kvit");
    EXPECT_EQ(documents->actions()[2]->objectName(), "KvitAll");
    EXPECT_EQ(documents->actions()[3]->objectName(), "Readings");
    documents->close();
}

TEST_F(MainWindowFrame, CalculatorFromTheButtonAndTheMenu)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    form->findChild<QToolButton*>("Cmd3")->click();
    form->findChild<QAction*>("Menu_Tools_kalc")->trigger();
    EXPECT_EQ(shell.calculatorStarts, 2);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // A machine without a calculator says so instead of doing nothing.
    shell.calculatorExists = false;
    form->findChild<QToolButton*>("Cmd3")->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("Калькулятор не найден"));
    EXPECT_EQ(dialogs.shown[0].title, "Калькулятор");
}

TEST_F(MainWindowFrame, SaveButtonStoresTheSheetAndWritesTheFile)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* save = form->findChild<QToolButton*>("Cmd6");
    form->sheet()->typed(1, 7)->setText("5,47");
    form->SAVE();
    EXPECT_TRUE(save->isEnabled());
    form->sheet()->typed(1, 7)->setText("6,12");
    save->click();
    RecordTable written;
    ASSERT_EQ(database::load(databasePath(), written).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(written.field(1, 8 + 7), "6,12");
}

TEST_F(MainWindowFrame, TheSubscriberListDropsDownFourHundredPixels)
{
    writeDemoDatabase(60);
    Form1* form = start();
    QComboBox* combo = form->subscriberSelector();
    const int rowHeight = combo->view()->sizeHintForRow(0);
    EXPECT_NEAR(combo->maxVisibleItems() * rowHeight, 400, rowHeight);
}

} // namespace
