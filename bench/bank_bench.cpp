// The import of a bank statement with a full partnership: a statement of 10,000 payments read and
// each payment matched to its subscriber and month against the full database (3001 subscribers),
// beside the least any reader of the same file does: reading it and splitting it into lines. The
// entry of the matched payments into the ledger is shown too, on its own.
//
//   bank_bench [database file]     (make_demo_database <file> --full)

#include "accounts/bank_import.h"
#include "bench_support.h"
#include "database/cp1251.h"
#include "database/database_file.h"
#include "demo_statement.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace {

constexpr int Payments = 10'000;

// Reading the file whole and finding its lines.
std::size_t readAndSplit(const std::string& path)
{
    const database::FileBytes file = database::readFile(path, bank::MaxStatementBytes);
    std::vector<std::string_view> lines;
    std::string_view rest = file.bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return lines.size();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = bench::workFolder();
    const std::string databasePath = folder + "/bank.spb";
    if (!bench::useOrMakeFullDatabase(argc > 1 ? argv[1] : nullptr, databasePath))
        return 1;
    RecordTable table;
    if (database::load(databasePath, table).status != database::LoadResult::Status::Loaded) {
        std::fprintf(stderr, "%s: not a database\n", databasePath.c_str());
        return 1;
    }

    DemoStatementOptions options;
    options.payments = Payments;
    options.month = 3;
    const std::string statementPath = folder + "/statement.txt";
    const std::string bytes = cp1251::encode(demoStatement(table, options));
    if (!database::writeFile(statementPath, bytes)) {
        std::fprintf(stderr, "%s: cannot be written\n", statementPath.c_str());
        return 1;
    }
    std::printf("statement of %d payments (%.1f MB) against %d subscribers, medians\n\n", Payments,
        double(bytes.size()) / 1e6, table.recordCount());

    const int runs = 11;
    std::size_t lines = 0;
    const bench::Timing floor = bench::medianMs(runs, [&] { lines = readAndSplit(statementPath); });
    bank::Import import;
    const bench::Timing reading = bench::medianMs(runs, [&] {
        bank::ReadResult read = bank::readStatementFile(statementPath);
        const std::string account = read.statement.account;
        import = bank::prepareImport(std::move(read.statement), table, {}, account);
    });
    bench::printRow("read and match", reading, "ms", floor, "read + split lines");
    const double ratio = reading.wall / floor.wall;
    std::printf("targets: at most 200 ms: %s; at most 5 x the floor: %s (%.1f x)\n",
        reading.wall <= 200 ? "met" : "MISSED", ratio <= 5 ? "met" : "MISSED", ratio);

    int matched = 0;
    std::vector<bank::Posting> postings;
    for (const bank::Payment& payment : import.payments) {
        if (!payment.matched)
            continue;
        ++matched;
        postings.push_back({ payment.record, *payment.month, *payment.sum });
    }
    std::printf("lines %zu, payments %zu, matched %d, skipped documents %d\n", lines, import.payments.size(),
        matched, import.skipped);

    const RecordTable before = table;
    const bench::Timing posting = bench::medianMs(5, [&] {
        table = before;
        bank::post(table, postings);
    });
    bench::printRow("entering the matched (with a copy of the table)", posting, "ms");
    return 0;
}
