#include "database/change_log.h"

#include "database/sha256.h"

#include <algorithm>
#include <array>

namespace changelog {
namespace {

const std::string NoEntry(64, '0');

constexpr std::array<const char*, fields::Unused> DirectoryWords
    = { "Номер", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание", "Резервное поле" };

// The fields of a month, by their offset in its block.
constexpr std::array<const char*, fields::MonthBlock> MonthWords
    = { "Дата", "Текущее показание", "Последнее показание", "Мощность уличного освещения",
          "Часы уличного освещения", "Сутки уличного освещения", "Потери, %", "Тариф",
          "Обслуживание эл. сетей, %", "Начислено за электроэнергию", "Недоплата на начало месяца",
          "Переплата на начало месяца", "Начислено на счет поставщика", "ЗП электрику", "Прочие начисления",
          "Итого к оплате", "Внесено", "Поступило на счет поставщика", "Прочий приход",
          "Недоплата на конец месяца", "Переплата на конец месяца", "Сумма счета поставщика" };

// A text as a line of the journal holds it: no "|" and no line break, which would split it.
std::string cleaned(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '|')
            c = '/';
        else if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::vector<std::string_view> split(std::string_view line)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t bar = line.find('|');
        parts.push_back(line.substr(0, bar));
        if (bar == std::string_view::npos)
            return parts;
        line.remove_prefix(bar + 1);
    }
}

int number(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return text.empty() ? -1 : value;
}

} // namespace

FieldMeaning fieldMeaning(int f, const fields::YearWindow& years)
{
    if (f >= 1 && f <= fields::Unused)
        return { DirectoryWords[std::size_t(f - 1)], 0, 0 };
    if (f == fields::WindowField)
        return { "Первый год базы", 0, 0 };
    const int inBlocks = f - fields::monthBase(0, 1);
    if (inBlocks < 0 || f > fields::PerRecord)
        return { "Поле " + std::to_string(f), 0, 0 };
    const int block = inBlocks / fields::YearBlock;
    const int offset = inBlocks % fields::YearBlock;
    const int month = offset / fields::MonthBlock + 1;
    if (block >= fields::YearCount || month > 12)
        return { "Поле " + std::to_string(f), 0, 0 };
    return { MonthWords[std::size_t(offset % fields::MonthBlock)], years.yearOfBlock(block), month };
}

std::vector<FieldChange> differences(const RecordTable& before, const RecordTable& after)
{
    std::vector<FieldChange> changes;
    const int count = std::max(before.recordCount(), after.recordCount());
    for (int row = 1; row <= count; ++row) {
        const bool held = row <= before.recordCount() && row <= after.recordCount();
        // A record whose line is whole in both tables is compared in one piece.
        if (held) {
            const Record& a = before.record(row);
            const Record& b = after.record(row);
            if (a.isBlank() && b.isBlank())
                continue;
            if (a.isInOrder() && b.isInOrder() && a.orderedLine() == b.orderedLine())
                continue;
        }
        for (int f = 1; f <= fields::PerRecord; ++f) {
            const std::string_view old
                = row <= before.recordCount() ? before.field(row, f) : std::string_view();
            const std::string_view now
                = row <= after.recordCount() ? after.field(row, f) : std::string_view();
            if (old == now)
                continue;
            const FieldMeaning meaning = fieldMeaning(f, after.years());
            const std::string_view name = row <= after.recordCount() ? after.field(row, fields::FullName)
                                                                     : before.field(row, fields::FullName);
            changes.push_back({ row, std::string(name), meaning.year, meaning.month, meaning.words,
                std::string(old), std::string(now) });
        }
    }
    return changes;
}

std::string entryText(const Entry& entry, const std::string& previousEntryHash)
{
    std::string text
        = "запись|" + cleaned(entry.time) + "|" + cleaned(entry.user) + "|" + cleaned(entry.kind) + "\n";
    if (!entry.note.empty())
        text += "примечание|" + cleaned(entry.note) + "\n";
    for (const FieldChange& c : entry.changes) {
        text += "поле|" + std::to_string(c.record) + "|" + cleaned(c.name) + "|" + std::to_string(c.year)
            + "|" + std::to_string(c.month) + "|" + cleaned(c.meaning) + "|" + cleaned(c.before) + "|"
            + cleaned(c.after) + "\n";
    }
    text += "база|" + entry.databaseHash + "\n";
    text += "цепь|" + (previousEntryHash.empty() ? NoEntry : previousEntryHash) + "\n";
    // The block's own hash last: a text changed in the newest entry shows too, as nothing follows it.
    text += "подпись|" + Sha256::of(text) + "\n";
    return text;
}

std::string blockHash(std::string_view block)
{
    return Sha256::of(block);
}

std::string appended(std::string_view journal, const Entry& entry)
{
    std::string previous;
    if (!journal.empty()) {
        const std::size_t inner = journal.rfind("\nзапись|");
        const std::size_t last = inner == std::string_view::npos ? 0 : inner + 1;
        previous = blockHash(journal.substr(last));
    }
    std::string text(journal);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text + entryText(entry, previous);
}

Verification verify(std::string_view journal, const std::string& databaseHash)
{
    Verification result;
    std::string previous = NoEntry;
    std::size_t blockStart = 0;
    std::size_t at = 0;
    std::size_t signedEnd = 0; // the end of a block's lines that its signature covers
    Entry entry;
    bool open = false;
    const auto broken = [&]() {
        result.status = Verification::Status::Broken;
        result.entry = int(result.entries.size()) + 1;
        return result;
    };
    while (at < journal.size()) {
        const std::size_t end = journal.find('\n', at);
        if (end == std::string_view::npos)
            return broken(); // a block cut short
        const std::string_view line = journal.substr(at, end - at);
        const std::vector<std::string_view> parts = split(line);
        if (!open) {
            if (parts.size() != 4 || parts[0] != "запись")
                return broken();
            entry = Entry();
            entry.time = std::string(parts[1]);
            entry.user = std::string(parts[2]);
            entry.kind = std::string(parts[3]);
            blockStart = at;
            signedEnd = 0;
            open = true;
        } else if (parts[0] == "примечание" && parts.size() == 2) {
            entry.note = std::string(parts[1]);
        } else if (parts[0] == "поле" && parts.size() == 8) {
            entry.changes.push_back({ number(parts[1]), std::string(parts[2]), number(parts[3]),
                number(parts[4]), std::string(parts[5]), std::string(parts[6]), std::string(parts[7]) });
        } else if (parts[0] == "база" && parts.size() == 2) {
            entry.databaseHash = std::string(parts[1]);
        } else if (parts[0] == "цепь" && parts.size() == 2) {
            if (parts[1] != previous)
                return broken();
            signedEnd = end + 1;
        } else if (parts[0] == "подпись" && parts.size() == 2 && signedEnd != 0) {
            if (parts[1] != Sha256::of(journal.substr(blockStart, signedEnd - blockStart)))
                return broken();
            signedEnd = 0;
            previous = blockHash(journal.substr(blockStart, end + 1 - blockStart));
            result.lastTime = entry.time;
            result.lastHash = previous;
            result.entries.push_back(std::move(entry));
            open = false;
        } else {
            return broken();
        }
        at = end + 1;
    }
    if (open)
        return broken();
    if (result.entries.empty())
        return result;
    result.status = result.entries.back().databaseHash == databaseHash
        ? Verification::Status::Sound
        : Verification::Status::DatabaseChanged;
    return result;
}

} // namespace changelog
