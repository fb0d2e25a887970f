// The ledger opens over the main window and gives it back with the month stored and written; its
// find, its tool buttons, and the month and year it opens on.

#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

} // namespace
