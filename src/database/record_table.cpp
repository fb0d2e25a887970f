#include "database/record_table.h"

#include "database/bit_masks.h"
#include "text/cp1251.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t FieldSlots = fields::MaxField + 1;
constexpr int Stride = Record::MarkStride;
// Field 0 and the fields after 2128 are kept only in memory; a record in order notes their
// starts after its marks.
constexpr std::size_t ExtraSlots = 1 + (fields::MaxField - fields::PerRecord);
constexpr std::size_t OrderedSlots = Record::MarkCount + 1 + ExtraSlots;
// Compaction is worth its copy only when the dead texts are many.
constexpr std::size_t CompactAfterDeadBytes = 4096;
// A splice moves the rest of the line; after this many the record takes a start for every field,
// so that a sheet stored whole costs appends, not moves of the line.
constexpr int SpliceBudget = 16;
// Room that is never part of a buffer's text: separators are looked for 16 bytes at a time.
constexpr std::size_t Slack = 16;

// A number no change of any record took before: records of every table count from the same.
std::uint64_t newVersion()
{
    static std::atomic<std::uint64_t> last{ 0 };
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

constexpr std::size_t extraSlot(int f)
{
    return Record::MarkCount + 1 + (f == 0 ? 0 : std::size_t(f - fields::PerRecord));
}

bool inLine(int f)
{
    return f >= 1 && f <= fields::PerRecord;
}

// The text after `skip` separators from p, which starts a field. The buffer holds more than
// `skip` separators from p, and 16 bytes may be read past its end.
std::string_view fieldAfter(const char* p, int skip)
{
    const char* begin = p;
#if defined(__SSE2__)
    const __m128i bar = _mm_set1_epi8('|');
    auto left = unsigned(skip);
    for (;; p += 16) {
        const auto bars = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), bar)));
        const unsigned count = bitmasks::count(bars);
        if (count > left) {
            if (left > 0)
                begin = p + bitmasks::position(bars, left - 1) + 1;
            const char* end = p + bitmasks::position(bars, left);
            return { begin, std::size_t(end - begin) };
        }
        if (count > 0) {
            begin = p + (31 - __builtin_clz(bars)) + 1;
            left -= count;
        }
    }
#else
    for (;; ++p) {
        if (*p != '|')
            continue;
        if (skip == 0)
            return { begin, std::size_t(p - begin) };
        --skip;
        begin = p + 1;
    }
#endif
}

} // namespace

// --- Buffer -----------------------------------------------------------------------------------

Record::Buffer::Buffer(const Buffer& other)
{
    assign(other.view());
}

Record::Buffer& Record::Buffer::operator=(const Buffer& other)
{
    if (this != &other)
        assign(other.view());
    return *this;
}

Record::Buffer::Buffer(Buffer&& other) noexcept
    : m_data(std::move(other.m_data)), m_size(other.m_size), m_capacity(other.m_capacity)
{
    other.m_size = other.m_capacity = 0;
}

Record::Buffer& Record::Buffer::operator=(Buffer&& other) noexcept
{
    if (this != &other) {
        m_data = std::move(other.m_data);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void Record::Buffer::release()
{
    m_data.reset();
    m_size = m_capacity = 0;
}

void Record::Buffer::reserve(std::size_t bytes, bool zeroed)
{
    if (bytes <= m_capacity && m_data)
        return;
    std::unique_ptr<char[]> fresh(new char[bytes + Slack]);
    if (m_size > 0)
        std::memcpy(fresh.get(), m_data.get(), m_size);
    // Searches read past the text in blocks of 16 bytes: what they read is never a separator
    // they could take for a text's, and never memory that was not written.
    if (zeroed)
        std::memset(fresh.get() + m_size, 0, bytes + Slack - m_size);
    m_data = std::move(fresh);
    m_capacity = bytes;
}

void Record::Buffer::grow(std::size_t bytes)
{
    if (bytes > m_capacity)
        reserve(std::max(bytes, m_capacity + m_capacity / 2));
}

void Record::Buffer::append(std::string_view bytes)
{
    grow(m_size + bytes.size());
    if (!bytes.empty())
        std::memcpy(m_data.get() + m_size, bytes.data(), bytes.size());
    m_size += bytes.size();
}

void Record::Buffer::push_back(char c)
{
    grow(m_size + 1);
    m_data[m_size++] = c;
}

void Record::Buffer::assign(std::string_view bytes)
{
    m_size = 0;
    if (bytes.size() > m_capacity || !m_data)
        reserve(bytes.size());
    if (!bytes.empty())
        std::memcpy(m_data.get(), bytes.data(), bytes.size());
    m_size = bytes.size();
}

void Record::Buffer::replace(std::size_t begin, std::size_t end, std::string_view bytes)
{
    const std::size_t tail = m_size - end;
    const std::size_t size = begin + bytes.size() + tail;
    // A line grows by a text at a time: a little room, not half as much again as appends get, so
    // that a change made to every record keeps the table about the size of its file.
    if (size > m_capacity)
        reserve(size + size / 32 + 64);
    char* data = m_data.get();
    std::memmove(data + begin + bytes.size(), data + end, tail);
    if (!bytes.empty())
        std::memcpy(data + begin, bytes.data(), bytes.size());
    m_size = size;
}

// --- Record -----------------------------------------------------------------------------------

Record::Record(const Record& other)
    : m_arena(other.m_arena),
      m_dead(other.m_dead),
      m_splices(other.m_splices),
      m_blank(other.m_blank),
      m_inOrder(other.m_inOrder),
      m_version(other.m_version)
{
    if (other.m_index && !other.m_blank) {
        useIndex(other.m_fullIndex);
        std::copy_n(other.m_index.get(), other.m_fullIndex ? FieldSlots : OrderedSlots, m_index.get());
    }
}

Record& Record::operator=(const Record& other)
{
    if (this != &other)
        *this = Record(other);
    return *this;
}

void Record::useIndex(bool full)
{
    if (m_index && m_fullIndex == full)
        return;
    m_index.reset(new std::uint32_t[full ? FieldSlots : OrderedSlots]);
    m_fullIndex = full;
}

std::string_view Record::field(int f) const
{
    if (m_blank || f < 0 || f > fields::MaxField)
        return {};
    const char* base = m_arena.data();
    std::size_t begin = 0;
    if (!m_inOrder) {
        begin = m_index[std::size_t(f)];
    } else if (inLine(f)) {
        return fieldAfter(base + m_index[std::size_t(f - 1) / Stride], (f - 1) % Stride);
    } else {
        begin = m_index[extraSlot(f)];
    }
    const char* end = static_cast<const char*>(std::memchr(base + begin, '|', m_arena.size() - begin));
    return { base + begin, static_cast<std::size_t>(end - (base + begin)) };
}

std::size_t Record::orderedStart(int f) const
{
    return std::size_t(field(f).data() - m_arena.data());
}

void Record::set(int f, std::string_view value)
{
    if (f < 0 || f > fields::MaxField)
        return;
    if (cp1251::isStorable(value)) {
        setUnchecked(f, value);
    } else {
        const std::string clean = cp1251::storableText(value);
        setUnchecked(f, clean);
    }
}

void Record::setUnchecked(int f, std::string_view value)
{
    const std::string_view old = field(f);
    if (old == value)
        return;
    m_version = newVersion();
    if (m_blank) {
        m_arena.assign("|");
        useIndex(true);
        std::fill_n(m_index.get(), FieldSlots, 0);
        m_dead = 0;
        m_splices = 0;
        m_blank = false;
        m_inOrder = false;
    }
    if (m_inOrder && inLine(f)) {
        if (old.size() == value.size()) {
            // Same length: written in place, the layout stays as it was.
            std::memmove(const_cast<char*>(old.data()), value.data(), value.size());
            return;
        }
        if (m_splices < SpliceBudget) {
            ++m_splices;
            std::string bytes(value);
            bytes += '|';
            splice(f, f, bytes);
            return;
        }
        loosen();
    }
    setLoose(f, value);
}

// A text of a record out of order, or one kept only in memory: written over the old one or
// appended to the buffer.
void Record::setLoose(int f, std::string_view value)
{
    std::uint32_t& start = m_index[m_inOrder ? extraSlot(f) : std::size_t(f)];
    const std::size_t oldSize = field(f).size();
    if (oldSize == value.size() && start != 0) {
        std::memmove(m_arena.data() + start, value.data(), value.size());
        return;
    }
    if (start != 0)
        m_dead += oldSize + 1;
    if (value.empty()) {
        start = 0;
    } else {
        // value may point into the buffer itself; the append below could move it.
        const std::string copy(value);
        start = static_cast<std::uint32_t>(m_arena.size());
        m_arena.append(copy);
        m_arena.push_back('|');
    }
    if (m_dead > CompactAfterDeadBytes && m_dead * 2 > m_arena.size())
        compact();
}

void Record::setKeepingOrder(int f, std::string_view value)
{
    if (!m_inOrder || m_blank || !inLine(f)) {
        set(f, value);
        return;
    }
    std::string bytes = cp1251::isStorable(value) ? std::string(value) : cp1251::storableText(value);
    if (bytes == field(f))
        return;
    bytes += '|';
    splice(f, f, bytes);
}

void Record::clearKeepingOrder(int from, int to)
{
    from = std::max(from, 1);
    to = std::min(to, fields::PerRecord);
    if (from > to || m_blank)
        return;
    if (!m_inOrder) {
        for (int f = from; f <= to; ++f)
            set(f, std::string_view());
        return;
    }
    splice(from, to, std::string(std::size_t(to - from + 1), '|'));
}

void Record::splice(int from, int to, std::string_view bytes)
{
    m_version = newVersion();
    const std::size_t begin = orderedStart(from);
    const std::string_view last = field(to);
    const std::size_t end = static_cast<std::size_t>(last.data() - m_arena.data()) + last.size() + 1;
    m_arena.replace(begin, end, bytes);
    const std::ptrdiff_t moved = std::ptrdiff_t(bytes.size()) - std::ptrdiff_t(end - begin);
    const auto shift
        = [moved](std::uint32_t& at) { at = static_cast<std::uint32_t>(std::ptrdiff_t(at) + moved); };
    // Marks inside the span are found again in the new bytes; those after it, the end of the line
    // and the texts kept only in memory (which follow the line) move with the rest.
    std::size_t at = 0; // in bytes, the start of field f
    int f = from;
    for (int g = (from - 1) / Stride + 1; g <= MarkCount; ++g) {
        const int marked = g * Stride + 1;
        if (marked > to) {
            shift(m_index[std::size_t(g)]);
            continue;
        }
        for (; f < marked; ++f)
            at = bytes.find('|', at) + 1;
        m_index[std::size_t(g)] = static_cast<std::uint32_t>(begin + at);
    }
    for (std::size_t slot = MarkCount + 1; slot < OrderedSlots; ++slot) {
        if (m_index[slot] != 0)
            shift(m_index[slot]);
    }
}

void Record::loosen()
{
    std::unique_ptr<std::uint32_t[]> starts(new std::uint32_t[FieldSlots]);
    const char* base = m_arena.data();
    const std::size_t begin = m_index[0];
    starts[1] = static_cast<std::uint32_t>(begin);
    int f = 2; // the field whose start the next separator gives
    std::size_t at = begin;
#if defined(__SSE2__)
    const __m128i bar = _mm_set1_epi8('|');
    // The buffer may be read 16 bytes past its end, and the line ends at its 2128th separator.
    for (; f <= fields::PerRecord; at += 16) {
        auto bars = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at)), bar)));
        for (; bars != 0 && f <= fields::PerRecord; bars &= bars - 1)
            starts[std::size_t(f++)] = static_cast<std::uint32_t>(at + unsigned(__builtin_ctz(bars)) + 1);
    }
#else
    for (; f <= fields::PerRecord; ++at) {
        if (base[at] == '|')
            starts[std::size_t(f++)] = static_cast<std::uint32_t>(at + 1);
    }
#endif
    starts[0] = m_index[extraSlot(0)];
    for (int g = fields::PerRecord + 1; g <= fields::MaxField; ++g)
        starts[std::size_t(g)] = m_index[extraSlot(g)];
    m_index = std::move(starts);
    m_fullIndex = true;
    m_inOrder = false;
}

void Record::clear()
{
    m_arena.release();
    m_index.reset();
    m_fullIndex = false;
    reset();
}

void Record::reset()
{
    m_version = newVersion();
    m_arena.clear();
    m_dead = 0;
    m_splices = 0;
    m_blank = true;
    m_inOrder = false;
}

std::string_view Record::orderedLine() const
{
    const std::size_t begin = m_index[0];
    return m_arena.view().substr(begin, m_index[MarkCount] - begin);
}

void Record::compact()
{
    if (m_blank)
        return;
    m_splices = 0;
    if (m_inOrder && m_dead == 0)
        return;
    // Built in buffers kept for the next record and copied back into the record's own memory: a
    // write compacts every record changed since the load, and fresh memory for each would cost
    // more than the copies.
    thread_local Buffer arena;
    thread_local std::vector<std::uint32_t> start;
    arena.clear();
    arena.reserve(m_arena.size() - m_dead + fields::PerRecord + 1);
    arena.push_back('|');
    start.assign(OrderedSlots, 0);
    if (m_inOrder) {
        // Only texts kept in memory were replaced: the line goes over whole.
        const std::size_t begin = m_index[0];
        arena.append(orderedLine());
        for (int g = 0; g <= MarkCount; ++g)
            start[std::size_t(g)] = static_cast<std::uint32_t>(m_index[std::size_t(g)] + 1 - begin);
        for (std::size_t slot = MarkCount + 1; slot < OrderedSlots; ++slot) {
            if (m_index[slot] == 0)
                continue;
            const std::size_t b = m_index[slot];
            const std::size_t e = m_arena.view().find('|', b);
            start[slot] = static_cast<std::uint32_t>(arena.size());
            arena.append(m_arena.view().substr(b, e + 1 - b));
        }
    } else {
        // Fields that lie one after another in the old buffer go over in one piece: after a few
        // changes most of a record is still in order, and a copy per field would cost a write of
        // the whole table many times over.
        std::size_t runBegin = 0; // the run of old bytes not yet copied
        std::size_t runEnd = 0;
        std::size_t shift = 0; // new offset − old offset within the run
        const auto flush = [&] {
            arena.append(m_arena.view().substr(runBegin, runEnd - runBegin));
            runBegin = runEnd = 0;
        };
        // Places field f and returns its new start.
        const auto place = [&](int f) -> std::uint32_t {
            const std::size_t old = m_index[static_cast<std::size_t>(f)];
            const std::size_t length = field(f).size();
            if (old == 0) {
                // An empty field that shares the "|" at the start gets one of its own.
                flush();
                arena.push_back('|');
                return static_cast<std::uint32_t>(arena.size() - 1);
            }
            if (old != runEnd || runEnd == 0) {
                flush();
                runBegin = old;
                shift = arena.size() - old;
            }
            runEnd = old + length + 1;
            return static_cast<std::uint32_t>(old + shift);
        };
        for (int f = 1; f <= fields::PerRecord; ++f) {
            const std::uint32_t at = place(f);
            if ((f - 1) % Stride == 0)
                start[std::size_t(f - 1) / Stride] = at;
            if (f == fields::PerRecord)
                start[MarkCount] = static_cast<std::uint32_t>(at + field(f).size() + 1);
        }
        if (!field(0).empty())
            start[extraSlot(0)] = place(0);
        for (int f = fields::PerRecord + 1; f <= fields::MaxField; ++f) {
            if (!field(f).empty())
                start[extraSlot(f)] = place(f);
        }
        flush();
    }
    m_arena.assign(arena.view());
    useIndex(false);
    std::copy(start.begin(), start.end(), m_index.get());
    m_dead = 0;
    m_inOrder = true;
}

char* Record::beginBuild(std::size_t maxBytes)
{
    m_version = newVersion();
    m_arena.clear();
    // The loader writes the line itself, and endBuild zeroes the room after it.
    m_arena.reserve(maxBytes, false);
    m_arena.push_back('|');
    useIndex(false);
    std::fill(m_index.get() + MarkCount + 1, m_index.get() + OrderedSlots, 0);
    m_dead = 0;
    m_splices = 0;
    m_blank = false;
    m_inOrder = false;
    return m_arena.data();
}

void Record::endBuild(std::size_t bytes)
{
    m_arena.setSize(bytes);
    // The room left for edits, and the slack, as reserve() would have left them.
    std::memset(m_arena.data() + bytes, 0, m_arena.capacity() + Slack - bytes);
    m_inOrder = true;
}

RecordTable::RecordTable() : m_rows(fields::MaxRecords + 1)
{ }

void RecordTable::setRecordCount(int count)
{
    m_recordCount = std::clamp(count, 0, fields::MaxRecords);
}

std::string_view RecordTable::field(int row, int f) const
{
    if (!validRow(row))
        return {};
    return m_rows[static_cast<std::size_t>(row)].field(f);
}

void RecordTable::set(int row, int f, std::string_view value)
{
    if (!validRow(row))
        return;
    m_rows[static_cast<std::size_t>(row)].set(f, value);
}

void RecordTable::clearRecord(int row)
{
    if (validRow(row))
        m_rows[static_cast<std::size_t>(row)].clear();
}

void RecordTable::swapRecords(int a, int b)
{
    if (validRow(a) && validRow(b))
        std::swap(m_rows[static_cast<std::size_t>(a)], m_rows[static_cast<std::size_t>(b)]);
}

void RecordTable::clear()
{
    // The buffers stay: a load that follows fills them again without asking the system for memory.
    for (Record& r : m_rows)
        r.reset();
    m_recordCount = 0;
    m_years = fields::YearWindow();
}
