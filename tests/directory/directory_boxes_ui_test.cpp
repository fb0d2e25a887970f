// The directory's windows outlive their own message boxes: a close that comes while a box waits
// for its answer (the end of the run, or the directory closing its dialogs) is carried out once
// the command that asked has finished.

#include "app/main_window.h"
#include "directory/add_subscriber_window.h"
#include "directory/directory_model.h"
#include "directory/directory_window.h"
#include "platform/workbook_writer.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <functional>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class DirectoryBoxes : public AppFixture
{
protected:
    frmSpr* openDirectory()
    {
        Form1* form = program->mainWindow() ? program->mainWindow() : start();
        if (!form)
            return nullptr;
        form->findChild<QAction*>("Mnu_Abonenty")->trigger();
        settle();
        return program->directoryWindow();
    }

    // While the next box is on screen the window is closed, and what the close leaves for the
    // event loop is done there and then, as a box's own event loop would.
    void closeUnderTheNextBox(QWidget* window)
    {
        closedUnder = window;
        survived = false;
        boxesBefore = int(dialogs.shown.size());
        dialogs.whileShown = [this](const Message&) {
            if (int(dialogs.shown.size()) != boxesBefore + 1 || !closedUnder)
                return;
            closedUnder->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            survived = closedUnder && closedUnder->isVisible();
        };
    }

    bool fileHas(const std::string& utf8) const
    {
        return databaseBytes().find(cp1251::encode(utf8)) != std::string::npos;
    }

    QPointer<QWidget> closedUnder;
    bool survived = false;
    int boxesBefore = 0;
};

TEST_F(DirectoryBoxes, TheDirectoryClosesOnlyOnceItsCommandIsDone)
{
    writeDemoDatabase(4);
    WorkbookWriter writer;
    writer.setTexts("A1",
        { { "№", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание" },
            { "1", "Новикова Н. Н." }, { "2", "Зайцев З. З." } });
    const std::string workbook = folder.file("import.xlsx");
    ASSERT_TRUE(writer.saveAs(workbook));

    struct Case
    {
        const char* what;
        std::function<void(frmSpr*)> command;
        std::function<void()> check;
    };
    const std::vector<Case> cases = {
        { "import question answered No",
            [&](frmSpr* directory) {
                dialogs.answers = { Answer::No };
                directory->findChild<QPushButton*>("CmdImport")->click();
            },
            [&] { EXPECT_EQ(state.table.recordCount(), 4); } },
        { "import question answered Yes",
            [&](frmSpr* directory) {
                dialogs.answers = { Answer::Yes };
                dialogs.fileNames = { QString::fromStdString(workbook) };
                directory->findChild<QPushButton*>("CmdImport")->click();
                EXPECT_EQ(directory->model()->rowCount(), 2);
            },
            [&] {
                EXPECT_EQ(state.table.recordCount(), 2);
                EXPECT_TRUE(fileHas("\r\n2|Зайцев З. З.|"));
            } },
        { "delete question",
            [&](frmSpr* directory) {
                directory->g_Click(2);
                dialogs.answers = { Answer::Yes };
                directory->CmdDel_Click();
                EXPECT_EQ(directory->model()->rowCount(), 1);
            },
            [&] { EXPECT_EQ(state.table.recordCount(), 1); } },
        { "find result",
            [&](frmSpr* directory) {
                directory->findChild<QLineEdit*>("txtfind")->setText("Зайцев");
                directory->Cmdfind_Click();
            },
            [] {} },
        { "export failure",
            [&](frmSpr* directory) {
                dialogs.fileNames = { QString::fromStdString(folder.file("нет папки/справочник.xlsx")) };
                directory->findChild<QPushButton*>("Command1")->click();
            },
            [] {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frmSpr* directory = openDirectory();
        ASSERT_NE(directory, nullptr);
        QPointer<frmSpr> watch(directory);
        closeUnderTheNextBox(directory);
        c.command(directory);
        EXPECT_EQ(int(dialogs.shown.size()), boxesBefore + 1);
        EXPECT_TRUE(survived) << "the window was gone while its box was open";
        ASSERT_FALSE(watch.isNull());

        settle();
        EXPECT_TRUE(watch.isNull()) << "the close that waited was carried out";
        ASSERT_NE(program->mainWindow(), nullptr);
        EXPECT_TRUE(program->mainWindow()->isVisible());
        c.check();
        dialogs.whileShown = nullptr;
    }
}

TEST_F(DirectoryBoxes, TheAddDialogAndTheDirectoryWaitForTheDialogsBox)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);

    // The dialog closed under its own box.
    directory->Cmd1_Click();
    QPointer<frmAdd> adder = directory->findChild<frmAdd*>();
    ASSERT_FALSE(adder.isNull());
    closeUnderTheNextBox(adder);
    adder->Cmd1_Click(); // no name typed
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Не введена Фамилия И. О. ");
    EXPECT_TRUE(survived);
    settle();
    EXPECT_TRUE(adder.isNull());
    EXPECT_EQ(dialogs.shown.size(), 1) << "nothing was added, so nothing to ask";

    // The directory closed under the dialog's box: the dialog closes first, as its close box
    // would, asking about the subscriber it holds; then the directory.
    directory->Cmd1_Click();
    adder = directory->findChild<frmAdd*>();
    ASSERT_FALSE(adder.isNull());
    adder->box(0)->setText("Новиков Н. Н.");
    adder->Cmd1_Click();
    ASSERT_EQ(adder->addedCount(), 1);
    QPointer<frmSpr> watch(directory);
    closeUnderTheNextBox(directory);
    adder->Cmd1_Click();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(survived);
    EXPECT_FALSE(adder.isNull());
    dialogs.answers = { Answer::Yes };
    settle();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[2].text, "Занести добавленных абонентов в базу?");
    EXPECT_TRUE(adder.isNull());
    EXPECT_TRUE(watch.isNull());
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_TRUE(fileHas("\r\n4|Новиков Н. Н.|"));
}

TEST_F(DirectoryBoxes, ADialogTheOperatorKeepsOpenKeepsTheDirectoryOpen)
{
    writeDemoDatabase(3);
    frmSpr* directory = openDirectory();
    ASSERT_NE(directory, nullptr);
    directory->Cmd1_Click();
    frmAdd* adder = directory->findChild<frmAdd*>();
    ASSERT_NE(adder, nullptr);
    adder->box(0)->setText("Новиков Н. Н.");
    adder->Cmd1_Click();

    dialogs.answers = { Answer::Cancel };
    EXPECT_FALSE(directory->close());
    EXPECT_TRUE(directory->isVisible());
    EXPECT_TRUE(adder->isVisible());
    EXPECT_EQ(program->mainWindow(), nullptr);

    dialogs.answers = { Answer::No };
    EXPECT_TRUE(directory->close());
    settle();
    EXPECT_EQ(program->directoryWindow(), nullptr);
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_EQ(state.table.recordCount(), 3);
    EXPECT_FALSE(fileHas("Новиков Н. Н."));
}

} // namespace
