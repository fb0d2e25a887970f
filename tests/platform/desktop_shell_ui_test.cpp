// The desktop shell on a machine whose programs the test chooses: a PATH of its own with small
// scripts standing in for the desktop's opener and for PDF viewers.

#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "reports/help_command.h"
#include "session/app_state.h"
#include "support/files.h"

#include <QFile>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class DesktopShellTest : public ::testing::Test
{
protected:
    DesktopShellTest()
        : m_path(qgetenv("PATH")), m_dataDirs(qgetenv("XDG_DATA_DIRS")), m_dataHome(qgetenv("XDG_DATA_HOME"))
    {
        std::filesystem::create_directories(programs.path());
        std::filesystem::create_directories(data.path() / "applications");
        qputenv("PATH", QFile::encodeName(QString::fromStdString(programs.path().string())));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(QString::fromStdString(data.path().string())));
        qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString(data.path().string())));
        guide = folder.file("Help.pdf");
        writeBytes(guide, "%PDF-1.4\n");
    }
    ~DesktopShellTest() override
    {
        qputenv("PATH", m_path);
        qputenv("XDG_DATA_DIRS", m_dataDirs);
        qputenv("XDG_DATA_HOME", m_dataHome);
    }

    // A program on the test's PATH: a shell script with this body.
    void program(const std::string& name, const std::string& body)
    {
        const std::string path = (programs.path() / name).string();
        writeBytes(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    // The desktop's answer to "which program opens PDF files".
    void defaultPdfHandler(const std::string& entry) { program("xdg-mime", "echo '" + entry + "'"); }

    TempFolder folder;
    TempFolder programs;
    TempFolder data;
    std::string guide;
    DesktopShell shell;

private:
    QByteArray m_path;
    QByteArray m_dataDirs;
    QByteArray m_dataHome;
};

TEST_F(DesktopShellTest, WithoutAnyViewerTheGuideIsNotCountedAsOpened)
{
    // The desktop's opener is there and starts, whether or not anything can show the file.
    program("xdg-open", "exit 0");
    EXPECT_FALSE(shell.openFile(QString::fromStdString(guide)));
    // The desktop names a handler that is not installed.
    defaultPdfHandler("removed-viewer.desktop");
    EXPECT_FALSE(shell.openFile(QString::fromStdString(guide)));
    defaultPdfHandler("");
    EXPECT_FALSE(shell.openFile(QString::fromStdString(guide)));
}

TEST_F(DesktopShellTest, AViewerOnTheMachineOpensTheGuideWhenTheDesktopNamesNone)
{
    defaultPdfHandler("");
    const std::string opened = folder.file("opened.txt");
    program("okular", "echo \"$1\" > '" + opened + "'");
    ASSERT_TRUE(shell.openFile(QString::fromStdString(guide)));
    // The viewer runs on its own: the file may be there before its line is.
    EXPECT_TRUE(QTest::qWaitFor([&] { return readBytes(opened) == guide + "\n"; }, 5000))
        << readBytes(opened);
}

TEST_F(DesktopShellTest, TheHelpCommandNamesTheGuideWhenNothingCanShowIt)
{
    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock{ QDateTime(QDate(2026, 12, 8), QTime(9, 0)) };
    Printer printer = Printer::none();
    AppState state(
        { dialogs, settings, clock, shell, printer }, QString::fromStdString(folder.path().string()));
    help::openHelp(state);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("Не найдена программа для просмотра файлов PDF."));
    EXPECT_TRUE(dialogs.shown[0].text.endsWith(help::helpFilePath(state)));
}

TEST_F(DesktopShellTest, NoCalculatorIsReported)
{
    EXPECT_FALSE(shell.startCalculator());
    program("galculator", "exit 0");
    EXPECT_TRUE(shell.startCalculator());
}

} // namespace
