// Writes a demo database: make_demo_database <file> [--subscribers N] [--full] [--last-year YYYY]
// Without --full, 40 subscribers with several years of readings and personal accounts (the demo of
// run.sh --demo); --full fills every month of every year for all 3001 subscribers, or for N
// (the benchmarks' database).

#include "database/database_file.h"
#include "demo_data.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void printUsage(std::FILE* to, const char* program)
{
    std::fprintf(to,
        "usage: %s <file> [--subscribers N] [--full] [--last-year YYYY]\n"
        "Writes a demo database to <file>.\n"
        "  (no options)       40 subscribers, readings and personal accounts up to November 2026\n"
        "  --full             every month of every year filled in, for all 3001 subscribers\n"
        "  --subscribers N    N subscribers (1 ... 3001)\n"
        "  --last-year YYYY   the readings run on to YYYY (2020 ... 2107)\n"
        "  --help             this text\n",
        program);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            printUsage(stdout, argv[0]);
            return 0;
        }
    }
    // An option where the file belongs would otherwise become the database's name.
    if (arguments.empty() || arguments.front().starts_with('-')) {
        if (!arguments.empty()) {
            const std::string& first = arguments.front();
            if (first == "--full" || first == "--subscribers" || first == "--last-year")
                std::fprintf(stderr, "the file comes first, before %s\n", first.c_str());
            else
                std::fprintf(
                    stderr, "unknown option: %s (a file of that name: ./%s)\n", first.c_str(), first.c_str());
        }
        printUsage(stderr, argv[0]);
        return 2;
    }
    DemoOptions options;
    std::string error;
    if (!parseDemoArguments(
            std::vector<std::string>(arguments.begin() + 1, arguments.end()), options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        printUsage(stderr, argv[0]);
        return 2;
    }
    RecordTable table;
    fillDemoTable(table, options);
    if (!database::write(arguments.front(), table, &error)) {
        std::fprintf(stderr, "%s: %s\n", arguments.front().c_str(), error.c_str());
        return 1;
    }
    return 0;
}
