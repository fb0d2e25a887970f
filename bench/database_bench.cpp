// Loading and writing the full database (3001 subscribers, every month of every year), each beside
// the least the machine needs for the same bytes, and the memory the loaded table takes.

#include "bench_support.h"
#include "database/database_file.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace {

// Reading the file into memory and counting its separators.
std::size_t readAndCount(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<char> bytes(std::size_t(::lseek(fd, 0, SEEK_END)));
    ::pread(fd, bytes.data(), bytes.size(), 0);
    ::close(fd);
    return std::size_t(std::count(bytes.begin(), bytes.end(), '|'));
}

// Writing the same number of bytes in one call, made as durable as the database writer makes its
// file (flushed to disk and renamed into place).
void writeInOneCall(const std::string& path, const std::vector<char>& bytes)
{
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    ::fsync(fd);
    ::close(fd);
    ::rename(temporary.c_str(), path.c_str());
}

} // namespace

int main()
{
    const std::string folder = bench::workFolder();
    const std::string path = folder + "/full.spb";
    const long fileSize = bench::makeFullDatabase(path);
    std::printf("full database: %s, %.1f MB\n\n", path.c_str(), fileSize / 1e6);

    // The first load in a fresh process gives the memory figure.
    const long before = bench::peakResidentBytes();
    RecordTable table;
    bool loaded = false;
    const bench::Timing first = bench::medianMs(
        1, [&] { loaded = database::load(path, table).status == database::LoadResult::Status::Loaded; });
    if (!loaded) {
        std::fprintf(stderr, "the full database does not load\n");
        return 1;
    }
    const long afterLoad = bench::peakResidentBytes();
    bench::printRow("first load (fresh memory)", first, "ms");

    const int runs = 7;
    std::size_t separators = 0;
    const bench::Timing floorLoad = bench::medianMs(runs, [&] { separators = readAndCount(path); });
    const bench::Timing load = bench::medianMs(runs, [&] { database::load(path, table); });
    bench::printRow("load", load, "ms", floorLoad, "read + count \"|\"");
    const double loadRatio = load.cpu / floorLoad.cpu;
    std::printf("target: load ratio ≤ 1.4: %s\n", loadRatio <= 1.4 ? "met" : "NOT MET");

    std::vector<char> bytes(std::size_t(fileSize), 'x');
    const std::string out = folder + "/written.spb";
    const std::string floorOut = folder + "/floor.spb";
    const bench::Timing floorWrite = bench::medianMs(runs, [&] { writeInOneCall(floorOut, bytes); });
    const bench::Timing write = bench::medianMs(runs, [&] { database::write(out, table); });
    bench::printRow("write", write, "ms", floorWrite, "one write() + fsync + rename");

    std::printf("peak resident memory after the load %.1f MB (%.1f MB before it), file %.1f MB: ratio %.2f\n",
        afterLoad / 1e6, before / 1e6, fileSize / 1e6, double(afterLoad) / double(fileSize));
    std::printf("target: peak memory ratio ≤ 1.6: %s\n",
        double(afterLoad) <= 1.6 * double(fileSize) ? "met" : "NOT MET");
    std::printf("separators counted: %zu\n", separators);
    return 0;
}
