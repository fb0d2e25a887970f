#include "database/database_reading.h"

#include "database/bit_masks.h"
#include "platform/file_system.h"
#include "text/cp1251.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace database {
namespace {

constexpr std::size_t ReadChunk = 1 << 20;
constexpr int Separators = fields::PerRecord;
constexpr int Stride = Record::MarkStride;
constexpr std::size_t NoSeparator = std::size_t(-1);
constexpr std::size_t EditRoom = 128;

// What the first look at a line finds, before it is taken into its record.
struct LineScan
{
    std::size_t scanned = 0; // bytes of the line looked at so far
    int separators = 0; // counted up to the 2128th
    std::size_t firstSeparator = NoSeparator;
    std::size_t fieldsEnd = 0; // just after the 2128th separator, once it is seen
    std::size_t upper = 0; // bytes above 0x7F before it (each grows in UTF-8)
    bool nul = false;
};

// Scans p[scan.scanned … n) for the end of the line (CR or LF). Returns its offset, or n when the
// line goes on past the bytes at hand.
std::size_t scanLine(const char* p, std::size_t n, LineScan& scan)
{
    std::size_t i = scan.scanned;
#if defined(__SSE2__)
    const __m128i bar = _mm_set1_epi8('|');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const auto eol = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        const unsigned before = eol != 0 ? (1u << __builtin_ctz(eol)) - 1 : 0xFFFF;
        if ((static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero))) & before) != 0)
            scan.nul = true;
        if (scan.separators < Separators) {
            unsigned bars = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, bar))) & before;
            unsigned upper = static_cast<unsigned>(_mm_movemask_epi8(v)) & before;
            if (bars != 0) {
                if (scan.firstSeparator == NoSeparator)
                    scan.firstSeparator = i + unsigned(__builtin_ctz(bars));
                const int count = int(bitmasks::count(bars));
                if (scan.separators + count >= Separators) {
                    for (int k = Separators - scan.separators; k > 1; --k)
                        bars &= bars - 1;
                    const auto at = unsigned(__builtin_ctz(bars));
                    scan.fieldsEnd = i + at + 1;
                    upper &= (1u << at) - 1;
                    scan.separators = Separators;
                } else {
                    scan.separators += count;
                }
            }
            scan.upper += std::size_t(bitmasks::count(upper));
        }
        if (eol != 0) {
            scan.scanned = i + unsigned(__builtin_ctz(eol));
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
        if (c == 0)
            scan.nul = true;
        if (scan.separators == Separators)
            continue;
        if (c == '|') {
            if (scan.firstSeparator == NoSeparator)
                scan.firstSeparator = i;
            if (++scan.separators == Separators)
                scan.fieldsEnd = i + 1;
        } else if (c >= 0x80) {
            ++scan.upper;
        }
    }
    scan.scanned = n;
    return n;
}

// The first look at a line that is to be taken into its record: only its end and the bytes that
// grow in UTF-8; the separators are counted as the record is built.
std::size_t scanLineEnd(const char* p, std::size_t n, LineScan& scan)
{
    std::size_t i = scan.scanned;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const auto eol = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        auto upper = static_cast<unsigned>(_mm_movemask_epi8(v));
        if (eol != 0) {
            upper &= (1u << __builtin_ctz(eol)) - 1;
            scan.upper += std::size_t(bitmasks::count(upper));
            scan.scanned = i + unsigned(__builtin_ctz(eol));
            return scan.scanned;
        }
        if (upper != 0)
            scan.upper += std::size_t(bitmasks::count(upper));
    }
#endif
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '\r' || c == '\n') {
            scan.scanned = i;
            return i;
        }
        if (c >= 0x80)
            ++scan.upper;
    }
    scan.scanned = n;
    return n;
}

// Takes a line into a record: field 1 is the row number, fields 2 … 2128 the texts between the
// separators, trimmed of blanks and decoded; what follows the 2128th separator is left. Pieces of
// 16 bytes without blanks or upper-half bytes, which are most of a line, are copied as they are.
class RecordBuilder
{
public:
    // `bytes` after field 1, `upper` of them above 0x7F.
    RecordBuilder(Record& record, int row, std::size_t bytes, std::size_t upper) : m_record(record)
    {
        char digits[16];
        const std::size_t length
            = std::size_t(std::to_chars(digits, digits + sizeof digits, row).ptr - digits);
        // Each upper-half byte grows to two or three bytes of UTF-8; blanks only go. A little room
        // more lets the record take the longer texts of a month's work without moving.
        m_base = record.beginBuild(2 + length + bytes + 2 * upper + EditRoom);
        m_marks = record.buildMarks();
        m_marks[0] = 1;
        m_out = m_base + 1;
        std::memcpy(m_out, digits, length);
        m_out += length;
        *m_out++ = '|';
    }

    // False when the bytes hold too few separators.
    bool take(const char* in, const char* end)
    {
#if defined(__SSE2__)
        const __m128i bar = _mm_set1_epi8('|');
        const __m128i blank = _mm_set1_epi8(' ');
        for (; in + 16 <= end; in += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            const auto special
                = static_cast<unsigned>(_mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, blank)));
            auto bars = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, bar)));
            const int count = int(bitmasks::count(bars));
            if (special != 0 || m_blanks != 0 || m_done + count >= Separators) {
                if (takeSlowly(in, in + 16))
                    return true;
                continue;
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_out), v);
            // The marks of the fields that start in these bytes, every Stride-th separator on.
            const auto done = unsigned(m_done);
            const auto total = done + unsigned(count);
            for (unsigned marked = (done / Stride + 1) * Stride; marked <= total; marked += Stride)
                m_marks[marked / Stride]
                    = std::uint32_t(m_out + bitmasks::position(bars, marked - done - 1) + 1 - m_base);
            m_done = int(total);
            m_atStart = (bars & 0x8000) != 0;
            m_out += 16;
        }
#endif
        return takeSlowly(in, end);
    }

    void finish()
    {
        m_record.endBuild(std::size_t(m_out - m_base));
    }

private:
    // True once the 2128th separator is taken.
    bool takeSlowly(const char* in, const char* end)
    {
        while (in < end) {
            const char c = *in;
            if (c == '|') {
                m_blanks = 0;
                *m_out++ = '|';
                if (++m_done % Stride == 0)
                    m_marks[m_done / Stride] = std::uint32_t(m_out - m_base);
                if (m_done == Separators)
                    return true;
                m_atStart = true;
                ++in;
                continue;
            }
            if (c == ' ') {
                // Blanks at the start of a field go; those inside wait for what follows them.
                if (!m_atStart)
                    ++m_blanks;
                ++in;
                continue;
            }
            const char* run = in;
            while (run < end && *run != '|' && *run != ' ')
                ++run;
            if (m_blanks != 0) {
                std::memset(m_out, ' ', m_blanks);
                m_out += m_blanks;
                m_blanks = 0;
            }
            m_out = cp1251::decodeTo(std::string_view(in, std::size_t(run - in)), m_out);
            m_atStart = false;
            in = run;
        }
        return false;
    }

    Record& m_record;
    char* m_base = nullptr;
    std::uint32_t* m_marks = nullptr;
    char* m_out = nullptr;
    int m_done = 1; // fields written
    bool m_atStart = true;
    std::size_t m_blanks = 0; // blanks read and not yet written
};

// Builds the record from line[0 … length); false when the line holds too few separators.
bool buildRecord(Record& record, int row, const char* line, std::size_t length, std::size_t upper)
{
    const auto* first = static_cast<const char*>(std::memchr(line, '|', length));
    if (first) {
        RecordBuilder builder(record, row, std::size_t(line + length - first - 1), upper);
        if (builder.take(first + 1, line + length)) {
            builder.finish();
            return true;
        }
    }
    record.reset();
    return false;
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

} // namespace

LoadResult readDatabase(const std::string& path, RecordTable* table, bool strict)
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
        // Lines taken into the table are checked as they are built.
        const bool build = table && lines < fields::MaxRecords;
        std::size_t end = build ? scanLineEnd(line, available, scan) : scanLine(line, available, scan);
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
        const bool good = build ? buildRecord(table->record(lines), lines, line, end, scan.upper)
                                : scan.separators >= Separators && !(strict && scan.nul);
        if (!good) {
            // A NUL byte is in no text file: what holds one is some binary file with enough "|"
            // in it. Every other byte may stand in a database the program loads (old files hold
            // VT, Ctrl+Z and 0x98 in their fields), and a backup of it must restore.
            if (table)
                table->clear();
            result.status = Status::BadLine;
            result.line = lines;
            return result;
        }

        lineStart += consumed;
        scan = LineScan();
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

} // namespace database
