// The lock that keeps one copy of the program per database, and the real path it is put beside:
// what holds it, what stands in its way, and links that lead two copies to one database.

#include "platform/file_system.h"
#include "support/files.h"

#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using files::LockStatus;

TEST(FileLock, OneHolderAtATime)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb.lock");
    files::FileLock first;
    files::FileLock second;
    ASSERT_EQ(first.acquire(path), LockStatus::Taken);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(second.acquire(path), LockStatus::Held);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_EQ(second.acquire(path), LockStatus::Taken);
    EXPECT_EQ(first.acquire(path), LockStatus::Held);
}

TEST(FileLock, AReadOnlyLockFileStillLocks)
{
    // Left by another user, or marked read-only on Windows: whoever may read it locks it.
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb.lock");
    writeBytes(path, "");
    fs::permissions(filePath(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    files::FileLock first;
    files::FileLock second;
    EXPECT_EQ(first.acquire(path), LockStatus::Taken);
    EXPECT_EQ(second.acquire(path), LockStatus::Held);
    first.release();
    fs::permissions(filePath(path), fs::perms::owner_all);
}

TEST(FileLock, WhatStandsInTheWayIsNamed)
{
    TempFolder folder;
    files::FileLock lock;
    EXPECT_EQ(lock.acquire(folder.file("нет/Tervolin2.spb.lock")), LockStatus::NoFolder);
    writeBytes(folder.file("файл"), "");
    EXPECT_EQ(lock.acquire(folder.file("файл/Tervolin2.spb.lock")), LockStatus::NoFolder);
    fs::create_directory(filePath(folder.file("Tervolin2.spb.lock")));
    EXPECT_EQ(lock.acquire(folder.file("Tervolin2.spb.lock")), LockStatus::NotAFile);
    EXPECT_FALSE(lock.held());
#ifndef _WIN32
    // A pipe opens at once, and would lock nothing another copy sees.
    ASSERT_EQ(::mkfifo(folder.file("pipe.lock").c_str(), 0600), 0);
    EXPECT_EQ(lock.acquire(folder.file("pipe.lock")), LockStatus::NotAFile);
#endif
}

#ifndef _WIN32
TEST(RealPath, FollowsEveryLinkToTheFileItself)
{
    TempFolder folder;
    const std::string real = utf8Path(fs::canonical(folder.path()));
    fs::create_directory(real + "/данные");
    const std::string database = real + "/данные/Tervolin2.spb";
    writeBytes(database, "");
    fs::create_directory(real + "/ярлыки");
    fs::create_symlink("../данные/Tervolin2.spb", real + "/ярлыки/relative.spb");
    fs::create_symlink(database, real + "/ярлыки/absolute.spb");
    fs::create_symlink("relative.spb", real + "/ярлыки/chain.spb");
    fs::create_directory_symlink(real + "/данные", real + "/папка");

    for (const std::string& path :
        { database, real + "/ярлыки/relative.spb", real + "/ярлыки/absolute.spb", real + "/ярлыки/chain.spb",
            real + "/папка/Tervolin2.spb", real + "/ярлыки/../данные/./Tervolin2.spb" })
        EXPECT_EQ(files::realPath(path), database) << path;

    // A file not made yet: its folder's real path. A link to one not made yet: where it will be
    // made, which is where the database's write puts it.
    EXPECT_EQ(files::realPath(real + "/папка/new.spb"), real + "/данные/new.spb");
    fs::create_symlink("../данные/later.spb", real + "/ярлыки/later.spb");
    EXPECT_EQ(files::realPath(real + "/ярлыки/later.spb"), real + "/данные/later.spb");
    // Relative paths are made whole.
    const fs::path before = fs::current_path();
    fs::current_path(real + "/ярлыки");
    EXPECT_EQ(files::realPath("chain.spb"), database);
    fs::current_path(before);
}
#endif

TEST(RealPath, AFileNotThereYetGetsItsFoldersRealPath)
{
    TempFolder folder;
    fs::create_directory(filePath(folder.file("учёт")));
    writeBytes(folder.file("учёт/Tervolin2.spb"), "");
    const std::string database = files::realPath(folder.file("учёт/Tervolin2.spb"));
    EXPECT_EQ(files::realPath(folder.file("учёт/../учёт/Tervolin2.spb")), database);
    EXPECT_EQ(files::besideFile(database, "Tervolin2.spb.lock"),
        files::realPath(folder.file("учёт/Tervolin2.spb.lock")));
    EXPECT_EQ(files::realPath(""), "");
}

} // namespace
