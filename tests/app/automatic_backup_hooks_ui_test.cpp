// Before the operations that change many records the database as it stood goes to an automatic
// backup, side files and all.

#include "accounts/bank_window_fixture.h"
#include "accounts/carry_over_window.h"
#include "database/database_file.h"
#include "directory/directory_workbook.h"
#include "platform/workbook_writer.h"

#include <QPushButton>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

const char* const Backup = "Резервные копии/Tervolin2 2026-12-06 21-05-00.spb";

// The automatic backup the operation made: the table it holds and what it was made before.
struct Made
{
    RecordTable table;
    std::string why;
};

Made madeIn(const TempFolder& folder)
{
    Made made;
    EXPECT_EQ(database::load(folder.file(Backup), made.table).status, database::LoadResult::Status::Loaded);
    made.why = readBytes(folder.file(std::string(Backup) + ".why"));
    return made;
}

using DirectoryImportBackup = AppFixture;

TEST_F(DirectoryImportBackup, HoldsTheDirectoryItReplaces)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    ASSERT_EQ(database::load(databasePath(), state.table).status, database::LoadResult::Status::Loaded);
    WorkbookWriter writer;
    writer.setTexts("A1", { { "№", "Фамилия И. О." }, { "1", "Сидоров С. С." } });
    const std::string workbook = folder.file("in.xlsx");
    ASSERT_TRUE(writer.saveAs(workbook));
    dialogs.answers.push_back(Answer::Yes);
    dialogs.fileNames.push_back(QString::fromStdString(workbook));

    ASSERT_TRUE(importDirectoryWorkbook(state));
    EXPECT_EQ(state.table.field(1, fields::FullName), "Сидоров С. С.");
    const Made made = madeIn(folder);
    EXPECT_EQ(made.table.recordCount(), 2);
    EXPECT_EQ(made.table.field(1, fields::FullName), "Иванов И. И.");
    EXPECT_EQ(made.why, "перед импортом справочника\n");
}

using BankImportBackup = banktest::BankImport;

TEST_F(BankImportBackup, HoldsTheDatabaseAndJournalWithoutThePayments)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    const std::string journal = folder.file("Tervolin2.bank");
    writeBytes(journal, "");
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    const std::string journalBefore = readBytes(journal);
    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(fileTable().field(1, banktest::January2026 + 6), "1800,00");
    const Made made = madeIn(folder);
    EXPECT_EQ(made.table.field(1, banktest::January2026 + 6), "300,00");
    EXPECT_EQ(readBytes(folder.file(std::string(Backup) + ".bank")), journalBefore);
    EXPECT_NE(readBytes(journal), journalBefore);
    EXPECT_EQ(made.why, "перед занесением платежей из выписки\n");
}

class CarryOverBackup : public ledgertest::LedgerWindow
{
protected:
    frmPerenos* openCarryOver(const char* year, int december, const char* balance)
    {
        writeRecords({ { "Иванов", { { december, balance } } }, { "Петров", {} } });
        ledger = openLedger(year, 11);
        if (!ledger)
            return nullptr;
        ledger->findChild<QPushButton*>("CmdPerenos")->click();
        return ledger->findChild<frmPerenos*>();
    }
    frmRedLS* ledger = nullptr;
};

TEST_F(CarryOverBackup, HoldsJanuaryAsItWasBeforeTheCarry)
{
    frmPerenos* window = openCarryOver("2024", ledgertest::December2024, "100");
    ASSERT_NE(window, nullptr);
    window->transferButton()->click();
    EXPECT_EQ(state.table.field(1, ledgertest::January2025), "100,00");
    const Made made = madeIn(folder);
    EXPECT_EQ(made.table.field(1, ledgertest::January2025), "");
    EXPECT_EQ(made.why, "перед переносом остатков на январь\n");
}

TEST_F(CarryOverBackup, HoldsTheOldestYearBeforeTheNextOneIsOpened)
{
    const int december2027 = fields::ledgerBaseOfMonth(2027, 12);
    frmPerenos* window = openCarryOver("2027", december2027, "100");
    ASSERT_NE(window, nullptr);
    // No: nothing changes, and nothing is backed up either.
    dialogs.answers.push_back(Answer::No);
    window->transferButton()->click();
    EXPECT_FALSE(fs::exists(fs::path(folder.file(Backup))));

    dialogs.answers.push_back(Answer::Yes);
    window->transferButton()->click();
    EXPECT_EQ(state.table.years().first(), 2021);
    const Made made = madeIn(folder);
    EXPECT_EQ(made.table.years().first(), 2020);
    EXPECT_EQ(made.why, "перед открытием нового года\n");
}

} // namespace
