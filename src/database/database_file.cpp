#include "database/database_file.h"

#include "database/database_reading.h"
#include "database/sha256.h"
#include "platform/file_system.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace database {
namespace {

constexpr std::size_t ReadChunk = 1 << 20;
// A write hands the file its bytes a megabyte at a time (the hash of a commit takes each in turn).
constexpr std::size_t WriteChunk = 1 << 20;
constexpr int Separators = fields::PerRecord;

// Every record names the table's window in field 2128; a text there that names no window is not
// ours and stays.
void markWindow(RecordTable& table)
{
    const std::string text = table.years().fieldText();
    for (int row = 1; row <= table.recordCount(); ++row) {
        const std::string_view stored = table.field(row, fields::WindowField);
        if (stored != text && (stored.empty() || fields::YearWindow::firstYearIn(stored)))
            table.record(row).setKeepingOrder(fields::WindowField, text);
    }
}

// Writes a file through a temporary one beside it: `produce` fills it by calling the sink; then
// the data is flushed and the temporary file put in place of the destination. A file its owner
// has protected from writing is refused: the replacement would replace it all the same.
// With side files, the replacement is one commit with their new states (database/commit.h).
// Where the SHA-256 of a commit's database may start: after `same` bytes that are those of the
// bytes that left the states `before`; `after` gets the new bytes' states.
struct HashStart
{
    std::uint64_t same = 0;
    const StreamHash::States* before = nullptr;
    StreamHash::States* after = nullptr;
};

template <typename Produce>
Commit replaceFile(const std::string& path, std::string_view temporarySuffix, std::string* error,
    const std::vector<SideFileChange>* sides, Produce produce, const HashStart& start = {})
{
    const std::string target = files::resolveLinks(path);
    if (files::isWriteProtected(target)) {
        if (error)
            *error = "write-protected: " + target;
        return Commit::Failed;
    }
    files::Replacement replacement(target, target + std::string(temporarySuffix));
    if (!replacement.open(error))
        return Commit::Failed;
    std::optional<SideCommit> commit;
    std::optional<StreamHash> hash;
    if (sides && !sides->empty()) {
        commit.emplace(target, *sides);
        if (start.before && start.after)
            hash.emplace(start.same, *start.before, start.after);
        else
            hash.emplace();
    }
    bool sinkFailed = false;
    // The bytes go to the file, then to the hash, which takes them over (and leaves an empty
    // buffer in their place) to work on them while the next are made.
    const auto sink = [&](std::string& bytes) {
        sinkFailed = !replacement.write(bytes.data(), bytes.size(), error);
        if (!sinkFailed && hash)
            hash->add(bytes);
        return !sinkFailed;
    };
    if (!produce(sink)) {
        // A source that failed to read: the replacement is dropped with its temporary file.
        if (!sinkFailed && error)
            *error = files::lastError("write");
        return Commit::Failed;
    }
    if (commit) {
        // The new database goes to disk while its hash is finished and the side files' new states
        // are written: it takes its place only once both are done.
        std::string flushError;
        bool flushed = false;
        std::thread flushing([&] { flushed = replacement.flush(&flushError); });
        const bool prepared = commit->prepare(hash->hex(), error);
        flushing.join();
        if (!prepared)
            return Commit::Failed;
        if (!flushed) {
            if (error)
                *error = flushError;
            commit->abandon();
            return Commit::Failed;
        }
    }
    if (!replacement.commit(error)) {
        if (commit)
            commit->abandon();
        return Commit::Failed;
    }
    if (commit && !commit->finish(error))
        return Commit::SideFilesPending;
    return Commit::Done;
}

template <typename Produce>
bool replaceFile(
    const std::string& path, std::string_view temporarySuffix, std::string* error, Produce produce)
{
    return replaceFile(path, temporarySuffix, error, nullptr, produce) == Commit::Done;
}

struct CleanedField
{
    int row;
    int field;
    std::string text;
};

} // namespace

std::string withoutLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        if (c == '\n')
            continue;
        result += c;
    }
    return result;
}

bool isWriteProtected(const std::string& path)
{
    return files::isWriteProtected(files::resolveLinks(path));
}

bool removeStaleTemporary(const std::string& path)
{
    return files::removeRegularFile(files::resolveLinks(path) + TemporarySuffix);
}

LoadResult load(const std::string& path, RecordTable& table)
{
    return readDatabase(path, &table, false);
}

LoadResult check(const std::string& path)
{
    return readDatabase(path, nullptr, true);
}

bool write(const std::string& path, RecordTable& table, std::string* error)
{
    return writeCopy(path, table, TemporarySuffix, error);
}

namespace {
Commit writeTable(const std::string& path, RecordTable& table, std::string_view temporarySuffix,
    const std::vector<SideFileChange>* sides, std::string* error, const WriteWatch* watch = nullptr);
} // namespace

bool writeCopy(
    const std::string& path, RecordTable& table, std::string_view temporarySuffix, std::string* error)
{
    return writeTable(path, table, temporarySuffix, nullptr, error) == Commit::Done;
}

Commit write(
    const std::string& path, RecordTable& table, const std::vector<SideFileChange>& sides, std::string* error)
{
    return writeTable(path, table, TemporarySuffix, &sides, error);
}

Commit write(const std::string& path, RecordTable& table, const std::vector<SideFileChange>& sides,
    std::string* error, const WriteWatch& watch)
{
    return writeTable(path, table, TemporarySuffix, &sides, error, &watch);
}

namespace {

Commit writeTable(const std::string& path, RecordTable& table, std::string_view temporarySuffix,
    const std::vector<SideFileChange>* sides, std::string* error, const WriteWatch* watch)
{
    std::vector<CleanedField> cleaned;
    const int count = table.recordCount();
    markWindow(table);
    const std::string emptyLine = std::string(Separators, '|') + "\r\n";
    const LineWatch* lines = watch && watch->lines ? &watch->lines : nullptr;
    WriteMemory* memory = watch ? watch->memory : nullptr;
    // The file's first bytes up to the first record changed since the last write are those that
    // write made.
    WriteMemory made;
    HashStart start;
    if (memory) {
        const int kept = std::min(count, int(memory->versions.size()));
        int row = 1;
        while (row <= kept && table.record(row).version() == memory->versions[std::size_t(row - 1)])
            ++row;
        start = { row > 1 ? memory->ends[std::size_t(row - 2)] : 0, &memory->hashStates, &made.hashStates };
        made.versions.reserve(std::size_t(count));
        made.ends.reserve(std::size_t(count));
    }
    const auto remember = [&](const Record& record, std::uint64_t end) {
        if (memory) {
            made.versions.push_back(record.version());
            made.ends.push_back(end);
        }
    };

    const Commit written = replaceFile(
        path, temporarySuffix, error, sides,
        [&](const auto& sink) {
            std::string out;
            out.reserve(WriteChunk + (1 << 16));
            std::uint64_t sunk = 0; // bytes of the file before those in `out`
            for (int row = 1; row <= count; ++row) {
                Record& record = table.record(row);
                if (record.isBlank()) {
                    out += emptyLine;
                    remember(record, sunk + out.size());
                    if (lines)
                        (*lines)(row, std::string_view(), sunk + out.size());
                    continue;
                }
                if (!record.isInOrder())
                    record.compact();
                const std::string_view line = record.orderedLine();
                if (std::memchr(line.data(), '\r', line.size()) == nullptr
                    && std::memchr(line.data(), '\n', line.size()) == nullptr) {
                    cp1251::encodeAppend(line, out);
                } else {
                    for (int f = 1; f <= Separators; ++f) {
                        const std::string_view text = record.field(f);
                        if (text.find_first_of("\r\n") == std::string_view::npos) {
                            cp1251::encodeAppend(text, out);
                        } else {
                            std::string clean = withoutLineBreaks(text);
                            cp1251::encodeAppend(clean, out);
                            cleaned.push_back({ row, f, std::move(clean) });
                        }
                        out += '|';
                    }
                }
                out += "\r\n";
                remember(record, sunk + out.size());
                if (lines)
                    (*lines)(row, line, sunk + out.size());
                if (out.size() >= WriteChunk) {
                    sunk += out.size();
                    if (!sink(out))
                        return false;
                    out.clear();
                }
            }
            return sink(out);
        },
        start);
    // Once the database is in place the table follows it, side files waiting or not.
    if (written != Commit::Failed) {
        for (const CleanedField& c : cleaned)
            table.set(c.row, c.field, c.text);
        if (memory)
            *memory = std::move(made);
    }
    return written;
}

} // namespace

bool create(const std::string& path, RecordTable& table, fields::YearWindow years, std::string* error)
{
    const std::string line = std::string(Separators - 1, '|') + years.fieldText() + "|\r\n";
    if (!replaceFile(path, TemporarySuffix, error, [&](const auto& sink) {
            std::string bytes = line;
            return sink(bytes);
        }))
        return false;
    table.clear();
    table.setRecordCount(1);
    table.setYears(years);
    table.set(1, fields::WindowField, years.fieldText());
    return true;
}

fields::YearWindow yearsForNewDatabase(int thisYear)
{
    return fields::YearWindow(
        std::clamp(thisYear - fields::YearCount + 1, fields::FirstBlockYear, fields::LastFirstYear));
}

FileBytes readFile(const std::string& path, std::size_t maxBytes)
{
    FileBytes result;
    files::InputFile file;
    if (const files::OpenStatus opened = file.open(path); opened != files::OpenStatus::Opened) {
        if (opened == files::OpenStatus::NotFound)
            result.status = FileBytes::Status::NotFound;
        return result;
    }
    const std::optional<std::uint64_t> size = file.regularSize();
    if (!size)
        return result;
    if (*size > maxBytes) {
        result.status = FileBytes::Status::TooLarge;
        return result;
    }
    result.bytes.resize(std::size_t(*size));
    std::size_t filled = 0;
    while (filled < result.bytes.size()) {
        const std::int64_t n = file.read(result.bytes.data() + filled, result.bytes.size() - filled);
        if (n < 0) {
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    // A file that shrank while it was read is taken as far as it went.
    result.bytes.resize(filled);
    result.status = FileBytes::Status::Read;
    return result;
}

bool writeFile(const std::string& path, std::string_view bytes, std::string* error)
{
    return replaceFile(path, TemporarySuffix, error, [&](const auto& sink) {
        std::string copy(bytes);
        return sink(copy);
    });
}

bool copyFile(const std::string& source, const std::string& destination, std::string* error)
{
    return copyFile(source, destination, {}, error) == Commit::Done;
}

Commit copyFile(const std::string& source, const std::string& destination,
    const std::vector<SideFileChange>& sides, std::string* error)
{
    files::InputFile in;
    if (in.open(source) != files::OpenStatus::Opened) {
        if (error)
            *error = files::lastError("open");
        return Commit::Failed;
    }
    return replaceFile(destination, TemporarySuffix, error, &sides, [&](const auto& sink) {
        std::string chunk(ReadChunk, '\0');
        for (;;) {
            const std::int64_t n = in.read(chunk.data(), chunk.size());
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            chunk.resize(static_cast<std::size_t>(n));
            if (!sink(chunk))
                return false;
            chunk.resize(ReadChunk);
        }
    });
}

} // namespace database
