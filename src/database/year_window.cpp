#include "database/year_window.h"

#include <charconv>

namespace fields {

std::string yearText(int year)
{
    return std::to_string(year);
}

std::optional<int> parseYear(std::string_view text)
{
    if (text.size() != 4)
        return std::nullopt;
    int year = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), year);
    if (error != std::errc() || stop != text.data() + text.size() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    return year;
}

std::optional<int> parseStoredYear(std::string_view text)
{
    const std::optional<int> year = parseYear(text);
    if (!year || *year < FirstBlockYear || *year > LastFirstYear + YearCount - 1)
        return std::nullopt;
    return year;
}

std::array<int, YearCount> YearWindow::years() const
{
    std::array<int, YearCount> result{};
    for (int i = 0; i < YearCount; ++i)
        result[std::size_t(i)] = first() + i;
    return result;
}

std::optional<int> YearWindow::previous(int year) const
{
    return holds(year) && holds(year - 1) ? std::optional<int>(year - 1) : std::nullopt;
}

std::optional<int> YearWindow::next(int year) const
{
    return holds(year) && holds(year + 1) ? std::optional<int>(year + 1) : std::nullopt;
}

std::optional<int> YearWindow::find(std::string_view text) const
{
    const std::optional<int> year = parseYear(text);
    if (!year || !holds(*year))
        return std::nullopt;
    return year;
}

std::string YearWindow::fieldText() const
{
    return first() == FirstBlockYear ? std::string() : yearText(first());
}

std::optional<int> YearWindow::firstYearIn(std::string_view fieldText)
{
    const std::optional<int> year = parseYear(fieldText);
    if (!year || *year <= FirstBlockYear || *year > LastFirstYear)
        return std::nullopt;
    return year;
}

} // namespace fields
