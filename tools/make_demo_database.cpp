// Writes a demo database: make_demo_database <file> [--subscribers N] [--full]
// Without --full, 40 subscribers with several years of readings and personal accounts (the demo of
// run.sh --demo); --full fills every month of every year for all 3001 subscribers, or for N
// (the benchmarks' database).

#include "database/database_file.h"
#include "demo_data.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <file> [--subscribers N] [--full]\n", argv[0]);
        return 2;
    }
    DemoOptions options;
    std::string error;
    if (!parseDemoArguments(std::vector<std::string>(argv + 2, argv + argc), options, error)) {
        std::fprintf(stderr, "%s\nusage: %s <file> [--subscribers N] [--full]\n", error.c_str(), argv[0]);
        return 2;
    }
    RecordTable table;
    fillDemoTable(table, options);
    if (!database::write(argv[1], table, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
