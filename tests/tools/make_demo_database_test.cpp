// make_demo_database run as a developer runs it: a request for help, or an option where the file
// belongs, writes nothing and says how to call it.

#include "support/files.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int status = -1;
    std::string output; // standard output only
};

// Runs the tool in the folder with the arguments (already quoted for the shell).
ToolRun runTool(const TempFolder& folder, const std::string& arguments)
{
    const std::string tool = std::string(TERVOLIN_BIN_DIR) + "/make_demo_database";
    const std::string output = commandOutput("cd " + shellQuoted(folder.path().string()) + " && "
        + shellQuoted(tool) + " " + arguments + " 2>/dev/null; echo \"status $?\"");
    ToolRun run;
    const std::size_t last = output.rfind("status ");
    if (last != std::string::npos) {
        run.status = std::stoi(output.substr(last + 7));
        run.output = output.substr(0, last);
    }
    return run;
}

bool folderIsEmpty(const TempFolder& folder)
{
    return std::filesystem::is_empty(folder.path());
}

TEST(MakeDemoDatabase, HelpPrintsTheUsageAndWritesNothing)
{
    for (const char* arguments : { "--help", "-h", "demo.spb --help", "demo.spb --full -h" }) {
        TempFolder folder;
        const ToolRun run = runTool(folder, arguments);
        EXPECT_EQ(run.status, 0) << arguments;
        EXPECT_EQ(run.output.rfind("usage: ", 0), 0u) << arguments << ": " << run.output;
        EXPECT_NE(run.output.find("--subscribers N"), std::string::npos) << arguments;
        EXPECT_TRUE(folderIsEmpty(folder)) << arguments;
    }
}

TEST(MakeDemoDatabase, BadArgumentsAreRefusedWithoutWritingAnything)
{
    for (const char* arguments : { "", "--full", "--subscribers 5 demo.spb", "--bogus", "demo.spb --bogus",
             "demo.spb --subscribers", "demo.spb extra" }) {
        TempFolder folder;
        const ToolRun run = runTool(folder, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.output, "") << arguments << ": the usage goes to the error output";
        EXPECT_TRUE(folderIsEmpty(folder)) << arguments;
    }
}

TEST(MakeDemoDatabase, WritesTheDatabaseNamedFirst)
{
    TempFolder folder;
    const ToolRun run = runTool(folder, "demo.spb --subscribers 3");
    EXPECT_EQ(run.status, 0);
    const std::string bytes = readBytes(folder.file("demo.spb"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
    // A name that begins with a dash is still a file, written with its folder in front.
    EXPECT_EQ(runTool(folder, "./-demo.spb").status, 0);
    EXPECT_TRUE(std::filesystem::exists(folder.file("-demo.spb")));
}

} // namespace
