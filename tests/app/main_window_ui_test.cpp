#include "app/main_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {

using MainWindow = AppFixture;

QString cellText(Form1* form, int m, int b)
{
    return form->sheet()->typed(m, b)->text();
}

QColor background(QWidget* w)
{
    return w->palette().color(QPalette::Base);
}

TEST_F(MainWindow, FirstStartWithoutSettings)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Терволин, оплата электричества");
    EXPECT_EQ(form->subscriberSelector()->currentText(), "Иванов И. И.");
    EXPECT_EQ(form->subscriberSelector()->count(), 2);
    EXPECT_EQ(form->yearSelector()->currentText(), "2020");
    EXPECT_EQ(form->yearSelector()->count(), 8);
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE(form->copyTool(i)->isChecked());
    EXPECT_TRUE(form->timer2()->isActive());
    EXPECT_FALSE(form->timer1()->isActive());
    EXPECT_EQ(background(form->sheet()->typed(1, 0)), QColor(0xC0, 0xFF, 0xFF)); // 0x00FFFFC0
    EXPECT_EQ(background(form->sheet()->typed(2, 0)), QColor(0x00, 0xFF, 0xFF)); // 0x00FFFF00
    EXPECT_EQ(background(form->sheet()->computed(3, 5)), QColor(0xC0, 0xFF, 0xFF));
    EXPECT_FALSE(form->findChild<QToolButton*>("Cmd6")->isEnabled());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(MainWindow, AStoredNameThatNoLongerExistsFallsBackToTheFirstSubscriber)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    settings.setValue(settings::Main, "Cmb0", "Удалённый У. У.");
    settings.setValue(settings::Main, "Cmb1", "2026");
    settings.setValue(settings::Main, "Form1.Ch3", "1");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->subscriberSelector()->currentText(), "Иванов И. И.");
    EXPECT_EQ(form->yearSelector()->currentText(), "2026");
    EXPECT_TRUE(form->copyTool(3)->isChecked());
    EXPECT_FALSE(form->copyTool(1)->isChecked());
}

TEST_F(MainWindow, AnEmptyDatabaseOpensWithAnEmptySheet)
{
    writeDatabase({ {} });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->subscriberSelector()->currentText(), "");
    EXPECT_EQ(form->subscriberSelector()->count(), 1);
    for (int m = 1; m <= 12; ++m)
        for (int b = 0; b < 9; ++b)
            ASSERT_EQ(cellText(form, m, b), "");
}

TEST_F(MainWindow, FillsTheSheetFromTheChosenYear)
{
    // Record 3, year 2026: January's date is field 1598, December's network service field 1848.
    std::vector<std::string> third(2128);
    third[0] = "3";
    third[1] = "Сидоров С. С.";
    third[4] = "НЕВА 101";
    third[1598 - 1] = "31.01.26";
    third[1848 - 1] = "1,8";
    writeDatabase({ { "1", "Иванов" }, { "2", "Петров" }, third });
    settings.setValue(settings::Main, "Cmb0", "Сидоров С. С.");
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->CurrentRecord, 3);
    EXPECT_EQ(cellText(form, 1, 0), "31.01.26");
    EXPECT_EQ(cellText(form, 12, 8), "1,8");
    EXPECT_EQ(form->findChild<QLabel*>("LbSch")->text(), "НЕВА 101");
}

TEST_F(MainWindow, ChoosingAnotherSubscriberRefillsTheSheet)
{
    writeDemoDatabase(5);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const QString january = cellText(form, 1, 1);
    form->subscriberSelector()->setCurrentIndex(1);
    emit form->subscriberSelector()->activated(1);
    EXPECT_EQ(form->CurrentRecord, 2);
    EXPECT_NE(cellText(form, 1, 1), january);
    EXPECT_EQ(cellText(form, 1, 1).toStdString(), state.table.field(2, 9));
}

TEST_F(MainWindow, CloseStoresSettingsSheetAndFile)
{
    writeDatabase({ { "7", "  Иванов И. И. " }, { "3", "Петров П. П." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->copyTool(2)->setChecked(true);
    form->sheet()->typed(3, 1)->setText("10700");
    form->close();
    EXPECT_EQ(setting("Cmb0"), "Иванов И. И.");
    EXPECT_EQ(setting("Cmb1"), "2020");
    EXPECT_EQ(setting("Form1.Ch1"), "0");
    EXPECT_EQ(setting("Form1.Ch2"), "1");
    std::vector<std::string> first(2128);
    first[0] = "1";
    first[1] = "Иванов И. И.";
    first[8 + 44 + 1 - 1] = "10700"; // March 2020, current reading
    // Every month of the year gets its charge in field +9: "0" where nothing is due.
    for (int m = 1; m <= 12; ++m)
        first[8 + 22 * (m - 1) + 9 - 1] = "0";
    EXPECT_EQ(databaseBytes(), databaseLine(first) + databaseLine({ "2", "Петров П. П." }));
}

TEST_F(MainWindow, AutosaveWritesOnlyAfterTheSheetWasStored)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    state.table.set(1, 3, "изменено в памяти");
    form->Timer2_Timer();
    EXPECT_TRUE(form->timer1()->isActive());
    EXPECT_FALSE(form->timer2()->isActive());
    form->Timer1_Timer();
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_TRUE(form->timer2()->isActive());

    form->SAVE();
    form->Timer2_Timer();
    form->Timer1_Timer();
    EXPECT_NE(databaseBytes().find(cp1251::encode("изменено в памяти")), std::string::npos);
}

TEST_F(MainWindow, NoWriteStartsWhileAnotherIsShowingItsMessage)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    std::filesystem::create_directory(databasePath() + ".tmp");
    bool nestedWrite = true;
    dialogs.whileShown = [&](const Message&) { nestedWrite = state.WriteDatabase(); };
    EXPECT_FALSE(state.WriteDatabase());
    EXPECT_FALSE(nestedWrite);
    EXPECT_EQ(dialogs.shown.size(), 1);
}

} // namespace

namespace {

TEST_F(MainWindow, CellsRefuseWhatTheDatabaseCannotHold)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    SheetCell* cell = form->sheet()->typed(4, 6);
    cell->setFocus();
    // Typed one character at a time, as a keyboard does (QTest only knows Latin keys).
    for (const char* text : { "1", "|", "2", "中", "3" }) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(text));
        QApplication::sendEvent(cell, &press);
    }
    EXPECT_EQ(cell->text(), "123");
    cell->clear();
    QGuiApplication::clipboard()->setText("4|5\r\n6€");
    cell->paste();
    EXPECT_EQ(cell->text(), "456€");
    form->SAVE();
    EXPECT_EQ(state.table.field(1, 8 + 22 * 3 + 6), "456€");
}

} // namespace

namespace {

TEST_F(MainWindow, AYearTypedWithoutChoosingItReceivesNothing)
{
    writeDemoDatabase(3);
    settings.setValue(settings::Main, "Cmb1", "2021");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const int k2025 = 5;
    const std::string before(state.table.field(1, 8 + 265 * k2025 + 1));
    form->yearSelector()->setEditText("2025"); // typed, not chosen: the sheet still shows 2021
    form->sheet()->typed(1, 1)->setFocus();
    form->sheet()->typed(2, 1)->setFocus(); // leaving a cell stores the sheet
    form->SAVE();
    EXPECT_EQ(state.table.field(1, 8 + 265 * k2025 + 1), before);
    EXPECT_EQ(form->shownYear(), "2021");
    EXPECT_EQ(form->sheet()->typed(1, 1)->text().toStdString(), state.table.field(1, 8 + 265 * 1 + 1));
}

} // namespace
