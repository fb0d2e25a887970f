#include "database/record_table.h"

#include "database/cp1251.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t FieldSlots = fields::MaxField + 1;
// Compaction is worth its copy only when the dead texts are many.
constexpr std::size_t CompactAfterDeadBytes = 4096;

} // namespace

Record::Record(const Record& other)
    : m_arena(other.m_arena), m_dead(other.m_dead), m_blank(other.m_blank), m_inOrder(other.m_inOrder)
{
    if (other.m_start) {
        m_start.reset(new std::uint32_t[FieldSlots]);
        std::copy(other.m_start.get(), other.m_start.get() + FieldSlots, m_start.get());
    }
}

Record& Record::operator=(const Record& other)
{
    if (this != &other)
        *this = Record(other);
    return *this;
}

std::string_view Record::field(int f) const
{
    if (m_blank || f < 0 || f > fields::MaxField)
        return {};
    const char* begin = m_arena.data() + m_start[static_cast<std::size_t>(f)];
    const char* end
        = static_cast<const char*>(std::memchr(begin, '|', m_arena.data() + m_arena.size() - begin));
    return { begin, static_cast<std::size_t>(end - begin) };
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
    if (m_blank) {
        m_arena.assign(1, '|');
        allocateStarts();
        std::fill(m_start.get(), m_start.get() + FieldSlots, 0);
        m_blank = false;
        m_inOrder = false;
    }
    const auto slot = static_cast<std::size_t>(f);
    if (old.size() == value.size() && m_start[slot] != 0) {
        // Same length: written in place, the layout stays as it was.
        std::memcpy(m_arena.data() + m_start[slot], value.data(), value.size());
        return;
    }
    if (m_start[slot] != 0)
        m_dead += old.size() + 1;
    if (value.empty()) {
        m_start[slot] = 0;
    } else {
        // value may point into the arena itself; the append below could move it.
        const std::string copy(value);
        m_start[slot] = static_cast<std::uint32_t>(m_arena.size());
        m_arena += copy;
        m_arena += '|';
    }
    if (f >= 1 && f <= fields::PerRecord)
        m_inOrder = false;
    if (m_dead > CompactAfterDeadBytes && m_dead * 2 > m_arena.size())
        compact();
}

void Record::setKeepingOrder(int f, std::string_view value)
{
    if (!m_inOrder || m_blank || f < 1 || f > fields::PerRecord) {
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
    const std::size_t begin = m_start[static_cast<std::size_t>(from)];
    const std::string_view last = field(to);
    const std::size_t end = static_cast<std::size_t>(last.data() - m_arena.data()) + last.size() + 1;
    m_arena.replace(begin, end - begin, bytes);
    // Texts after the span (the later fields, and those kept only in memory) move with it; empty
    // fields that share the "|" at the start stay there.
    const std::ptrdiff_t moved = std::ptrdiff_t(bytes.size()) - std::ptrdiff_t(end - begin);
    for (std::size_t slot = 0; slot < FieldSlots; ++slot) {
        if (m_start[slot] >= end)
            m_start[slot] = static_cast<std::uint32_t>(std::ptrdiff_t(m_start[slot]) + moved);
    }
    std::size_t at = begin;
    for (int f = from; f <= to; ++f) {
        m_start[static_cast<std::size_t>(f)] = static_cast<std::uint32_t>(at);
        at = m_arena.find('|', at) + 1;
    }
}

void Record::allocateStarts()
{
    // Not zeroed here: a load writes every offset itself.
    if (!m_start)
        m_start.reset(new std::uint32_t[FieldSlots]);
}

void Record::clear()
{
    m_arena.clear();
    m_arena.shrink_to_fit();
    m_start.reset();
    reset();
}

void Record::reset()
{
    m_arena.clear();
    m_dead = 0;
    m_blank = true;
    m_inOrder = false;
}

std::string_view Record::orderedLine() const
{
    const std::size_t begin = m_start[1];
    const std::string_view last = field(fields::PerRecord);
    const std::size_t end = static_cast<std::size_t>(last.data() - m_arena.data()) + last.size() + 1;
    return std::string_view(m_arena).substr(begin, end - begin);
}

void Record::compact()
{
    if (m_blank)
        return;
    // Built in buffers kept for the next record and copied back into the record's own memory: a
    // write compacts every record changed since the load, and fresh memory for each would cost
    // more than the copies.
    thread_local std::string arena;
    thread_local std::vector<std::uint32_t> start;
    arena.clear();
    arena.reserve(m_arena.size() - m_dead + fields::PerRecord + 1);
    arena += '|';
    start.assign(FieldSlots, 0);
    // Fields that lie one after another in the old buffer go over in one piece: after a few
    // changes most of a record is still in order, and a copy per field would cost a write of the
    // whole table many times over.
    std::size_t runBegin = 0; // the run of old bytes not yet copied
    std::size_t runEnd = 0;
    std::size_t shift = 0; // new offset − old offset within the run
    const auto flush = [&] {
        arena.append(m_arena, runBegin, runEnd - runBegin);
        runBegin = runEnd = 0;
    };
    const auto place = [&](int f) {
        const std::size_t old = m_start[static_cast<std::size_t>(f)];
        const std::size_t length = field(f).size();
        if (old == 0) {
            // An empty field that shares the "|" at the start gets one of its own.
            flush();
            start[static_cast<std::size_t>(f)] = static_cast<std::uint32_t>(arena.size());
            arena += '|';
            return;
        }
        if (old != runEnd || runEnd == 0) {
            flush();
            runBegin = old;
            shift = arena.size() - old;
        }
        start[static_cast<std::size_t>(f)] = static_cast<std::uint32_t>(old + shift);
        runEnd = old + length + 1;
    };
    for (int f = 1; f <= fields::PerRecord; ++f)
        place(f);
    if (!field(0).empty())
        place(0);
    for (int f = fields::PerRecord + 1; f <= fields::MaxField; ++f) {
        if (!field(f).empty())
            place(f);
    }
    flush();
    m_arena.assign(arena);
    std::copy(start.begin(), start.end(), m_start.get());
    m_dead = 0;
    m_inOrder = true;
}

void Record::beginBuild(std::size_t expectedBytes)
{
    m_arena.clear();
    m_arena.reserve(expectedBytes + 16);
    m_arena += '|';
    allocateStarts();
    m_start[0] = 0;
    std::fill(m_start.get() + fields::PerRecord + 1, m_start.get() + FieldSlots, 0);
    m_dead = 0;
    m_blank = false;
    m_inOrder = false;
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
