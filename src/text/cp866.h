#pragma once

// The DOS Cyrillic code page (CP866), in which some banks still write their statements. Only
// reading is needed: the program never writes it.

#include <string>
#include <string_view>

namespace cp866 {

// The UTF-8 form of CP866 bytes; every one of the 256 bytes has a character.
std::string decode(std::string_view bytes);
void decodeAppend(std::string_view bytes, std::string& utf8);

// The CP866 bytes of UTF-8 text; characters the code page lacks are left out.
std::string encode(std::string_view utf8);

} // namespace cp866
