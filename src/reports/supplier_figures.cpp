#include "reports/supplier_figures.h"

#include "database/database_file.h"
#include "database/year_archive.h"
#include "database/year_window.h"
#include "platform/file_system.h"
#include "text/cp1251.h"
#include "text/trim.h"

#include <vector>

namespace reports {
namespace {

constexpr int FieldsPerLine = 4;
constexpr std::size_t MaxFileBytes = 1 << 20;

std::optional<int> monthField(std::string_view text)
{
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int m = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        m = m * 10 + (c - '0');
    }
    if (m < 1 || m > 12)
        return std::nullopt;
    return m;
}

// The fields of a line, each followed by "|"; nothing when the line has another shape.
std::optional<std::vector<std::string_view>> lineFields(std::string_view line)
{
    std::vector<std::string_view> parts;
    while (!line.empty()) {
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos)
            return std::nullopt; // text after the last separator
        parts.push_back(line.substr(0, bar));
        line.remove_prefix(bar + 1);
    }
    if (parts.size() != std::size_t(FieldsPerLine))
        return std::nullopt;
    return parts;
}

} // namespace

SupplierMonth SupplierFigures::month(int year, int m) const
{
    const auto found = m_months.find({ year, m });
    return found == m_months.end() ? SupplierMonth{} : found->second;
}

void SupplierFigures::setMonth(int year, int m, SupplierMonth figures)
{
    if (figures.empty())
        m_months.erase({ year, m });
    else
        m_months[{ year, m }] = std::move(figures);
}

std::string SupplierFigures::fileText() const
{
    std::string text;
    for (const auto& [when, figures] : m_months) {
        const auto& [year, m] = when;
        std::string line
            = fields::yearText(year) + "|" + std::to_string(m) + "|" + figures.kwh + "|" + figures.bill + "|";
        cp1251::encodeAppend(line, text);
        text += "\r\n";
    }
    return text;
}

std::optional<SupplierFigures> SupplierFigures::parse(std::string_view fileText, int* badLine)
{
    SupplierFigures figures;
    int number = 0;
    const auto bad = [&] {
        if (badLine)
            *badLine = number;
        return std::nullopt;
    };
    while (!fileText.empty()) {
        ++number;
        const std::size_t end = fileText.find('\n');
        std::string_view line = fileText.substr(0, end);
        fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::string decoded = cp1251::decode(line);
        const auto parts = lineFields(decoded);
        if (!parts)
            return bad();
        const std::optional<int> k = fields::parseStoredYear(text::trimmed((*parts)[0]));
        const std::optional<int> m = monthField(text::trimmed((*parts)[1]));
        const std::optional<std::string> kwh = typedFigure((*parts)[2]);
        const std::optional<std::string> bill = typedFigure((*parts)[3]);
        if (!k || !m || !kwh || !bill)
            return bad();
        // Two lines for one month: which of them is meant cannot be told.
        if (figures.m_months.count({ *k, *m }) != 0)
            return bad();
        figures.setMonth(*k, *m, { *kwh, *bill });
    }
    return figures;
}

std::optional<std::string> typedFigure(std::string_view typed)
{
    std::string text(text::trimmed(typed));
    if (text.empty())
        return text;
    const std::size_t stop = text.find('.');
    if (stop != std::string::npos)
        text[stop] = ',';
    if (text.front() < '0' || text.front() > '9')
        return std::nullopt;
    if (!Currency::parse(text))
        return std::nullopt;
    return text;
}

std::string supplierFilePath(const std::string& databasePath)
{
    return database::sideFilePath(databasePath, SupplierFileName);
}

SupplierFile loadSupplierFigures(const std::string& path)
{
    SupplierFile result;
    // Eight years of months are a few kilobytes; anything much larger is no file of ours.
    const database::FileBytes file = database::readFile(path, MaxFileBytes);
    switch (file.status) {
    case database::FileBytes::Status::Read: break;
    case database::FileBytes::Status::NotFound: result.status = SupplierFile::Status::Missing; return result;
    case database::FileBytes::Status::TooLarge:
    case database::FileBytes::Status::Failed: return result;
    }
    const std::optional<SupplierFigures> figures = SupplierFigures::parse(file.bytes, &result.line);
    if (!figures) {
        result.status = SupplierFile::Status::BadLine;
        return result;
    }
    result.status = SupplierFile::Status::Loaded;
    result.figures = *figures;
    return result;
}

bool saveSupplierFigures(const std::string& path, const SupplierFigures& figures, std::string* error)
{
    return database::writeFile(path, figures.fileText(), error);
}

} // namespace reports
