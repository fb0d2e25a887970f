#pragma once

// Small timing harness for the benchmarks: medians of repeated runs, peak memory, and the full
// database (3001 subscribers, every month of every year) made once in a child process so that its
// making does not count in the measuring process's memory.

#include "database/record_table.h"

#include <chrono>
#include <functional>
#include <string>

namespace bench {

// Medians of `runs` calls: wall time, and the processor time of this process (which a busy machine
// disturbs much less).
struct Timing
{
    double wall = 0;
    double cpu = 0;
};
Timing medianMs(int runs, const std::function<void()>& work);
Timing medianUs(int runs, const std::function<void()>& work);

// Peak resident memory of this process so far (VmHWM), in bytes.
long peakResidentBytes();

// Writes the full database to `path` unless a file is there already; returns its size.
long makeFullDatabase(const std::string& path);

// The database the benchmark works on, at `path`: a copy of the file given on the command line, or
// the full database made anew. False (with a message) when the given file cannot be read.
bool useOrMakeFullDatabase(const char* given, const std::string& path);

// A folder for benchmark files: $TERVOLIN_BENCH_DIR or /tmp/tervolin-bench.
std::string workFolder();

// The database of a benchmark's run in `table`: the file given on the command line (or the full
// database made anew) copied to `name` in the work folder and loaded from there. False, with a
// message, when it cannot be had.
bool loadFullDatabase(const char* given, const std::string& name, RecordTable& table);

// A file the benchmark then reads, in the work folder; false, with a message, when it cannot be
// written.
bool writeInput(const std::string& path, const std::string& bytes);

// One figure beside its floor: wall and processor medians and their ratios.
void printRow(const std::string& what, Timing value, const std::string& unit, Timing floor = {},
    const std::string& floorName = {});

} // namespace bench
