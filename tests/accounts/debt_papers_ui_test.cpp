#include "accounts/claim_text_window.h"
#include "accounts/claims_register.h"
#include "accounts/debtors_window.h"
#include "accounts/ledger_fixture.h"
#include "accounts/penalty_window.h"
#include "app/backup.h"
#include "app/backup_file.h"
#include "accounts/debt_papers_page.h"
#include "documents/payee_settings.h"
#include "support/pdf.h"
#include "support/qr_decode.h"
#include "text/cp1251.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextCursor>
#include <filesystem>

namespace ledgertest {
namespace {

const int B = fields::ledgerBaseOfMonth(2026, 11);
const int October = fields::ledgerBaseOfMonth(2026, 10);

documents::PayeeDetails payee()
{
    return { "СНТ «Ромашка»", "40702810900000000025", "ПАО «Примербанк»", "044514512", "30101817000000000512",
        "7707083893", "770701001", documents::DefaultPurpose };
}

class DebtPapers : public LedgerWindow
{
protected:
    ~DebtPapers() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmDebtors*>(w) || qobject_cast<MDIfrmPrint*>(w))
                w->deleteLater();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // November 2026: Петрова owes October's 900,00 and November's 150,00, Иванов 199,72 of November,
    // Кузнецова 20,00 brought in; Сидоров has overpaid.
    frmDebtors* openNovember()
    {
        writeRecords({
            { "Иванов И. И.",
                { { B, "100,00" }, { B - 1, "399,72" }, { B + 6, "300,00" }, { October + 9, "100,00" } } },
            { "Петрова П. П.",
                { { B, "900,00" }, { B + 3, "150,00" }, { October - 1, "900,00" },
                    { October + 9, "900,00" } } },
            { "Сидоров С. С.", { { B + 1, "50,00" }, { B - 1, "40,00" } } },
            { "Кузнецова К. К.", { { B, "20,00" } } },
        });
        frmRedLS* ledger = openLedger("2026", 10);
        if (!ledger)
            return nullptr;
        ledger->findChild<QPushButton*>("CmdDebtors")->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* debtors = qobject_cast<frmDebtors*>(w); debtors && debtors->isVisible())
                return debtors;
        return nullptr;
    }

    static MDIfrmPrint* shownFrame()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
                return f;
        return nullptr;
    }

    static frmDebtPapers* papersOf(MDIfrmPrint* frame)
    {
        return frame ? qobject_cast<frmDebtPapers*>(frame->page()) : nullptr;
    }

    static void closeFrame(MDIfrmPrint* frame)
    {
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static std::string cell(QTableWidget* grid, int row, int column)
    {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text().toStdString() : std::string();
    }

    // The text with the no-break blanks that keep amounts together read as blanks.
    static std::string label(frmDebtPapers* page, const char* name)
    {
        const auto* l = page->findChild<QLabel*>(name);
        return l ? l->text().replace(QChar(0x00A0), QLatin1Char(' ')).toStdString() : std::string();
    }
    static std::string pageText(const std::string& pdf, int page)
    {
        std::string text = pdfText(pdf, page);
        for (std::size_t at = text.find("\xC2\xA0"); at != std::string::npos; at = text.find("\xC2\xA0", at))
            text.replace(at, 2, " ");
        return text;
    }

    // Page n of a PDF as a PDF of its own, for the code on it.
    std::string pageOf(const std::string& pdf, int n) const
    {
        const std::string one = folder.file("страница-" + std::to_string(n) + ".pdf");
        commandOutput("pdfseparate -f " + std::to_string(n) + " -l " + std::to_string(n) + " "
            + shellQuoted(pdf) + " " + shellQuoted(one));
        return one;
    }

    std::string registerText() const { return cp1251::decode(readBytes(folder.file("Tervolin2.claims"))); }
    bool registerExists() const { return std::filesystem::exists(filePath(folder.file("Tervolin2.claims"))); }
};

TEST_F(DebtPapers, NoticesGoToTheCheckedDebtorsWithACodeForTheWholeDebt)
{
    documents::storePayee(settings, payee());
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    QTableWidget* grid = debtors->grid();
    ASSERT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(cell(grid, 0, 1), "Петрова П. П.");
    EXPECT_EQ(grid->item(0, 0)->checkState(), Qt::Checked);
    // Кузнецова is unchecked in the list.
    grid->item(2, 0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(debtors->checkedRecords(), (std::vector<int>{ 2, 1 }));
    EXPECT_EQ(debtors->payByBox()->date(), QDate(2026, 12, 16));

    debtors->findChild<QPushButton*>("CmdNotice")->click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    MDIfrmPrint* frame = shownFrame();
    frmDebtPapers* page = papersOf(frame);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(debtors->isVisible());
    EXPECT_EQ(page->sheetCount(), 2);
    EXPECT_EQ(label(page, "lblPayBy"), "Просим погасить задолженность до 16.12.2026.");
    EXPECT_EQ(label(page, "lblText"),
        "Сообщаем, что на 30.11.2026 по Вашему лицевому счёту № 2 числится задолженность за электроэнергию в "
        "размере 1 050,00 р. (одна тысяча пятьдесят рублей 00 копеек), в том числе по месяцам:");
    EXPECT_TRUE(page->findChild<QLabel*>("lblPenalty") == nullptr); // penalties are off until turned on
    // No line break parts an amount from its roubles.
    EXPECT_TRUE(
        page->findChild<QLabel*>("lblText")->text().contains(QStringLiteral("1\u00A0050,00\u00A0р.")));

    frame->findChild<QAction*>("PrintAll")->trigger();
    const std::string pdf = printedPage(1);
    ASSERT_EQ(pdfInfo(pdf)->pages, 2);
    const std::string first = pdfText(pdf, 1);
    for (const char* part : { "УВЕДОМЛЕНИЕ", "Петрова П. П.", "Октябрь 2026", "900,00", "Ноябрь 2026",
             "150,00", "1 050,00", "до 16.12.2026", "СНТ «Ромашка»", "40702810900000000025" })
        EXPECT_NE(first.find(part), std::string::npos) << part;
    EXPECT_NE(pdfText(pdf, 2).find("Иванов И. И."), std::string::npos);
    EXPECT_EQ(pdfText(pdf).find("Кузнецова"), std::string::npos);

    // The code asks for each one's whole debt, in kopecks.
    const std::string petrova = decodeQr(pageOf(pdf, 1));
    EXPECT_NE(petrova.find("|Sum=105000|"), std::string::npos) << petrova;
    EXPECT_NE(petrova.find("|PersAcc=2"), std::string::npos) << petrova;
    const std::string ivanov = decodeQr(pageOf(pdf, 2));
    EXPECT_NE(ivanov.find("|Sum=19972|"), std::string::npos) << ivanov;

    // A notice is no claim: nothing goes into the register.
    EXPECT_FALSE(registerExists());
    closeFrame(frame);
    EXPECT_TRUE(debtors->isVisible());
}

TEST_F(DebtPapers, NoticesAskWhatIsMissingFirst)
{
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    auto* notice = debtors->findChild<QPushButton*>("CmdNotice");

    debtors->findChild<QPushButton*>("CmdUncheckAll")->click();
    EXPECT_TRUE(debtors->checkedRecords().empty());
    notice->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Отметьте в списке должников, которым нужны уведомления.");
    debtors->findChild<QPushButton*>("CmdCheckAll")->click();
    EXPECT_EQ(debtors->checkedRecords().size(), 3u);

    debtors->payByBox()->setDate(QDate(2026, 12, 5));
    notice->click();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(
        dialogs.shown[1].text, "Срок оплаты 05.12.2026 уже прошёл. Укажите дату не раньше сегодняшней.");
    EXPECT_EQ(shownFrame(), nullptr);

    // Without payee details the user decides; «Нет» prints nothing.
    debtors->payByBox()->setDate(QDate(2026, 12, 20));
    dialogs.answers.push_back(Answer::No);
    notice->click();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[2].buttons, MessageButtons::YesNo);
    EXPECT_EQ(shownFrame(), nullptr);
    dialogs.answers.push_back(Answer::Yes);
    notice->click();
    frmDebtPapers* page = papersOf(shownFrame());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->qrCode(), nullptr);
    EXPECT_EQ(label(page, "lblNoPayee"), "Реквизиты для оплаты можно узнать у казначея товарищества.");
    EXPECT_EQ(label(page, "lblPayBy"), "Просим погасить задолженность до 20.12.2026.");
}

TEST_F(DebtPapers, ClaimsAreNumberedAndGoIntoTheRegisterOnceWhenPrinted)
{
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    auto* claim = debtors->findChild<QPushButton*>("CmdClaim");
    claim->click();
    MDIfrmPrint* frame = shownFrame();
    frmDebtPapers* page = papersOf(frame);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->sheetCount(), 3);
    EXPECT_EQ(label(page, "lblTitle"), "ПРЕТЕНЗИЯ № 1");
    // Looked at and closed: not sent, not registered.
    closeFrame(frame);
    EXPECT_FALSE(registerExists());

    claim->click();
    frame = shownFrame();
    page = papersOf(frame);
    ASSERT_NE(page, nullptr);
    frame->Cmd1_Click(3);
    EXPECT_EQ(label(page, "lblTitle"), "ПРЕТЕНЗИЯ № 3");
    const std::string pdf = folder.file("претензии.pdf");
    dialogs.fileNames.push_back(QString::fromStdString(pdf));
    frame->findChild<QAction*>("SavePdfAll")->trigger();
    EXPECT_EQ(dialogs.fileRequests.back().proposedName, "Претензии 06.12.2026.pdf");
    EXPECT_EQ(registerText(),
        "1\t06.12.2026\t2\tПетрова П. П.\t1050,00\r\n"
        "2\t06.12.2026\t1\tИванов И. И.\t199,72\r\n"
        "3\t06.12.2026\t4\tКузнецова К. К.\t20,00\r\n");
    const std::string text = pageText(pdf, 1);
    for (const char* part : { "ПРЕТЕНЗИЯ № 1", "от 06.12.2026", "Уважаемый(-ая) Петрова П. П.!",
             "за октябрь, ноябрь 2026 г.", "в размере 1 050,00 р. (одна тысяча", "по адресу: —, числится",
             "Расчёт задолженности на 30.11.2026:", "Председатель правления" })
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    // The list says the claim sent, behind the papers.
    EXPECT_EQ(debtors->grid()->horizontalHeaderItem(7)->text(), "Претензия");
    EXPECT_EQ(cell(debtors->grid(), 0, 7), "претензия № 1 от 06.12.2026");
    EXPECT_EQ(cell(debtors->grid(), 2, 7), "претензия № 3 от 06.12.2026");

    // Saved once more, the same claims are not registered twice.
    dialogs.fileNames.push_back(QString::fromStdString(pdf));
    frame->findChild<QAction*>("SavePdfAll")->trigger();
    EXPECT_EQ(occurrences(registerText(), "\r\n"), 3);
    closeFrame(frame);

    // The next claim goes on with the numbers; only the sheet printed is registered.
    debtors->findChild<QPushButton*>("CmdUncheckAll")->click();
    debtors->setChecked(1, true);
    claim->click();
    frame = shownFrame();
    page = papersOf(frame);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(label(page, "lblTitle"), "ПРЕТЕНЗИЯ № 4");
    frame->findChild<QAction*>("Print")->trigger();
    EXPECT_NE(pdfText(printedPage(1)).find("ПРЕТЕНЗИЯ № 4"), std::string::npos);
    EXPECT_NE(registerText().find("4\t06.12.2026\t1\tИванов И. И.\t199,72\r\n"), std::string::npos);
    EXPECT_EQ(cell(debtors->grid(), 1, 7), "претензия № 4 от 06.12.2026");
}

TEST_F(DebtPapers, TheClaimTextIsTheUsersWithItsFieldsAndWarnsOfUnknownOnes)
{
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    debtors->findChild<QPushButton*>("CmdClaimText")->click();
    auto* window = debtors->findChild<frmClaimText*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->textBox()->toPlainText(), QString::fromUtf8(documents::DefaultClaimTemplate));
    EXPECT_TRUE(window->warning()->isHidden());

    window->textBox()->setPlainText("Долг {ФИО}: {долг} за {месяцы}. {сумма}, {Фио}");
    EXPECT_FALSE(window->warning()->isHidden());
    EXPECT_EQ(window->warning()->text(), "Неизвестные поля будут напечатаны как есть: {сумма}, {Фио}");
    window->textBox()->setPlainText("Долг {ФИО}: {долг} за {месяцы}. {сумма}");
    EXPECT_EQ(window->warning()->text(), "Неизвестное поле будет напечатано как есть: {сумма}");
    window->textBox()->moveCursor(QTextCursor::End);
    window->findChild<QPushButton*>("CmdField_6")->click(); // {номер} at the cursor
    EXPECT_TRUE(window->textBox()->toPlainText().endsWith("{сумма}{номер}"));
    window->findChild<QPushButton*>("CmdSave")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(setting("ClaimText"), "Долг {ФИО}: {долг} за {месяцы}. {сумма}{номер}");

    debtors->findChild<QPushButton*>("CmdClaim")->click();
    frmDebtPapers* page = papersOf(shownFrame());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(label(page, "lblText"), "Долг Петрова П. П.: 1 050,00 р. за октябрь, ноябрь 2026 г. {сумма}1");
    closeFrame(shownFrame());

    // The program's own text again: nothing of the user's is kept.
    debtors->findChild<QPushButton*>("CmdClaimText")->click();
    window = debtors->findChild<frmClaimText*>();
    ASSERT_NE(window, nullptr);
    window->findChild<QPushButton*>("CmdDefault")->click();
    window->findChild<QPushButton*>("CmdSave")->click();
    EXPECT_EQ(setting("ClaimText"), "");
    EXPECT_EQ(claims::readTemplate(settings), QString::fromUtf8(documents::DefaultClaimTemplate));
}

TEST_F(DebtPapers, PenaltiesTurnedOnShowOnTheirOwnLine)
{
    documents::storePayee(settings, payee());
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    debtors->findChild<QPushButton*>("CmdPenalty")->click();
    auto* window = debtors->findChild<frmPenalty*>();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->enabledBox()->isChecked());
    EXPECT_TRUE(window->percentOption()->isChecked());
    EXPECT_FALSE(window->keyRateBox()->isEnabled());

    window->enabledBox()->setChecked(true);
    window->keyRateOption()->setChecked(true);
    EXPECT_TRUE(window->keyRateBox()->isEnabled());
    EXPECT_FALSE(window->percentBox()->isEnabled());
    window->findChild<QPushButton*>("CmdOK")->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Введите ключевую ставку в процентах годовых, например 16");
    EXPECT_TRUE(window->isVisible());
    window->keyRateBox()->setText("21");
    window->graceBox()->setText("-1");
    window->findChild<QPushButton*>("CmdOK")->click();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, "Введите число дней отсрочки от 0 до 3650");
    window->graceBox()->setText("0");
    window->findChild<QPushButton*>("CmdOK")->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(setting("PenaltyOn"), "1");
    EXPECT_EQ(setting("PenaltyKind"), "key");
    EXPECT_EQ(setting("PenaltyKeyRate"), "21");
    EXPECT_EQ(setting("PenaltyKeyRateDivisor"), "300");

    // On 06.12.2026: October's 900,00 is 36 days overdue, 900 × 21 % / 300 × 36 = 22,68; November's
    // 150,00 six days, 0,63.
    debtors->findChild<QPushButton*>("CmdNotice")->click();
    frmDebtPapers* page = papersOf(shownFrame());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(label(page, "lblPenalty"),
        "Пени на 06.12.2026 (1/300 ключевой ставки 21 % годовых в день): 23,31 р. — в сумму задолженности и "
        "QR-кода не включены.");
    auto* months = page->findChild<QTableWidget*>("gMonths");
    ASSERT_NE(months, nullptr);
    EXPECT_EQ(months->item(0, 2)->text(), "36");
    EXPECT_EQ(months->item(0, 3)->text(), "22,68");
    EXPECT_EQ(months->item(1, 3)->text(), "0,63");
    EXPECT_EQ(months->item(2, 3)->text(), "23,31");
    // The penalty is the paper's alone: the ledger keeps the debt as it was.
    EXPECT_EQ(state.table.field(2, B + 9), "1050,00");
    EXPECT_EQ(page->papers()[0].debt.total, Currency::parse("1050").value());
}

TEST_F(DebtPapers, TheRegisterGoesWithTheBackupsAndComesBackWithARestore)
{
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    debtors->findChild<QPushButton*>("CmdClaim")->click();
    MDIfrmPrint* frame = shownFrame();
    ASSERT_NE(frame, nullptr);
    frame->findChild<QAction*>("PrintAll")->trigger();
    const std::string sent = readBytes(folder.file("Tervolin2.claims"));
    ASSERT_FALSE(sent.empty());

    const std::string backupPath = folder.file("копия.spb");
    ASSERT_TRUE(backup::writeBackupSet(state, QString::fromStdString(backupPath)).whole());
    EXPECT_EQ(readBytes(backupPath + ".claims"), sent);

    // Claims sent after the backup go when it is restored; the register replaced is kept beside it.
    writeBytes(
        folder.file("Tervolin2.claims"), sent + cp1251::encode("4\t07.12.2026\t1\tИванов И. И.\t5,00\r\n"));
    const backup::Restore restored = backup::restoreSet(backupPath, databasePath());
    ASSERT_EQ(restored.status, backup::CopyStatus::Copied);
    EXPECT_EQ(readBytes(folder.file("Tervolin2.claims")), sent);
    EXPECT_NE(readBytes(backup::formerDatabasePath(folder.file("Tervolin2.claims"))).find("07.12.2026"),
        std::string::npos);
}

TEST_F(DebtPapers, AnArchivePrintsClaimsButKeepsNoRegister)
{
    state.viewArchive(QString::fromStdString(databasePath()));
    frmDebtors* debtors = openNovember();
    ASSERT_NE(debtors, nullptr);
    debtors->findChild<QPushButton*>("CmdClaim")->click();
    MDIfrmPrint* frame = shownFrame();
    ASSERT_NE(frame, nullptr);
    frame->findChild<QAction*>("PrintAll")->trigger();
    EXPECT_NE(pdfText(printedPage(1)).find("ПРЕТЕНЗИЯ № 3"), std::string::npos);
    EXPECT_FALSE(registerExists());
    EXPECT_EQ(papersOf(frame)->registeredCount(), 0);
    closeFrame(frame);
    // Nor is the numbering moved on.
    debtors->findChild<QPushButton*>("CmdClaim")->click();
    EXPECT_EQ(label(papersOf(shownFrame()), "lblTitle"), "ПРЕТЕНЗИЯ № 1");
}

} // namespace
} // namespace ledgertest
