#pragma once

// The directory's names by their surname and initials, as both imports find a subscriber by the
// name a payer or a row gives.

#include "database/record_table.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace matching {

// The directory's names by their surname and initials ("иванов", "ии"). A name without initials
// is not kept: a surname alone would take any payer of that name.
class NameIndex
{
public:
    explicit NameIndex(const RecordTable& table);
    // Every record whose surname and initials the folded text names, in either order ("Иванов
    // Иван Петрович", "Иванов И.П.", "И. П. Иванов"), added to `found` once each.
    void find(std::string_view foldedText, std::vector<int>& found);
    // The same for the words of a folded text (folding.h).
    void find(const std::vector<std::string_view>& words, std::vector<int>& found);

private:
    // One or two initials in one number: the first letter, and the second above it.
    static std::uint16_t initials(unsigned char first, unsigned char second = 0)
    {
        return std::uint16_t(first | (second << 8));
    }
    struct Name
    {
        std::uint16_t initials = 0;
        int record = 0;
    };
    // A surname of the directory and its names, in the order of their records.
    struct Surname
    {
        std::uint64_t hash = 0;
        std::uint32_t at = 0; // in m_surnameBytes
        std::uint32_t size = 0; // 0: a free slot
        std::uint32_t first = 0; // in m_names
        std::uint32_t count = 0;
    };
    // A few bits of a word of two letters or more (its first two, its last and its length), which
    // pass over most words that are no surname without a look at the table.
    static constexpr std::size_t SketchBits = std::size_t(1) << 16;
    static std::size_t sketch(std::string_view word);
    const Surname* surname(std::string_view word) const;
    void look(const Surname& surname, std::uint16_t initials, std::vector<int>& found);

    std::string m_surnameBytes;
    std::vector<Surname> m_slots; // an open table, at least twice as large as there are surnames
    std::vector<Name> m_names;
    std::bitset<SketchBits> m_sketches;
    std::vector<std::string_view> m_words;
    // Per record, the find that last had it in `found`: a name that several words name, or that
    // many subscribers share, is added once without a search of what was found.
    std::vector<std::uint32_t> m_marks;
    std::uint32_t m_find = 0;
};

} // namespace matching
