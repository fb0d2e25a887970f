#pragma once

// The program's one data store: a table of text cells, one row per subscriber (rows 1 … 3001,
// row 0 never holds a record), fields 0 … 2200 (1 … 2128 are stored in the database file).
// Texts are UTF-8; an empty text means no value.
//
// A full table is 3001 × 2128 short texts. Keeping each as its own string would cost several times
// the file's size, so a record keeps its texts in one buffer, each text followed by "|".
//
// A record read from its line (or compacted) keeps fields 1 … 2128 in order, as the line of the
// file, and notes only where every eighth field starts: a field is found from the nearest mark
// by counting separators, and the whole table takes little more memory than the file. A text of
// another length is spliced in place, the rest of the line moved; a record that is changed much
// (a sheet stored, a new subscriber) takes a table with the start of every field instead, its
// changed texts written over the old ones when the length is the same and appended otherwise,
// until the next write puts it in order again.

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
    // Fields 1 … 2128 of a record in order are found from a mark every MarkStride fields.
    static constexpr int MarkStride = 8;
    static constexpr int MarkCount = (fields::PerRecord + MarkStride - 1) / MarkStride;

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

    // Changes whenever a text of the record does, to a number no other change anywhere took; a
    // copy keeps it. Two records of the same version hold the same texts: a write passes over a
    // record whose version is the one it wrote last time.
    std::uint64_t version() const { return m_version; }

    // Building a record from a line of the file. beginBuild gives the buffer with room for
    // `maxBytes` bytes and 16 more; its byte 0 is the "|" empty fields share, and the caller
    // writes fields 1 … 2128 in order from byte 1, each followed by "|". In buildMarks() it notes
    // the start of fields 1, 1 + MarkStride, 1 + 2 × MarkStride … and, at MarkCount, the end of
    // the line. endBuild takes the bytes written; the fields beyond the line start empty.
    char* beginBuild(std::size_t maxBytes);
    std::uint32_t* buildMarks() { return m_index.get(); }
    void endBuild(std::size_t bytes);

    // The texts of a record, each followed by "|", in memory of its own with 16 bytes to spare
    // at the end, so that separators can be looked for 16 bytes at a time.
    class Buffer
    {
    public:
        Buffer() = default;
        Buffer(const Buffer& other);
        Buffer& operator=(const Buffer& other);
        Buffer(Buffer&& other) noexcept;
        Buffer& operator=(Buffer&& other) noexcept;

        const char* data() const { return m_data.get(); }
        char* data() { return m_data.get(); }
        std::size_t size() const { return m_size; }
        std::size_t capacity() const { return m_capacity; }
        std::string_view view() const { return { m_data.get(), m_size }; }

        void clear() { m_size = 0; }
        void release();
        // Room for `bytes` in all; what is held stays. The new room is zeroed unless the caller
        // writes it all itself.
        void reserve(std::size_t bytes, bool zeroed = true);
        void setSize(std::size_t bytes) { m_size = bytes; }
        void append(std::string_view bytes);
        void push_back(char c);
        void assign(std::string_view bytes);
        // Bytes begin … end become `bytes`, what follows moved after them.
        void replace(std::size_t begin, std::size_t end, std::string_view bytes);

    private:
        void grow(std::size_t bytes);

        std::unique_ptr<char[]> m_data;
        std::size_t m_size = 0;
        std::size_t m_capacity = 0;
    };

private:
    void setUnchecked(int f, std::string_view value);
    void setLoose(int f, std::string_view value);
    // Fields from … to of a record in order become `bytes`: their texts, each followed by "|".
    void splice(int from, int to, std::string_view bytes);
    // Where field f starts in the buffer of a record in order.
    std::size_t orderedStart(int f) const;
    // From marks to a start for every field, and back.
    void loosen();
    void useIndex(bool full);

    Buffer m_arena; // "|" at 0 (every empty field may point there), then texts
    // In order: MarkCount + 1 marks, then the starts of field 0 and of the fields after 2128 (0
    // for empty). Otherwise: the start of every field 0 … 2200.
    std::unique_ptr<std::uint32_t[]> m_index;
    bool m_fullIndex = false; // the size m_index was made for
    std::size_t m_dead = 0; // bytes of texts that were replaced
    int m_splices = 0; // texts of another length spliced into the line since it was put in order
    bool m_blank = true;
    bool m_inOrder = false;
    std::uint64_t m_version = 0; // every blank record never filled in is the same
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
