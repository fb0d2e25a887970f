#pragma once

// The DOS Cyrillic code page (CP866), in which some banks still write their statements. Only
// reading is needed: the program never writes it.

#include <string>
#include <string_view>

namespace cp866 {

// The UTF-8 form of CP866 bytes; every one of the 256 bytes has a character.
std::string decode(std::string_view bytes);

} // namespace cp866
