// The import of a bank statement from the ledger: the window's rows and marks, what "Занести"
// writes, and that nothing changes otherwise.

#include "accounts/bank_window_fixture.h"
#include "database/sha256.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace ledgertest;
using namespace statementtest;
using namespace banktest;

TEST_F(BankImport, EntersTheCheckedPaymentsIntoTheLedgerTheFileAndTheJournal)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dialogs.fileRequests.last().filter, "Выписка банка (*.txt)|*.txt|Все файлы(*.*)|*.*");
    EXPECT_EQ(window->windowTitle(), "Импорт выписки банка");
    // The statement's own header above the payments.
    EXPECT_EQ(label(window, "lblFile"),
        "Файл: statement.txt    период: 01.02.2026 – 05.02.2026    счет товарищества: 40703810900000001234");
    // The ledger takes no input meanwhile.
    EXPECT_EQ(QApplication::activeModalWidget(), window);

    BankModel* model = window->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->cellText(0, BankModel::Date), "20.01.2026");
    EXPECT_EQ(model->cellText(0, BankModel::Sum), "1500,00");
    EXPECT_EQ(model->cellText(0, BankModel::Subscriber), "1. Иванов И. И.");
    EXPECT_EQ(model->cellText(0, BankModel::Month), "Январь 2026");
    EXPECT_EQ(model->cellText(0, BankModel::Note), "по л/с № 1");
    EXPECT_EQ(model->cellText(1, BankModel::Subscriber), "2. Петрова А. С.");
    EXPECT_EQ(model->cellText(2, BankModel::Subscriber), "— не заносить —");
    EXPECT_EQ(model->cellText(2, BankModel::Note), "абонент не найден");
    EXPECT_EQ(model->checkedRows(), (std::vector<int>{ 0, 1 }));
    EXPECT_EQ(label(window, "lblAll"), "Всего платежей: 3 на 2500,50 р.");
    EXPECT_EQ(label(window, "lblMatched"), "Сопоставлено: 2 на 2200,50 р.");
    EXPECT_EQ(label(window, "lblUnmatched"), "Не сопоставлено: 1 на 300,00 р.");
    EXPECT_EQ(label(window, "lblImported"), "Занесено ранее: 0 на 0,00 р.");
    EXPECT_EQ(label(window, "lblSkipped"), "Пропущено документов: 1");
    EXPECT_EQ(label(window, "lblChecked"), "Отмечено к занесению: 2 на 2200,50 р.");

    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ledger->findChild<frmBank*>(), nullptr);
    EXPECT_EQ(dialogs.shown.last().text,
        "Занесено платежей: 2 на сумму 2200,50 р.\nПересчитаны остатки: Январь 2026 – Февраль 2026");
    EXPECT_EQ(ledger->findChild<QStatusBar*>("StatusBar")->currentMessage(), "Импорт выписки: 2 платежа");

    // Due 1200,00, paid 300,00 + 1500,00: 600,00 over, which February starts from.
    const RecordTable file = fileTable();
    EXPECT_EQ(file.field(1, January2026 + 6), "1800,00");
    EXPECT_EQ(file.field(1, January2026 + 9), "");
    EXPECT_EQ(file.field(1, January2026 + 10), "600,00");
    EXPECT_EQ(file.field(1, February2026), "");
    EXPECT_EQ(file.field(1, February2026 + 1), "600,00");
    EXPECT_EQ(file.field(2, January2026 + 6), "700,50");
    EXPECT_EQ(file.field(2, February2026 + 1), "700,50");
    EXPECT_EQ(file.field(3, January2026 + 6), "");
    // The ledger shows January: it is filled anew.
    EXPECT_EQ(text(ledger, 0, PaidIn), "1800,00");
    EXPECT_EQ(text(ledger, 0, EndOverpayment), "600,00");
    EXPECT_EQ(ledger->sumText(PaidIn - 1), "2500,50");

    EXPECT_EQ(readBytes(journalPath()),
        encoded("101|20.01.2026|1500,00|40817810000000000101|1|2026|1|06.12.2026|Иванов И. И.|\r\n"
                "102|21.01.2026|700,50|40817810000000000102|2|2026|1|06.12.2026|Петрова А. С.|\r\n",
            "CP1251"));
}

TEST_F(BankImport, TheSameOrAnOverlappingStatementAddsNothingTwice)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    const std::string first = writeStatement(januaryPayments(), "first.txt");
    frmBank* window = importFile(ledger, first);
    ASSERT_NE(window, nullptr);
    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::string afterFirst = databaseBytes();

    // The same file again: every payment is marked, none may be checked.
    window = importFile(ledger, first);
    ASSERT_NE(window, nullptr);
    BankModel* model = window->model();
    EXPECT_TRUE(model->checkedRows().empty());
    EXPECT_EQ(model->cellText(0, BankModel::Note), "занесен 06.12.2026: Иванов И. И., Январь 2026");
    EXPECT_EQ(label(window, "lblImported"), "Занесено ранее: 2 на 2200,50 р.");
    EXPECT_FALSE(window->enterButton()->isEnabled());
    model->setChecked(0, true);
    EXPECT_FALSE(model->isChecked(0));
    EXPECT_FALSE(model->flags(model->index(0, BankModel::Subscriber)) & Qt::ItemIsEditable);
    window->enterButton()->click();
    closeWindow(window);
    EXPECT_EQ(databaseBytes(), afterFirst);

    // Another statement of the bank for days that overlap: Петрова's payment, written "700.50"
    // this time, is the same payment; only Семёнов's is new.
    window = importFile(ledger,
        writeStatement({ payment("102", "700.50", "Петрова Анна Сергеевна", "за электроэнергию", "21.01.2026",
                             "40817810000000000102"),
                           payment("104", "250", "Семенов Леонид Дмитриевич", "эл. энергия", "23.01.2026") },
            "second.txt"));
    ASSERT_NE(window, nullptr);
    model = window->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_TRUE(model->payment(0).alreadyImported);
    EXPECT_EQ(model->checkedRows(), std::vector<int>{ 1 });
    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const RecordTable file = fileTable();
    EXPECT_EQ(file.field(2, January2026 + 6), "700,50");
    EXPECT_EQ(file.field(3, January2026 + 6), "250,00");
    const std::string journal = readBytes(journalPath());
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 3);
}

TEST_F(BankImport, TheMarksFollowTheChoicesAndCancelChangesNothing)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    const std::string before = databaseBytes();
    const std::string tableBefore(state.table.field(1, January2026 + 6));
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    BankModel* model = window->model();
    // The unmatched row may not be checked until it has a subscriber.
    EXPECT_FALSE(model->flags(model->index(2, BankModel::Mark)) & Qt::ItemIsUserCheckable);
    choose(window, 2, BankModel::Subscriber, 3);
    EXPECT_EQ(model->record(2), 3);
    EXPECT_TRUE(model->isChecked(2));
    EXPECT_EQ(label(window, "lblChecked"), "Отмечено к занесению: 3 на 2500,50 р.");
    choose(window, 2, BankModel::Month, model->monthChoice({ 2026, 2 }));
    EXPECT_EQ(model->cellText(2, BankModel::Month), "Февраль 2026");
    // "— не заносить —" takes the row out.
    choose(window, 0, BankModel::Subscriber, 0);
    EXPECT_FALSE(model->isChecked(0));
    EXPECT_FALSE(model->flags(model->index(0, BankModel::Mark)) & Qt::ItemIsUserCheckable);
    // A matched row unchecked by hand.
    EXPECT_TRUE(model->setData(model->index(1, BankModel::Mark), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model->checkedRows(), std::vector<int>{ 2 });
    EXPECT_EQ(label(window, "lblChecked"), "Отмечено к занесению: 1 на 300,00 р.");

    window->cancelButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ledger->findChild<frmBank*>(), nullptr);
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(state.table.field(1, January2026 + 6), tableBefore);
    EXPECT_FALSE(std::filesystem::exists(journalPath()));
    EXPECT_EQ(text(ledger, 0, PaidIn), "300,00");
}

TEST_F(BankImport, AFileThatIsNoStatementIsToldAndChangesNothing)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    const std::string before = databaseBytes();
    // The table as the ledger leaves it stored, in the file's form.
    ledger->SAVE1();
    const auto tableBytes = [this] {
        RecordTable copy = state.table;
        const std::string path = folder.file("table.spb");
        database::writeCopy(path, copy, ".tmp");
        return readBytes(path);
    };
    const std::string tableBefore = tableBytes();
    const std::string path = folder.file("bad.txt");
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* text;
    };
    const std::vector<Case> cases = {
        { "empty", "", "Файл не является выпиской банка в формате 1С: файл пуст" },
        { "binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
            "Файл не является выпиской банка в формате 1С: файл не текстовый" },
        { "a database", readBytes(databasePath()),
            "Файл не является выпиской банка в формате 1С: первая строка не «1CClientBankExchange»" },
        { "without its end", "1CClientBankExchange\r\nРасчСчет=" + OurAccount + "\r\n",
            "Файл не является выпиской банка в формате 1С: нет строки «КонецФайла»: файл неполный" },
        { "without an account", "1CClientBankExchange\r\nКодировка=Windows\r\nКонецФайла\r\n",
            "Файл не является выпиской банка в формате 1С: нет расчетного счета (РасчСчет)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, c.bytes);
        EXPECT_EQ(importFile(ledger, path), nullptr);
        ASSERT_FALSE(dialogs.shown.isEmpty());
        EXPECT_EQ(dialogs.shown.last().text, c.text);
        EXPECT_EQ(dialogs.shown.last().title, "Импорт выписки банка");
    }
    writeBytes(path, "1CClientBankExchange\r\n");
    ASSERT_EQ(::truncate(path.c_str(), off_t(bank::MaxStatementBytes) + 1), 0);
    EXPECT_EQ(importFile(ledger, path), nullptr);
    EXPECT_EQ(dialogs.shown.last().text, "Файл не является выпиской банка в формате 1С: файл больше 128 МБ");

    // Cancelling the file dialog asks nothing.
    const qsizetype shown = dialogs.shown.size();
    ledger->findChild<QToolButton*>("CmdBank")->click();
    EXPECT_EQ(dialogs.shown.size(), shown);

    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(tableBytes(), tableBefore);
    EXPECT_FALSE(std::filesystem::exists(journalPath()));
}

TEST_F(BankImport, TheDialogOpensInTheFolderOfTheLastStatement)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QToolButton*>("CmdBank")->click();
    std::filesystem::create_directory(folder.path() / "выписки");
    const std::string path = writeStatement(januaryPayments(), "выписки/январь.txt");
    frmBank* window = importFile(ledger, path);
    ASSERT_NE(window, nullptr);
    closeWindow(window);
    ledger->findChild<QToolButton*>("CmdBank")->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_EQ(dialogs.fileRequests[0].folder, "") << "a cancel before keeps nothing";
    EXPECT_EQ(dialogs.fileRequests[1].folder, "");
    EXPECT_EQ(dialogs.fileRequests[2].folder, QString::fromStdString(folder.file("выписки")));
    EXPECT_EQ(state.services.settings.value(settings::Main, "LastStatementDir"),
        QString::fromStdString(folder.file("выписки")));
}

TEST_F(BankImport, ThePayeeDetailsAccountIsTheAssociationsOwn)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    settings.setValue("Rekv", "PersonalAcc", "40703810000000007777");
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(dialogs.shown.last().text,
        "В выписке нет поступлений на счет 40703810000000007777 (других документов: 4).");

    settings.setValue("Rekv", "PersonalAcc", QString::fromStdString(" " + OurAccount + " "));
    Lines header = statementtest::header();
    header.back().second = "40703810000000007777"; // the statement's own РасчСчет differs
    const std::string path = folder.file("own.txt");
    writeBytes(path, encoded(statementText(header, januaryPayments()), "CP1251"));
    window = importFile(ledger, path);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->model()->rowCount(), 3);
}

TEST_F(BankImport, AJournalThatCannotBeWrittenLeavesTheFileAndTheJournalAsTheyWere)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    writeBytes(journalPath(), "");
    // A folder where the journal's new state would be written: it cannot be.
    std::filesystem::create_directory(journalPath() + ".commit");
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    // The file as the table stands before the payments.
    ASSERT_TRUE(state.WriteDatabase());
    const std::string before = databaseBytes();
    window->enterButton()->click();
    EXPECT_EQ(dialogs.shown.last().text,
        "Платежи не занесены: файл базы и журнал загруженных платежей остались прежними.");
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(readBytes(journalPath()), "");
    EXPECT_EQ(state.table.field(1, January2026 + 6), "300,00");
    EXPECT_EQ(text(ledger, 0, PaidIn), "300,00");
    // Nothing was written: no line says it was saved.
    EXPECT_EQ(ledger->findChild<QStatusBar*>("StatusBar")->currentMessage(), "");
    // The window stays, for another try or Отмена.
    EXPECT_TRUE(window->isVisible());
    closeWindow(window);
}

TEST_F(BankImport, AJournalThatCannotTakeItsPlaceYetIsFinishedBeforeTheNextImport)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    // The new journal waits beside the old one: the database is in place, the journal is not.
    const std::string statement = writeStatement(januaryPayments());
    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(std::filesystem::exists(filePath(journalPath())));
    const std::string journal = readBytes(journalPath());
    writeBytes(journalPath() + ".commit", journal);
    writeBytes(journalPath(), "");
    writeBytes(folder.file("Tervolin2.spb.commit"),
        "tervolin-commit 1\r\ndatabase\t" + Sha256::of(databaseBytes())
            + "\r\nold\tnone\r\nwrite\tTervolin2.bank\r\n");
    dialogs.shown.clear();

    // The next import first puts the journal in place: the same statement adds nothing.
    frmBank* again = importFile(ledger, statement);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(readBytes(journalPath()), journal);
    EXPECT_FALSE(std::filesystem::exists(filePath(journalPath() + ".commit")));
    EXPECT_TRUE(again->model()->checkedRows().empty());
    EXPECT_TRUE(again->model()->payment(0).alreadyImported);
    closeWindow(again);
}

TEST_F(BankImport, ADamagedJournalStopsTheImport)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    writeBytes(journalPath(), "что-то чужое\r\n");
    EXPECT_EQ(importFile(ledger, writeStatement(januaryPayments())), nullptr);
    EXPECT_EQ(dialogs.shown.last().text,
        QStringLiteral(
            "Журнал загруженных платежей %1 испорчен в строке 1. Восстановите его из резервной копии, "
            "прежде чем загружать выписку.")
            .arg(QString::fromStdString(journalPath())));
    EXPECT_EQ(readBytes(journalPath()), "что-то чужое\r\n");
}

} // namespace
