// The whole statement and the whole ledger printout as one print job or one PDF, and the names and
// folders their files are proposed with.

#include "documents/document_output.h"
#include "documents/documents_fixture.h"

#include <QDir>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace documentstest;

QStringList filesIn(const std::string& folder)
{
    return QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden);
}

class AllSheets : public Documents
{
protected:
    // The statement of March 2026 for that many subscribers.
    MDIfrmPrint* openStatement(int subscribers)
    {
        writeDatabase(numberedSubscribers(subscribers));
        Form1* form = startOn2026();
        if (!form)
            return nullptr;
        chooseForMonth(form, 3, "Vedomost");
        return frame();
    }

    const documents::LedgerSums sums = { "1234,00", "56,00", "7890,12", "", "150,00", "", "9000,00",
        "8000,00", "", "77,00", "1000,00", "20,00", "" };

    MDIfrmPrint* openLedger(int subscribers)
    {
        state.table.setRecordCount(subscribers);
        for (int row = 1; row <= subscribers; ++row) {
            state.table.set(row, fields::Number, std::to_string(row));
            state.table.set(row, fields::FullName, "Абонент " + std::to_string(row));
        }
        return openLedgerPrint(state, nullptr, { "2026", "Март", fields::ledgerBase(6, 3), sums });
    }

    static void trigger(MDIfrmPrint* f, const char* action) { f->findChild<QAction*>(action)->trigger(); }

    std::string pdfFolder()
    {
        const std::string path = folder.file("документы");
        std::filesystem::create_directories(path);
        return path;
    }
};

TEST_F(AllSheets, TheWholeStatementIsOnePdfEachSheetOnItsPageAsOnScreen)
{
    MDIfrmPrint* f = openStatement(120);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(child<QAction>(f, "PrintAll")->isVisible());
    EXPECT_EQ(child<QAction>(f, "PrintAll")->text(), "Печать всех листов");
    EXPECT_EQ(child<QAction>(f, "SavePdfAll")->text(), "Все листы в PDF");
    QTest::mouseClick(f->pageButton(2), Qt::LeftButton);

    const std::string all = pdfFolder() + "/все.pdf";
    const std::string second = pdfFolder() + "/второй.pdf";
    dialogs.fileNames = { QString::fromStdString(all), QString::fromStdString(second) };
    trigger(f, "SavePdfAll");
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Ведомость Март 2026.pdf");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.pdf");
    EXPECT_EQ(dialogs.fileRequests[0].folder, "");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    ASSERT_EQ(dialogs.progresses.size(), 1);
    EXPECT_EQ(dialogs.progresses[0].total, 3);
    EXPECT_EQ(dialogs.progresses[0].steps, QList<int>({ 0, 1, 2, 3 }));
    EXPECT_EQ(printer.pagesPrinted(), 0);

    const auto info = pdfInfo(all);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 3);
    EXPECT_TRUE(info->portrait());
    const int rows[] = { 53, 53, 14 };
    for (int page = 1; page <= 3; ++page) {
        const std::string text = pdfText(all, page);
        EXPECT_NE(text.find("Лист " + std::to_string(page)), std::string::npos) << page;
        EXPECT_NE(text.find("Март 2026"), std::string::npos) << page;
        EXPECT_NE(text.find("Фамилия И. О."), std::string::npos) << page;
        EXPECT_EQ(occurrences(text, "Абонент "), rows[page - 1]) << page;
    }
    EXPECT_NE(pdfText(all, 3).find("Абонент 120"), std::string::npos);
    EXPECT_NE(pdfText(all, 3).find("10120"), std::string::npos);

    // The sheet shown before is shown again, and its page of the whole is the sheet's own printout.
    EXPECT_EQ(child<QLabel>(f, "Label1")->text(), "Лист 2");
    EXPECT_EQ(child<QTableWidget>(f, "g")->item(0, 1)->text(), "Абонент 54");
    EXPECT_FALSE(f->pageButton(2)->isEnabled());
    trigger(f, "SavePdf");
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(dialogs.fileRequests[1].proposedName, "Ведомость Март 2026.pdf");
    EXPECT_EQ(pdfText(second), pdfText(all, 2));
}

TEST_F(AllSheets, TheWholeLedgerPrintoutEndsWithTheSumRowOnItsLastPage)
{
    MDIfrmPrint* f = openLedger(120);
    auto* page = qobject_cast<frmPrint1*>(f->page());
    ASSERT_NE(page, nullptr);
    f->Cmd1_Click(3);
    const std::string pdf = pdfFolder() + "/лицевой.pdf";
    dialogs.fileNames = { QString::fromStdString(pdf) };
    trigger(f, "SavePdfAll");
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Лицевой счет Март 2026.pdf");

    const auto info = pdfInfo(pdf);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 4);
    EXPECT_FALSE(info->portrait());
    EXPECT_EQ(occurrences(pdfText(pdf), "Сумма столбцов:"), 1);
    const std::string last = pdfText(pdf, 4);
    EXPECT_NE(last.find("Сумма столбцов:"), std::string::npos);
    EXPECT_NE(last.find("7890,12"), std::string::npos);
    EXPECT_NE(last.find("Абонент 120"), std::string::npos);
    EXPECT_NE(last.find("Лист 4"), std::string::npos);
    EXPECT_EQ(occurrences(pdfText(pdf, 1), "Абонент "), 33);
    // Black captions on paper, blue and red again on screen, on the sheet that was shown.
    EXPECT_EQ(colouredPixels(pdf, folder.file("ledger")), 0);
    EXPECT_EQ(textColour(page->caption(2)), QColor(Qt::blue));
    EXPECT_EQ(textColour(page->caption(3)), QColor(Qt::red));
    EXPECT_EQ(child<QLabel>(f, "Label1_0")->text(), "Лист 3");
    EXPECT_EQ(page->grid()->item(0, 1)->text(), "Абонент 67");
}

TEST_F(AllSheets, PrintingAllSheetsIsOneJob)
{
    MDIfrmPrint* f = openStatement(120);
    ASSERT_NE(f, nullptr);
    trigger(f, "PrintAll");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    EXPECT_EQ(printer.pagesPrinted(), 1);
    EXPECT_EQ(filesIn(folder.file("printed")), QStringList({ "page-001.pdf" }));
    const auto info = pdfInfo(printedPage(1));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 3);
    EXPECT_TRUE(info->portrait());
    EXPECT_NE(pdfText(printedPage(1), 3).find("Абонент 120"), std::string::npos);
}

TEST_F(AllSheets, ACancelLeavesNoFileAndKeepsTheOneThere)
{
    MDIfrmPrint* f = openStatement(120);
    ASSERT_NE(f, nullptr);
    const std::string pdf = pdfFolder() + "/Ведомость Март 2026.pdf";
    writeBytes(pdf, "saved before");
    dialogs.cancelProgressAt = 2;
    dialogs.fileNames = { QString::fromStdString(pdf) };
    trigger(f, "SavePdfAll");
    EXPECT_EQ(readBytes(pdf), "saved before");
    EXPECT_EQ(filesIn(pdfFolder()), QStringList({ "Ведомость Март 2026.pdf" }));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "the user's own cancel needs no message";
    EXPECT_EQ(setting(documents::LastPdfDirKey), "<none>");

    trigger(f, "PrintAll");
    EXPECT_EQ(printer.pagesPrinted(), 0);
    EXPECT_TRUE(filesIn(folder.file("printed")).isEmpty());
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "a cancelled print does not ask for a PDF";
    ASSERT_EQ(dialogs.progresses.size(), 2);
    EXPECT_EQ(dialogs.progresses[1].steps, QList<int>({ 0, 1, 2 }));
    EXPECT_EQ(child<QLabel>(f, "Label1")->text(), "Лист 1");
    EXPECT_EQ(child<QTableWidget>(f, "g")->item(0, 1)->text(), "Абонент 1");
}

TEST_F(AllSheets, AFolderThatCannotBeWrittenIsReportedAndLeftEmpty)
{
    MDIfrmPrint* f = openStatement(120);
    ASSERT_NE(f, nullptr);
    const std::filesystem::path closed = folder.path() / "закрыта";
    std::filesystem::create_directory(closed);
    std::filesystem::permissions(closed, std::filesystem::perms(0555));
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    const std::string pdf = (closed / "Ведомость.pdf").string();
    dialogs.fileNames = { QString::fromStdString(pdf) };
    // The superuser writes anywhere: the save is made as an ordinary user in a child process.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        trigger(f, "SavePdfAll");
        const bool told = dialogs.shown.size() == 1
            && dialogs.shown[0].text == QString::fromStdString("Не удалось сохранить файл " + pdf)
            && dialogs.shown[0].title == "Печать" && dialogs.shown[0].icon == MessageIcon::Critical;
        const bool unstored
            = state.services.settings.value(settings::Main, documents::LastPdfDirKey).isEmpty();
        _exit(told && unstored ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(filesIn(closed.string()).isEmpty());
    std::filesystem::permissions(closed, std::filesystem::perms::owner_all);
}

TEST_F(AllSheets, WithoutAPrinterTheSheetsCanBeSavedAndAFailedPrintIsNotAMissingPrinter)
{
    MDIfrmPrint* f = openStatement(120);
    ASSERT_NE(f, nullptr);
    printer = Printer::none();
    const std::string pdf = pdfFolder() + "/все.pdf";
    dialogs.answers = { Answer::Yes };
    dialogs.fileNames = { QString::fromStdString(pdf) };
    trigger(f, "PrintAll");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Принтер не найден. Сохранить все листы в PDF?");
    EXPECT_EQ(dialogs.shown[0].title, "Печать");
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Ведомость Март 2026.pdf");
    const auto info = pdfInfo(pdf);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 3);
    EXPECT_EQ(dialogs.progresses.size(), 1) << "only the save drew pages";

    // A printer that takes no job: said as such, not as a printer that is not there.
    const std::string notAFolder = folder.file("принтер");
    writeBytes(notAFolder, "");
    printer = Printer::intoFolder(QString::fromStdString(notAFolder));
    dialogs.answers = { Answer::No };
    print(f);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, "Не удалось напечатать. Сохранить страницу в PDF?");
    EXPECT_EQ(dialogs.fileRequests.size(), 1);
}

TEST_F(AllSheets, TheFolderOfTheLastPdfIsWhereTheNextOneIsProposed)
{
    MDIfrmPrint* f = openLedger(40);
    const std::string pdf = pdfFolder() + "/лицевой.pdf";
    dialogs.fileNames = { QString::fromStdString(pdf) };
    trigger(f, "SavePdf");
    ASSERT_TRUE(pdfInfo(pdf));
    EXPECT_EQ(setting(documents::LastPdfDirKey), QString::fromStdString(pdfFolder()));

    // A cancelled dialog and a failed save keep the folder; the next dialog opens in it.
    trigger(f, "SavePdfAll");
    dialogs.fileNames = { QString::fromStdString(folder.file("нет такой папки/x.pdf")) };
    trigger(f, "SavePdfAll");
    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_EQ(dialogs.fileRequests[1].folder, QString::fromStdString(pdfFolder()));
    EXPECT_EQ(dialogs.fileRequests[2].folder, QString::fromStdString(pdfFolder()));
    EXPECT_EQ(setting(documents::LastPdfDirKey), QString::fromStdString(pdfFolder()));
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(AllSheets, TheReceiptHasNoSheetsToPrintAll)
{
    writeDemoDatabase(3);
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 10, "Kvit");
    MDIfrmPrint* f = frame();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(child<QAction>(f, "PrintAll")->isVisible());
    EXPECT_FALSE(child<QAction>(f, "SavePdfAll")->isVisible());
}

TEST(PdfFileName, SaysWhatTheFileHoldsInAFileNameItCanHave)
{
    using documents::pdfFileName;
    const struct
    {
        QStringList parts;
        QString name;
    } cases[] = {
        { { "Ведомость", "Март", "2026" }, "Ведомость Март 2026.pdf" },
        { { "Квитанция", "Иванов И. И./Петров", "Октябрь", "2026" },
            "Квитанция Иванов И. И._Петров Октябрь 2026.pdf" },
        { { "Таблица", "a\\b:c*d?e\"f<g>h|i", "2026" }, "Таблица a_b_c_d_e_f_g_h_i 2026.pdf" },
        { { "Квитанция", "  Сидоров\nС.\tС.  ", "Май", "2026" }, "Квитанция Сидоров С. С. Май 2026.pdf" },
        { { "Лицевой счет", "", "2026" }, "Лицевой счет 2026.pdf" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(pdfFileName(c.parts), c.name) << c.name.toStdString();

    // A very long name is cut, never in the middle of a letter, and the rest of the name stays.
    const QString name = pdfFileName({ "Квитанция", QString(100000, QChar(0x0416)), "Октябрь", "2026" });
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_GE(name.toUtf8().size(), 254);
    EXPECT_TRUE(name.startsWith("Квитанция ЖЖЖ"));
    EXPECT_TRUE(name.endsWith("Ж Октябрь 2026.pdf"));
}

} // namespace
