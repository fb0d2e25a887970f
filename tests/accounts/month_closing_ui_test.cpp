// Closed months: closed from the menu, signed into the change journal, refused wherever a month's
// readings or amounts are changed, and opened again only with a reason.

#include "accounts/ledger_model.h"
#include "accounts/ledger_window.h"
#include "accounts/month_closing_window.h"
#include "app/main_window.h"
#include "database/change_log.h"
#include "database/closed_months.h"
#include "database/sha256.h"
#include "sheet/readings_model.h"
#include "sheet/readings_window.h"
#include "sheet/sheet.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

class MonthClosing : public AppFixture
{
protected:
    Form1* startOn2026()
    {
        writeDatabase({ { "1", "Иванов И. И.", "уч. 1" }, { "2", "Петров П. П.", "уч. 2" } });
        settings.setValue(settings::Main, "Cmb1", "2026");
        Form1* form = start();
        if (form) {
            form->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        }
        return form;
    }

    // The window opened from the menu, the month chosen, OK pressed.
    QString run(Form1* form, const char* action, int year, int month, const QString& reason = {})
    {
        form->findChild<QAction*>(action)->trigger();
        auto* window = form->findChild<frmCloseMonth*>();
        EXPECT_NE(window, nullptr);
        if (!window)
            return {};
        window->cmbYear->setCurrentIndex(window->cmbYear->findText(QString::number(year)));
        window->cmbMonth->setCurrentIndex(month - 1);
        if (window->txtReason)
            window->txtReason->setText(reason);
        const qsizetype shownBefore = dialogs.shown.size();
        window->findChild<QPushButton*>(QStringLiteral("CmdOk"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (QPointer<frmCloseMonth> still = form->findChild<frmCloseMonth*>(); still) {
            still->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return dialogs.shown.size() > shownBefore ? dialogs.shown.last().text : QString();
    }

    changelog::Verification journal() const
    {
        return changelog::verify(readBytes(folder.file("Tervolin2.log")), Sha256::of(databaseBytes()));
    }
};

TEST_F(MonthClosing, AClosedMonthRefusesATypedReadingUntilOpenedWithAReason)
{
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    SheetCell* march = form->sheet()->typed(3, fields::CurrentReading);
    march->setFocus();
    QTest::keyClicks(march, "12400");
    form->sheet()->typed(4, fields::CurrentReading)->setFocus();

    // A month that has not begun cannot be closed; nothing is written for it.
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(run(form, "Menu_Tools_Close", 2027, 1).contains(QStringLiteral("ещё не наступил")));
    EXPECT_FALSE(state.ClosedThrough);

    dialogs.answers.push_back(Answer::Yes);
    run(form, "Menu_Tools_Close", 2026, 3);
    ASSERT_TRUE(state.ClosedThrough);
    EXPECT_EQ(*state.ClosedThrough, (fields::YearMonth{ 2026, 3 }));
    changelog::Verification read = journal();
    ASSERT_EQ(read.status, changelog::Verification::Status::Sound);
    EXPECT_EQ(read.entries.back().kind, closing::CloseKind);
    EXPECT_EQ(read.entries.back().note, "по 03.2026 включительно");
    // What was typed before the closure went with it, as a change like any other.
    bool reading = false;
    for (const changelog::FieldChange& change : read.entries.back().changes)
        reading = reading || (change.meaning == "Текущее показание" && change.after == "12400");
    EXPECT_TRUE(reading);

    // Typing into March says why nothing changes; April still takes a reading.
    march->setFocus();
    const qsizetype before = dialogs.shown.size();
    QTest::keyClicks(march, "9");
    EXPECT_EQ(march->text(), QStringLiteral("12400"));
    ASSERT_GT(dialogs.shown.size(), before);
    EXPECT_TRUE(dialogs.shown.last().text.startsWith(QStringLiteral("Месяц «март 2026» закрыт")));
    EXPECT_NE(form->sheet()->rowColour(3), form->sheet()->rowColour(4));
    SheetCell* april = form->sheet()->typed(4, fields::CurrentReading);
    april->setFocus();
    QTest::keyClicks(april, "12500");
    EXPECT_EQ(april->text(), QStringLiteral("12500"));

    // Opening needs a reason; with one, March and every later closed month open again.
    EXPECT_TRUE(
        run(form, "Menu_Tools_Reopen", 2026, 3, QStringLiteral("  ")).contains(QStringLiteral("причину")));
    EXPECT_EQ(*state.ClosedThrough, (fields::YearMonth{ 2026, 3 }));
    run(form, "Menu_Tools_Reopen", 2026, 2, QStringLiteral("показание уч. 1 переписано неверно"));
    EXPECT_EQ(*state.ClosedThrough, (fields::YearMonth{ 2026, 1 }));
    read = journal();
    EXPECT_EQ(read.entries.back().kind, closing::ReopenKind);
    EXPECT_EQ(read.entries.back().note, "с 02.2026; причина: показание уч. 1 переписано неверно");
    march->setFocus();
    QTest::keyClick(march, Qt::Key_End);
    QTest::keyClicks(march, "1");
    EXPECT_EQ(march->text(), QStringLiteral("124001"));

    // The next start knows the closed months from the journal alone.
    program.reset();
    state.ClosedThrough.reset();
    program = std::make_unique<Program>(state);
    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(state.ClosedThrough);
    EXPECT_EQ(*state.ClosedThrough, (fields::YearMonth{ 2026, 1 }));
}

TEST_F(MonthClosing, TheLedgerAndTheReadingsWindowKeepAClosedMonth)
{
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    dialogs.answers.push_back(Answer::Yes);
    run(form, "Menu_Tools_Close", 2026, 5);
    ASSERT_TRUE(state.ClosedThrough);
    std::vector<std::string> may;
    for (int record = 1; record <= 2; ++record)
        for (int b = 0; b <= fields::MonthCharge + 12; ++b)
            may.emplace_back(state.table.field(record, sheet::cellField(2026, 5, b)));

    // The sheet's fill of month-end dates leaves the closed months as they are.
    form->findChild<QAction*>(QStringLiteral("Menu_Tools_Date"))->trigger();
    EXPECT_EQ(form->sheet()->typed(5, fields::Date)->text(), QString());
    EXPECT_EQ(form->sheet()->typed(6, fields::Date)->text(), QStringLiteral("30.06.26"));

    // The ledger on May: the editor opens read-only over a cell and says why.
    settings.setValue(settings::Main, "Cmb10", "2026");
    settings.setValue(settings::Main, "Li", "4");
    form->findChild<QAction*>(QStringLiteral("Mnu_LicSchet"))->trigger();
    frmRedLS* ledger = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<frmRedLS*>(window); found && found->isVisible())
            ledger = found;
    ASSERT_NE(ledger, nullptr);
    EXPECT_TRUE(ledger->model()->isClosed());
    QTableView* grid = ledger->grid();
    const QModelIndex paid = ledger->model()->index(0, ledger::PaidIn);
    grid->setCurrentIndex(paid);
    emit grid->clicked(paid);
    auto* editor = ledger->findChild<QLineEdit*>(QStringLiteral("txtg"));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isReadOnly());
    const qsizetype before = dialogs.shown.size();
    QTest::keyClicks(editor, "500");
    ASSERT_GT(dialogs.shown.size(), before);
    EXPECT_TRUE(dialogs.shown.last().text.contains(QStringLiteral("«май 2026» закрыт")));
    ledger->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The readings window on May takes no reading, no date fill and no import.
    form->findChild<QAction*>(QStringLiteral("Menu_Tools_Readings"))->trigger();
    frmReadings* readings = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<frmReadings*>(window); found && found->isVisible())
            readings = found;
    ASSERT_NE(readings, nullptr);
    readings->yearSelector()->setCurrentIndex(readings->yearSelector()->findText(QStringLiteral("2026")));
    emit readings->yearSelector()->activated(readings->yearSelector()->currentIndex());
    readings->monthSelector()->setCurrentIndex(4);
    emit readings->monthSelector()->activated(4);
    auto* model
        = qobject_cast<ReadingsModel*>(readings->findChild<QTableView*>(QStringLiteral("g"))->model());
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->isClosed());
    EXPECT_FALSE(model->flags(model->index(0, ReadingsModel::Current)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->store(0, "31.05.26", "777"));
    const qsizetype shown = dialogs.shown.size();
    readings->findChild<QPushButton*>(QStringLiteral("CmdDate"))->click();
    ASSERT_GT(dialogs.shown.size(), shown);
    EXPECT_TRUE(dialogs.shown.last().text.contains(QStringLiteral("«май 2026» закрыт")));
    // June is open.
    readings->monthSelector()->setCurrentIndex(5);
    emit readings->monthSelector()->activated(5);
    EXPECT_FALSE(model->isClosed());
    readings->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Nothing of May changed: neither its readings nor its ledger amounts.
    std::size_t i = 0;
    for (int record = 1; record <= 2; ++record)
        for (int b = 0; b <= fields::MonthCharge + 12; ++b)
            EXPECT_EQ(state.table.field(record, sheet::cellField(2026, 5, b)), may[i++])
                << record << " " << b;
}

} // namespace
