// The directory's names by surname and initials: an open table of the surnames, each with its
// names sorted by initials, and a bitset of sketches that passes over most words at once.

#include "matching/name_index.h"

#include "matching/folding.h"

#include <algorithm>

namespace matching {

NameIndex::NameIndex(const RecordTable& table)
{
    // The names are copied together first, in a loop of their own: each lies in its record's own
    // memory, on a page of its own, and a loop that does nothing else lets the processor wait for
    // many of them at once.
    const int count = table.recordCount();
    std::vector<std::uint32_t> ends(std::size_t(std::max(count, 0)) + 1);
    std::string all;
    all.reserve(std::size_t(std::max(count, 0)) * 24);
    for (int i = 1; i <= count; ++i) {
        all += table.field(i, fields::FullName);
        ends[std::size_t(i)] = std::uint32_t(all.size());
    }
    const auto nameOf = [&](int i) {
        const std::uint32_t begin = ends[std::size_t(i - 1)];
        return std::string_view(all).substr(begin, ends[std::size_t(i)] - begin);
    };
    m_marks.assign(ends.size(), 0);

    // Each name to the slot of its surname, in the order of the records; a surname is kept once.
    struct Entry
    {
        std::uint32_t slot = 0;
        Name name;
    };
    std::vector<Entry> entries;
    entries.reserve(ends.size());
    std::size_t size = 16;
    while (size < 2 * ends.size())
        size *= 2;
    m_slots.assign(size, Surname());
    std::string folded;
    std::vector<std::string_view> w;
    for (int i = 1; i <= count; ++i) {
        foldInto(nameOf(i), folded);
        words(folded, w);
        if (w.size() < 2 || w[0].size() < 2)
            continue;
        const auto first = static_cast<unsigned char>(w[1][0]);
        const std::uint16_t given
            = w.size() > 2 ? initials(first, static_cast<unsigned char>(w[2][0])) : initials(first);
        const std::string_view name = w[0];
        const std::uint64_t hash = hashOf(name);
        std::size_t at = std::size_t(hash) & (size - 1);
        for (;; at = (at + 1) & (size - 1)) {
            Surname& slot = m_slots[at];
            if (slot.size == 0) {
                slot = { hash, std::uint32_t(m_surnameBytes.size()), std::uint32_t(name.size()), 0, 0 };
                m_surnameBytes += name;
                m_sketches.set(sketch(name));
                break;
            }
            if (slot.hash == hash && std::string_view(m_surnameBytes.data() + slot.at, slot.size) == name)
                break;
        }
        ++m_slots[at].count;
        entries.push_back({ std::uint32_t(at), { given, i } });
    }

    // The table of the surnames alone, twice as large as there are, so that the look-ups of a
    // statement's words stay in the processor's cache; the entries follow their slots.
    std::size_t surnames = 0;
    for (const Surname& slot : m_slots)
        surnames += slot.size != 0 ? 1 : 0;
    std::size_t fitting = 16;
    while (fitting < 2 * surnames)
        fitting *= 2;
    std::vector<Surname> slots(fitting, Surname());
    std::vector<std::uint32_t> moved(m_slots.size(), 0);
    for (std::size_t old = 0; old < m_slots.size(); ++old) {
        if (m_slots[old].size == 0)
            continue;
        std::size_t at = std::size_t(m_slots[old].hash) & (fitting - 1);
        while (slots[at].size != 0)
            at = (at + 1) & (fitting - 1);
        slots[at] = m_slots[old];
        moved[old] = std::uint32_t(at);
    }
    m_slots = std::move(slots);
    for (Entry& e : entries)
        e.slot = moved[e.slot];

    // The names of each surname together, by their initials, each in the order of the records.
    std::uint32_t next = 0;
    for (Surname& slot : m_slots) {
        slot.first = next;
        next += slot.count;
        slot.count = 0;
    }
    m_names.resize(entries.size());
    for (const Entry& e : entries) {
        Surname& slot = m_slots[e.slot];
        m_names[slot.first + slot.count++] = e.name;
    }
    for (const Surname& slot : m_slots)
        if (slot.count > 1)
            std::stable_sort(m_names.begin() + slot.first, m_names.begin() + slot.first + slot.count,
                [](const Name& a, const Name& b) { return a.initials < b.initials; });
}

std::size_t NameIndex::sketch(std::string_view word)
{
    const auto byte = [word](std::size_t i) { return std::size_t(static_cast<unsigned char>(word[i])); };
    return (byte(0) * 7919 + byte(1) * 131 + byte(word.size() - 1) * 17 + word.size()) % SketchBits;
}

const NameIndex::Surname* NameIndex::surname(std::string_view word) const
{
    if (!m_sketches[sketch(word)])
        return nullptr;
    const std::uint64_t hash = hashOf(word);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = std::size_t(hash) & mask;; at = (at + 1) & mask) {
        const Surname& slot = m_slots[at];
        if (slot.size == 0)
            return nullptr;
        if (slot.hash == hash && std::string_view(m_surnameBytes.data() + slot.at, slot.size) == word)
            return &slot;
    }
}

void NameIndex::find(std::string_view foldedText, std::vector<int>& found)
{
    if (m_names.empty())
        return;
    words(foldedText, m_words);
    find(m_words, found);
}

void NameIndex::find(const std::vector<std::string_view>& w, std::vector<int>& found)
{
    if (m_names.empty())
        return;
    if (++m_find == 0) {
        std::fill(m_marks.begin(), m_marks.end(), 0);
        m_find = 1;
    }
    for (const int record : found)
        if (record >= 0 && std::size_t(record) < m_marks.size())
            m_marks[std::size_t(record)] = m_find;
    const auto letter = [&w](std::size_t i) { return static_cast<unsigned char>(w[i][0]); };
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i].size() < 2)
            continue;
        // Most words are no surname of the directory: a look at a bit, or at the table, tells.
        const Surname* s = surname(w[i]);
        if (!s)
            continue;
        if (i + 1 < w.size()) {
            look(*s, initials(letter(i + 1)), found);
            if (i + 2 < w.size())
                look(*s, initials(letter(i + 1), letter(i + 2)), found);
        }
        if (i >= 1 && w[i - 1].size() == 1) {
            look(*s, initials(letter(i - 1)), found);
            if (i >= 2 && w[i - 2].size() == 1)
                look(*s, initials(letter(i - 2), letter(i - 1)), found);
        }
    }
}

void NameIndex::look(const Surname& surname, std::uint16_t given, std::vector<int>& found)
{
    const auto begin = m_names.begin() + surname.first;
    const auto end = begin + surname.count;
    auto it = std::lower_bound(
        begin, end, given, [](const Name& name, std::uint16_t initials) { return name.initials < initials; });
    for (; it != end && it->initials == given; ++it) {
        std::uint32_t& mark = m_marks[std::size_t(it->record)];
        if (mark != m_find) {
            mark = m_find;
            found.push_back(it->record);
        }
    }
}

} // namespace matching
