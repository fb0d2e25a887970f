// The file system under the database: a file replaced whole or not at all, on POSIX systems and
// on Windows alike, in folders with Russian names, with other programs reading the file meanwhile.

#include "app/backup_file.h"
#include "database/database_file.h"
#include "platform/file_system.h"
#include "support/files.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool replaceWith(const std::string& target, const std::string& bytes, std::string* error = nullptr)
{
    files::Replacement replacement(target, target + ".tmp");
    return replacement.open(error) && replacement.write(bytes.data(), bytes.size(), error)
        && replacement.commit(error);
}

std::string readThrough(files::InputFile& file)
{
    std::string bytes;
    char buffer[7]; // pieces smaller than the file
    for (std::int64_t n; (n = file.read(buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, std::size_t(n));
    return bytes;
}

TEST(FileReplacement, ReplacesAnExistingFileWhole)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    writeBytes(path, "старое содержимое, длиннее нового");
    std::string error;
    ASSERT_TRUE(replaceWith(path, "новое", &error)) << error;
    EXPECT_EQ(readBytes(path), "новое");
    EXPECT_FALSE(std::filesystem::exists(filePath(path + ".tmp")));
    // A file that was not there is made.
    ASSERT_TRUE(replaceWith(folder.file("new.spb"), "first"));
    EXPECT_EQ(readBytes(folder.file("new.spb")), "first");
}

TEST(FileReplacement, AFailureLeavesTheOldFile)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    writeBytes(path, "old");

    // The temporary file cannot be made: a folder stands in its place.
    std::filesystem::create_directory(filePath(path + ".tmp"));
    std::string error;
    EXPECT_FALSE(replaceWith(path, "new", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(path), "old");
    std::filesystem::remove(filePath(path + ".tmp"));

    // The new file is complete but cannot take the place of a folder: the folder stays, the
    // temporary file goes.
    const std::string taken = folder.file("taken");
    std::filesystem::create_directory(filePath(taken));
    writeBytes(taken + "/inside", "kept");
    error.clear();
    EXPECT_FALSE(replaceWith(taken, "new", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(taken + "/inside"), "kept");
    EXPECT_FALSE(std::filesystem::exists(filePath(taken + ".tmp")));

    // A replacement dropped before its commit leaves nothing behind.
    {
        files::Replacement dropped(path, path + ".tmp");
        ASSERT_TRUE(dropped.open(&error));
        ASSERT_TRUE(dropped.write("half", 4, &error));
    }
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_FALSE(std::filesystem::exists(filePath(path + ".tmp")));
}

TEST(FileReplacement, AFileOpenForReadingIsReplacedAndTheReaderKeepsWhatItOpened)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    writeBytes(path, "the old database");
    files::InputFile reader;
    ASSERT_EQ(reader.open(path), files::OpenStatus::Opened);
    char first[4];
    ASSERT_EQ(reader.read(first, sizeof first), 4);

    std::string error;
    ASSERT_TRUE(replaceWith(path, "the new database", &error)) << error;
    EXPECT_EQ(readBytes(path), "the new database");
    EXPECT_EQ(std::string(first, 4) + readThrough(reader), "the old database");
}

#ifdef _WIN32
// Programs that open a file the usual way (the C library, most editors, a virus scanner) do not
// let others remove it while they read. The write waits a moment for them to finish; when they do
// not, it gives up and the database stays as it was.
TEST(FileReplacement, AReaderThatLocksTheFileDelaysTheReplaceOrLeavesTheOldFile)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    writeBytes(path, "old");
    std::string error;
    {
        std::ifstream reader(filePath(path), std::ios::binary);
        ASSERT_TRUE(reader.is_open());
        EXPECT_FALSE(replaceWith(path, "new", &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(readBytes(path), "old");
        EXPECT_FALSE(std::filesystem::exists(filePath(path + ".tmp")));
    }
    auto reader = std::make_unique<std::ifstream>(filePath(path), std::ios::binary);
    ASSERT_TRUE(reader->is_open());
    std::thread closer([&] {
        std::this_thread::sleep_for(200ms);
        reader.reset();
    });
    const bool replaced = replaceWith(path, "new", &error);
    closer.join();
    EXPECT_TRUE(replaced) << error;
    EXPECT_EQ(readBytes(path), "new");
}
#endif

TEST(FileSystem, ARussianFolderHoldsTheDatabaseItsCopiesAndItsLock)
{
    TempFolder folder;
    const std::string home = folder.file("СНТ «Рассвет» — учёт");
    std::filesystem::create_directory(filePath(home));
    const std::string database = home + "/Tervolin2.spb";

    RecordTable table;
    table.setRecordCount(2);
    table.set(1, 2, "Иванов");
    table.set(2, 2, "Пётр Ёлкин");
    std::string error;
    ASSERT_TRUE(database::write(database, table, &error)) << error;
    RecordTable loaded;
    ASSERT_EQ(database::load(database, loaded).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(loaded.field(2, 2), "Пётр Ёлкин");

    // The names on disk are the Russian ones, not the bytes of some code page.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(filePath(folder.path().string())))
        names.push_back(utf8Path(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{ "СНТ «Рассвет» — учёт" });

    const std::string copy = home + "/копия 2026-12-08.spb";
    ASSERT_TRUE(database::copyFile(database, copy, &error)) << error;
    EXPECT_EQ(backup::checkBackup(copy).status, backup::SourceCheck::Status::Ready);
    const backup::Restore restored = backup::restoreSet(copy, database);
    EXPECT_EQ(restored.status, backup::CopyStatus::Copied);
    EXPECT_TRUE(restored.keptFormer);
    EXPECT_EQ(readBytes(backup::formerDatabasePath(database)), readBytes(database));

    ASSERT_TRUE(database::writeFile(home + "/Tervolin2.bank", "журнал"));
    const database::FileBytes journal = database::readFile(home + "/Tervolin2.bank", 100);
    EXPECT_EQ(journal.status, database::FileBytes::Status::Read);
    EXPECT_EQ(journal.bytes, "журнал");

    files::FileLock lock;
    EXPECT_EQ(lock.acquire(database + ".lock"), files::LockStatus::Taken);
}

TEST(FileSystem, OpeningTellsWhatIsInTheWay)
{
    TempFolder folder;
    writeBytes(folder.file("a.spb"), "12345");
    files::InputFile file;
    EXPECT_EQ(file.open(folder.file("a.spb")), files::OpenStatus::Opened);
    EXPECT_EQ(file.regularSize(), std::optional<std::uint64_t>(5));
    EXPECT_EQ(file.open(folder.file("missing.spb")), files::OpenStatus::NotFound);
    EXPECT_EQ(file.open(folder.file("нет/a.spb")), files::OpenStatus::NotFound);
    // A folder is no file to read, but not for want of rights.
    const files::OpenStatus opened = file.open(folder.path().string());
    EXPECT_NE(opened, files::OpenStatus::AccessDenied);
    EXPECT_TRUE(opened == files::OpenStatus::Failed || !file.regularSize());
}

TEST(FileSystem, FilesBesideTheDatabase)
{
    EXPECT_EQ(files::besideFile("/home/снт/Tervolin2.spb", "Tervolin2.bank"), "/home/снт/Tervolin2.bank");
    EXPECT_EQ(files::besideFile("Tervolin2.spb", "Tervolin2.bank"), "Tervolin2.bank");
    EXPECT_EQ(files::folderOf("/home/снт/Tervolin2.spb"), "/home/снт");
    EXPECT_EQ(files::folderOf("Tervolin2.spb"), ".");
#ifdef _WIN32
    // The program's windows give paths with Windows' own separators.
    EXPECT_EQ(files::besideFile("C:\\Учёт\\Tervolin2.spb", "Tervolin2.bank"), "C:\\Учёт\\Tervolin2.bank");
    EXPECT_EQ(files::folderOf("C:\\Учёт\\Tervolin2.spb"), "C:\\Учёт");
    EXPECT_EQ(files::folderOf("C:\\Tervolin2.spb"), "C:\\");
#endif
}

} // namespace
