// The .xlsx reading: the zip package, its relationships and parts, the shared strings, the date
// formats of the styles and the cells of the first worksheet.

#include "platform/workbook_reader_parts.h"

#include "platform/cell_address.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <new>
#include <optional>

namespace workbook::reading {
namespace {

// Anything wrong with the file's content; caught at the top and reported as a failure.
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
    return generalNumberText(parsed);
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
            if (!parsed || *parsed < 1 || *parsed > std::uint32_t(MaxRows))
                damaged("a row number out of range");
            rowNumber = int(*parsed);
        }
        if (rowNumber > MaxRows)
            damaged("more rows than a worksheet has");
        int columnNumber = 0;
        for (pugi::xml_node cell : row.children()) {
            if (!named(cell, "c"))
                continue;
            int cellRow = rowNumber;
            const std::string_view reference = attribute(cell, "r");
            if (reference.empty()) {
                ++columnNumber;
                if (columnNumber > MaxColumns)
                    damaged("more columns than a worksheet has");
            } else {
                const auto address = parseCell(reference);
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

} // namespace

bool readXlsx(std::string_view bytes, Cells& cells, std::string& failure)
{
    try {
        Package package(bytes);
        const WorkbookParts parts = findParts(package);
        const std::vector<std::string> sharedStrings = readSharedStrings(package, parts.sharedStrings);
        const std::vector<bool> dateFormats = readDateFormats(package, parts.styles);
        cells = readSheet(package, parts, sharedStrings, dateFormats);
        sortCells(cells);
        return true;
    } catch (const Damaged& problem) {
        failure = problem.reason;
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    }
    cells.clear();
    return false;
}

} // namespace workbook::reading
