#include "accounts/carry_over_window.h"
#include "accounts/cell_editor.h"
#include "accounts/keys_help_window.h"
#include "accounts/ledger_fixture.h"
#include "accounts/ledger_settings_window.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

namespace {

using namespace ledgertest;

TEST_F(LedgerWindow, OpensOverTheMainWindowAndClosingStoresWritesAndReturns)
{
    writeRecords(
        { { "Иванов И. И.", { { March2024, "100" }, { March2024 - 1, "50" }, { March2024 + 6, "200" } } },
            { "Петров П. П.", {} } });
    const std::string before = databaseBytes();
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(ledger->windowTitle(), "Лицевой счет");
    EXPECT_EQ(ledger->shownYear(), "2024");
    EXPECT_EQ(ledger->shownMonth(), "Март");
    EXPECT_EQ(state.LedgerBase, March2024);
    EXPECT_EQ(ledger->model()->rowCount(), 2);
    EXPECT_EQ(text(ledger, 0, NameColumn), "1. Иванов И. И.");
    EXPECT_EQ(text(ledger, 0, TotalDue), "150,00");
    EXPECT_EQ(text(ledger, 0, EndOverpayment), "50,00");
    EXPECT_EQ(ledger->sumText(TotalDue - 1), "150,00");
    EXPECT_EQ(ledger->sumText(StartOverpayment - 1), "");
    EXPECT_FALSE(ledger->findChild<QToolButton*>("Cmd6")->isEnabled());
    // The menu opens the ledger without writing; nothing is stored at opening.
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(state.table.field(1, March2024 + 5), "");

    closeLedger(ledger);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(setting("Cmb10"), "2024");
    EXPECT_EQ(setting("Li"), "2");
    const RecordTable file = fileTable();
    EXPECT_EQ(file.field(1, March2024 + 5), "150,00");
    EXPECT_EQ(file.field(1, March2024 + 10), "50,00");
    EXPECT_EQ(file.field(1, March2024 + 23), "50,00"); // April's start overpayment
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerWindow, TheLedgerButtonWritesTheFileFirst)
{
    writeRecords({ { "Иванов И. И.", {} } });
    main = start();
    ASSERT_NE(main, nullptr);
    state.table.set(1, fields::Note, "записано до открытия");
    frmRedLS* ledger = openFromMain("Cmd2");
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(fileTable().field(1, fields::Note), "записано до открытия");
}

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

TEST_F(LedgerWindow, FindPaintsTheMatchingRowsAndASecondFindClearsTheFirst)
{
    std::vector<std::pair<std::string, Fields>> records;
    for (int i = 0; i < 40; ++i)
        records.push_back({ "Абонент " + std::to_string(i + 1), {} });
    records[4].first = "Иванов И. И.";
    records[20].first = "ИВАНОВА А. А.";
    records[33].first = "Заиванов З. З.";
    records[10].first = "Петров П. П.";
    writeRecords(records);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    auto* txtfind = ledger->findChild<QLineEdit*>("txtfind");
    LedgerModel* model = ledger->model();
    const auto found = [&] {
        std::vector<int> rows;
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->isFound(r))
                rows.push_back(r);
        }
        return rows;
    };

    txtfind->setText("иванов");
    QTest::keyClick(txtfind, Qt::Key_Return);
    EXPECT_EQ(found(), (std::vector<int>{ 4, 20, 33 }));
    EXPECT_EQ(model->data(at(ledger, 20, EndOverpayment), Qt::BackgroundRole).value<QColor>(),
        QColor(0x80, 0xFF, 0xFF));
    EXPECT_FALSE(model->data(at(ledger, 19, EndOverpayment), Qt::BackgroundRole).isValid());
    EXPECT_EQ(ledger->grid()->rowAt(0), 4);

    txtfind->setText("Петр");
    ledger->findChild<QPushButton*>("Cmdfind")->click();
    EXPECT_EQ(found(), (std::vector<int>{ 10 }));
    txtfind->clear();
    ledger->findChild<QPushButton*>("Cmdfind")->click();
    EXPECT_EQ(found(), (std::vector<int>{ 10 }));
    ledger->findChild<QPushButton*>("CmdRes")->click();
    EXPECT_TRUE(found().empty());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerWindow, MonthButtonsStepCarryAndStopAtTheYearsEnds)
{
    // January's end underpayment of 100 must reach February, whatever February held before.
    writeRecords({ { "Иванов", { { 1078, "100" }, { 1078 + 22, "5" } } } });
    frmRedLS* ledger = openLedger("2024", 0);
    ASSERT_NE(ledger, nullptr);
    auto* left = ledger->findChild<QToolButton*>("CmdLeft");
    auto* right = ledger->findChild<QToolButton*>("CmdRight");
    auto* perenos = ledger->findChild<QPushButton*>("CmdPerenos");
    EXPECT_FALSE(left->isEnabled());
    EXPECT_TRUE(right->isEnabled());
    EXPECT_FALSE(perenos->isVisible());

    right->click();
    EXPECT_EQ(ledger->shownMonth(), "Февраль");
    EXPECT_EQ(state.LedgerMonthIndex, 1);
    EXPECT_EQ(state.LedgerBase, 1078 + 22);
    EXPECT_EQ(text(ledger, 0, StartUnderpayment), "100,00");
    EXPECT_TRUE(left->isEnabled());
    // February stored on arrival: March starts where February ends.
    EXPECT_EQ(state.table.field(1, 1078 + 44), "100,00");

    for (int i = 0; i < 10; ++i)
        right->click();
    EXPECT_EQ(ledger->shownMonth(), "Декабрь");
    EXPECT_FALSE(right->isEnabled());
    EXPECT_TRUE(perenos->isVisible());
    EXPECT_TRUE(perenos->isEnabled());
    EXPECT_EQ(text(ledger, 0, StartUnderpayment), "100,00");

    left->click();
    EXPECT_EQ(ledger->shownMonth(), "Ноябрь");
    EXPECT_FALSE(perenos->isVisible());
    EXPECT_TRUE(right->isEnabled());

    // Within the run the ledger reopens on the month last viewed.
    closeLedger(ledger);
    ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->shownMonth(), "Ноябрь");
}

TEST_F(LedgerWindow, AYearThatIsNotInTheListShowsJanuary2020)
{
    writeRecords({ { "Иванов", { { 18 + 6, "12" } } } });
    main = start();
    ASSERT_NE(main, nullptr);
    chooseMainYear("1999");
    state.LedgerOpenedThisRun = true; // June viewed earlier in the run
    state.LedgerMonthIndex = 5;
    frmRedLS* ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->shownYear(), "2020");
    EXPECT_EQ(ledger->shownMonth(), "Январь");
    EXPECT_EQ(state.LedgerMonthIndex, 0);
    EXPECT_EQ(state.LedgerBase, 18);
    EXPECT_FALSE(ledger->findChild<QToolButton*>("CmdLeft")->isEnabled());
    EXPECT_EQ(text(ledger, 0, PaidIn), "12,00");
}

TEST_F(LedgerWindow, ChoosingAnotherYearShowsTheSameMonthThere)
{
    writeRecords({ { "Иванов", { { March2024 + 6, "12" }, { March2024 + 265 + 6, "34" } } } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    QComboBox* year = ledger->yearSelector();
    year->setCurrentIndex(year->findText("2025"));
    emit year->activated(year->currentIndex());
    EXPECT_EQ(ledger->shownMonth(), "Март");
    EXPECT_EQ(state.LedgerBase, March2024 + 265);
    EXPECT_EQ(text(ledger, 0, PaidIn), "34,00");
    // The month left behind was stored, carrying into its April.
    EXPECT_EQ(state.table.field(1, March2024 + 23), "12,00");
}

TEST_F(LedgerWindow, CarryOverFromDecember2024IntoJanuary2025)
{
    writeRecords({ { "Иванов", { { December2024, "100" } } }, { "Петров", { { December2024 + 6, "30" } } },
        { "Сидоров", { { January2025, "77,00" } } } });
    frmRedLS* ledger = openLedger("2024", 11);
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QPushButton*>("CmdPerenos")->click();
    auto* window = ledger->findChild<frmPerenos*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), window);
    EXPECT_EQ(window->windowTitle(), "Перенос данных на следующий год");
    EXPECT_EQ(window->yearLabel()->text(), "2025");
    CarryOverModel* model = window->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->cellText(0, 0), "1. Иванов");
    EXPECT_EQ(model->cellText(0, 1), "100,00");
    EXPECT_EQ(model->cellText(1, 2), "30,00");
    EXPECT_EQ(model->cellText(2, 1), "");

    // A correction goes in as typed; Enter moves down the column.
    click(window->grid(), model->index(1, 2));
    ASSERT_TRUE(window->editor()->isVisible());
    window->editor()->clear();
    type(window->editor(), "15.5");
    EXPECT_EQ(model->cellText(1, 2), "15,5");
    EXPECT_EQ(window->grid()->currentIndex(), model->index(2, 2));
    QTest::keyClick(window->editor(), Qt::Key_Escape);

    QPushButton* transfer = window->transferButton();
    EXPECT_TRUE(transfer->isEnabled());
    transfer->click();
    EXPECT_FALSE(transfer->isEnabled());
    EXPECT_EQ(state.table.field(1, January2025), "100,00");
    EXPECT_EQ(state.table.field(2, January2025 + 1), "15,5");
    EXPECT_EQ(state.table.field(3, January2025), ""); // the December balance, not January's old one
    // Once only, until another cell is chosen.
    state.table.set(1, January2025, "изменено");
    transfer->click();
    EXPECT_EQ(state.table.field(1, January2025), "изменено");
    click(window->grid(), model->index(0, 0));
    EXPECT_TRUE(transfer->isEnabled());

    window->clearButton()->click();
    EXPECT_EQ(model->cellText(0, 1), "");
    EXPECT_EQ(model->cellText(1, 2), "");
    EXPECT_TRUE(transfer->isEnabled());
    // The cleared fields are not carried.
    dialogs.answers.push_back(Answer::No);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Перенести исправленные остатки на следующий год?");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The ledger of January 2025 starts from the transferred balances.
    closeLedger(ledger);
    state.LedgerMonthIndex = 0;
    chooseMainYear("2025");
    ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(text(ledger, 0, StartUnderpayment), "изменено,00");
    EXPECT_EQ(text(ledger, 1, StartOverpayment), "15,50");
}

TEST_F(LedgerWindow, TheLastWindowOfYearsHasNoCarryOver)
{
    // 2100 … 2107 is as far as the years go: December 2107 has no next January.
    writeRecords({ { "Иванов", { { fields::WindowField, "2100" } } } });
    frmRedLS* ledger = openLedger("2107", 11);
    ASSERT_NE(ledger, nullptr);
    auto* perenos = ledger->findChild<QPushButton*>("CmdPerenos");
    EXPECT_TRUE(perenos->isVisible());
    EXPECT_FALSE(perenos->isEnabled());
    ledger->CmdPerenos_Click();
    EXPECT_EQ(ledger->findChild<frmPerenos*>(), nullptr);
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

TEST_F(LedgerWindow, ToolButtonsShowTheirHintsAndTheSaveButtonWrites)
{
    writeRecords({ { "Иванов", {} } });
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    const QStringList hints
        = { "Сохранить", "Печать", "Калькулятор", "Экспорт", "Настройки", "Помощь", "Импорт выписки банка" };
    const QStringList names = { "Cmd6", "Command3", "Cmd3", "Command1", "Command2", "Cmd5", "CmdBank" };
    for (int i = 0; i < hints.size(); ++i) {
        QLabel* hint = ledger->findChild<QLabel*>(QStringLiteral("LbN_%1").arg(i));
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->text(), hints[i]);
        EXPECT_FALSE(hint->isVisible());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(ledger->findChild<QToolButton*>(names[i]), &enter);
        EXPECT_TRUE(hint->isVisible());
    }
    QMouseEvent move(QEvent::MouseMove, QPointF(ledger->width() - 5, ledger->height() - 5),
        QPointF(ledger->mapToGlobal(QPoint(ledger->width() - 5, ledger->height() - 5))), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(ledger, &move);
    for (int i = 0; i < hints.size(); ++i)
        EXPECT_FALSE(ledger->findChild<QLabel*>(QStringLiteral("LbN_%1").arg(i))->isVisible());

    ledger->findChild<QToolButton*>("Cmd3")->click();
    EXPECT_EQ(shell.calculatorStarts, 1);

    click(ledger->grid(), at(ledger, 0, OtherIncome));
    type(ledger->editor(), "40");
    EXPECT_NE(fileTable().field(1, March2024 + 8), "40,00");
    ledger->findChild<QToolButton*>("Cmd6")->click();
    EXPECT_EQ(fileTable().field(1, March2024 + 8), "40,00");
}

TEST_F(LedgerWindow, SumsStayUnderTheirColumnsWhenTheWindowIsResized)
{
    writeDemoDatabase(40);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    QTableView* grid = ledger->grid();
    const auto checkAligned = [&] {
        for (int j = 0; j < SumBoxes; ++j) {
            QLineEdit* box = ledger->sumBox(j);
            const int c = j + 1;
            if (!isShownColumn(c)) {
                EXPECT_FALSE(box->isVisible());
                continue;
            }
            const int columnLeft
                = grid->viewport()->mapTo(ledger, QPoint(grid->columnViewportPosition(c), 0)).x();
            EXPECT_EQ(box->mapTo(ledger, QPoint(0, 0)).x(), columnLeft) << "tS " << j;
            EXPECT_EQ(box->width(), grid->columnWidth(c)) << "tS " << j;
            EXPECT_GT(
                box->mapTo(ledger, QPoint(0, 0)).y(), grid->mapTo(ledger, QPoint(0, grid->height())).y() - 1);
        }
    };
    checkAligned();
    ledger->resize(1400, 800);
    QCoreApplication::processEvents();
    checkAligned();
    const int nameWidth = grid->columnWidth(NameColumn);
    ledger->resize(1600, 900);
    QCoreApplication::processEvents();
    checkAligned();
    EXPECT_EQ(grid->columnWidth(NameColumn), nameWidth + 200);
    // The sums row keeps its distance from the bottom, the grid takes the new height.
    EXPECT_GT(grid->height(), 100);
}

TEST_F(LedgerWindow, OpensWithinTheScreenWithItsSumsAndStatusBarInView)
{
    writeDemoDatabase(40);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    QCoreApplication::processEvents();
    const QRect screen = ledger->screen()->availableGeometry();
    // The case looked at: the screen has no room for every row the ledger would show.
    ASSERT_LT(screen.height(), 900);
    EXPECT_LE(ledger->frameGeometry().height(), screen.height());
    auto* bar = ledger->findChild<QWidget*>("StatusBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_LE(bar->mapTo(ledger, QPoint(0, bar->height())).y(), ledger->height());
    const int sumsBottom = ledger->sumBox(0)->mapTo(ledger, QPoint(0, ledger->sumBox(0)->height())).y();
    EXPECT_LE(sumsBottom, bar->mapTo(ledger, QPoint(0, 0)).y());
    // Rows to work in all the same.
    EXPECT_GE(ledger->grid()->viewport()->height(), 10 * ledger->grid()->rowHeight(0));
}

TEST_F(LedgerWindow, TheFirstOpeningInARunGoesBackToTheMonthAndYearOfTheLastClose)
{
    writeRecords({ { "Иванов", { { fields::ledgerBase(6, 5) + 6, "77" } } } });
    settings.setValue(settings::Main, "Cmb1", "2024");
    settings.setValue(settings::Main, "Cmb10", "2026");
    settings.setValue(settings::Main, "Li", "4");
    main = start();
    ASSERT_NE(main, nullptr);
    frmRedLS* ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->shownYear(), "2026");
    EXPECT_EQ(ledger->shownMonth(), "Май");
    EXPECT_EQ(state.LedgerMonthIndex, 4);
    EXPECT_EQ(state.LedgerBase, fields::ledgerBase(6, 5));
    EXPECT_EQ(text(ledger, 0, PaidIn), "77,00");
    EXPECT_TRUE(ledger->findChild<QToolButton*>("CmdLeft")->isEnabled());
    ledger->findChild<QToolButton*>("CmdRight")->click();
    closeLedger(ledger);
    EXPECT_EQ(setting("Cmb10"), "2026");
    EXPECT_EQ(setting("Li"), "5");

    // Later in the same run: the month last viewed, in the main window's year.
    ledger = openFromMain();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->shownYear(), "2024");
    EXPECT_EQ(ledger->shownMonth(), "Июнь");
    closeLedger(ledger);
}

TEST_F(LedgerWindow, AMissingOrBrokenRememberedMonthOpensJanuaryOfTheMainWindowsYear)
{
    writeRecords({ { "Иванов", {} } });
    settings.setValue(settings::Main, "Cmb1", "2025");
    main = start();
    ASSERT_NE(main, nullptr);
    // Which texts are sound is the ledger's own rule (tested with it); here the window's use of it.
    const char* remembered[][2] = { { nullptr, nullptr }, { "2031", "3" }, { "2026", "12" } };
    for (const auto& [year, month] : remembered) {
        settings.setValue(settings::Main, "Cmb10", year ? year : "");
        settings.setValue(settings::Main, "Li", month ? month : "");
        state.LedgerOpenedThisRun = false; // as at the start of a run
        frmRedLS* ledger = openFromMain();
        ASSERT_NE(ledger, nullptr);
        EXPECT_EQ(ledger->shownYear(), "2025") << (year ? year : "-") << " " << (month ? month : "-");
        EXPECT_EQ(ledger->shownMonth(), "Январь") << (year ? year : "-") << " " << (month ? month : "-");
        EXPECT_EQ(state.LedgerMonthIndex, 0);
        EXPECT_EQ(state.LedgerBase, fields::ledgerBase(5, 1));
        closeLedger(ledger);
    }
}

TEST_F(LedgerWindow, TheNamesStayInViewWhileTheAmountsScrollSideways)
{
    writeDemoDatabase(40);
    frmRedLS* ledger = openLedger("2024", 2);
    ASSERT_NE(ledger, nullptr);
    ledger->resize(700, 600);
    QCoreApplication::processEvents();
    QTableView* grid = ledger->grid();
    auto* names = grid->findChild<QTableView*>("gFrozen");
    ASSERT_NE(names, nullptr);
    QScrollBar* sideways = grid->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0) << "the ledger must be too narrow for its columns";
    sideways->setValue(sideways->maximum());
    grid->verticalScrollBar()->setValue(10);
    QCoreApplication::processEvents();

    // Over the grid's left edge, as wide as the name column, on the same rows.
    EXPECT_TRUE(names->isVisible());
    EXPECT_EQ(names->mapTo(grid, QPoint(0, 0)).x(), grid->frameWidth());
    EXPECT_EQ(names->width(), grid->columnWidth(NameColumn));
    EXPECT_EQ(names->columnWidth(NameColumn), grid->columnWidth(NameColumn));
    const QModelIndex topRow = names->indexAt(QPoint(5, 2));
    EXPECT_EQ(topRow.column(), NameColumn);
    EXPECT_EQ(topRow.row(), grid->indexAt(QPoint(grid->viewport()->width() - 5, 2)).row());
    EXPECT_EQ(topRow.row(), 10);
    for (int c = 1; c < Columns; ++c)
        EXPECT_TRUE(names->isColumnHidden(c)) << c;
    // The caption of the sums stays under the names, the sums under their columns.
    EXPECT_EQ(ledger->findChild<QLabel*>("LbSum")->mapTo(ledger, QPoint(0, 0)).x(),
        ledger->findChild<QWidget*>("sumsRow")->mapTo(ledger, QPoint(0, 0)).x());
    const int paidIn = grid->viewport()->mapTo(ledger, QPoint(grid->columnViewportPosition(PaidIn), 0)).x();
    EXPECT_EQ(ledger->sumBox(PaidIn - 1)->mapTo(ledger, QPoint(0, 0)).x(), paidIn);

    // A cell of the first amount column, reached from far right, comes out from under the names,
    // and the find's move to a name leaves the columns where they are.
    grid->scrollTo(at(ledger, 30, StartUnderpayment));
    EXPECT_GE(grid->visualRect(at(ledger, 30, StartUnderpayment)).left(), grid->columnWidth(NameColumn));
    sideways->setValue(sideways->maximum());
    const int column = sideways->value();
    grid->scrollTo(at(ledger, 2, NameColumn));
    EXPECT_EQ(sideways->value(), column);
    EXPECT_EQ(
        names->indexAt(QPoint(5, 2)).row(), grid->indexAt(QPoint(grid->viewport()->width() - 5, 2)).row());

    // A click on a name while an amount is being typed keeps the amount, as a click on any cell does.
    click(grid, at(ledger, 3, PaidIn));
    ASSERT_TRUE(ledger->editor()->isVisible());
    QTest::keyClicks(ledger->editor(), "321");
    const QModelIndex name = names->model()->index(names->indexAt(QPoint(5, 2)).row(), NameColumn);
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualRect(name).center());
    EXPECT_FALSE(ledger->editor()->isVisible());
    EXPECT_EQ(text(ledger, 3, PaidIn), "321,00");
    EXPECT_EQ(state.table.field(4, March2024 + 6), "321,00");
}

} // namespace
