// The built program, ended by the system (log-out, shutdown, Ctrl+C), closes as its close box
// would: settings saved, sheet stored, file written.

#include "support/files.h"
#include "text/cp1251.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::vector<std::string> linesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            break;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '|'))
        fields.push_back(field);
    fields.resize(2128);
    return fields;
}

// Starts the program in its folder, waits until it runs, sends the signal and waits for the end.
int runAndSignal(const TempFolder& folder, int signalNumber)
{
    const std::string program = folder.file("tervolin");
    const std::string config = folder.file("config");
    const std::string data = folder.file("data");
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The lock beside the database is taken once the program listens for the signal.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!std::filesystem::exists(folder.file("Tervolin2.spb.lock"))
        && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ::kill(child, signalNumber);
    // A program that does not end on the signal is killed, and the test sees it so.
    int status = 0;
    const auto stop = std::chrono::steady_clock::now() + 60s;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > stop) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    return status;
}

class Termination : public ::testing::TestWithParam<int>
{ };

TEST_P(Termination, WritesTheDatabaseAndTheSettings)
{
    TempFolder folder;
    std::filesystem::copy_file(std::string(TERVOLIN_BIN_DIR) + "/tervolin", folder.file("tervolin"));
    // Numbers out of order, blanks around texts, a line with extra separators.
    const std::string first = databaseLine({ "17", "  Иванов И. И. ", " ул. Лесная, 5" });
    const std::string second = databaseLine({ "3", "Петров П. П." });
    writeBytes(folder.file("Tervolin2.spb"), first.substr(0, first.size() - 2) + "|лишнее|\r\n" + second);

    const int status = runAndSignal(folder, GetParam());
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string bytes = readBytes(folder.file("Tervolin2.spb"));
    const std::vector<std::string> lines = linesOf(bytes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2);
    for (const std::string& line : lines)
        EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 2128);
    const std::vector<std::string> fields = fieldsOf(lines[0]);
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], cp1251::encode("Иванов И. И."));
    EXPECT_EQ(fields[2], cp1251::encode("ул. Лесная, 5"));
    EXPECT_EQ(fieldsOf(lines[1])[0], "2");
    // The sheet shown (the first subscriber, 2020) was stored: each month's charge is "0".
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(fields[8 + 22 * (m - 1) + 9 - 1], "0") << m;

    const std::string conf = readBytes(folder.file("config/tervolin/tervolin.conf"));
    EXPECT_NE(conf.find("[Nastr]"), std::string::npos);
    for (const char* key :
        { "Cmb0=", "Cmb1=2020", "Form1.Ch1=0", "Form1.Ch2=0", "Form1.Ch3=0", "Form1.Ch4=0" })
        EXPECT_NE(conf.find(key), std::string::npos) << key;
}

TEST_P(Termination, ADatabaseThatCannotBeWrittenEndsInAnEmergencyCopy)
{
    TempFolder folder;
    std::filesystem::copy_file(std::string(TERVOLIN_BIN_DIR) + "/tervolin", folder.file("tervolin"));
    const std::string database
        = databaseLine({ "1", "Иванов И. И." }) + databaseLine({ "2", "Петров П. П." });
    writeBytes(folder.file("Tervolin2.spb"), database);
    std::filesystem::permissions(folder.file("Tervolin2.spb"), std::filesystem::perms(0444));

    const int status = runAndSignal(folder, GetParam());
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(folder.file("Tervolin2.spb")), database);

    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder.file("data/tervolin")))
        copies.push_back(entry.path());
    ASSERT_EQ(copies.size(), 1u);
    const std::string name = copies[0].filename().string();
    EXPECT_EQ(name.rfind("Tervolin2 ", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("Tervolin2 2026-12-08 14-05-33.spb").size()) << name;
    const std::vector<std::string> lines = linesOf(readBytes(copies[0].string()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(fieldsOf(lines[1])[1], cp1251::encode("Петров П. П."));
    // The sheet shown was stored into the copy: the first subscriber's month charges of 2020.
    EXPECT_EQ(fieldsOf(lines[0])[8 + 9 - 1], "0");

    // The next start is told where the copy is.
    const std::string conf = readBytes(folder.file("config/tervolin/tervolin.conf"));
    EXPECT_NE(conf.find("EmergencyCopy="), std::string::npos);
    EXPECT_NE(conf.find("Tervolin2 "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, Termination, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

} // namespace
