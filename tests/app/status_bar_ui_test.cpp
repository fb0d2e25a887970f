// After a save, a backup, an export, a carry-over or an import, the window's status bar says what
// was done and where it went; a failed one keeps its message box and leaves nothing in the bar.

#include "accounts/carry_over_window.h"
#include "accounts/ledger_fixture.h"
#include "directory/directory_window.h"
#include "platform/workbook_writer.h"

#include <QPushButton>
#include <QStatusBar>
#include <filesystem>

namespace {

using namespace ledgertest;

class StatusNotice : public LedgerWindow
{
protected:
    static QString shown(QWidget* window)
    {
        auto* bar = window->findChild<QStatusBar*>("StatusBar");
        return bar ? bar->currentMessage() : QStringLiteral("<no status bar>");
    }
    QString path(const char* name) const { return QString::fromStdString(folder.file(name)); }
    static void trigger(QWidget* window, const char* name)
    {
        QAction* action = window->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    QStringList texts() const
    {
        QStringList result;
        for (const Message& m : dialogs.shown)
            result << m.text;
        return result;
    }
};

TEST_F(StatusNotice, TheMainWindowTellsOfEachSaveBackupAndExport)
{
    writeRecords({ { "Иванов И. И.", {} } });
    main = start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(shown(main), "");
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 33)));

    trigger(main, "Keys_Save");
    EXPECT_EQ(shown(main), "База сохранена 14:05");

    dialogs.fileNames.push_back(path("копия.spb"));
    trigger(main, "Menu_Tuns_RCopy");
    EXPECT_EQ(shown(main), "Резервная копия: " + path("копия.spb"));

    dialogs.fileNames.push_back(path("таблица.xlsx"));
    trigger(main, "Menu_Tools_Export_Excel");
    EXPECT_EQ(shown(main), "Экспорт: " + path("таблица.xlsx"));

    // A month's statement saved as a PDF from its frame: the main window says so when it is back.
    trigger(main, "Vedomost");
    QMainWindow* frame = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == "MDIfrmPrint" && window->isVisible())
            frame = qobject_cast<QMainWindow*>(window);
    }
    ASSERT_NE(frame, nullptr);
    dialogs.fileNames.push_back(path("ведомость.pdf"));
    trigger(frame, "SavePdf");
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(shown(main), "Экспорт: " + path("ведомость.pdf"));
    EXPECT_TRUE(std::filesystem::exists(folder.file("ведомость.pdf")));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << texts().join('\n').toStdString();
}

TEST_F(StatusNotice, AFailedSaveBackupOrExportKeepsItsBoxAndLeavesTheBarEmpty)
{
    writeRecords({ { "Иванов И. И.", {} } });
    main = start();
    ASSERT_NE(main, nullptr);
    // The database's temporary file cannot be made, nor files in a folder that is not there.
    const std::string blocked = databasePath() + ".tmp";
    std::filesystem::create_directory(blocked);

    trigger(main, "Keys_Save");
    dialogs.fileNames.push_back(path("нет/копия.spb"));
    trigger(main, "Menu_Tuns_RCopy");
    dialogs.fileNames.push_back(path("нет/таблица.xlsx"));
    trigger(main, "Menu_Tools_Export_Excel");

    EXPECT_EQ(texts(),
        QStringList(
            { "Ошибка сохранения", "Не удалось записать резервную копию в файл " + path("нет/копия.spb"),
                "Не удалось сохранить файл " + path("нет/таблица.xlsx") }));
    EXPECT_EQ(shown(main), "");
    std::filesystem::remove(blocked);
}

TEST_F(StatusNotice, TheLedgerTellsOfItsSaveExportAndCarryOver)
{
    writeRecords({ { "Иванов И. И.", { { December2024, "100" } } }, { "Петров П. П.", {} } });
    frmRedLS* ledger = openLedger("2024", 11);
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(shown(ledger), "");
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 7)));

    trigger(ledger, "Keys_Save");
    EXPECT_EQ(shown(ledger), "База сохранена 09:07");

    dialogs.fileNames.push_back(path("счет.xlsx"));
    ledger->findChild<QToolButton*>("Command1")->click();
    EXPECT_EQ(shown(ledger), "Экспорт: " + path("счет.xlsx"));

    ledger->findChild<QPushButton*>("CmdPerenos")->click();
    auto* carryOver = ledger->findChild<frmPerenos*>();
    ASSERT_NE(carryOver, nullptr);
    carryOver->findChild<QPushButton*>("CmdOk")->click();
    EXPECT_EQ(shown(ledger), "Остатки перенесены на январь 2025");
    carryOver->close();
    EXPECT_TRUE(dialogs.shown.isEmpty()) << texts().join('\n').toStdString();
}

TEST_F(StatusNotice, TheDirectoryTellsHowManySubscribersCameInAndWhereTheExportWent)
{
    writeDemoDatabase(6);
    main = start();
    ASSERT_NE(main, nullptr);
    trigger(main, "Mnu_Abonenty");
    frmSpr* directory = program->directoryWindow();
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(shown(directory), "");

    // A file that is no workbook: its box, and nothing in the bar.
    writeBytes(folder.file("не книга.xlsx"), "не книга");
    dialogs.answers.push_back(Answer::Yes);
    dialogs.fileNames.push_back(path("не книга.xlsx"));
    directory->findChild<QPushButton*>("CmdImport")->click();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(shown(directory), "");

    WorkbookWriter writer;
    writer.setTexts("A1",
        { { "№", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание" },
            { "1", "Новикова Н. Н.", "уч. 7", "", "", "" }, { "2", "Зайцев З. З.", "уч. 9", "", "", "" } });
    ASSERT_TRUE(writer.saveAs(folder.file("import.xlsx")));
    dialogs.answers.push_back(Answer::Yes);
    dialogs.fileNames.push_back(path("import.xlsx"));
    directory->findChild<QPushButton*>("CmdImport")->click();
    EXPECT_EQ(shown(directory), "Импорт: 2 абонента");

    dialogs.fileNames.push_back(path("справочник.xlsx"));
    directory->findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(shown(directory), "Экспорт: " + path("справочник.xlsx"));
    EXPECT_EQ(dialogs.shown.size(), 3); // the import's question, nothing more
}

} // namespace
