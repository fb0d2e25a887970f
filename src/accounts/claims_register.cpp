#include "accounts/claims_register.h"

#include "database/database_file.h"
#include "database/year_archive.h"
#include "text/cp1251.h"
#include "text/trim.h"

#include <charconv>
#include <unordered_map>

namespace claims {
namespace {

// A register is a line per claim sent: anything far larger is no register.
constexpr std::size_t MostBytes = std::size_t(16) << 20;

std::optional<int> wholeNumber(std::string_view text)
{
    text = text::trimmedLine(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

std::optional<penalty::Date> parseDate(std::string_view text)
{
    text = text::trimmedLine(text);
    if (text.size() != 10 || text[2] != '.' || text[5] != '.')
        return std::nullopt;
    const auto day = wholeNumber(text.substr(0, 2));
    const auto month = wholeNumber(text.substr(3, 2));
    const auto year = wholeNumber(text.substr(6, 4));
    if (!day || !month || !year)
        return std::nullopt;
    const penalty::Date date{ std::chrono::year(*year), std::chrono::month(unsigned(*month)),
        std::chrono::day(unsigned(*day)) };
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::vector<std::string_view> split(std::string_view line, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = line.find(separator);
        parts.push_back(line.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        line.remove_prefix(at + 1);
    }
}

// The record a claim belongs to now: its number while that carries the name; else the record of
// the name nearest below the number (a deletion moves records down), else the nearest above.
int recordNow(int number, std::string_view name, const std::unordered_multimap<std::string_view, int>& byName,
    const RecordTable& table)
{
    if (number >= 1 && number <= table.recordCount() && table.field(number, fields::FullName) == name)
        return number;
    int below = 0;
    int above = 0;
    auto [first, last] = byName.equal_range(name);
    for (auto it = first; it != last; ++it) {
        const int r = it->second;
        if (r <= number && r > below)
            below = r;
        if (r > number && (above == 0 || r < above))
            above = r;
    }
    return below != 0 ? below : above;
}

} // namespace

std::string filePath(const std::string& databasePath)
{
    return database::sideFilePath(databasePath, FileName);
}

Register parse(std::string_view bytes, const RecordTable& table)
{
    std::unordered_multimap<std::string_view, int> byName;
    for (int record = 1; record <= table.recordCount(); ++record) {
        if (!table.field(record, fields::FullName).empty())
            byName.emplace(table.field(record, fields::FullName), record);
    }
    Register result;
    const std::string text = cp1251::decode(bytes);
    for (std::string_view line : split(text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (text::trimmedLine(line).empty())
            continue;
        const std::vector<std::string_view> parts = split(line, '\t');
        const auto number = parts.size() == 5 ? wholeNumber(parts[0]) : std::nullopt;
        const auto date = parts.size() == 5 ? parseDate(parts[1]) : std::nullopt;
        const auto record = parts.size() == 5 ? wholeNumber(parts[2]) : std::nullopt;
        const auto sum = parts.size() == 5 ? Currency::parse(text::trimmedLine(parts[4])) : std::nullopt;
        const std::string_view name = parts.size() == 5 ? text::trimmedLine(parts[3]) : std::string_view();
        if (!number || *number < 1 || !date || !record || !sum || name.empty()) {
            result.unreadLines.emplace_back(line);
            continue;
        }
        result.claims.push_back(
            { *number, *date, recordNow(*record, name, byName, table), std::string(name), *sum });
    }
    return result;
}

std::string bytes(const Register& claims)
{
    std::string text;
    for (const Claim& claim : claims.claims) {
        text += std::to_string(claim.number) + '\t' + penalty::dateText(claim.date) + '\t'
            + std::to_string(claim.record) + '\t' + claim.fullName + '\t';
        const std::string sum = moneyText(claim.sum.round2());
        text += sum.empty() ? "0,00" : sum;
        text += "\r\n";
    }
    for (const std::string& line : claims.unreadLines)
        text += line + "\r\n";
    return cp1251::encode(text);
}

ReadResult read(const std::string& databasePath, const RecordTable& table)
{
    ReadResult result;
    const database::FileBytes file = database::readFile(filePath(databasePath), MostBytes);
    switch (file.status) {
    case database::FileBytes::Status::Read:
        result.status = ReadResult::Status::Read;
        result.claims = parse(file.bytes, table);
        break;
    case database::FileBytes::Status::NotFound: result.status = ReadResult::Status::None; break;
    case database::FileBytes::Status::TooLarge:
    case database::FileBytes::Status::Failed: result.status = ReadResult::Status::Failed; break;
    }
    return result;
}

bool write(const std::string& databasePath, const Register& claims, std::string* error)
{
    return database::writeFile(filePath(databasePath), bytes(claims), error);
}

int nextNumber(const Register& claims, int year)
{
    int most = 0;
    for (const Claim& claim : claims.claims) {
        if (int(claim.date.year()) == year && claim.number > most)
            most = claim.number;
    }
    return most + 1;
}

const Claim* latestClaim(const Register& claims, int record)
{
    const Claim* latest = nullptr;
    for (const Claim& claim : claims.claims) {
        if (claim.record == record && record != 0
            && (!latest || std::chrono::sys_days(claim.date) >= std::chrono::sys_days(latest->date)))
            latest = &claim;
    }
    return latest;
}

std::string claimCaption(const Claim& claim)
{
    return "претензия № " + std::to_string(claim.number) + " от " + penalty::dateText(claim.date);
}

} // namespace claims
