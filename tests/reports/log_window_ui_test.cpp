// The window "Журнал изменений" opened from the main window's tools menu shows what the writes of
// the database changed, the newest first, narrows it by the filters above the grid, and prints and
// exports exactly the rows it shows.

#include "app/main_window.h"
#include "database/change_log.h"
#include "database/field_map.h"
#include "database/sha256.h"
#include "directory/directory_window.h"
#include "documents/preview_frame.h"
#include "reports/log_window.h"
#include "support/app_fixture.h"
#include "support/pdf.h"
#include "support/workbook_dump.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

namespace {

class LogWindow : public AppFixture
{
protected:
    ~LogWindow() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmLog*>(w) || qobject_cast<MDIfrmPrint*>(w))
                w->deleteLater();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // Two writes: the operator's save of an address on 06.12, the bank statement's payment on 07.12.
    void writeTwice()
    {
        writeDatabase({ { "1", "Иванов И. И.", "уч. 1" }, { "2", "Петров П. П.", "уч. 2" } });
        form = start();
        ASSERT_NE(form, nullptr);
        state.table.set(1, fields::Address, "уч. 7");
        ASSERT_TRUE(state.WriteDatabase());
        clock.set(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
        AppState::Writing writing(
            state, QStringLiteral("Загрузка выписки банка"), QStringLiteral("выписка.txt"));
        state.table.set(2, fields::ledgerBaseOfMonth(2026, 11) + 6, "500");
        state.table.set(2, fields::baseOfMonth(2026, 11) + fields::CurrentReading, "1200");
        ASSERT_TRUE(state.WriteDatabase());
    }

    frmLog* openLog()
    {
        if (!form)
            form = start();
        if (!form)
            return nullptr;
        QAction* item = form->findChild<QAction*>("Menu_Tools_Log");
        if (!item || item->text() != "&Журнал изменений")
            return nullptr;
        item->trigger();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* log = qobject_cast<frmLog*>(w); log && log->isVisible())
                return log;
        return nullptr;
    }

    static QStringList column(QTableWidget* grid, int c)
    {
        QStringList texts;
        for (int r = 0; r < grid->rowCount(); ++r)
            texts << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        return texts;
    }

    Form1* form = nullptr;
};

TEST_F(LogWindow, ShowsEveryChangedFieldNewestFirstAndTheFiltersNarrowIt)
{
    writeTwice();
    frmLog* log = openLog();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle(), "Журнал изменений");
    EXPECT_TRUE(log->noteLabel()->isHidden());
    QTableWidget* grid = log->grid();
    EXPECT_EQ(grid->objectName(), "g");
    ASSERT_EQ(grid->columnCount(), 10);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Дата и время");
    EXPECT_EQ(grid->horizontalHeaderItem(9)->text(), "Примечание");
    EXPECT_EQ(column(grid, 0),
        (QStringList{ "07.12.2026 08:00:00", "07.12.2026 08:00:00", "06.12.2026 21:05:00" }));
    EXPECT_EQ(
        column(grid, 2), (QStringList{ "Загрузка выписки банка", "Загрузка выписки банка", "Сохранение" }));
    EXPECT_EQ(column(grid, 3), (QStringList{ "2 Петров П. П.", "2 Петров П. П.", "1 Иванов И. И." }));
    EXPECT_EQ(column(grid, 5), (QStringList{ "Ноябрь", "Ноябрь", "" }));
    EXPECT_EQ(column(grid, 6), (QStringList{ "Текущее показание", "Внесено", "Адрес" }));
    EXPECT_EQ(column(grid, 7), (QStringList{ "", "", "уч. 1" }));
    EXPECT_EQ(column(grid, 8), (QStringList{ "1200", "500", "уч. 7" }));
    EXPECT_EQ(column(grid, 9), (QStringList{ "выписка.txt", "выписка.txt", "" }));
    EXPECT_EQ(log->countLabel()->text(), "Строк: 3");

    // The filters offer what the journal holds.
    EXPECT_EQ(log->subscriberSelector()->itemText(0), "Все абоненты");
    EXPECT_EQ(log->subscriberSelector()->count(), 3);
    EXPECT_EQ(log->yearSelector()->itemText(0), "Все");
    EXPECT_EQ(log->yearSelector()->itemText(1), "2026");
    EXPECT_EQ(log->kindSelector()->count(), 3);
    EXPECT_EQ(log->fromDate()->date(), QDate(2026, 12, 6));
    EXPECT_EQ(log->toDate()->date(), QDate(2026, 12, 7));

    log->subscriberSelector()->setCurrentText("Иванов И. И.");
    EXPECT_EQ(column(grid, 6), (QStringList{ "Адрес" }));
    log->subscriberSelector()->setCurrentIndex(0);
    log->yearSelector()->setCurrentText("2026");
    EXPECT_EQ(column(grid, 6), (QStringList{ "Текущее показание", "Внесено" }));
    log->monthSelector()->setCurrentText("Октябрь");
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(log->countLabel()->text(), "Строк: 0");
    log->monthSelector()->setCurrentIndex(0);
    log->yearSelector()->setCurrentIndex(0);
    log->toDate()->setDate(QDate(2026, 12, 6));
    EXPECT_EQ(column(grid, 6), (QStringList{ "Адрес" }));
    log->toDate()->setDate(QDate(2026, 12, 7));
    log->kindSelector()->setCurrentText("Загрузка выписки банка");
    EXPECT_EQ(grid->rowCount(), 2);

    // What is shown is what goes to the workbook and the printout.
    const std::string path = folder.file("log.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    EXPECT_EQ(log->exportButton()->text(), "Экспорт в Excel");
    log->exportButton()->click();
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.text("A1"), "Журнал изменений");
    EXPECT_NE(dump.text("A2").indexOf("Загрузка выписки банка"), -1) << dump.text("A2").toStdString();
    int heading = 0;
    for (int r = 1; r <= dump.maxRow && heading == 0; ++r)
        if (dump.text(cellName(1, r)) == "Дата и время")
            heading = r;
    ASSERT_GT(heading, 0);
    EXPECT_EQ(dump.text(cellName(7, heading + 1)), "Текущее показание");
    EXPECT_EQ(dump.text(cellName(7, heading + 2)), "Внесено");
    EXPECT_EQ(dump.maxRow, heading + 2);
    EXPECT_TRUE(dump.landscape);

    log->printButton()->click();
    MDIfrmPrint* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<MDIfrmPrint*>(w);
            f && f->isVisible() && f->page()->objectName() == "frmPrintLog")
            frame = f;
    ASSERT_NE(frame, nullptr);
    frame->findChild<QAction*>("Print")->trigger();
    const std::string text = pdfText(printedPage(1));
    EXPECT_NE(text.find("Журнал изменений"), std::string::npos);
    EXPECT_NE(text.find("выписка.txt"), std::string::npos);
    EXPECT_EQ(text.find("уч. 7"), std::string::npos);
}

TEST_F(LogWindow, SaysWhenThereIsNoJournalYet)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    frmLog* log = openLog();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->noteLabel()->isVisibleTo(log));
    EXPECT_EQ(log->noteLabel()->text(), "Журнал изменений пока пуст.");
    EXPECT_EQ(log->grid()->rowCount(), 0);
    EXPECT_EQ(log->subscriberSelector()->count(), 1);
}

TEST_F(LogWindow, ShowsABrokenJournalUpToWhereItBreaks)
{
    writeTwice();
    // The payment changed by hand in the journal: the second entry no longer holds.
    std::string journal = readBytes(folder.file("Tervolin2.log"));
    const std::size_t at = journal.find("|500\n");
    ASSERT_NE(at, std::string::npos);
    journal.replace(at, 5, "|900\n");
    writeBytes(folder.file("Tervolin2.log"), journal);
    frmLog* log = openLog();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->noteLabel()->isVisibleTo(log));
    EXPECT_NE(log->noteLabel()->text().indexOf("запись № 2"), -1) << log->noteLabel()->text().toStdString();
    EXPECT_EQ(column(log->grid(), 6).join("; ").toStdString(), "Адрес");
}

TEST_F(LogWindow, AJournalTooLongForTheGridShowsItsNewestRowsAndSaysHowManyThereAre)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    changelog::Entry old{ "01.12.2026 10:00:00", "ivan", "Сохранение", "", {}, "h1" };
    for (int i = 0; i < frmLog::MaxShownRows; ++i)
        old.changes.push_back({ 1, "Иванов И. И.", 2026, 1, "Текущее показание", "", std::to_string(i) });
    changelog::Entry newest{ "02.12.2026 10:00:00", "ivan", "Сохранение", "",
        { { 1, "Иванов И. И.", 2026, 2, "Текущее показание", "", "последнее" } },
        Sha256::of(databaseBytes()) };
    writeBytes(folder.file("Tervolin2.log"), changelog::appended(changelog::appended("", old), newest));
    frmLog* log = openLog();
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(log->grid()->rowCount(), frmLog::MaxShownRows);
    EXPECT_EQ(log->grid()->item(0, 8)->text(), "последнее");
    EXPECT_EQ(log->countLabel()->text(), "Показаны последние 10000 строк из 10001: сузьте отбор.");
    log->monthSelector()->setCurrentText("Февраль");
    EXPECT_EQ(log->grid()->rowCount(), 1);
    EXPECT_EQ(log->countLabel()->text(), "Строк: 1");
}

TEST_F(LogWindow, ASubscribersHistoryOpensFromTheirRowInTheDirectory)
{
    writeTwice();
    form->findChild<QAction*>("Mnu_Abonenty")->trigger();
    QCoreApplication::processEvents();
    frmSpr* directory = program->directoryWindow();
    ASSERT_NE(directory, nullptr);
    directory->g_Click(2);
    directory->rowMenu()->findChild<QAction*>("MnuHistory")->trigger();
    frmLog* log = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<frmLog*>(w); found && found->isVisible())
            log = found;
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->subscriberSelector()->currentText(), "Петров П. П.");
    auto* grid = log->findChild<QTableWidget*>("g");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 2);
    log->close();
    directory->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Someone nobody has changed yet: their history is empty, not everyone's.
    state.table.setRecordCount(3);
    state.table.set(3, fields::FullName, "Сидоров С. С.");
    openSubscriberHistory(state, 3);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<frmLog*>(w); found && found->isVisible())
            log = found;
    EXPECT_EQ(log->subscriberSelector()->currentText(), "Сидоров С. С.");
    EXPECT_EQ(log->findChild<QTableWidget*>("g")->rowCount(), 0);
}

} // namespace

