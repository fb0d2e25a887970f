#include "database/database_file.h"

#include "database/cp1251.h"
#include "database/sha256.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace database {
namespace {

constexpr std::size_t ReadChunk = 1 << 20;
constexpr std::size_t WriteChunk = 4 << 20;
constexpr int Separators = fields::PerRecord;

// Positions, relative to the start of a line, of its separators and of the bytes that need more
// than a copy when the line is taken into the table: blanks (trimmed at the ends of fields) and
// bytes above 0x7F (decoded to UTF-8).
struct LineScan
{
    std::vector<std::uint32_t> separators;
    std::vector<std::uint32_t> special;
    std::size_t scanned = 0; // bytes of the line looked at so far

    void reset()
    {
        separators.clear();
        special.clear();
        scanned = 0;
    }
};

// Scans p[scan.scanned … n) for the end of the line (CR or LF). Returns its offset, or n when the
// line goes on past the bytes at hand.
std::size_t scanLine(const char* p, std::size_t n, LineScan& scan)
{
    std::size_t i = scan.scanned;
#if defined(__SSE2__)
    const __m128i bar = _mm_set1_epi8('|');
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned eol = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        unsigned bars = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, bar)));
        unsigned specials
            = static_cast<unsigned>(_mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, blank)));
        unsigned before = 0xFFFF;
        if (eol != 0) {
            before = (1u << __builtin_ctz(eol)) - 1;
            bars &= before;
            specials &= before;
        }
        while (bars != 0) {
            scan.separators.push_back(static_cast<std::uint32_t>(i + __builtin_ctz(bars)));
            bars &= bars - 1;
        }
        while (specials != 0) {
            scan.special.push_back(static_cast<std::uint32_t>(i + __builtin_ctz(specials)));
            specials &= specials - 1;
        }
        if (eol != 0) {
            scan.scanned = i + __builtin_ctz(eol);
            return scan.scanned;
        }
    }
#endif
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '\r' || c == '\n') {
            scan.scanned = i;
            return i;
        }
        if (c == '|')
            scan.separators.push_back(static_cast<std::uint32_t>(i));
        else if (c == ' ' || c >= 0x80)
            scan.special.push_back(static_cast<std::uint32_t>(i));
    }
    scan.scanned = n;
    return n;
}

// Takes a checked line into a record: field 1 is the row number, fields 2 … 2128 the trimmed,
// decoded texts between the separators. Runs of fields without blanks or upper-half bytes are
// copied in one piece.
void buildRecord(Record& record, int row, const char* line, const LineScan& scan)
{
    const std::uint32_t* sep = scan.separators.data();
    const std::vector<std::uint32_t>& special = scan.special;

    // Each upper-half byte grows to two or three bytes of UTF-8.
    record.beginBuild(sep[Separators - 1] + 2 * special.size() + 16);
    std::string& arena = record.buildBuffer();
    std::uint32_t* start = record.buildStarts();

    start[1] = static_cast<std::uint32_t>(arena.size());
    arena += std::to_string(row);
    arena += '|';

    std::size_t next = 0;
    int k = 2;
    while (k <= Separators) {
        const std::uint32_t fieldBegin = sep[k - 2] + 1;
        while (next < special.size() && special[next] < fieldBegin)
            ++next;
        const std::uint32_t firstSpecial = next < special.size() ? special[next] : UINT32_MAX;
        // The field holding the next special byte; fields before it are copied as they are.
        const int specialField
            = static_cast<int>(std::upper_bound(sep + (k - 1), sep + Separators, firstSpecial) - sep) + 1;
        if (specialField > k) {
            const std::size_t base = arena.size();
            const std::uint32_t copyEnd = sep[specialField - 2] + 1;
            arena.append(line + fieldBegin, copyEnd - fieldBegin);
            for (int f = k; f < specialField; ++f)
                start[static_cast<std::size_t>(f)]
                    = static_cast<std::uint32_t>(base + (sep[f - 2] + 1 - fieldBegin));
            k = specialField;
            continue;
        }
        std::uint32_t b = fieldBegin;
        std::uint32_t e = sep[k - 1];
        while (b < e && line[b] == ' ')
            ++b;
        while (e > b && line[e - 1] == ' ')
            --e;
        start[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(arena.size());
        cp1251::decodeAppend(std::string_view(line + b, e - b), arena);
        arena += '|';
        ++k;
    }
    record.endBuild();
}

// Whether a line the program wrote could hold this: Windows-1251 text (its one unassigned byte
// 0x98 is no text) without control characters but the tab, and a record number, or nothing, in
// field 1. A backup must pass this before it may replace the database; the database itself is
// read as it is, so that nothing a user relies on stops loading.
bool isRecordText(const char* line, std::size_t length)
{
    // A NUL byte is in no text file: what holds one is some binary file with enough "|" in it.
    // Every other byte may stand in a database the program loads (old files hold VT, Ctrl+Z and
    // 0x98 in their fields), and a backup of it must restore.
    return std::memchr(line, '\0', length) == nullptr;
}

// The window of years the records name in field 2128. Records added by a copy of the program that
// knows no window have the field empty and do not move it back.
fields::YearWindow windowOf(const RecordTable& table)
{
    int first = fields::FirstBlockYear;
    for (int row = 1; row <= table.recordCount(); ++row) {
        if (const std::optional<int> year
            = fields::YearWindow::firstYearIn(table.field(row, fields::WindowField)))
            first = std::max(first, *year);
    }
    return fields::YearWindow(first);
}

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

LoadResult readFile(const std::string& path, RecordTable* table, bool strict)
{
    using Status = LoadResult::Status;
    LoadResult result;
    if (table)
        table->clear();

    files::InputFile file;
    if (const files::OpenStatus opened = file.open(path); opened != files::OpenStatus::Opened) {
        result.status = opened == files::OpenStatus::NotFound ? Status::NotFound : Status::OpenFailed;
        return result;
    }

    std::vector<char> buffer(ReadChunk);
    std::size_t lineStart = 0; // start of the line being read
    std::size_t filled = 0; // bytes in the buffer
    bool endOfFile = false;
    bool anyContent = false;
    int lines = 0;
    LineScan scan;
    scan.separators.reserve(Separators + 8);

    const auto refill = [&]() -> bool {
        if (lineStart > 0) {
            std::memmove(buffer.data(), buffer.data() + lineStart, filled - lineStart);
            filled -= lineStart;
            lineStart = 0;
        }
        if (filled == buffer.size())
            buffer.resize(buffer.size() * 2);
        const std::int64_t n = file.read(buffer.data() + filled, buffer.size() - filled);
        if (n < 0)
            return false;
        if (n == 0)
            endOfFile = true;
        filled += static_cast<std::size_t>(n);
        if (n > 0)
            anyContent = true;
        return true;
    };

    if (!refill()) {
        result.status = Status::OpenFailed;
        return result;
    }
    if (!anyContent) {
        result.status = Status::Empty;
        return result;
    }

    for (;;) {
        const std::size_t available = filled - lineStart;
        if (available == 0 && endOfFile)
            break;
        const char* line = buffer.data() + lineStart;
        std::size_t end = scanLine(line, available, scan);
        // The line ends at a CR or LF; a CR last in the buffer may still have its LF to come.
        const bool needMore
            = (end == available && !endOfFile) || (end + 1 == available && line[end] == '\r' && !endOfFile);
        if (needMore) {
            if (!refill()) {
                if (table)
                    table->clear();
                result.status = Status::OpenFailed;
                return result;
            }
            continue;
        }
        std::size_t consumed = end;
        if (end < available) {
            consumed = end + 1;
            if (line[end] == '\r' && end + 1 < available && line[end + 1] == '\n')
                consumed = end + 2;
        }

        ++lines;
        if (scan.separators.size() < static_cast<std::size_t>(Separators)
            || (strict && !isRecordText(line, end))) {
            if (table)
                table->clear();
            result.status = Status::BadLine;
            result.line = lines;
            return result;
        }
        if (table && lines <= fields::MaxRecords)
            buildRecord(table->record(lines), lines, line, scan);

        lineStart += consumed;
        scan.reset();
    }

    result.records = lines;
    if (lines > fields::MaxRecords) {
        if (table)
            table->clear();
        result.status = Status::TooManyLines;
        return result;
    }
    if (table) {
        table->setRecordCount(lines);
        table->setYears(windowOf(*table));
    }
    result.status = Status::Loaded;
    return result;
}

// Writes a file through a temporary one beside it: `produce` fills it by calling the sink; then
// the data is flushed and the temporary file put in place of the destination. A file its owner
// has protected from writing is refused: the replacement would replace it all the same.
// With side files, the replacement is one commit with their new states (database/commit.h).
template <typename Produce>
Commit replaceFile(const std::string& path, std::string_view temporarySuffix, std::string* error,
    const std::vector<SideFileChange>* sides, Produce produce)
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
    std::optional<Sha256> hash;
    if (sides && !sides->empty()) {
        commit.emplace(target, *sides);
        hash.emplace();
    }
    bool sinkFailed = false;
    const auto sink = [&](const std::string& bytes) {
        if (hash)
            hash->add(bytes);
        sinkFailed = !replacement.write(bytes.data(), bytes.size(), error);
        return !sinkFailed;
    };
    if (!produce(sink)) {
        // A source that failed to read: the replacement is dropped with its temporary file.
        if (!sinkFailed && error)
            *error = files::lastError("write");
        return Commit::Failed;
    }
    if (commit && !commit->prepare(hash->hex(), error))
        return Commit::Failed;
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
    return readFile(path, &table, false);
}

LoadResult check(const std::string& path)
{
    return readFile(path, nullptr, true);
}

bool write(const std::string& path, RecordTable& table, std::string* error)
{
    return writeCopy(path, table, TemporarySuffix, error);
}

namespace {
Commit writeTable(const std::string& path, RecordTable& table, std::string_view temporarySuffix,
    const std::vector<SideFileChange>* sides, std::string* error);
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

namespace {

Commit writeTable(const std::string& path, RecordTable& table, std::string_view temporarySuffix,
    const std::vector<SideFileChange>* sides, std::string* error)
{
    std::vector<CleanedField> cleaned;
    const int count = table.recordCount();
    markWindow(table);
    const std::string emptyLine = std::string(Separators, '|') + "\r\n";

    const Commit written = replaceFile(path, temporarySuffix, error, sides, [&](const auto& sink) {
        std::string out;
        out.reserve(WriteChunk + (1 << 16));
        for (int row = 1; row <= count; ++row) {
            Record& record = table.record(row);
            if (record.isBlank()) {
                out += emptyLine;
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
            if (out.size() >= WriteChunk) {
                if (!sink(out))
                    return false;
                out.clear();
            }
        }
        return sink(out);
    });
    // Once the database is in place the table follows it, side files waiting or not.
    if (written != Commit::Failed) {
        for (const CleanedField& c : cleaned)
            table.set(c.row, c.field, c.text);
    }
    return written;
}

} // namespace

bool create(const std::string& path, RecordTable& table, fields::YearWindow years, std::string* error)
{
    const std::string line = std::string(Separators - 1, '|') + years.fieldText() + "|\r\n";
    if (!replaceFile(path, TemporarySuffix, error, [&](const auto& sink) { return sink(line); }))
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
    return replaceFile(
        path, TemporarySuffix, error, [&](const auto& sink) { return sink(std::string(bytes)); });
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
            if (!sink(std::string(chunk.data(), static_cast<std::size_t>(n))))
                return false;
        }
    });
}

} // namespace database
