#include "documents/documents_fixture.h"

#include <QScrollArea>
#include <QScrollBar>

namespace {

using namespace documentstest;

TEST_F(Documents, AMonthsNameHandsOverToTheStatementAndBack)
{
    writeDatabase(numberedSubscribers(3));
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 3, "Vedomost");
    EXPECT_EQ(state.ReportMonthName, "Март");
    EXPECT_EQ(state.ReportYear, "2026");
    EXPECT_EQ(state.ReportMonth, 3);
    EXPECT_EQ(state.PreviewMode, 2);
    MDIfrmPrint* f = frame();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(f->windowTitle(), "Печать ведомости для снятия показаний счетчиков");
    EXPECT_EQ(child<QLabel>(f, "LblDate")->text(), "Март 2026");
    auto* grid = child<QTableWidget>(f, "g");
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(1, 3)->text(), "10002");

    child<QAction>(f, "Delete")->trigger();
    settle();
    EXPECT_EQ(frame(), nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(state.PreviewMode, 0);
    EXPECT_EQ(state.ReportMonth, 0);
    EXPECT_EQ(state.ReportYear, "");
    EXPECT_EQ(state.ReportMonthName, "");
}

TEST_F(Documents, StatementSheetsHold53RowsUnderTheirHeader)
{
    writeDatabase(numberedSubscribers(54));
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 3, "Vedomost");
    MDIfrmPrint* f = frame();
    ASSERT_NE(f, nullptr);
    auto* grid = child<QTableWidget>(f, "g");
    EXPECT_EQ(grid->rowCount(), 53);
    EXPECT_TRUE(f->pageButton(1)->isVisible());
    EXPECT_FALSE(f->pageButton(1)->isEnabled());
    EXPECT_TRUE(f->pageButton(2)->isVisible());
    EXPECT_TRUE(f->pageButton(2)->isEnabled());
    EXPECT_FALSE(f->pageButton(3)->isVisible());
    EXPECT_FALSE(f->pageSelector()->isVisible());
    print(f);

    QTest::mouseClick(f->pageButton(2), Qt::LeftButton);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(child<QLabel>(f, "Label1")->text(), "Лист 2");
    EXPECT_TRUE(f->pageButton(1)->isEnabled());
    EXPECT_FALSE(f->pageButton(2)->isEnabled());
    print(f);

    const auto info = pdfInfo(printedPage(1));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 1);
    EXPECT_TRUE(info->portrait());
    const std::string first = printedText(1);
    for (const char* header :
        { "№", "Фамилия И. О.", "Адрес", "Последн. показ. сч.", "Текущее показ. сч.", "Март 2026", "Лист 1" })
        EXPECT_NE(first.find(header), std::string::npos) << header;
    EXPECT_EQ(occurrences(first, "Абонент "), 53);
    EXPECT_NE(first.find("10053"), std::string::npos);
    const std::string second = printedText(2);
    EXPECT_EQ(occurrences(second, "Абонент "), 1);
    EXPECT_NE(second.find("Абонент 54"), std::string::npos);
    EXPECT_NE(second.find("Лист 2"), std::string::npos);
}

TEST_F(Documents, SheetsPastTheTwentiethAreReachable)
{
    writeDatabase(numberedSubscribers(1100));
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 3, "Vedomost");
    MDIfrmPrint* f = frame();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->pageButton(20)->isVisible());
    QSpinBox* selector = f->pageSelector();
    ASSERT_TRUE(selector->isVisible());
    EXPECT_EQ(selector->maximum(), 21);
    selector->setValue(21);
    auto* grid = child<QTableWidget>(f, "g");
    ASSERT_EQ(grid->rowCount(), 1100 - 20 * 53);
    EXPECT_EQ(grid->item(0, 1)->text(), "Абонент 1061");
    EXPECT_EQ(child<QLabel>(f, "Label1")->text(), "Лист 21");
    for (int n = 1; n <= 20; ++n)
        ASSERT_TRUE(f->pageButton(n)->isEnabled()) << n;
    QTest::mouseClick(f->pageButton(3), Qt::LeftButton);
    EXPECT_EQ(selector->value(), 3);
    EXPECT_FALSE(f->pageButton(3)->isEnabled());
    EXPECT_EQ(grid->item(0, 1)->text(), "Абонент 107");
}

class LedgerPrint : public Documents
{
protected:
    const documents::LedgerSums sums = { "1234,00", "56,00", "7890,12", "", "150,00", "", "9000,00",
        "8000,00", "", "77,00", "1000,00", "20,00", "" };

    MDIfrmPrint* open(QWidget* ledger)
    {
        return openLedgerPrint(state, ledger, { "2026", "Март", fields::ledgerBase(6, 3), sums });
    }
};

TEST_F(LedgerPrint, TheSumRowIsPrintedWhereTheListEnds)
{
    struct Case
    {
        int subscribers;
        int sheets;
        int lastSheetRows;
    };
    for (const Case& c : { Case{ 32, 1, 33 }, Case{ 33, 2, 1 }, Case{ 66, 3, 1 } }) {
        SCOPED_TRACE(c.subscribers);
        state.table.clear();
        state.table.setRecordCount(c.subscribers);
        for (int row = 1; row <= c.subscribers; ++row) {
            state.table.set(row, fields::Number, std::to_string(row));
            state.table.set(row, fields::FullName, "Абонент " + std::to_string(row));
        }
        QWidget ledger;
        ledger.show();
        MDIfrmPrint* f = open(&ledger);
        EXPECT_FALSE(ledger.isVisible());
        EXPECT_EQ(f->windowTitle(), "Печать лицевого счета");
        EXPECT_EQ(state.PreviewMode, 1);
        EXPECT_EQ(child<QLabel>(f, "LblDate")->text(), "2026   Март");
        EXPECT_EQ(f->pageButton(c.sheets)->isVisible(), true);
        EXPECT_EQ(f->pageButton(c.sheets + 1)->isVisible(), false);
        auto* grid = child<QTableWidget>(f, "g");
        EXPECT_EQ(grid->rowCount(), c.sheets == 1 ? c.lastSheetRows : 33);
        QTest::mouseClick(f->pageButton(c.sheets), Qt::LeftButton);
        ASSERT_EQ(grid->rowCount(), c.lastSheetRows);
        EXPECT_EQ(grid->item(grid->rowCount() - 1, 1)->text(), "      Сумма столбцов:");
        const int printed = printer.pagesPrinted();
        print(f);
        ASSERT_EQ(printer.pagesPrinted(), printed + 1);
        const auto info = pdfInfo(printedPage(printed + 1));
        ASSERT_TRUE(info);
        EXPECT_FALSE(info->portrait());
        const std::string text = printedText(printed + 1);
        EXPECT_NE(text.find("Сумма столбцов:"), std::string::npos);
        EXPECT_NE(text.find("7890,12"), std::string::npos);
        EXPECT_NE(text.find("Лист " + std::to_string(c.sheets)), std::string::npos);
        EXPECT_EQ(text.find("77,00"), std::string::npos); // other income has no sum on paper
        f->close();
        settle();
        EXPECT_TRUE(ledger.isVisible());
    }
}

TEST_F(LedgerPrint, CaptionsAreBlackOnPaperAndColouredAgainOnScreen)
{
    state.table.setRecordCount(2);
    state.table.set(1, fields::FullName, "Иванов");
    state.table.set(2, fields::FullName, "Петров");
    MDIfrmPrint* f = open(nullptr);
    auto* page = qobject_cast<frmPrint1*>(f->page());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(textColour(page->caption(2)), QColor(Qt::blue));
    EXPECT_EQ(textColour(page->caption(3)), QColor(Qt::red));
    print(f);
    for (int i : { 2, 4, 5, 7, 8, 15 })
        EXPECT_EQ(textColour(page->caption(i)), QColor(Qt::blue)) << i;
    for (int i : { 3, 10, 11, 13, 16 })
        EXPECT_EQ(textColour(page->caption(i)), QColor(Qt::red)) << i;

    // Nothing blue or red on the paper.
    EXPECT_EQ(colouredPixels(printedPage(1), folder.file("ledger")), 0);
    f->close();
    settle();
}

class ReceiptWindow : public Documents
{
protected:
    const int october = fields::ledgerBase(6, 10);

    // The demo's subscribers have readings up to November 2026.
    Form1* startWithLedger()
    {
        writeDemoDatabase(3);
        Form1* form = startOn2026();
        if (!form)
            return nullptr;
        const int row = form->CurrentRecord;
        state.table.set(row, october + 3, "150");
        state.table.set(row, october + 4, "12,5");
        state.table.set(row, october + 1, "");
        state.table.set(row, october, "");
        state.table.set(row, october + 2, "");
        state.table.set(row, october + 5, "3783,4"); // as the ledger last stored it
        state.table.set(row, october + 11, "2500,00");
        return form;
    }

    // What the subscriber owes for October with the pay and charges above: the sheet's charge
    // plus 150 and 12,50.
    static QString octoberTotal(Form1* form)
    {
        const Currency charge = Currency::parseOrZero(form->sheet()->computed(10, 7)->text().toStdString());
        return QString::fromStdString(moneyText(*Currency::add(charge, Currency::parseOrZero("162,50"))));
    }

    frmKvit* receipt() const
    {
        MDIfrmPrint* f = frame();
        return f ? qobject_cast<frmKvit*>(f->page()) : nullptr;
    }
};

TEST_F(ReceiptWindow, OneCopyOnPaperThenBackToTheSheet)
{
    Form1* form = startWithLedger();
    ASSERT_NE(form, nullptr);
    const QString name = form->subscriberSelector()->currentText();
    chooseForMonth(form, 10, "Kvit");
    frmKvit* r = receipt();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(state.PreviewMode, 3);
    EXPECT_FALSE(frame()->toolbar()->isVisible());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(child<QLabel>(r, "LblDate_0")->text(), "Октябрь 2026");
    EXPECT_EQ(child<QLabel>(r, "lblFio_0")->text(), name);
    EXPECT_EQ(r->value(1)->text(), form->sheet()->typed(10, 1)->text());
    EXPECT_EQ(r->value(9)->text(), form->sheet()->computed(10, 7)->text());
    EXPECT_EQ(r->value(11)->text(), "150,00");
    EXPECT_EQ(r->value(10)->text(), "12,50");
    EXPECT_EQ(r->value(12)->text(), "0,00");
    EXPECT_EQ(r->value(14)->text(), octoberTotal(form));
    EXPECT_EQ(child<QLabel>(r, "lblTar_0")->text(), "тариф " + form->sheet()->typed(10, 7)->text() + " р.");
    EXPECT_FALSE(r->value(29)->isVisible());

    QTest::mouseClick(r->printButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(frame(), nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(state.ReportMonth, 0);
    EXPECT_EQ(state.PreviewMode, 0);
    EXPECT_EQ(setting("Ch100"), "0");

    const auto info = pdfInfo(printedPage(1));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 1);
    EXPECT_TRUE(info->portrait());
    const std::string text = printedText(1);
    EXPECT_EQ(occurrences(text, "Показания счетчика на конец месяца, кВт*Ч"), 1);
    EXPECT_EQ(occurrences(text, "Примечание: предоплата в МОСЭНЕРГОСБЫТе на данный месяц составляет:"), 1);
    EXPECT_EQ(occurrences(text, "150,00"), 1);
    EXPECT_EQ(occurrences(text, "2500,00"), 1);
    EXPECT_EQ(text.find("Оплата до"), std::string::npos);
    EXPECT_EQ(text.find("Печать"), std::string::npos);
    EXPECT_EQ(text.find("2 экземпляра"), std::string::npos);
}

TEST_F(ReceiptWindow, TheTotalFollowsTheSheetNotTheStoredTotal)
{
    Form1* form = startWithLedger();
    ASSERT_NE(form, nullptr);
    // A later reading typed on the sheet: the ledger has not been opened since.
    SheetCell* reading = form->sheet()->typed(10, 1);
    const QString charge = form->sheet()->computed(10, 7)->text();
    reading->setText(QString::number(reading->text().toInt() + 100));
    ASSERT_NE(form->sheet()->computed(10, 7)->text(), charge);
    chooseForMonth(form, 10, "Kvit");
    frmKvit* r = receipt();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->value(9)->text(), form->sheet()->computed(10, 7)->text());
    EXPECT_EQ(r->value(14)->text(), octoberTotal(form));
    EXPECT_NE(r->value(14)->text(), "3783,40");
    EXPECT_EQ(r->value(documents::SecondCopyValue[documents::TotalDue])->text(), octoberTotal(form));
}

TEST_F(ReceiptWindow, TwoCopiesTheSecondWithoutThePrepaymentNote)
{
    settings.setValue(settings::Main, "Ch100", "1");
    settings.setValue(settings::Main, "txtOPL", "25.11.2026");
    Form1* form = startWithLedger();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 10, "Kvit");
    frmKvit* r = receipt();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->twoCopies()->isChecked());
    EXPECT_EQ(r->payBy(1)->text(), "25.11.2026");
    EXPECT_TRUE(r->value(29)->isVisible());
    EXPECT_FALSE(r->value(19)->isVisible());
    EXPECT_GT(r->height(), 1000);
    QTest::mouseClick(r->printButton(), Qt::LeftButton);
    settle();

    const auto info = pdfInfo(printedPage(1));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 1);
    EXPECT_TRUE(info->portrait());
    const std::string text = printedText(1);
    EXPECT_EQ(occurrences(text, "Показания счетчика на конец месяца, кВт*Ч"), 2);
    EXPECT_EQ(occurrences(text, "К ОПЛАТЕ, Руб"), 2);
    EXPECT_EQ(occurrences(text, "150,00"), 2);
    EXPECT_EQ(occurrences(text, "Примечание"), 1);
    EXPECT_EQ(occurrences(text, "2500,00"), 1);
    EXPECT_EQ(occurrences(text, "Оплата до"), 2);
    EXPECT_EQ(occurrences(text, "25.11.2026"), 2);
}

TEST_F(ReceiptWindow, PayByDateAndCopiesComeBackNextTime)
{
    Form1* form = startWithLedger();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 10, "Kvit");
    frmKvit* r = receipt();
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->value(29)->isVisible());
    QTest::keyClicks(r->payBy(0), "10.12.2026");
    EXPECT_EQ(r->payBy(1)->text(), "10.12.2026");
    QTest::mouseClick(r->twoCopies(), Qt::LeftButton);
    EXPECT_TRUE(r->value(29)->isVisible());
    EXPECT_TRUE(child<QFrame>(r, "Line5")->isVisible());
    frame()->close();
    settle();
    EXPECT_EQ(setting("txtOPL"), "10.12.2026");
    EXPECT_EQ(setting("Ch100"), "1");
    EXPECT_EQ(state.ReportYear, "");
    EXPECT_EQ(printer.pagesPrinted(), 0);

    chooseForMonth(form, 2, "Kvit");
    r = receipt();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->payBy(0)->text(), "10.12.2026");
    EXPECT_TRUE(r->twoCopies()->isChecked());
    EXPECT_EQ(child<QLabel>(r, "LblDate_1")->text(), "Февраль 2026");
}

TEST_F(ReceiptWindow, EmptyReadingsAreReportedAndTheReceiptStillOpens)
{
    Form1* form = startWithLedger();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 12, "Kvit"); // December has no readings yet
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text, "Поле (показания счетчика на конец месяца) не заполнено!");
    EXPECT_EQ(dialogs.shown[1].text, "Поле (показания счетчика на начало месяца) не заполнено!");
    for (const Message& m : dialogs.shown) {
        EXPECT_EQ(m.title, "Ошибка ввода");
        EXPECT_EQ(m.icon, MessageIcon::Critical);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
    }
    EXPECT_NE(receipt(), nullptr);
}

TEST_F(ReceiptWindow, WithoutAPrinterThePageCanBeSavedAsPdf)
{
    Form1* form = startWithLedger();
    ASSERT_NE(form, nullptr);
    const QString name = form->subscriberSelector()->currentText();
    printer = Printer::none();
    chooseForMonth(form, 10, "Kvit");
    frmKvit* r = receipt();
    ASSERT_NE(r, nullptr);

    // Declined: nothing on paper, the receipt stays as it was.
    dialogs.answers = { Answer::No };
    QTest::mouseClick(r->printButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Принтер не найден. Сохранить страницу в PDF?");
    EXPECT_EQ(dialogs.shown[0].title, "Печать");
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    ASSERT_EQ(receipt(), r);
    EXPECT_TRUE(r->printButton()->isVisible());
    EXPECT_TRUE(r->twoCopies()->isVisible());
    EXPECT_EQ(state.ReportMonth, 10);

    // Accepted: the page goes into the file the user names, and the receipt is done.
    const std::string pdf = folder.file("Квитанция октябрь.pdf");
    dialogs.answers = { Answer::Yes };
    dialogs.fileNames = { QString::fromStdString(pdf) };
    QTest::mouseClick(r->printButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.pdf");
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "Квитанция " + name + " Октябрь 2026.pdf");
    EXPECT_EQ(frame(), nullptr);
    const auto info = pdfInfo(pdf);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->portrait());
    EXPECT_NE(pdfText(pdf).find("К ОПЛАТЕ, Руб"), std::string::npos);
}

TEST_F(Documents, APdfThatCannotBeWrittenIsReported)
{
    writeDatabase(numberedSubscribers(3));
    Form1* form = startOn2026();
    ASSERT_NE(form, nullptr);
    chooseForMonth(form, 3, "Vedomost");
    MDIfrmPrint* f = frame();
    ASSERT_NE(f, nullptr);
    const std::string pdf = folder.file("нет такой папки/Ведомость.pdf");
    dialogs.fileNames = { QString::fromStdString(pdf) };
    child<QAction>(f, "SavePdf")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, QString::fromStdString("Не удалось сохранить файл " + pdf));
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);

    const std::string good = folder.file("Ведомость.pdf");
    dialogs.fileNames = { QString::fromStdString(good) };
    child<QAction>(f, "SavePdf")->trigger();
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_NE(pdfText(good).find("Абонент 3"), std::string::npos);
    EXPECT_EQ(printer.pagesPrinted(), 0);
}

class SheetPrintout : public Documents
{
protected:
    // The demo's sheet, the window active so that the focus moves as a user's clicks move it.
    Form1* open()
    {
        writeDemoDatabase(3);
        Form1* form = startOn2026();
        if (!form)
            return nullptr;
        form->activateWindow();
        active = QTest::qWaitForWindowActive(form);
        return form;
    }

    // The mouse over a month's name makes it bold.
    static void hover(MonthLabel* label)
    {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(label, &enter);
    }

    bool active = false;
};

TEST_F(SheetPrintout, TheSheetPrintsOnALandscapePageAndLooksAsBeforeAfterwards)
{
    Form1* form = open();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(active);
    SheetView* sheet = form->sheet();
    const QString name = form->subscriberSelector()->currentText();
    const QString january = sheet->typed(1, 1)->text();
    const QSize size = form->size();
    sheet->typed(3, 1)->setFocus(Qt::MouseFocusReason);
    hover(sheet->monthLabel(3));
    ASSERT_TRUE(sheet->monthLabel(3)->font().bold());
    // The click gives the print button the focus, which the print look must not hand on to a cell.
    auto* print = child<QWidget>(form, "Command1");
    QTest::mouseClick(print, Qt::LeftButton);

    const auto info = pdfInfo(printedPage(1));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 1);
    EXPECT_FALSE(info->portrait());
    const std::string text = printedText(1);
    for (const QString& shown : { name, january, QStringLiteral("Январь"), QStringLiteral("Декабрь"),
             QStringLiteral("За год"), QStringLiteral("Итого к"), sheet->computed(13, 7)->text() })
        EXPECT_NE(text.find(shown.toStdString()), std::string::npos) << shown.toStdString();
    for (const char* hidden : { "Справочник", "Автозаполнение", "Калькулятор" })
        EXPECT_EQ(text.find(hidden), std::string::npos) << hidden;
    // No row colours, no focus colour: black on white.
    EXPECT_EQ(colouredPixels(printedPage(1), folder.file("sheet")), 0);

    EXPECT_EQ(form->size(), size);
    EXPECT_EQ(QApplication::focusWidget(), print);
    const auto base = [](QWidget* w) { return w->palette().color(QPalette::Base); };
    EXPECT_EQ(base(sheet->typed(1, 0)), QColor(0xC0, 0xFF, 0xFF));
    EXPECT_EQ(base(sheet->typed(2, 8)), QColor(0x00, 0xFF, 0xFF));
    EXPECT_EQ(base(sheet->computed(3, 5)), QColor(0xC0, 0xFF, 0xFF));
    EXPECT_EQ(base(sheet->computed(13, 0)), form->palette().color(QPalette::ToolTipBase));
    // Computed cells have no edit frame on screen either; typed ones get theirs back.
    EXPECT_FALSE(sheet->computed(13, 0)->hasFrame());
    EXPECT_TRUE(sheet->typed(1, 0)->hasFrame());
    EXPECT_TRUE(sheet->band(0)->autoFillBackground());
    EXPECT_TRUE(sheet->monthLabel(3)->font().bold());
    EXPECT_TRUE(child<QWidget>(form, "Frame1")->isVisible());
    EXPECT_TRUE(child<QWidget>(form, "picButtons")->isVisible());
    EXPECT_TRUE(child<QMenu>(form, "Mnu_Spr")->menuAction()->isVisible());
    EXPECT_TRUE(child<QMenu>(form, "Menu_Tools")->menuAction()->isVisible());
    EXPECT_FALSE(form->centralWidget()->autoFillBackground());
}

TEST_F(SheetPrintout, AMaximisedWindowPrintsAndStaysMaximisedWithItsOwnPlace)
{
    Form1* form = open();
    ASSERT_NE(form, nullptr);
    form->setGeometry(60, 50, 900, 560);
    const QRect own = form->geometry();
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([form] { return form->isMaximized(); }));
    const QSize maximised = form->size();

    QTest::mouseClick(child<QWidget>(form, "Command1"), Qt::LeftButton);
    ASSERT_TRUE(std::filesystem::exists(printedPage(1)));
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(form->size(), maximised);
    EXPECT_EQ(form->normalGeometry(), own);

    // What the close stores is the user's window, not the print size.
    form->hide();
    EXPECT_EQ(setting("Form1.Maximized"), "1");
    EXPECT_EQ(setting("Form1.Width"), QString::number(own.width()));
    EXPECT_EQ(setting("Form1.Height"), QString::number(own.height()));
}

TEST_F(SheetPrintout, WhileThePageIsDrawnTheFocusedCellIsPlainAndAfterwardsAsItWas)
{
    Form1* form = open();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(active);
    SheetView* sheet = form->sheet();
    SheetCell* cell = sheet->typed(3, 1);
    cell->setFocus(Qt::MouseFocusReason);
    cell->setSelection(4, -3);
    const QString selected = cell->selectedText();
    ASSERT_FALSE(selected.isEmpty());
    hover(sheet->monthLabel(5));
    const QSize size = form->size();
    const QColor focusColour(0xFF, 0xFF, 0x00);
    ASSERT_EQ(cell->palette().color(QPalette::Base), focusColour);

    // Without a printer a box asks what to do with the page; while it is up it has the focus,
    // and the cell gets it back before the page is drawn.
    printer = Printer::none();
    struct Look
    {
        QColor cell;
        bool selection = true;
        int framed = 0;
        bool bold = true;
        QSize size;
        bool scrolled = true;
    } look;
    dialogs.whileShown = [&](const Message&) {
        QWidget box;
        box.show();
        box.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
        box.hide();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        EXPECT_TRUE(cell->hasFocus());
        look.cell = cell->palette().color(QPalette::Base);
        look.selection = cell->hasSelectedText();
        for (int m = 1; m <= 12; ++m) {
            for (int b = 0; b < 9; ++b)
                look.framed += sheet->typed(m, b)->hasFrame() ? 1 : 0;
        }
        look.bold = sheet->monthLabel(5)->font().bold();
        look.size = form->size();
        look.scrolled = form->findChild<QScrollArea*>("sheetScroller")->horizontalScrollBar()->isVisible();
    };
    const std::string pdf = folder.file("Таблица.pdf");
    dialogs.answers = { Answer::Yes };
    dialogs.fileNames = { QString::fromStdString(pdf) };
    printSheet(state, *form, *sheet, form->subscriberSelector()->currentText(), "2026");
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName,
        "Таблица " + form->subscriberSelector()->currentText() + " 2026.pdf");

    EXPECT_EQ(look.cell, QColor(Qt::white));
    EXPECT_FALSE(look.selection);
    EXPECT_EQ(look.framed, 0);
    EXPECT_FALSE(look.bold);
    // The print size, or wider where the sheet needs it: the page never shows it scrolled sideways.
    EXPECT_EQ(look.size.height(), SheetPrintSize.expandedTo(form->minimumSizeHint()).height());
    EXPECT_GE(look.size.width(), SheetPrintSize.width());
    EXPECT_FALSE(look.scrolled);
    EXPECT_EQ(colouredPixels(pdf, folder.file("sheet")), 0);

    EXPECT_EQ(form->size(), size);
    EXPECT_TRUE(cell->hasFocus());
    EXPECT_EQ(cell->palette().color(QPalette::Base), focusColour);
    EXPECT_EQ(cell->selectedText(), selected);
    EXPECT_EQ(cell->cursorPosition(), 1);
    EXPECT_TRUE(cell->hasFrame());
    EXPECT_FALSE(sheet->computed(3, 1)->hasFrame());
    EXPECT_TRUE(sheet->monthLabel(5)->font().bold());
}

} // namespace
