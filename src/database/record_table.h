#pragma once

// The program's one data store: a table of text cells, one row per subscriber (rows 1 … 3001,
// row 0 never holds a record), fields 0 … 2200 (1 … 2128 are stored in the database file).
// Texts are UTF-8; an empty text means no value.
//
// A full table is 3001 × 2128 short texts. Keeping each as its own string would cost several times
// the file's size, so a record keeps its texts in one buffer, each text followed by "|", with the
// start of every field in a table of offsets. A text that changes is written over the old one when
// it has the same length and appended otherwise; the buffer is compacted when half of it is dead.

#include "database/field_map.h"
#include "database/year_window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Record
{
public:
    Record() = default;
    Record(const Record& other);
    Record& operator=(const Record& other);
    Record(Record&&) noexcept = default;
    Record& operator=(Record&&) noexcept = default;

    std::string_view field(int f) const;
    // The text is stored without "|" and without characters the database file cannot hold.
    void set(int f, std::string_view value);
    // The same for fields that change across every record at once (a year emptied, the window of
    // years): a record in order stays in order, its line moved up or down in place, so that the
    // next write copies it whole instead of compacting it.
    void setKeepingOrder(int f, std::string_view value);
    void clearKeepingOrder(int from, int to);

    // Every field empty, the memory given back.
    void clear();
    // Every field empty, the memory kept for the next load of the record.
    void reset();

    // Fields 1 … 2128 lie in order in the buffer, each followed by its "|": the record's line of
    // the file (in UTF-8) is then one piece of memory.
    bool isInOrder() const { return m_inOrder; }
    // Never filled in since the last clear: every field empty.
    bool isBlank() const { return m_blank; }
    std::string_view orderedLine() const; // only when isInOrder()
    void compact();

    // Building a record from a line of the file: the caller appends fields 1 … 2128 in order to
    // the buffer and sets their starts; the fields beyond them start empty.
    void beginBuild(std::size_t expectedBytes);
    std::string& buildBuffer() { return m_arena; }
    std::uint32_t* buildStarts() { return m_start.get(); }
    void endBuild() { m_inOrder = true; }

private:
    void setUnchecked(int f, std::string_view value);
    // Fields from … to of a record in order become `bytes`: their texts, each followed by "|".
    void splice(int from, int to, std::string_view bytes);
    void allocateStarts();

    std::string m_arena; // "|" at 0 (every empty field may point there), then texts
    std::unique_ptr<std::uint32_t[]> m_start; // fields::MaxField + 1 offsets once allocated
    std::size_t m_dead = 0; // bytes of texts that were replaced
    bool m_blank = true;
    bool m_inOrder = false;
};

class RecordTable
{
public:
    RecordTable();

    int recordCount() const { return m_recordCount; }
    void setRecordCount(int count);

    // Out-of-range rows and fields read as empty and ignore writes.
    std::string_view field(int row, int f) const;
    void set(int row, int f, std::string_view value);

    Record& record(int row) { return m_rows[static_cast<std::size_t>(row)]; }
    const Record& record(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    void clearRecord(int row);
    void swapRecords(int a, int b);

    // Every row emptied and no records; the first window of years.
    void clear();

    // The eight years the table holds (see year_window.h).
    const fields::YearWindow& years() const { return m_years; }
    void setYears(fields::YearWindow years) { m_years = years; }

    static bool validRow(int row) { return row >= 0 && row <= fields::MaxRecords; }
    static bool validField(int f) { return f >= 0 && f <= fields::MaxField; }

private:
    std::vector<Record> m_rows;
    int m_recordCount = 0;
    fields::YearWindow m_years;
};
