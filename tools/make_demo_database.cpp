// Writes a demo database: make_demo_database <file> [--subscribers N] [--full]
// --full fills every month of every year for all subscribers (the benchmarks' database).

#include "database/database_file.h"
#include "demo_data.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <file> [--subscribers N] [--full]\n", argv[0]);
        return 2;
    }
    DemoOptions options;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--subscribers") == 0 && i + 1 < argc) {
            options.subscribers = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--full") == 0) {
            options = fullDemoOptions(options.subscribers);
        } else {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
    }
    if (options.subscribers < 1 || options.subscribers > fields::MaxRecords) {
        std::fprintf(stderr, "subscribers: 1 … %d\n", fields::MaxRecords);
        return 2;
    }
    RecordTable table;
    fillDemoTable(table, options);
    std::string error;
    if (!database::write(argv[1], table, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
