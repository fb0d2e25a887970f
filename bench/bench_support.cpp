#include "bench_support.h"

#include "database/database_file.h"
#include "demo_data.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace bench {

namespace {

double cpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Timing medianSeconds(int runs, const std::function<void()>& work)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        work();
        cpu.push_back(cpuSeconds() - cpuStart);
        wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return { wall[std::size_t(runs / 2)], cpu[std::size_t(runs / 2)] };
}

} // namespace

Timing medianMs(int runs, const std::function<void()>& work)
{
    const Timing t = medianSeconds(runs, work);
    return { t.wall * 1e3, t.cpu * 1e3 };
}

Timing medianUs(int runs, const std::function<void()>& work)
{
    const Timing t = medianSeconds(runs, work);
    return { t.wall * 1e6, t.cpu * 1e6 };
}

long peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6) * 1024;
    }
    return 0;
}

long makeFullDatabase(const std::string& path)
{
    if (!std::filesystem::exists(path)) {
        const pid_t child = ::fork();
        if (child == 0) {
            RecordTable table;
            fillDemoTable(table, fullDemoOptions());
            ::_exit(database::write(path, table) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    return long(std::filesystem::file_size(path));
}

bool useOrMakeFullDatabase(const char* given, const std::string& path)
{
    if (given) {
        if (database::copyFile(given, path))
            return true;
        std::fprintf(stderr, "cannot read %s\n", given);
        return false;
    }
    RecordTable table;
    fillDemoTable(table, fullDemoOptions());
    return database::write(path, table);
}

std::string workFolder()
{
    const char* configured = std::getenv("TERVOLIN_BENCH_DIR");
    const std::string folder = configured && *configured ? configured : "/tmp/tervolin-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

bool loadFullDatabase(const char* given, const std::string& name, RecordTable& table)
{
    const std::string path = workFolder() + "/" + name;
    if (!useOrMakeFullDatabase(given, path))
        return false;
    if (database::load(path, table).status != database::LoadResult::Status::Loaded) {
        std::fprintf(stderr, "%s: not a database\n", path.c_str());
        return false;
    }
    return true;
}

bool writeInput(const std::string& path, const std::string& bytes)
{
    if (database::writeFile(path, bytes))
        return true;
    std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
    return false;
}

void printRow(const std::string& what, Timing value, const std::string& unit, Timing floor,
    const std::string& floorName)
{
    std::printf("%-30s wall %9.2f %s  cpu %9.2f %s\n", what.c_str(), value.wall, unit.c_str(), value.cpu,
        unit.c_str());
    if (floor.wall > 0) {
        std::printf("  %-28s wall %9.2f %s  cpu %9.2f %s\n", floorName.c_str(), floor.wall, unit.c_str(),
            floor.cpu, unit.c_str());
        std::printf("  %-28s wall %9.2f     cpu %9.2f\n", "ratio", value.wall / floor.wall,
            floor.cpu > 0 ? value.cpu / floor.cpu : 0.0);
    }
    std::fflush(stdout);
}

} // namespace bench
