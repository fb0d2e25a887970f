// Where the file dialogs open: each kind of file in the folder its last file went to or came from.

#include "app/backup.h"
#include "app/main_window.h"
#include "directory/directory_workbook.h"
#include "platform/file_places.h"
#include "support/app_fixture.h"

#include <QDir>
#include <filesystem>

namespace {

class FilePlaces : public AppFixture
{
protected:
    FilePlaces() { writeDatabase({ { "1", "Иванов И. И.", "Садовая, 1" }, { "2", "Петров П. П." } }); }

    // A folder of the test's own, made.
    std::string made(const std::string& name) const
    {
        std::filesystem::create_directories(folder.path() / name);
        return folder.file(name);
    }
    QString proposedFolder(qsizetype request) const { return dialogs.fileRequests.value(request).folder; }
    QString kept(places::Kind kind) const { return setting(places::settingsKey(kind)); }
};

TEST_F(FilePlaces, EachKindOfFileOpensWhereItsOwnLastFileWent)
{
    ASSERT_NE(start(), nullptr);
    const std::string copies = made("копии");
    const std::string books = made("книги");

    dialogs.fileNames = { QString::fromStdString(copies + "/копия.spb") };
    ASSERT_TRUE(backup::makeBackup(state));
    dialogs.fileNames = { QString::fromStdString(books + "/справочник.xlsx") };
    ASSERT_TRUE(exportDirectoryWorkbook(state));
    EXPECT_EQ(proposedFolder(0), "") << "nothing remembered yet: the home folder";
    EXPECT_EQ(proposedFolder(1), "");
    EXPECT_EQ(kept(places::Kind::Backup), QString::fromStdString(copies));
    EXPECT_EQ(kept(places::Kind::Workbook), QString::fromStdString(books));
    EXPECT_EQ(kept(places::Kind::Pdf), "<none>");
    EXPECT_EQ(kept(places::Kind::Statement), "<none>");

    // The restore shares the backups' folder, the import the workbooks'; a restore answered "No"
    // still chose its file, and its folder is kept.
    dialogs.fileNames = { QString::fromStdString(copies + "/копия.spb") };
    dialogs.answers = { Answer::No };
    EXPECT_FALSE(backup::restoreBackup(state));
    dialogs.fileNames = { std::nullopt };
    dialogs.answers = { Answer::Yes };
    EXPECT_FALSE(importDirectoryWorkbook(state));
    ASSERT_EQ(dialogs.fileRequests.size(), 4);
    EXPECT_EQ(proposedFolder(2), QString::fromStdString(copies));
    EXPECT_EQ(proposedFolder(3), QString::fromStdString(books));

    // A workbook read from elsewhere moves the workbooks' folder, not the backups'.
    const std::string elsewhere = made("почта");
    std::filesystem::copy_file(books + "/справочник.xlsx", elsewhere + "/справочник.xlsx");
    dialogs.fileNames = { QString::fromStdString(elsewhere + "/справочник.xlsx") };
    dialogs.answers = { Answer::Yes };
    importDirectoryWorkbook(state);
    EXPECT_EQ(kept(places::Kind::Workbook), QString::fromStdString(elsewhere));
    EXPECT_EQ(kept(places::Kind::Backup), QString::fromStdString(copies));
}

TEST_F(FilePlaces, ACancelOrAFailedWriteKeepsTheFolderUsedBefore)
{
    ASSERT_NE(start(), nullptr);
    dialogs.fileNames = { std::nullopt };
    EXPECT_FALSE(backup::makeBackup(state));
    dialogs.fileNames = { std::nullopt };
    EXPECT_FALSE(exportDirectoryWorkbook(state));
    EXPECT_EQ(kept(places::Kind::Backup), "<none>");
    EXPECT_EQ(kept(places::Kind::Workbook), "<none>");

    const std::string books = made("книги");
    dialogs.fileNames = { QString::fromStdString(books + "/первый.xlsx") };
    ASSERT_TRUE(exportDirectoryWorkbook(state));
    dialogs.fileNames = { QString::fromStdString(folder.file("нет такой папки/второй.xlsx")) };
    EXPECT_FALSE(exportDirectoryWorkbook(state));
    dialogs.fileNames = { QString::fromStdString(folder.file("нет такой папки/копия.spb")) };
    EXPECT_FALSE(backup::makeBackup(state));
    EXPECT_EQ(dialogs.shown.size(), 2) << "both failures are told";
    EXPECT_EQ(kept(places::Kind::Workbook), QString::fromStdString(books));
    EXPECT_EQ(kept(places::Kind::Backup), "<none>");
}

TEST_F(FilePlaces, AFolderThatHasGoneOpensTheHomeFolder)
{
    ASSERT_NE(start(), nullptr);
    const std::string stick = made("флешка");
    dialogs.fileNames = { QString::fromStdString(stick + "/копия.spb") };
    ASSERT_TRUE(backup::makeBackup(state));
    dialogs.fileNames = { std::nullopt };
    backup::makeBackup(state);
    EXPECT_EQ(proposedFolder(1), QString::fromStdString(stick));

    std::filesystem::remove_all(stick);
    dialogs.fileNames = { std::nullopt };
    backup::makeBackup(state);
    EXPECT_EQ(proposedFolder(2), "");
    // A file where the folder was is no folder either.
    writeBytes(stick, "");
    dialogs.fileNames = { std::nullopt };
    backup::makeBackup(state);
    EXPECT_EQ(proposedFolder(3), "");
}

} // namespace
