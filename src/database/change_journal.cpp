#include "database/change_journal.h"

#include "database/year_archive.h"
#include "platform/file_system.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace changelog {
namespace {

std::filesystem::path fsPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// What tells the file a write left from any other put in its place: its size and time.
std::string stampOf(const std::string& path)
{
    std::error_code failed;
    const auto size = std::filesystem::file_size(fsPath(path), failed);
    if (failed)
        return {};
    const auto time = std::filesystem::last_write_time(fsPath(path), failed);
    if (failed)
        return {};
    return std::to_string(size) + " " + std::to_string(time.time_since_epoch().count());
}

// Bytes `from` … `to` of an open file; nothing when they cannot all be read.
std::optional<std::string> readAt(files::InputFile& in, std::uint64_t from, std::uint64_t to)
{
    if (!in.seek(from))
        return std::nullopt;
    std::string bytes(std::size_t(to - from), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const std::int64_t n = in.read(bytes.data() + filled, bytes.size() - filled);
        if (n <= 0)
            return std::nullopt;
        filled += std::size_t(n);
    }
    return bytes;
}

// The fields 1 … 2128 of a line of the file as a load takes them: field 1 the record's number,
// the others trimmed of blanks and decoded.
std::vector<std::string> loadedFields(int row, std::string_view line)
{
    std::vector<std::string> texts(std::size_t(fields::PerRecord) + 1);
    texts[1] = std::to_string(row);
    std::size_t at = line.find('|');
    for (int f = 2; f <= fields::PerRecord && at != std::string_view::npos; ++f) {
        const std::size_t bar = line.find('|', at + 1);
        if (bar == std::string_view::npos)
            break;
        std::string_view text = line.substr(at + 1, bar - at - 1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        cp1251::decodeAppend(text, texts[std::size_t(f)]);
        at = bar;
    }
    return texts;
}

std::uint64_t rotl(std::uint64_t x, int r)
{
    return (x << r) | (x >> (64 - r));
}

constexpr std::uint64_t P1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t P2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t P3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t P4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t P5 = 0x27D4EB2F165667C5ULL;

std::uint64_t round(std::uint64_t acc, std::uint64_t input)
{
    return rotl(acc + input * P2, 31) * P1;
}

std::uint64_t merge(std::uint64_t h, std::uint64_t lane)
{
    return (h ^ round(0, lane)) * P1 + P4;
}

std::uint64_t word(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

} // namespace

std::uint64_t lineKey(std::string_view text)
{
    // Four lanes of eight bytes, so that the processor works on them side by side: the records'
    // texts are hashed at every write, 28 MB of them in the full database.
    const char* p = text.data();
    const char* end = p + text.size();
    std::uint64_t h;
    if (text.size() >= 32) {
        std::uint64_t v1 = P1 + P2;
        std::uint64_t v2 = P2;
        std::uint64_t v3 = 0;
        std::uint64_t v4 = 0 - P1;
        for (; p + 32 <= end; p += 32) {
            v1 = round(v1, word(p));
            v2 = round(v2, word(p + 8));
            v3 = round(v3, word(p + 16));
            v4 = round(v4, word(p + 24));
        }
        h = rotl(v1, 1) + rotl(v2, 7) + rotl(v3, 12) + rotl(v4, 18);
        h = merge(merge(merge(merge(h, v1), v2), v3), v4);
    } else {
        h = P5;
    }
    h += text.size();
    for (; p + 8 <= end; p += 8)
        h = rotl(h ^ round(0, word(p)), 27) * P1 + P4;
    for (; p < end; ++p)
        h = rotl(h ^ (std::uint64_t(static_cast<unsigned char>(*p)) * P5), 11) * P1;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    h ^= h >> 32;
    return h;
}

bool loadsAsWritten(int row, std::string_view text)
{
    const std::string number = std::to_string(row) + "|";
    if (text.size() < number.size() || text.compare(0, number.size(), number) != 0)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '\r' || c == '\n')
                return false;
            // A load trims the blanks at either end of a field.
            if (c == ' ' && (text[i - 1] == '|' || i + 1 == text.size() || text[i + 1] == '|'))
                return false;
            continue;
        }
        // The writer leaves out what the code page cannot hold, and broken UTF-8.
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (length == 0 || i + std::size_t(length) > text.size())
            return false;
        char32_t code = c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (!cp1251::canEncode(code) || cp1251::encode(text.substr(i, std::size_t(length))).size() != 1)
            return false;
        i += std::size_t(length - 1);
    }
    return true;
}

std::optional<std::string> growthOfJournal(const std::string& journalPath, const Entry& entry)
{
    files::InputFile in;
    const files::OpenStatus opened = in.open(journalPath);
    if (opened == files::OpenStatus::NotFound)
        return entryText(entry, "");
    if (opened != files::OpenStatus::Opened)
        return std::nullopt;
    const std::optional<std::uint64_t> size = in.regularSize();
    if (!size)
        return std::nullopt;
    if (*size == 0)
        return entryText(entry, "");
    // The last block begins after the last line break followed by "запись|", as appended() finds
    // it in the whole journal; the end is read back in growing pieces until it is found.
    constexpr std::string_view Head = "\nзапись|";
    std::uint64_t want = 1 << 16;
    for (;;) {
        const std::uint64_t from = *size > want ? *size - want : 0;
        const std::optional<std::string> end = readAt(in, from, *size);
        if (!end)
            return std::nullopt;
        const std::size_t head = end->rfind(Head);
        if (head != std::string::npos || from == 0) {
            const std::size_t last = head == std::string::npos ? 0 : head + 1;
            const std::string_view block = std::string_view(*end).substr(last);
            return (end->back() == '\n' ? "" : "\n") + entryText(entry, blockHash(block));
        }
        want *= 4;
    }
}

Recorder::Recorder()
    : m_watch{ [this](int row, std::string_view text, std::uint64_t end) { watched(row, text, end); },
          &m_memory }
{ }

database::SideFileChange Recorder::entryFor(
    const std::string& databasePath, const RecordTable& table, Entry entry)
{
    const std::string target = files::resolveLinks(databasePath);
    m_next = Lines{ target, {}, {}, {}, {} };
    m_table = &table;
    m_fast = m_file && m_file->path == target && !m_file->stamp.empty() && stampOf(target) == m_file->stamp;
    m_window.clear();
    if (m_fast) {
        // The write marks every record's window of years; the entry, as one made from the whole file,
        // compares what the table held before.
        m_window.resize(std::size_t(table.recordCount()) + 1);
        for (int row = 1; row <= table.recordCount(); ++row)
            m_window[std::size_t(row)] = table.field(row, fields::WindowField);
    } else {
        RecordTable written;
        if (database::load(databasePath, written).status != database::LoadResult::Status::Loaded)
            written = RecordTable();
        entry.changes = differences(written, table);
    }
    const std::string journal = database::sideFilePath(databasePath, FileName);
    auto made = std::make_shared<Entry>(std::move(entry));
    database::SideFileChange change{ journal, std::nullopt, [this, made, journal](const std::string& hash) {
                                        if (m_fast)
                                            made->changes = fastDifferences();
                                        made->databaseHash = hash;
                                        return growthOfJournal(journal, *made).value_or(std::string());
                                    } };
    change.append = true;
    return change;
}

void Recorder::watched(int row, std::string_view text, std::uint64_t end)
{
    const std::size_t i = std::size_t(row - 1);
    // A record the last write left as it is has its line's hash from then (the memory is that
    // write's until this one is in place).
    if (m_fast && i < m_file->keys.size() && i < m_memory.versions.size()
        && m_table->record(row).version() == m_memory.versions[i]) {
        m_next.ends.push_back(end);
        m_next.keys.push_back(m_file->keys[i]);
        m_next.known.push_back(m_file->known[i]);
        return;
    }
    const std::uint64_t key = lineKey(text);
    bool known = false;
    if (!text.empty()) {
        // The same text at the same row as a line the file gives back as it is: so does this one.
        known = (m_fast && i < m_file->keys.size() && m_file->known[i] && m_file->keys[i] == key)
            || loadsAsWritten(row, text);
    }
    m_next.ends.push_back(end);
    m_next.keys.push_back(key);
    m_next.known.push_back(known);
}

void Recorder::written(database::Commit result)
{
    m_table = nullptr;
    m_window.clear();
    // A write that failed left the old file, which the recorder still knows.
    if (result == database::Commit::Failed)
        return;
    m_next.stamp = stampOf(m_next.path);
    m_file = std::move(m_next);
    m_next = Lines();
}

std::vector<FieldChange> Recorder::fastDifferences() const
{
    std::vector<FieldChange> changes;
    const RecordTable& table = *m_table;
    const Lines& old = *m_file;
    const int before = int(old.ends.size());
    const int after = table.recordCount();
    files::InputFile in;
    bool opened = false;
    for (int row = 1; row <= std::max(before, after); ++row) {
        const std::size_t i = std::size_t(row - 1);
        const std::string_view window = row <= after ? std::string_view(m_window[std::size_t(row)]) : "";
        if (row <= before && row <= after && old.known[i] && i < m_next.keys.size()
            && old.keys[i] == m_next.keys[i] && table.field(row, fields::WindowField) == window)
            continue;
        std::vector<std::string> was;
        if (row <= before) {
            if (!opened)
                opened = in.open(old.path) == files::OpenStatus::Opened;
            const std::uint64_t begin = i == 0 ? 0 : old.ends[i - 1];
            const std::optional<std::string> line
                = opened ? readAt(in, begin, old.ends[i]) : std::optional<std::string>();
            if (line)
                was = loadedFields(row, *line);
        }
        for (int f = 1; f <= fields::PerRecord; ++f) {
            const std::string_view then
                = std::size_t(f) < was.size() ? std::string_view(was[std::size_t(f)]) : "";
            const std::string_view now = row > after ? std::string_view()
                : f == fields::WindowField           ? window
                                                     : table.field(row, f);
            if (then == now)
                continue;
            const FieldMeaning meaning = fieldMeaning(f, table.years());
            const std::string_view name = row <= after       ? table.field(row, fields::FullName)
                : was.size() > std::size_t(fields::FullName) ? std::string_view(was[fields::FullName])
                                                             : std::string_view();
            changes.push_back({ row, std::string(name), meaning.year, meaning.month, meaning.words,
                std::string(then), std::string(now) });
        }
    }
    return changes;
}

} // namespace changelog
