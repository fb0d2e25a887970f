#include "accounts/bank_journal.h"

#include "database/database_file.h"
#include "database/money.h"
#include "database/year_archive.h"
#include "database/year_window.h"
#include "platform/file_system.h"
#include "text/cp1251.h"

#include <algorithm>
#include <charconv>

namespace bank {
namespace {

constexpr int FieldCount = 9;

std::string keyText(const PaymentKey& key)
{
    std::string text;
    for (const std::string* part : { &key.number, &key.date, &key.sum, &key.payerAccount }) {
        text += *part;
        text += '|';
    }
    return text;
}

std::optional<int> wholeNumber(std::string_view text, int least, int most)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most)
        return std::nullopt;
    return value;
}

// One line of the journal (without its line end), or nothing when it is not one.
std::optional<JournalEntry> parseLine(std::string_view line)
{
    std::vector<std::string_view> parts;
    while (!line.empty()) {
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos)
            return std::nullopt; // every field is followed by its "|"
        parts.push_back(line.substr(0, bar));
        line.remove_prefix(bar + 1);
    }
    if (parts.size() != FieldCount)
        return std::nullopt;
    JournalEntry entry;
    entry.key = { cp1251::decode(parts[0]), cp1251::decode(parts[1]), cp1251::decode(parts[2]),
        cp1251::decode(parts[3]) };
    if (!Currency::parse(entry.key.sum))
        return std::nullopt;
    const std::optional<int> record = wholeNumber(parts[4], 1, fields::MaxRecords);
    // A payment of a year the database has since dropped stays known, so it is never taken twice.
    const std::optional<int> year = fields::parseStoredYear(parts[5]);
    const std::optional<int> month = wholeNumber(parts[6], 1, 12);
    if (!record || !year || !month)
        return std::nullopt;
    entry.record = *record;
    entry.year = *year;
    entry.month = *month;
    entry.importDate = cp1251::decode(parts[7]);
    entry.subscriber = cp1251::decode(parts[8]);
    return entry;
}

} // namespace

void Journal::add(JournalEntry entry)
{
    m_byKey.try_emplace(keyText(entry.key), m_entries.size());
    m_entries.push_back(std::move(entry));
}

const JournalEntry* Journal::find(const PaymentKey& key) const
{
    if (m_entries.empty())
        return nullptr;
    const auto it = m_byKey.find(keyText(key));
    return it == m_byKey.end() ? nullptr : &m_entries[it->second];
}

std::string journalPath(const std::string& databasePath)
{
    return database::sideFilePath(databasePath, JournalFileName);
}

std::string journalText(std::string_view text)
{
    const auto trim = [](std::string_view t) {
        const std::size_t first = t.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            return std::string_view();
        return t.substr(first, t.find_last_not_of(" \t") - first + 1);
    };
    // Most texts are sound as they are: a number, a date, an account.
    const bool plain
        = std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '|'; });
    if (plain && cp1251::isStorable(text))
        return std::string(trim(text));
    return std::string(trim(cp1251::storableText(database::withoutLineBreaks(text))));
}

JournalRead readJournal(const std::string& path)
{
    JournalRead result;
    // However many payments a treasurer imports, the journal stays far below this.
    constexpr std::size_t MaxJournalBytes = std::size_t(256) << 20;
    const database::FileBytes file = database::readFile(path, MaxJournalBytes);
    if (file.status == database::FileBytes::Status::NotFound) {
        result.status = JournalRead::Status::Read;
        return result;
    }
    if (file.status != database::FileBytes::Status::Read)
        return result;

    std::string_view rest = file.bytes;
    for (int line = 1; !rest.empty(); ++line) {
        const std::size_t end = rest.find('\n');
        std::string_view text = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        std::optional<JournalEntry> entry = parseLine(text);
        if (!entry) {
            result.status = JournalRead::Status::Damaged;
            result.line = line;
            result.journal = Journal();
            return result;
        }
        result.journal.add(std::move(*entry));
    }
    result.status = JournalRead::Status::Read;
    return result;
}

std::string journalBytes(const Journal& journal)
{
    std::string bytes;
    const auto field = [&bytes](std::string_view text) {
        cp1251::encodeAppend(journalText(text), bytes);
        bytes += '|';
    };
    for (const JournalEntry& entry : journal.entries()) {
        field(entry.key.number);
        field(entry.key.date);
        field(entry.key.sum);
        field(entry.key.payerAccount);
        field(std::to_string(entry.record));
        field(fields::yearText(entry.year));
        field(std::to_string(entry.month));
        field(entry.importDate);
        field(entry.subscriber);
        bytes += "\r\n";
    }
    return bytes;
}

bool writeJournal(const std::string& path, const Journal& journal, std::string* error)
{
    return database::writeFile(path, journalBytes(journal), error);
}

} // namespace bank
