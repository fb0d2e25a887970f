#include "platform/workbook_reader.h"

#include "platform/cell_address.h"

#include <freexl.h>
#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Anything wrong with the file's content; caught at the top and reported as Unreadable.
struct Damaged
{
    std::string reason;
};

[[noreturn]] void damaged(std::string reason)
{
    throw Damaged{ std::move(reason) };
}

std::string_view localName(const char* name)
{
    std::string_view text(name);
    const std::size_t colon = text.rfind(':');
    return colon == std::string_view::npos ? text : text.substr(colon + 1);
}

bool named(const pugi::xml_node& node, std::string_view name)
{
    return node.type() == pugi::node_element && localName(node.name()) == name;
}

pugi::xml_node child(const pugi::xml_node& node, std::string_view name)
{
    for (pugi::xml_node c : node.children())
        if (named(c, name))
            return c;
    return {};
}

// The value of an attribute by its local name, whatever namespace prefix the writer chose.
std::string_view attribute(const pugi::xml_node& node, std::string_view name)
{
    for (pugi::xml_attribute a : node.attributes())
        if (localName(a.name()) == name)
            return a.value();
    return {};
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

void appendUtf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Workbooks write characters that XML cannot hold as "_xHHHH_".
void appendUnescaped(std::string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
            std::uint32_t value = 0;
            bool hex = true;
            for (std::size_t k = i + 2; k < i + 6; ++k) {
                const int digit = hexValue(text[k]);
                hex = hex && digit >= 0;
                value = value * 16 + std::uint32_t(std::max(digit, 0));
            }
            if (hex) {
                appendUtf8(out, value);
                i += 7;
                continue;
            }
        }
        out.push_back(text[i]);
        ++i;
    }
}

// The text of a shared or inline string: its own <t>, or the <t> of each rich-text run.
// Phonetic runs (<rPh>) are not shown and are left out.
std::string stringItemText(const pugi::xml_node& item)
{
    std::string text;
    for (pugi::xml_node part : item.children()) {
        if (named(part, "t")) {
            appendUnescaped(text, part.text().get());
        } else if (named(part, "r")) {
            if (pugi::xml_node t = child(part, "t"))
                appendUnescaped(text, t.text().get());
        }
    }
    return text;
}

// ---- Dates ----------------------------------------------------------------------------------

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string twoDigits(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string dateText(int year, int month, int day)
{
    return twoDigits(day) + "." + twoDigits(month) + "." + std::to_string(year);
}

std::string timeText(int hours, int minutes, int seconds)
{
    return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
}

// A date serial number as the program's Russian desktop shows a date value: "DD.MM.YYYY", with
// "H:MM:SS" after it when there is a time of day, the time alone for a time without a date.
std::string serialDateText(double serial, bool base1904)
{
    if (serial < 0 || serial > 2958465.0) // up to 31.12.9999
        return workbook::generalNumberText(serial);
    long long days = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - double(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // Day 0 of the usual 1900 system is no date: a time of day alone.
    const bool hasDate = base1904 || days != 0;
    std::string text;
    if (hasDate) {
        long long unixDays;
        if (base1904)
            unixDays = days - 24107; // 1904-01-01
        else if (days >= 61)
            unixDays = days - 25569; // 1899-12-30, past the spreadsheet's 29.02.1900
        else
            unixDays = days - 25568;
        int year, month, day;
        civilFromDays(unixDays, year, month, day);
        text = dateText(year, month, day);
    }
    if (seconds != 0 || !hasDate) {
        if (!text.empty())
            text += ' ';
        text += timeText(int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
    }
    return text;
}

// "2024-03-05", "2024-03-05T10:20:30" or "2024-03-05 10:20:30" as shown dates.
std::string isoDateText(std::string_view iso)
{
    int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
    const std::string text(iso);
    const int fields = std::sscanf(
        text.c_str(), "%4d-%2d-%2d%*1[T ]%2d:%2d:%2d", &year, &month, &day, &hours, &minutes, &seconds);
    if (fields < 3)
        return text;
    std::string shown = dateText(year, month, day);
    if (fields >= 5 && (hours != 0 || minutes != 0 || seconds != 0))
        shown += ' ' + timeText(hours, minutes, seconds);
    return shown;
}

std::string timeOnlyText(std::string_view hms)
{
    int hours = 0, minutes = 0, seconds = 0;
    const std::string text(hms);
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d", &hours, &minutes, &seconds) != 3)
        return text;
    return timeText(hours, minutes, seconds);
}

bool isBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47)
        || (id >= 50 && id <= 58);
}

// A format code shows a date or a time when, outside quoted texts, escaped characters and
// bracketed parts such as colours, it uses a day, month, year, hour or second.
bool isDateFormatCode(std::string_view code)
{
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted) {
            quoted = c != '"';
            continue;
        }
        switch (c) {
        case '"': quoted = true; break;
        case '\\':
        case '_':
        case '*': ++i; break;
        case '[': {
            const std::size_t close = code.find(']', i);
            // Elapsed time ([h]:mm) is a time all the same.
            const std::string_view inside
                = code.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            if (!inside.empty()
                && (inside[0] == 'h' || inside[0] == 'H' || inside[0] == 'm' || inside[0] == 'M'
                    || inside[0] == 's' || inside[0] == 'S'))
                return true;
            if (close == std::string_view::npos)
                return false;
            i = close;
            break;
        }
        case 'd':
        case 'D':
        case 'm':
        case 'M':
        case 'y':
        case 'Y':
        case 'h':
        case 'H':
        case 's':
        case 'S': return true;
        default: break;
        }
    }
    return false;
}

// ---- The .xlsx package --------------------------------------------------------------------

class Package
{
public:
    explicit Package(std::string_view bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (!source) {
            zip_error_fini(&error);
            damaged("cannot read the bytes as a zip archive");
        }
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip) {
            zip_source_free(source);
            const std::string reason = zip_error_strerror(&error);
            zip_error_fini(&error);
            damaged("not a zip archive: " + reason);
        }
        zip_error_fini(&error);
    }
    ~Package() { zip_discard(m_zip); }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // A part of the package by its name; nothing when there is none.
    std::optional<std::string> read(const std::string& name)
    {
        const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
        if (index < 0)
            return std::nullopt;
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
            damaged(name + ": no size");
        if (stat.size > WorkbookReader::MaxPartBytes)
            damaged(name + ": " + std::to_string(stat.size) + " bytes is more than a workbook part may hold");
        zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
        if (!file)
            damaged(name + ": " + zip_strerror(m_zip));
        std::string data(std::size_t(stat.size), '\0');
        std::size_t filled = 0;
        while (filled < data.size()) {
            const zip_int64_t got = zip_fread(file, data.data() + filled, data.size() - filled);
            if (got <= 0)
                break;
            filled += std::size_t(got);
        }
        // Exactly the declared size: one byte more means the sizes lie, and reading to the end
        // is what checks the part's checksum.
        char beyond;
        const zip_int64_t extra = zip_fread(file, &beyond, 1);
        const bool closed = zip_fclose(file) == 0;
        if (filled != data.size() || extra != 0 || !closed)
            damaged(name + ": damaged or not of its declared size");
        return data;
    }

private:
    zip_t* m_zip = nullptr;
};

// Parses a part's XML; refuses a document type declaration, which no workbook has.
void parseXml(pugi::xml_document& document, std::string& data, const std::string& name)
{
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype;
    const pugi::xml_parse_result result
        = document.load_buffer_inplace(data.data(), data.size(), options, pugi::encoding_auto);
    if (!result)
        damaged(name + ": " + result.description());
    for (pugi::xml_node node : document.children())
        if (node.type() == pugi::node_doctype)
            damaged(name + ": document type declaration");
}

// "xl/worksheets/sheet1.xml" for target "worksheets/sheet1.xml" of "xl/workbook.xml"; absolute
// targets start at the package's root; "." and ".." are resolved.
std::string resolveTarget(const std::string& sourcePart, std::string_view target)
{
    std::vector<std::string> segments;
    if (!target.empty() && target.front() == '/') {
        target.remove_prefix(1);
    } else {
        std::size_t start = 0;
        const std::size_t slash = sourcePart.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : sourcePart.substr(0, slash);
        while (start < folder.size()) {
            std::size_t end = folder.find('/', start);
            if (end == std::string::npos)
                end = folder.size();
            segments.emplace_back(folder.substr(start, end - start));
            start = end + 1;
        }
    }
    std::size_t start = 0;
    while (start <= target.size()) {
        std::size_t end = target.find('/', start);
        if (end == std::string_view::npos)
            end = target.size();
        const std::string_view segment = target.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.emplace_back(segment);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string& segment : segments) {
        if (!path.empty())
            path += '/';
        path += segment;
    }
    return path;
}

std::string relationshipsOf(const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    if (slash == std::string::npos)
        return "_rels/" + part + ".rels";
    return part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}

struct Relationship
{
    std::string type;
    std::string target; // resolved part name
};

std::map<std::string, Relationship> readRelationships(Package& package, const std::string& part)
{
    std::map<std::string, Relationship> result;
    const std::string name = relationshipsOf(part);
    std::optional<std::string> data = package.read(name);
    if (!data)
        return result;
    pugi::xml_document document;
    parseXml(document, *data, name);
    for (pugi::xml_node r : document.document_element().children()) {
        if (!named(r, "Relationship") || attribute(r, "TargetMode") == "External")
            continue;
        result[std::string(attribute(r, "Id"))]
            = { std::string(attribute(r, "Type")), resolveTarget(part, attribute(r, "Target")) };
    }
    return result;
}

struct WorkbookParts
{
    std::string sheet;
    std::string sharedStrings;
    std::string styles;
    bool base1904 = false;
};

WorkbookParts findParts(Package& package)
{
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, r] : readRelationships(package, ""))
        if (endsWith(r.type, "/officeDocument"))
            workbookPart = r.target;

    std::optional<std::string> data = package.read(workbookPart);
    if (!data)
        damaged("no workbook part");
    pugi::xml_document document;
    parseXml(document, *data, workbookPart);
    const pugi::xml_node workbook = document.document_element();
    if (!named(workbook, "workbook"))
        damaged(workbookPart + " is not a workbook");

    WorkbookParts parts;
    const std::string_view date1904 = attribute(child(workbook, "workbookPr"), "date1904");
    parts.base1904 = date1904 == "1" || date1904 == "true";

    const auto relationships = readRelationships(package, workbookPart);
    // The first worksheet in the order of the tabs; chart sheets are passed over.
    for (pugi::xml_node sheet : child(workbook, "sheets").children()) {
        if (!named(sheet, "sheet"))
            continue;
        const auto found = relationships.find(std::string(attribute(sheet, "id")));
        if (found != relationships.end() && endsWith(found->second.type, "/worksheet")) {
            parts.sheet = found->second.target;
            break;
        }
    }
    if (parts.sheet.empty())
        damaged("the workbook has no worksheet");
    for (const auto& [id, r] : relationships) {
        if (endsWith(r.type, "/sharedStrings"))
            parts.sharedStrings = r.target;
        else if (endsWith(r.type, "/styles"))
            parts.styles = r.target;
    }
    return parts;
}

std::vector<std::string> readSharedStrings(Package& package, const std::string& part)
{
    std::vector<std::string> strings;
    if (part.empty())
        return strings;
    std::optional<std::string> data = package.read(part);
    if (!data)
        return strings;
    pugi::xml_document document;
    parseXml(document, *data, part);
    for (pugi::xml_node item : document.document_element().children())
        if (named(item, "si"))
            strings.push_back(stringItemText(item));
    return strings;
}

// Whether each cell format (by its index) shows dates.
std::vector<bool> readDateFormats(Package& package, const std::string& part)
{
    std::vector<bool> dates;
    if (part.empty())
        return dates;
    std::optional<std::string> data = package.read(part);
    if (!data)
        return dates;
    pugi::xml_document document;
    parseXml(document, *data, part);
    const pugi::xml_node styleSheet = document.document_element();
    std::map<int, bool> custom;
    for (pugi::xml_node format : child(styleSheet, "numFmts").children())
        if (named(format, "numFmt"))
            custom[format.attribute("numFmtId").as_int(-1)]
                = isDateFormatCode(attribute(format, "formatCode"));
    for (pugi::xml_node xf : child(styleSheet, "cellXfs").children()) {
        if (!named(xf, "xf"))
            continue;
        const int id = xf.attribute("numFmtId").as_int(0);
        const auto found = custom.find(id);
        dates.push_back(found != custom.end() ? found->second : isBuiltInDateFormat(id));
    }
    return dates;
}

std::optional<std::uint32_t> unsignedNumber(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string cellText(const pugi::xml_node& cell, const std::vector<std::string>& sharedStrings,
    const std::vector<bool>& dateFormats, bool base1904)
{
    const std::string_view type = attribute(cell, "t");
    const pugi::xml_node valueNode = child(cell, "v");
    const std::string_view value = valueNode.text().get();

    if (type == "inlineStr")
        return stringItemText(child(cell, "is"));
    if (!valueNode)
        return {};
    if (type == "s") {
        const auto index = unsignedNumber(value);
        if (!index || *index >= sharedStrings.size())
            damaged("a cell refers to a shared string that is not there");
        return sharedStrings[*index];
    }
    if (type == "str" || type == "e") {
        std::string text;
        appendUnescaped(text, value);
        return text;
    }
    if (type == "b")
        return value == "1" || value == "true" ? "ИСТИНА" : "ЛОЖЬ";
    if (type == "d")
        return isoDateText(value);
    if (!type.empty() && type != "n")
        damaged("unknown cell type");

    std::string_view number = value;
    while (!number.empty() && (number.front() == ' ' || number.front() == '+'))
        number.remove_prefix(1);
    while (!number.empty() && number.back() == ' ')
        number.remove_suffix(1);
    if (number.empty())
        return {};
    double parsed = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(parsed))
        damaged("a number cell holds no number");
    const auto style = unsignedNumber(attribute(cell, "s"));
    if (style && *style < dateFormats.size() && dateFormats[*style])
        return serialDateText(parsed, base1904);
    return workbook::generalNumberText(parsed);
}

std::vector<WorkbookReader::Cell> readSheet(Package& package, const WorkbookParts& parts,
    const std::vector<std::string>& sharedStrings, const std::vector<bool>& dateFormats)
{
    std::optional<std::string> data = package.read(parts.sheet);
    if (!data)
        damaged("the worksheet part is missing");
    pugi::xml_document document;
    parseXml(document, *data, parts.sheet);
    const pugi::xml_node worksheet = document.document_element();
    if (!named(worksheet, "worksheet"))
        damaged(parts.sheet + " is not a worksheet");

    std::vector<WorkbookReader::Cell> cells;
    std::size_t textBytes = 0;
    int rowNumber = 0;
    for (pugi::xml_node row : child(worksheet, "sheetData").children()) {
        if (!named(row, "row"))
            continue;
        const std::string_view r = attribute(row, "r");
        if (r.empty()) {
            ++rowNumber;
        } else {
            const auto parsed = unsignedNumber(r);
            if (!parsed || *parsed < 1 || *parsed > std::uint32_t(workbook::MaxRows))
                damaged("a row number out of range");
            rowNumber = int(*parsed);
        }
        if (rowNumber > workbook::MaxRows)
            damaged("more rows than a worksheet has");
        int columnNumber = 0;
        for (pugi::xml_node cell : row.children()) {
            if (!named(cell, "c"))
                continue;
            int cellRow = rowNumber;
            const std::string_view reference = attribute(cell, "r");
            if (reference.empty()) {
                ++columnNumber;
                if (columnNumber > workbook::MaxColumns)
                    damaged("more columns than a worksheet has");
            } else {
                const auto address = workbook::parseCell(reference);
                if (!address)
                    damaged("a cell address out of range");
                cellRow = address->firstRow;
                columnNumber = address->firstColumn;
            }
            std::string text = cellText(cell, sharedStrings, dateFormats, parts.base1904);
            if (text.empty())
                continue;
            // Many cells showing one long shared string would each take a copy of it.
            textBytes += text.size();
            if (textBytes > WorkbookReader::MaxTextBytes)
                damaged("more text than a workbook the program reads");
            cells.push_back({ std::uint32_t(cellRow), std::uint32_t(columnNumber), std::move(text) });
        }
    }
    return cells;
}

void sortCells(std::vector<WorkbookReader::Cell>& cells)
{
    const auto before = [](const WorkbookReader::Cell& a, const WorkbookReader::Cell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    std::stable_sort(cells.begin(), cells.end(), before);
    // A cell written twice keeps its last value, as a spreadsheet application would take it.
    std::vector<WorkbookReader::Cell> unique;
    unique.reserve(cells.size());
    for (auto& c : cells) {
        if (!unique.empty() && unique.back().row == c.row && unique.back().column == c.column)
            unique.back() = std::move(c);
        else
            unique.push_back(std::move(c));
    }
    cells = std::move(unique);
}

// ---- The legacy .xls, read in a child process ----------------------------------------------

// The first worksheet of a legacy workbook; false with the reason when it cannot be read.
bool readLegacyCells(const std::string& path, std::vector<WorkbookReader::Cell>& cells, std::string& failure)
{
    const void* handle = nullptr;
    const auto close = [&] {
        if (handle)
            freexl_close(handle);
        handle = nullptr;
    };
    if (freexl_open(path.c_str(), &handle) != FREEXL_OK) {
        close();
        failure = "not a workbook the legacy reader knows";
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK) {
        close();
        failure = "the legacy workbook is damaged";
        return false;
    }
    if (info == FREEXL_BIFF_OBFUSCATED) {
        close();
        failure = "protected by a password";
        return false;
    }
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0) {
        close();
        failure = "the workbook has no worksheet";
        return false;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        close();
        failure = "the first worksheet cannot be read";
        return false;
    }
    std::size_t textBytes = 0; // one long shared string may be shown by many cells
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK)
                continue;
            std::string text;
            switch (value.type) {
            case FREEXL_CELL_INT: text = std::to_string(value.value.int_value); break;
            case FREEXL_CELL_DOUBLE: text = workbook::generalNumberText(value.value.double_value); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                if (value.value.text_value)
                    text = value.value.text_value;
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                if (value.value.text_value)
                    text = isoDateText(value.value.text_value);
                break;
            case FREEXL_CELL_TIME:
                if (value.value.text_value)
                    text = timeOnlyText(value.value.text_value);
                break;
            default: break;
            }
            if (text.empty())
                continue;
            textBytes += text.size();
            if (textBytes > WorkbookReader::MaxTextBytes) {
                close();
                failure = "more text than a workbook the program reads";
                return false;
            }
            cells.push_back({ row + 1, std::uint32_t(column) + 1, std::move(text) });
        }
    }
    close();
    return true;
}

// What the child sends: "R" and then each cell as row, column and length (4 bytes each, in the
// machine's order) followed by its text; or "F" and the reason.
void appendNumber(std::string& message, std::uint32_t value)
{
    message.append(reinterpret_cast<const char*>(&value), sizeof value);
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data.remove_prefix(std::size_t(written));
    }
    return true;
}

bool sendLegacyCells(const std::string& path, int fd)
{
    std::vector<WorkbookReader::Cell> cells;
    std::string failure;
    std::string message;
    if (readLegacyCells(path, cells, failure)) {
        message = "R";
        for (const WorkbookReader::Cell& cell : cells) {
            appendNumber(message, cell.row);
            appendNumber(message, cell.column);
            appendNumber(message, std::uint32_t(cell.text.size()));
            message += cell.text;
        }
    } else {
        message = "F" + failure;
    }
    return writeAll(fd, message);
}

// Everything the child sends, within a time and a size that no sound workbook comes near.
bool receive(int fd, std::string& message)
{
    constexpr std::size_t MaxMessage = WorkbookReader::MaxTextBytes + (16u << 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd waiting{ fd, POLLIN, 0 };
        const int ready = poll(&waiting, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (message.size() + std::size_t(got) > MaxMessage)
            return false;
        message.append(buffer, std::size_t(got));
    }
}

bool decodeLegacyCells(
    std::string_view message, std::vector<WorkbookReader::Cell>& cells, std::string& failure)
{
    if (message.empty() || message.front() != 'R') {
        failure = message.empty() ? "the legacy reader gave no answer" : std::string(message.substr(1));
        return false;
    }
    message.remove_prefix(1);
    const auto number = [&message](std::uint32_t& value) {
        if (message.size() < sizeof value)
            return false;
        std::memcpy(&value, message.data(), sizeof value);
        message.remove_prefix(sizeof value);
        return true;
    };
    while (!message.empty()) {
        std::uint32_t row = 0, column = 0, length = 0;
        if (!number(row) || !number(column) || !number(length) || length > message.size()) {
            failure = "the legacy reader's answer is cut short";
            return false;
        }
        cells.push_back({ row, column, std::string(message.substr(0, length)) });
        message.remove_prefix(length);
    }
    return true;
}

} // namespace

WorkbookReader::Status WorkbookReader::fail(Status status, std::string reason)
{
    m_cells.clear();
    m_failure = std::move(reason);
    return status;
}

WorkbookReader::Status WorkbookReader::openXlsx(std::string_view bytes)
{
    m_cells.clear();
    m_failure.clear();
    try {
        Package package(bytes);
        const WorkbookParts parts = findParts(package);
        const std::vector<std::string> sharedStrings = readSharedStrings(package, parts.sharedStrings);
        const std::vector<bool> dateFormats = readDateFormats(package, parts.styles);
        std::vector<Cell> cells = readSheet(package, parts, sharedStrings, dateFormats);
        sortCells(cells);
        m_cells = std::move(cells);
        return Status::Read;
    } catch (const Damaged& problem) {
        return fail(Status::Unreadable, problem.reason);
    } catch (const std::bad_alloc&) {
        return fail(Status::Unreadable, "out of memory");
    }
}

WorkbookReader::Status WorkbookReader::openXls(const std::string& path)
{
    // The legacy reader has been seen to read past its buffers on damaged files: it runs in a
    // child process, which hands the cells back through a pipe. Whatever it does to itself, the
    // program only sees a file it cannot read.
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        return fail(Status::Unreadable, std::strerror(errno));
    const pid_t child = fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return fail(Status::Unreadable, std::strerror(errno));
    }
    if (child == 0) {
        ::close(channel[0]);
        _exit(sendLegacyCells(path, channel[1]) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string message;
    const bool received = receive(channel[0], message);
    ::close(channel[0]);
    if (!received)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fail(Status::Unreadable, "the legacy reader failed on this file");

    std::string failure;
    std::vector<Cell> cells;
    if (!decodeLegacyCells(message, cells, failure))
        return fail(Status::Unreadable, failure);
    m_cells = std::move(cells); // read row by row: already in order
    return Status::Read;
}

WorkbookReader::Status WorkbookReader::open(const std::string& path)
{
    m_cells.clear();
    m_failure.clear();
    // Not blocking: a named pipe chosen in the dialog must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        return fail(error == EACCES || error == EPERM ? Status::AccessDenied : Status::Unreadable,
            std::strerror(error));
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(Status::Unreadable, "not a file");
    }
    if (std::uint64_t(info.st_size) > MaxFileBytes) {
        ::close(fd);
        return fail(Status::Unreadable, "larger than a workbook the program reads");
    }
    std::string bytes(std::size_t(info.st_size), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += std::size_t(got);
    }
    const int readError = errno;
    ::close(fd);
    if (filled != bytes.size())
        return fail(readError == EACCES ? Status::AccessDenied : Status::Unreadable, "cannot be read whole");

    static constexpr std::string_view ZipMagic("PK\x03\x04", 4);
    static constexpr std::string_view CompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const std::string_view start(bytes.data(), std::min<std::size_t>(bytes.size(), 8));
    if (start.substr(0, 4) == ZipMagic)
        return openXlsx(bytes);
    if (start == CompoundMagic)
        return openXls(path);
    return fail(Status::Unreadable, "not a workbook");
}

std::string WorkbookReader::text(int row, int column) const
{
    const auto found = std::lower_bound(m_cells.begin(), m_cells.end(), std::pair(row, column),
        [](const Cell& c, const std::pair<int, int>& key) {
            return int(c.row) != key.first ? int(c.row) < key.first : int(c.column) < key.second;
        });
    if (found != m_cells.end() && int(found->row) == row && int(found->column) == column)
        return found->text;
    return {};
}

std::string WorkbookReader::text(std::string_view address) const
{
    const auto cell = workbook::parseCell(address);
    return cell ? text(cell->firstRow, cell->firstColumn) : std::string();
}
