// The bank import's window where a payment asks more of the treasurer than a mark: a payment
// divided between plots, a sum too large to be a bill, a journal that lost payments, a statement
// of megabyte lines, and a screen 1024 pixels wide; and where the treasurer is after "Занести".

#include "accounts/bank_split_window.h"
#include "accounts/bank_window_fixture.h"
#include "session/status_notices.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <filesystem>

namespace {

using namespace banktest;

const QString JournalWarning = "Журнал загруженных платежей пропал или укорочен: платежи месяцев, где оплата "
                               "уже есть, не отмечены.";

TEST_F(BankImport, APaymentForSeveralPlotsIsDividedToTheKopeckAndJournaledPartByPart)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    const std::string statement = writeStatement({ payment("201", "1000.00", "ООО Ромашка",
        "эл/эн участки 2, 3 за январь 2026", "20.01.2026", "40702810000000000201") });
    frmBank* window = importFile(ledger, statement);
    ASSERT_NE(window, nullptr);
    BankModel* model = window->model();
    EXPECT_FALSE(model->isChecked(0));
    EXPECT_EQ(model->cellText(0, BankModel::Note), "в назначении несколько лицевых счетов: 2, 3");

    window->grid()->setCurrentIndex(model->index(0, BankModel::Date));
    ASSERT_TRUE(window->splitButton()->isEnabled());
    window->splitButton()->click();
    auto* split = window->findChild<frmSplit*>();
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->windowTitle(), "Разделение платежа");
    // The plots named, the sum in halves.
    ASSERT_EQ(split->partCount(), 2);
    EXPECT_EQ(split->subscriber(0)->currentText(), "2. Петрова А. С.");
    EXPECT_EQ(split->sum(0)->text(), "500,00");
    EXPECT_EQ(split->subscriber(1)->currentText(), "3. Семёнов Л. Д.");
    EXPECT_EQ(split->sum(1)->text(), "500,00");

    // A kopeck short: told, and nothing divided.
    split->sum(1)->setText("499,99");
    EXPECT_EQ(split->findChild<QLabel*>("lblRest")->text(),
        "Распределено 999,99 р. из 1000,00 р., остается 0,01 р.");
    split->okButton()->click();
    EXPECT_EQ(dialogs.shown.last().text,
        "Части в сумме 999,99 р., а платеж на 1000,00 р.: не хватает 0,01 р. "
        "Платеж не разделен.");
    EXPECT_EQ(dialogs.shown.last().title, "Разделение платежа");
    EXPECT_TRUE(split->isVisible());
    EXPECT_TRUE(model->parts(0).empty());
    EXPECT_FALSE(model->isChecked(0));

    split->sum(1)->setText("500.00");
    split->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChild<frmSplit*>(), nullptr);
    EXPECT_TRUE(model->isChecked(0));
    EXPECT_EQ(model->cellText(0, BankModel::Subscriber),
        "Разделен: 2. Петрова А. С. — 500,00; 3. Семёнов Л. Д. — 500,00");
    EXPECT_EQ(label(window, "lblChecked"), "Отмечено к занесению: 1 на 1000,00 р.");

    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialogs.shown.last().text,
        "Занесено платежей: 1 на сумму 1000,00 р.\nПересчитаны остатки: Январь 2026 – Февраль 2026");
    const RecordTable file = fileTable();
    EXPECT_EQ(file.field(2, January2026 + 6), "500,00");
    EXPECT_EQ(file.field(3, January2026 + 6), "500,00");
    EXPECT_EQ(file.field(3, February2026 + 1), "500,00");
    // One payment, two postings of its key.
    EXPECT_EQ(readBytes(journalPath()),
        encoded("201|20.01.2026|1000,00|40702810000000000201|2|2026|1|06.12.2026|Петрова А. С.|\r\n"
                "201|20.01.2026|1000,00|40702810000000000201|3|2026|1|06.12.2026|Семёнов Л. Д.|\r\n",
            "CP1251"));

    // The same statement again: the payment is done, whole.
    window = importFile(ledger, statement);
    ASSERT_NE(window, nullptr);
    model = window->model();
    EXPECT_TRUE(model->payment(0).alreadyImported);
    EXPECT_EQ(
        model->cellText(0, BankModel::Note), "занесен 06.12.2026: Петрова А. С., Семёнов Л. Д., Январь 2026");
    window->grid()->setCurrentIndex(model->index(0, BankModel::Date));
    EXPECT_FALSE(window->splitButton()->isEnabled());
    closeWindow(window);
}

TEST_F(BankImport, ASumAboveTenMillionIsCheckedOnlyWhenTheTreasurerSaysSo)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    frmBank* window = importFile(ledger,
        writeStatement({ payment("301", "12000000.00", "Иванов Иван Иванович", "л/с 1 за январь 2026",
            "20.01.2026", "40817810000000000101") }));
    ASSERT_NE(window, nullptr);
    BankModel* model = window->model();
    EXPECT_EQ(model->cellText(0, BankModel::Subscriber), "1. Иванов И. И.");
    EXPECT_FALSE(model->isChecked(0));
    EXPECT_EQ(label(window, "lblMatched"), "Сопоставлено: 1 на 12000000,00 р.");

    const qsizetype before = dialogs.shown.size();
    dialogs.answers.push_back(Answer::No);
    EXPECT_TRUE(model->setData(model->index(0, BankModel::Mark), Qt::Checked, Qt::CheckStateRole));
    ASSERT_EQ(dialogs.shown.size(), before + 1);
    const Message asked = dialogs.shown.last();
    EXPECT_EQ(asked.text, "Платёж на сумму 12000000,00 р. больше 10 000 000 р. Отметить его для занесения?");
    EXPECT_EQ(asked.title, "Импорт выписки банка");
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(asked.defaultAnswer, Answer::No);
    EXPECT_FALSE(model->isChecked(0));
    EXPECT_FALSE(window->enterButton()->isEnabled());

    dialogs.answers.push_back(Answer::Yes);
    model->setData(model->index(0, BankModel::Mark), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(model->isChecked(0));
    // Once said, not asked again.
    model->setData(model->index(0, BankModel::Mark), Qt::Unchecked, Qt::CheckStateRole);
    model->setData(model->index(0, BankModel::Mark), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(model->isChecked(0));
    EXPECT_EQ(dialogs.shown.size(), before + 2);
    closeWindow(window);
}

TEST_F(BankImport, AfterEnteringTheLedgerHasTheFocusAndTheResultStaysInTheStatusBars)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    QSignalSpy posted(&state.notices, &StatusNotices::posted);
    // The box of the result goes, and the window system hands the activation to another window.
    dialogs.whileShown = [this](const Message&) {
        main->activateWindow();
        QCoreApplication::processEvents();
    };
    window->enterButton()->click();
    dialogs.whileShown = nullptr;
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(posted.isEmpty());
    EXPECT_EQ(posted.last()[0].toString(), "Импорт выписки: 2 платежа");
    EXPECT_EQ(posted.last()[1].toInt(), 0) << "until the next line, not for some seconds";
    EXPECT_EQ(ledger->findChild<QStatusBar*>("StatusBar")->currentMessage(), "Импорт выписки: 2 платежа");
    EXPECT_EQ(main->statusBar()->currentMessage(), "Импорт выписки: 2 платежа");
    EXPECT_EQ(QApplication::activeWindow(), ledger);
    EXPECT_EQ(ledger->focusWidget(), ledger->grid());
}

TEST_F(BankImport, AJournalLostOrShortenedLeavesTheMonthsWithReceiptsUnchecked)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    frmBank* window = importFile(ledger, writeStatement(januaryPayments()));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->findChild<QLabel*>("lblJournal")->isHidden());
    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(knownJournalEntries(state, QString::fromStdString(databasePath())), 2);
    const std::string journal = readBytes(journalPath());

    // Иванов's and Петрова's January hold money now, Семёнов's does not.
    const std::string next = writeStatement(
        { payment("105", "100", "Иванов Иван Иванович", "л/с 1 за январь 2026", "24.01.2026",
              "40817810000000000105"),
            payment("106", "50", "Семенов Леонид Дмитриевич", "эл. энергия", "23.01.2026",
                "40817810000000000106"),
            payment("107", "70", "Петрова Анна Сергеевна", "эл/эн", "25.01.2026", "40817810000000000107") },
        "next.txt");
    struct Case
    {
        const char* what;
        std::optional<std::string> journalBytes;
    };
    for (const Case& c : std::vector<Case>{
             { "gone", std::nullopt }, { "shortened", journal.substr(0, journal.find('\n') + 1) } }) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(journalPath());
        if (c.journalBytes)
            writeBytes(journalPath(), *c.journalBytes);
        window = importFile(ledger, next);
        ASSERT_NE(window, nullptr);
        auto* warning = window->findChild<QLabel*>("lblJournal");
        EXPECT_FALSE(warning->isHidden());
        EXPECT_EQ(warning->text(), JournalWarning);
        BankModel* model = window->model();
        EXPECT_EQ(model->checkedRows(), std::vector<int>{ 1 });
        EXPECT_EQ(model->cellText(0, BankModel::Note), "возможно, уже занесён; по л/с № 1");
        EXPECT_EQ(model->cellText(2, BankModel::Note), "возможно, уже занесён; по фамилии");
        // The treasurer may still check it, having looked.
        EXPECT_TRUE(model->canCheck(0));
        closeWindow(window);
    }

    // Once an import has gone through, the journal as it is now is the known one.
    window = importFile(ledger, next);
    ASSERT_NE(window, nullptr);
    window->enterButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(knownJournalEntries(state, QString::fromStdString(databasePath())), 2);
    window = importFile(ledger, writeStatement(januaryPayments(), "again.txt"));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->findChild<QLabel*>("lblJournal")->isHidden());
    closeWindow(window);
}

TEST_F(BankImport, TheWindowFitsAScreen1024WideAndShowsMegabyteLinesByTheirBeginning)
{
    frmRedLS* ledger = openJanuary2026();
    ASSERT_NE(ledger, nullptr);
    std::string purpose = "л/с 1 за январь 2026 ";
    while (purpose.size() < std::size_t(10) << 20)
        purpose += "показания 12345 ";
    const std::string name = "statement-" + std::string(150, 'x') + ".txt";
    frmBank* window = importFile(ledger,
        writeStatement(
            { payment("501", "100", "Иванов Иван Иванович", purpose, "20.01.2026"), januaryPayments()[1] },
            name.c_str()));
    ASSERT_NE(window, nullptr);
    BankModel* model = window->model();
    const QModelIndex cell = model->index(0, BankModel::Purpose);
    EXPECT_EQ(model->data(cell, Qt::DisplayRole).toString(),
        QString::fromStdString(purpose).left(BankModel::ShownCharacters) + "…");
    const QString tip = model->data(cell, Qt::ToolTipRole).toString();
    EXPECT_EQ(tip.size(), qsizetype(bank::MaxKeptCharacters) + 1);
    EXPECT_TRUE(tip.startsWith("л/с 1 за январь 2026 показания"));
    EXPECT_TRUE(model->isChecked(0));

    EXPECT_LE(window->minimumSizeHint().width(), 1000);
    window->resize(1000, 700);
    window->show();
    QCoreApplication::processEvents();
    for (QPushButton* button : { window->enterButton(), window->cancelButton(), window->splitButton() }) {
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_TRUE(button->isVisible());
        const QRect place(button->mapTo(window, QPoint(0, 0)), button->size());
        EXPECT_TRUE(window->rect().contains(place));
    }
    // The columns give way: nothing to scroll to the side for.
    EXPECT_EQ(window->grid()->horizontalScrollBar()->maximum(), 0);
    auto* file = window->findChild<QLabel*>("lblFile");
    EXPECT_LE(file->minimumSizeHint().width(), 10);
    EXPECT_EQ(file->toolTip(), file->text());
    closeWindow(window);
}

} // namespace
