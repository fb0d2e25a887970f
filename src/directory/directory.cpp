#include "directory/directory.h"

#include <string>

namespace directory {

Entry entry(const RecordTable& table, int row)
{
    Entry texts;
    for (int j = 0; j < EntryFieldCount; ++j)
        texts[j] = std::string(table.field(row, fields::FullName + j));
    return texts;
}

void storeEntry(RecordTable& table, int row, const Entry& texts)
{
    for (int j = 0; j < EntryFieldCount; ++j)
        table.set(row, fields::FullName + j, texts[j]);
}

namespace {

bool continues(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

int characterCount(std::string_view utf8)
{
    int count = 0;
    for (char byte : utf8)
        count += continues(byte) ? 0 : 1;
    return count;
}

std::string firstCharacters(std::string_view utf8, int limit)
{
    int count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (!continues(utf8[i]) && count++ == limit)
            return std::string(utf8.substr(0, i));
    }
    return std::string(utf8);
}

bool nameExists(const RecordTable& table, std::string_view name, int lastRow)
{
    for (int row = 1; row <= lastRow; ++row) {
        if (table.field(row, fields::FullName) == name)
            return true;
    }
    return false;
}

bool canDelete(const RecordTable& table, int row)
{
    const int count = table.recordCount();
    return count > 1 && row > 1 && row <= count;
}

bool deleteRecord(RecordTable& table, int row)
{
    if (!canDelete(table, row))
        return false;
    const int count = table.recordCount();
    // The record travels to the end row by row, so every later record moves up whole.
    for (int r = row; r < count; ++r) {
        table.swapRecords(r, r + 1);
        table.set(r, fields::Number, std::to_string(r));
    }
    table.clearRecord(count);
    table.setRecordCount(count - 1);
    return true;
}

bool hasRoomForAnother(const RecordTable& table, int pending)
{
    return table.recordCount() + pending < fields::MaxRecords;
}

int writePendingRecord(RecordTable& table, int pending, const Entry& texts)
{
    if (!hasRoomForAnother(table, pending))
        return 0;
    const int row = table.recordCount() + pending + 1;
    table.clearRecord(row);
    table.set(row, fields::Number, std::to_string(row));
    storeEntry(table, row, texts);
    return row;
}

void confirmAdditions(RecordTable& table, int pending)
{
    table.setRecordCount(table.recordCount() + pending);
}

namespace {

// Small letter of a capital among the letters of Windows-1251; any other character unchanged.
char32_t lowerLetter(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F) // А … Я
        return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) // Ѐ Ё Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ѝ Ў Џ
        return c + 0x50;
    if (c == 0x0490) // Ґ
        return 0x0491;
    return c;
}

void appendUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string lowerCase(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += char(lowerLetter(byte));
            continue;
        }
        // Every capital that folds is a two-byte sequence; the rest is copied as it stands.
        if ((byte & 0xE0) == 0xC0 && i + 1 < utf8.size()
            && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const char32_t c
                = (char32_t(byte & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            appendUtf8(lowerLetter(c), out);
            ++i;
            continue;
        }
        out += char(byte);
    }
    return out;
}

FindResult findNames(const RecordTable& table, std::string_view loweredText)
{
    FindResult result;
    if (loweredText.empty())
        return result;
    std::string lowered;
    for (int row = 1; row <= table.recordCount(); ++row) {
        lowered = lowerCase(table.field(row, fields::FullName));
        if (lowered.find(loweredText) != std::string::npos)
            result.rows.push_back(row);
    }
    return result;
}

} // namespace directory
