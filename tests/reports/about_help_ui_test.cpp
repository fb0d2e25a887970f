#include "app/main_window.h"
#include "reports/about_window.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

namespace {

using AboutAndHelp = AppFixture;

frmAbout* openAbout(Form1* form)
{
    form->findChild<QAction*>("Menu_Hlp_About")->trigger();
    return form->findChild<frmAbout*>();
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(AboutAndHelp, AboutNamesTheVersionAndBlocksTheMainWindowUntilOk)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    QPointer<frmAbout> about = openAbout(form);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->windowTitle().startsWith("О программе Терволин"));
    EXPECT_TRUE(about->windowTitle().contains("2.4.4"));
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), about.data());

    about->findChild<QPushButton*>("CmdOk")->click();
    deleteClosedWindows();
    EXPECT_TRUE(about.isNull());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AboutAndHelp, AboutClosesWhenAnotherWindowIsActivated)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    QPointer<frmAbout> about = openAbout(form);
    ASSERT_NE(about, nullptr);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(about, &activate);
    EXPECT_TRUE(about->isVisible());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(about, &deactivate);
    deleteClosedWindows();
    EXPECT_TRUE(about.isNull());
}

TEST_F(AboutAndHelp, HelpOpensTheGuideBesideTheProgram)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    writeBytes(folder.file("Help.pdf"), "%PDF-1.4\n");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->findChild<QAction*>("Menu_Hlp_Hlp1")->trigger();
    form->findChild<QToolButton*>("Cmd5")->click();
    const QStringList expected(2, QString::fromStdString(folder.file("Help.pdf")));
    EXPECT_EQ(shell.openedFiles, expected);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(AboutAndHelp, HelpNamesTheFileWhenItCannotBeShown)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const QString path = QString::fromStdString(folder.file("Help.pdf"));

    form->findChild<QAction*>("Menu_Hlp_Hlp1")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Файл справки " + path + " не найден.");
    EXPECT_TRUE(shell.openedFiles.isEmpty());

    writeBytes(folder.file("Help.pdf"), "%PDF-1.4\n");
    shell.handlerExists = false;
    form->findChild<QAction*>("Menu_Hlp_Hlp1")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[1].text.endsWith(path));
    EXPECT_EQ(dialogs.shown[1].title, "Помощь");
}

} // namespace
