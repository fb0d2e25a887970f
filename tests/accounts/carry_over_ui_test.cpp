// The carry-over window keeps the corrections typed into it until they are carried or the user
// chooses to drop them.

#include "accounts/carry_over_window.h"
#include "accounts/cell_editor.h"
#include "accounts/ledger_fixture.h"
#include "documents/payee_file.h"
#include "documents/payee_settings.h"

#include <QLabel>
#include <QPushButton>
#include <filesystem>

namespace {

using namespace ledgertest;

class CarryOver : public LedgerWindow
{
protected:
    // December 2024 of three subscribers, with its carry-over window open.
    frmPerenos* openCarryOver()
    {
        if (!ledger) {
            writeRecords({ { "Иванов", { { December2024, "100" } } },
                { "Петров", { { December2024 + 6, "30" } } }, { "Сидоров", {} } });
            ledger = openLedger("2024", 11);
            if (!ledger)
                return nullptr;
        }
        ledger->findChild<QPushButton*>("CmdPerenos")->click();
        return ledger->findChild<frmPerenos*>();
    }

    void closeWindow(frmPerenos* window)
    {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void correct(frmPerenos* window, int row, int column, const char* amount)
    {
        click(window->grid(), window->model()->index(row, column));
        ASSERT_TRUE(window->editor()->isVisible());
        window->editor()->clear();
        type(window->editor(), amount);
    }

    frmRedLS* ledger = nullptr;
};

TEST_F(CarryOver, EscapeOnlyEverClosesTheEditBox)
{
    frmPerenos* window = openCarryOver();
    ASSERT_NE(window, nullptr);
    correct(window, 1, 2, "15.5");
    CellEditor* txtg1 = window->editor();
    ASSERT_TRUE(txtg1->isVisible()); // on to the next row
    QTest::keyClick(txtg1, Qt::Key_Escape);
    EXPECT_FALSE(txtg1->isVisible());

    // With no edit box open, Escape does nothing, wherever it is pressed.
    QTest::keyClick(window->grid(), Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(ledger->findChild<frmPerenos*>(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->model()->cellText(1, 2), "15,5");
    EXPECT_EQ(window->model()->cellText(0, 1), "100,00");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(CarryOver, ClosingWithCorrectionsNotCarriedAsksWhatToDo)
{
    // Cancel first: the January field stays empty until the answer Yes carries into it.
    for (Answer answer : { Answer::Cancel, Answer::No, Answer::Yes }) {
        SCOPED_TRACE(int(answer));
        dialogs.shown.clear();
        QPointer<frmPerenos> window = openCarryOver();
        ASSERT_NE(window, nullptr);
        correct(window, 2, 1, "55");
        dialogs.answers.push_back(answer);
        closeWindow(window);

        ASSERT_EQ(dialogs.shown.size(), 1);
        const Message& asked = dialogs.shown[0];
        EXPECT_EQ(asked.text, "Перенести исправленные остатки на следующий год?");
        EXPECT_EQ(asked.title, "Перенос данных на следующий год");
        EXPECT_EQ(asked.icon, MessageIcon::Question);
        EXPECT_EQ(asked.buttons, MessageButtons::YesNoCancel);
        EXPECT_EQ(asked.defaultAnswer, Answer::Cancel);
        if (answer == Answer::Cancel) {
            ASSERT_FALSE(window.isNull());
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->model()->cellText(2, 1), "55");
            EXPECT_EQ(state.table.field(3, January2025), "");
            dialogs.answers.push_back(Answer::No);
            closeWindow(window);
        }
        EXPECT_TRUE(window.isNull());
        EXPECT_EQ(state.table.field(3, January2025), answer == Answer::Yes ? "55" : "");
        EXPECT_EQ(state.table.field(1, January2025), answer == Answer::Yes ? "100,00" : "");
    }
}

TEST_F(CarryOver, NothingToAskWithoutCorrectionsOrOnceTheyAreCarried)
{
    QPointer<frmPerenos> window = openCarryOver();
    ASSERT_NE(window, nullptr);
    closeWindow(window);
    EXPECT_TRUE(window.isNull());

    window = openCarryOver();
    ASSERT_NE(window, nullptr);
    correct(window, 0, 1, "90");
    window->transferButton()->click();
    closeWindow(window);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(state.table.field(1, January2025), "90");

    // Fields emptied are a correction too.
    window = openCarryOver();
    ASSERT_NE(window, nullptr);
    window->clearButton()->click();
    closeWindow(window);
    EXPECT_EQ(dialogs.shown.size(), 1);
    ASSERT_FALSE(window.isNull());
    dialogs.answers.push_back(Answer::No);
    closeWindow(window);
}

TEST_F(CarryOver, ACorrectionTypedAndLeftIsKept)
{
    frmPerenos* window = openCarryOver();
    ASSERT_NE(window, nullptr);
    CarryOverModel* model = window->model();
    CellEditor* txtg1 = window->editor();

    // A click on another cell keeps the text, as typed, and the box opens there.
    click(window->grid(), model->index(0, 1));
    QTest::keyClicks(txtg1, "12.5");
    click(window->grid(), model->index(1, 2));
    EXPECT_EQ(model->cellText(0, 1), "12,5");
    ASSERT_TRUE(txtg1->isVisible());
    EXPECT_EQ(txtg1->cell(), model->index(1, 2));

    // "Перенести" carries what is being typed with the rest.
    QTest::keyClicks(txtg1, "8");
    window->transferButton()->click();
    EXPECT_FALSE(txtg1->isVisible());
    EXPECT_EQ(state.table.field(1, January2025), "12,5");
    EXPECT_EQ(state.table.field(2, January2025 + 1), "8");

    // So does the close, once the user says so.
    click(window->grid(), model->index(2, 1));
    QTest::keyClicks(txtg1, "99");
    dialogs.answers.push_back(Answer::Yes);
    closeWindow(window);
    EXPECT_EQ(ledger->findChild<frmPerenos*>(), nullptr);
    EXPECT_EQ(state.table.field(3, January2025), "99");
    EXPECT_EQ(dialogs.shown.size(), 1);
}

} // namespace

namespace {

using namespace ledgertest;

const int December2027 = fields::ledgerBaseOfMonth(2027, 12);
const int January2028 = fields::ledgerBaseOfMonth(2028, 1);

class NextYear : public LedgerWindow
{
protected:
    frmPerenos* openFromDecember2027()
    {
        writeRecords({ { "Иванов", { { December2027, "100" }, { fields::baseOfMonth(2020, 3) + 1, "777" } } },
            { "Петров", { { December2027 + 6, "30" } } } });
        ledger = openLedger("2027", 11);
        if (!ledger)
            return nullptr;
        ledger->findChild<QPushButton*>("CmdPerenos")->click();
        return ledger->findChild<frmPerenos*>();
    }

    std::string archivePath() const { return folder.file("Tervolin2 архив 2020-2027.spb"); }

    frmRedLS* ledger = nullptr;
};

TEST_F(NextYear, DecemberOfTheLastYearOpensTheNextOneAfterAskingAndKeepsTheOldestInAnArchive)
{
    frmPerenos* window = openFromDecember2027();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->yearLabel()->text(), "2028");

    // No: nothing changes and nothing is written.
    const std::string before = databaseBytes();
    dialogs.answers.push_back(Answer::No);
    window->transferButton()->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    const Message asked = dialogs.shown[0];
    EXPECT_EQ(asked.text,
        "Перенести остатки на январь 2028 года? База хранит восемь лет: 2020 год будет убран из базы. Перед "
        "этим база будет сохранена целиком в архив «Tervolin2 архив 2020-2027.spb» рядом с базой.");
    EXPECT_EQ(asked.title, "Перенос данных на следующий год");
    EXPECT_EQ(asked.icon, MessageIcon::Question);
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(asked.defaultAnswer, Answer::No);
    EXPECT_EQ(state.table.years().first(), 2020);
    EXPECT_FALSE(std::filesystem::exists(filePath(archivePath())));

    // Yes: the file as it stood goes to the archive, 2020 leaves, January 2028 gets December's
    // balances, and the database is written at once.
    dialogs.answers.push_back(Answer::Yes);
    window->transferButton()->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    RecordTable archived;
    ASSERT_EQ(database::load(archivePath(), archived).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(archived.field(1, fields::baseOfMonth(2020, 3) + 1), "777");
    EXPECT_EQ(archived.field(1, December2027), "100,00");
    EXPECT_NE(readBytes(archivePath()), before); // the ledger's December was stored first

    RecordTable written;
    ASSERT_EQ(database::load(databasePath(), written).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(written.years().first(), 2021);
    EXPECT_EQ(written.field(1, January2028), "100,00");
    EXPECT_EQ(written.field(2, January2028 + 1), "30,00");
    EXPECT_EQ(written.field(1, fields::baseOfMonth(2020, 3) + 1), "");
    EXPECT_EQ(state.notices.last(),
        QStringLiteral("Архив: %1; 2028 год открыт").arg(QString::fromStdString(archivePath())));
    EXPECT_FALSE(window->transferButton()->isEnabled());

    // The ledger's selector lists the years held now, and it is still on December 2027.
    QComboBox* years = ledger->findChild<QComboBox*>("Cmb1_0");
    EXPECT_EQ(years->itemText(0), "2021");
    EXPECT_EQ(years->itemText(7), "2028");
    EXPECT_EQ(years->currentText(), "2027");

    // Back on the main window, so does the sheet's.
    window->close();
    closeLedger(ledger);
    ASSERT_TRUE(main->isVisible());
    EXPECT_EQ(main->yearSelector()->itemText(0), "2021");
    EXPECT_EQ(main->yearSelector()->count(), 8);
    EXPECT_EQ(main->yearSelector()->currentText(), "2027");
}

TEST_F(NextYear, TheArchiveKeepsThePayeeDetailsBesideIt)
{
    documents::PayeeDetails payee;
    payee.name = "СНТ «Рассвет»";
    documents::storePayee(settings, payee);
    frmPerenos* window = openFromDecember2027();
    ASSERT_NE(window, nullptr);
    dialogs.answers.push_back(Answer::Yes);
    window->transferButton()->click();
    ASSERT_EQ(state.table.years().first(), 2021);
    const std::optional<documents::PayeeDetails> kept
        = documents::parsePayeeFile(readBytes(archivePath() + ".rekv"));
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->name, "СНТ «Рассвет»");
}

TEST_F(NextYear, AnArchiveThatCannotBeWrittenLeavesTheYearsAsTheyWere)
{
    frmPerenos* window = openFromDecember2027();
    ASSERT_NE(window, nullptr);
    std::filesystem::create_directory(filePath(archivePath() + ".tmp"));
    dialogs.answers.push_back(Answer::Yes);
    window->transferButton()->click();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[1].text.startsWith(
        "Архив «Tervolin2 архив 2020-2027.spb» не записан, 2028 год не открыт: база осталась прежней."))
        << dialogs.shown[1].text.toStdString();
    EXPECT_EQ(dialogs.shown[1].icon, MessageIcon::Critical);
    EXPECT_EQ(state.table.years().first(), 2020);
    RecordTable written;
    ASSERT_EQ(database::load(databasePath(), written).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(written.years().first(), 2020);
    EXPECT_EQ(written.field(1, fields::baseOfMonth(2020, 3) + 1), "777");
}

} // namespace
