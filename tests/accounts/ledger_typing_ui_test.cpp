// Typing amounts into the ledger's cells: which cells open the editor, what Enter stores and where
// it moves on to, what is refused, and the keys' help.

#include "accounts/cell_editor.h"
#include "accounts/keys_help_window.h"
#include "accounts/ledger_fixture.h"
#include "accounts/ledger_settings_window.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

using namespace ledgertest;

TEST_F(LedgerWindow, OnlyTheChargeAndIncomeCellsOpenTheEditor)
{
    writeRecords({ { "Иванов", { { March2024 + 3, "150" } } }, { "Петров", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    for (int c : { NameColumn, StartUnderpayment, StartOverpayment, Electricity, TotalDue, EndUnderpayment,
             EndOverpayment }) {
        click(ledger->grid(), at(ledger, 0, c));
        EXPECT_FALSE(txtg->isVisible()) << "column " << c;
    }
    for (int c : { ElectricianPay, OtherCharges, PaidIn, OtherIncome }) {
        click(ledger->grid(), at(ledger, 1, c));
        EXPECT_TRUE(txtg->isVisible()) << "column " << c;
        const QRect cell = ledger->grid()->visualRect(at(ledger, 1, c));
        EXPECT_TRUE(txtg->geometry().contains(cell.center()));
        EXPECT_EQ(txtg->geometry().height(), cell.height());
    }
    click(ledger->grid(), at(ledger, 0, ElectricianPay));
    EXPECT_EQ(txtg->text(), "150,00");
    EXPECT_EQ(txtg->selectedText(), "150,00"); // what is typed replaces it
    EXPECT_TRUE(txtg->hasFocus());
    EXPECT_EQ(txtg->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0x00)); // "Color3" default
    // Clicking a cell that is not edited closes the editor.
    click(ledger->grid(), at(ledger, 0, TotalDue));
    EXPECT_FALSE(txtg->isVisible());
}

TEST_F(LedgerWindow, EnterCommitsTwoDecimalsRecomputesStoresAndMovesDown)
{
    writeRecords({ { "Иванов", { { March2024, "100" }, { March2024 - 1, "50" }, { March2024 + 3, "20" } } },
        { "Петров", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, PaidIn));
    QTest::keyClicks(txtg, "200.5");
    EXPECT_EQ(txtg->text(), "200,5");
    EXPECT_EQ(txtg->cursorPosition(), 5);
    QTest::keyClick(txtg, Qt::Key_Return);

    EXPECT_EQ(text(ledger, 0, PaidIn), "200,50");
    EXPECT_EQ(text(ledger, 0, TotalDue), "170,00");
    EXPECT_EQ(text(ledger, 0, EndOverpayment), "30,50");
    EXPECT_EQ(ledger->sumText(PaidIn - 1), "200,50");
    EXPECT_EQ(state.table.field(1, March2024 + 6), "200,50");
    EXPECT_EQ(state.table.field(1, March2024 + 10), "30,50");
    EXPECT_EQ(state.table.field(1, March2024 + 23), "30,50");
    EXPECT_TRUE(ledger->findChild<QToolButton*>("Cmd6")->isEnabled());
    // On to the same column of the next row, with its text.
    EXPECT_TRUE(txtg->isVisible());
    EXPECT_EQ(ledger->grid()->currentIndex(), at(ledger, 1, PaidIn));
    EXPECT_EQ(txtg->text(), "");

    // An emptied cell stores empty; on the last row Enter closes the editor and keeps the column.
    type(txtg, "7");
    EXPECT_EQ(state.table.field(2, March2024 + 6), "7,00");
    EXPECT_FALSE(txtg->isVisible());
    EXPECT_EQ(ledger->grid()->currentIndex(), at(ledger, 1, PaidIn));
    QTest::keyClick(ledger->grid(), Qt::Key_Return); // Enter on the grid opens the editor again
    ASSERT_TRUE(txtg->isVisible());
    EXPECT_EQ(txtg->text(), "7,00");
    txtg->clear();
    QTest::keyClick(txtg, Qt::Key_Return);
    EXPECT_EQ(state.table.field(2, March2024 + 6), "");
    EXPECT_EQ(text(ledger, 1, PaidIn), "");
}

TEST_F(LedgerWindow, EnterMovesRightAlongTheEditableColumns)
{
    writeRecords({ { "Иванов", {} }, { "Петров", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    state.EnterMovesDown = false;
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, ElectricianPay));
    const std::vector<std::pair<int, int>> path
        = { { 0, OtherCharges }, { 0, PaidIn }, { 0, OtherIncome }, { 1, ElectricianPay } };
    for (auto [row, column] : path) {
        type(txtg, "1");
        EXPECT_EQ(ledger->grid()->currentIndex(), at(ledger, row, column));
        EXPECT_TRUE(txtg->isVisible());
    }
    click(ledger->grid(), at(ledger, 1, OtherIncome));
    type(txtg, "2");
    EXPECT_FALSE(txtg->isVisible());
    for (int offset : { 3, 4, 6, 8 })
        EXPECT_EQ(state.table.field(1, March2024 + offset), "1,00") << offset;
    EXPECT_EQ(state.table.field(2, March2024 + 3), "");
    EXPECT_EQ(state.table.field(2, March2024 + 8), "2,00");
}

TEST_F(LedgerWindow, TextThatIsNoAmountIsRefusedWithAMessage)
{
    writeRecords({ { "Иванов", { { March2024 + 6, "10" } } } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    CellEditor* txtg = ledger->editor();
    click(ledger->grid(), at(ledger, 0, PaidIn));
    txtg->clear();
    QTest::keyClicks(txtg, "1|0 r");
    EXPECT_EQ(txtg->text(), "10 r"); // the separator never gets in
    QTest::keyClick(txtg, Qt::Key_Return);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Введите сумму числом, например 1250,50");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_TRUE(txtg->isVisible());
    EXPECT_EQ(txtg->text(), "10 r");
    EXPECT_EQ(text(ledger, 0, PaidIn), "10,00");
    EXPECT_EQ(state.table.field(1, March2024 + 6), "10,00");
}

TEST_F(LedgerWindow, SettingsWindowChoosesWhereEnterGoes)
{
    writeRecords({ { "Иванов", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QToolButton*>("Command2")->click();
    auto* window = ledger->findChild<frmTunLs*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Настройки в лицевом счете");
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    EXPECT_TRUE(window->Op1->isChecked());
    window->Op2->setChecked(true);
    window->findChild<QPushButton*>("CmdOk")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(state.EnterMovesDown);
    EXPECT_EQ(setting("flPls"), "False");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    ledger->findChild<QToolButton*>("Command2")->click();
    window = ledger->findChild<frmTunLs*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Op2->isChecked());
    window->Op1->setChecked(true);
    window->findChild<QPushButton*>("CmdOk")->click();
    EXPECT_TRUE(state.EnterMovesDown);
    EXPECT_EQ(setting("flPls"), "True");
}

TEST_F(LedgerWindow, HelpListsTheEditingKeysWhileTheLedgerWaits)
{
    writeRecords({ { "Иванов", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QToolButton*>("Cmd5")->click();
    auto* window = ledger->findChild<frmHlp1*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Справка по горячим клавишам");
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 10);
    for (int i = 1; i < labels.size(); ++i)
        EXPECT_GT(labels[i]->y(), labels[i - 1]->y());
    EXPECT_EQ(labels[1]->text(), "При редактировании:");
    // What the keys do, as the editor really behaves.
    EXPECT_EQ(labels[0]->text(),
        "Для редактирования ячейки кликните по ней мышкой.           Ячейка, если она редактируемая "
        "подсветится желтым цветом. ");
    EXPECT_EQ(labels[3]->text(), "Ctrl + C - копировать выделенный текст  в буфер.");
    for (int i = 3; i <= 6; ++i)
        EXPECT_TRUE(labels[i]->text().startsWith("Ctrl + ")) << labels[i]->text().toStdString();
    EXPECT_EQ(labels[8]->text(),
        "Для сохранения результатов редактирования - нажмите Enter или кликните мышкой по другой ячейке.");
    EXPECT_EQ(labels[9]->text(), "Для выхода без сохранения - нажмите клавишу Esc.");
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
