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
    std::string arena;
    arena.reserve(m_arena.size() - m_dead + 1);
    arena += '|';
    std::unique_ptr<std::uint32_t[]> start(new std::uint32_t[FieldSlots]());
    const auto place = [&](int f) {
        const std::string_view text = field(f);
        start[static_cast<std::size_t>(f)] = static_cast<std::uint32_t>(arena.size());
        arena += text;
        arena += '|';
    };
    for (int f = 1; f <= fields::PerRecord; ++f)
        place(f);
    if (!field(0).empty())
        place(0);
    for (int f = fields::PerRecord + 1; f <= fields::MaxField; ++f) {
        if (!field(f).empty())
            place(f);
    }
    m_arena = std::move(arena);
    m_start = std::move(start);
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
