// Where the database lives: beside the program when its folder can be written, otherwise in the
// user's data folder.

#include "database/data_folder.h"
#include "support/files.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

bool never(const fs::path&)
{
    return false;
}

TEST(DataFolder, AWritableProgramFolderKeepsTheDatabaseBesideTheProgram)
{
    TempFolder folder;
    const fs::path program = folder.path() / "tervolin";
    const fs::path user = folder.path() / "home" / ".local" / "share" / "tervolin";
    fs::create_directories(program);
    EXPECT_TRUE(database::folderWritable(program));
    EXPECT_EQ(database::chooseDataFolder(program, user), program);
    EXPECT_FALSE(fs::exists(user)) << "nothing is made in the user's folder";
    EXPECT_TRUE(fs::is_empty(program)) << "the test of the folder leaves no file behind";
}

TEST(DataFolder, AProgramFolderThatCannotBeWrittenSendsTheDatabaseToTheUsersFolderMadeForIt)
{
    TempFolder folder;
    const fs::path program = folder.path() / "opt" / "tervolin";
    const fs::path user = folder.path() / "home" / ".local" / "share" / "tervolin";
    fs::create_directories(program);
    EXPECT_EQ(database::chooseDataFolder(program, user, never), user);
    EXPECT_TRUE(fs::is_directory(user));
    // Made once, found the next time.
    EXPECT_EQ(database::chooseDataFolder(program, user, never), user);
    // Without any user's folder the program folder is the only place left.
    EXPECT_EQ(database::chooseDataFolder(program, fs::path(), never), program);

    // Neither a missing folder nor a file can take the database.
    EXPECT_FALSE(database::folderWritable(folder.path() / "нет"));
    writeBytes(folder.file("файл"), "");
    EXPECT_FALSE(database::folderWritable(folder.path() / "файл"));
}

TEST(DataFolder, ADatabaseLeftInTheProgramFolderIsToldOnlyWhileTheDataFolderHasNone)
{
    TempFolder folder;
    const fs::path program = folder.path() / "opt";
    const fs::path user = folder.path() / "user";
    fs::create_directories(program);
    fs::create_directories(user);
    EXPECT_EQ(database::ignoredDatabase(program, user), fs::path()) << "nothing left there";
    writeBytes(utf8Path(program / "Tervolin2.spb"), "");
    EXPECT_EQ(database::ignoredDatabase(program, user), program / "Tervolin2.spb");
    // The database beside the program is the one in use.
    EXPECT_EQ(database::ignoredDatabase(program, program), fs::path());
    EXPECT_EQ(database::ignoredDatabase(program, program / "." / ""), fs::path());
    writeBytes(utf8Path(user / "Tervolin2.spb"), "");
    EXPECT_EQ(database::ignoredDatabase(program, user), fs::path());
}

// The superuser writes anywhere: the folders are tried as an ordinary user in a child process.
#ifndef _WIN32
// What follows is about Linux: folders closed by their mode, and the XDG folders of its desktops.
// The superuser writes anywhere: the folders are tried as an ordinary user in a child process.
TEST(DataFolder, AFolderClosedToTheUserIsNotWritable)
{
    TempFolder folder;
    const fs::path program = folder.path() / "opt";
    const fs::path data = folder.path() / "data";
    fs::create_directories(program);
    fs::create_directories(data);
    fs::permissions(folder.path(), fs::perms(0755));
    fs::permissions(program, fs::perms(0555));
    fs::permissions(data, fs::perms(0777));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const fs::path user = data / "tervolin";
        const bool closed = !database::folderWritable(program)
            && database::folderProblem(program) == database::FolderProblem::NoAccess;
        const bool moved = database::chooseDataFolder(program, user) == user && fs::is_directory(user);
        const bool open = database::folderWritable(user);
        _exit(closed && moved && open ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fs::permissions(program, fs::perms::owner_all);
}

class Environment
{
public:
    explicit Environment(const char* name) : m_name(name)
    {
        if (const char* value = std::getenv(name))
            m_saved = value;
    }
    ~Environment()
    {
        if (m_saved)
            ::setenv(m_name, m_saved->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    void set(const char* value)
    {
        if (value)
            ::setenv(m_name, value, 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

TEST(DataFolder, TheUsersFolderFollowsXdgDataHomeWhenItIsAbsolute)
{
    Environment dataHome("XDG_DATA_HOME");
    Environment home("HOME");
    home.set("/home/казначей");
    struct Case
    {
        const char* dataHome;
        const char* expected;
    };
    const Case cases[] = {
        { "/srv/данные", "/srv/данные/tervolin" },
        { nullptr, "/home/казначей/.local/share/tervolin" },
        { "", "/home/казначей/.local/share/tervolin" },
        // A relative path means nothing to a program started from the desktop's menu.
        { "data", "/home/казначей/.local/share/tervolin" },
    };
    for (const Case& c : cases) {
        dataHome.set(c.dataHome);
        EXPECT_EQ(database::userDataFolder(), fs::path(c.expected)) << (c.dataHome ? c.dataHome : "unset");
    }
    dataHome.set(nullptr);
    home.set(nullptr);
    EXPECT_EQ(database::userDataFolder(), fs::path());
}
#endif

} // namespace
