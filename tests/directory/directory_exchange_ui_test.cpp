// The directory window's workbook buttons: the import refills the grid, the export writes every row.

#include "app/main_window.h"
#include "directory/directory_model.h"
#include "directory/directory_window.h"
#include "platform/workbook_writer.h"
#include "support/app_fixture.h"
#include "support/workbook_dump.h"
#include "text/cp1251.h"

#include <QAction>
#include <QPushButton>

namespace {

class DirectoryExchange : public AppFixture
{
protected:
    frmSpr* openDirectory()
    {
        Form1* main = start();
        if (!main)
            return nullptr;
        main->findChild<QAction*>("Mnu_Abonenty")->trigger();
        return program->directoryWindow();
    }
};

TEST_F(DirectoryExchange, AnImportedWorkbookIsWhatTheGridShows)
{
    writeDemoDatabase(6);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    ASSERT_EQ(directory->model()->rowCount(), 6);

    WorkbookWriter writer;
    writer.setTexts("A1",
        { { "№", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание" },
            { "1", "Новикова Н. Н.", "уч. 7", "", "НЕВА 101", "" },
            { "2", "Зайцев З. З.", "уч. 9", "", "", "новый" } });
    const std::string path = folder.file("import.xlsx");
    ASSERT_TRUE(writer.saveAs(path));
    dialogs.answers.push_back(Answer::Yes);
    dialogs.fileNames.push_back(QString::fromStdString(path));
    directory->findChild<QPushButton*>("CmdImport")->click();

    EXPECT_EQ(directory->model()->rowCount(), 2);
    EXPECT_EQ(directory->model()->index(1, 1).data().toString(), "Зайцев З. З.");
    EXPECT_EQ(state.table.recordCount(), 2);
    EXPECT_NE(databaseBytes().find(cp1251::encode("Зайцев З. З.")), std::string::npos);
}

TEST_F(DirectoryExchange, ExportWritesEveryRowOfTheGrid)
{
    writeDemoDatabase(6);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    const std::string path = folder.file("export.xlsx");
    dialogs.fileNames.push_back(QString::fromStdString(path));
    directory->findChild<QPushButton*>("Command1")->click();
    const WorkbookDump dump = dumpWorkbook(path);
    ASSERT_TRUE(dump.ok) << dump.error.toStdString();
    EXPECT_EQ(dump.text("B7"), directory->model()->index(5, 1).data().toString());
    EXPECT_EQ(dump.text("A8"), "");
}

} // namespace
