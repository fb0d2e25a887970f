#include "sheet/route_file.h"

#include "database/database_file.h"
#include "database/year_archive.h"
#include "sheet/readings.h"
#include "text/cp1251.h"
#include "text/trim.h"

#include <charconv>
#include <unordered_map>

namespace route {
namespace {

// A route file is a line per subscriber: anything far larger is no route file.
constexpr std::size_t MostBytes = std::size_t(16) << 20;

} // namespace

std::string filePath(const std::string& databasePath)
{
    return database::sideFilePath(databasePath, FileName);
}

std::vector<int> recordOrder(const RecordTable& table)
{
    std::vector<int> order;
    order.reserve(std::size_t(table.recordCount()));
    for (int record = 1; record <= table.recordCount(); ++record) {
        if (!readings::isStreetLighting(table, record))
            order.push_back(record);
    }
    return order;
}

std::vector<int> parse(std::string_view bytes, const RecordTable& table)
{
    const int count = table.recordCount();
    std::vector<bool> listed(std::size_t(count) + 1, false);
    // Records by name, in their order, for the lines whose number has moved.
    std::unordered_multimap<std::string_view, int> byName;
    for (int record = count; record >= 1; --record)
        byName.emplace(table.field(record, fields::FullName), record);

    std::vector<int> order;
    const std::string text = cp1251::decode(bytes);
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        const std::string_view numberText = text::trimmedLine(line.substr(0, tab));
        const std::string_view name = text::trimmedLine(line.substr(tab + 1));
        int number = 0;
        const auto [end1, error]
            = std::from_chars(numberText.data(), numberText.data() + numberText.size(), number);
        const bool numberRead = error == std::errc() && end1 == numberText.data() + numberText.size();
        int record = 0;
        if (numberRead && number >= 1 && number <= count && !listed[std::size_t(number)]
            && table.field(number, fields::FullName) == name)
            record = number;
        else {
            // The first record of the name that is not listed yet.
            auto [first, last] = byName.equal_range(name);
            for (auto it = first; it != last; ++it) {
                if (!listed[std::size_t(it->second)] && (record == 0 || it->second < record))
                    record = it->second;
            }
        }
        if (record == 0 || readings::isStreetLighting(table, record))
            continue;
        listed[std::size_t(record)] = true;
        order.push_back(record);
    }
    for (int record : recordOrder(table)) {
        if (!listed[std::size_t(record)])
            order.push_back(record);
    }
    return order;
}

std::string bytes(const std::vector<int>& order, const RecordTable& table)
{
    std::string text;
    for (int record : order) {
        text += std::to_string(record);
        text += '\t';
        text += table.field(record, fields::FullName);
        text += "\r\n";
    }
    return cp1251::encode(text);
}

std::vector<int> read(const std::string& databasePath, const RecordTable& table)
{
    const database::FileBytes file = database::readFile(filePath(databasePath), MostBytes);
    if (file.status != database::FileBytes::Status::Read)
        return recordOrder(table);
    return parse(file.bytes, table);
}

bool move(std::vector<int>& order, int index, int delta)
{
    const int to = index + delta;
    if (index < 0 || index >= int(order.size()) || to < 0 || to >= int(order.size()))
        return false;
    std::swap(order[std::size_t(index)], order[std::size_t(to)]);
    return true;
}

} // namespace route
