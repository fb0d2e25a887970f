#pragma once

// The database file and its backups are Windows-1251 text; the program works in UTF-8. Every one
// of the 256 bytes has a character here (the one unassigned byte 0x98 maps to U+0098), so a file
// read and written again comes back byte for byte.

#include <cstdint>
#include <string>
#include <string_view>

namespace cp1251 {

// Appends the UTF-8 form of the Windows-1251 bytes.
void decodeAppend(std::string_view bytes, std::string& utf8);
std::string decode(std::string_view bytes);
// Writes the UTF-8 form at `out`, which has room for three bytes per byte, and returns its end.
char* decodeTo(std::string_view bytes, char* out);

// Appends the Windows-1251 form of UTF-8 text. Characters the code page cannot hold, and broken
// UTF-8, are left out (the inputs never let them in; this only keeps the file sound).
void encodeAppend(std::string_view utf8, std::string& bytes);
std::string encode(std::string_view utf8);

// The small letter of a Windows-1251 byte: Latin, Russian and the other Cyrillic capitals of the
// code page; every other byte stays as it is.
unsigned char lowerByte(unsigned char b);

// Whether a character can be stored in the database file.
bool canEncode(char32_t codePoint);

// Text with every character the database cannot keep in a field removed: "|", which separates
// the fields, and characters outside Windows-1251. Line breaks are left to the writer.
std::string storableText(std::string_view utf8);
bool isStorable(std::string_view utf8);

} // namespace cp1251
