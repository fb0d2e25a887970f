#pragma once

// The blanks around a text that was typed or read from a file: spaces and tabs. Only the ends are
// touched; the characters between them stay as they are.

#include <string_view>

namespace text {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text without the spaces and tabs at both ends.
constexpr std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// As trimmed(), with the carriage returns among the blanks at the end going too: a line of a side
// file written with CR LF is cut at the LF, and a file passed through another program may end its
// lines in more than one CR.
constexpr std::string_view trimmedLine(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace text
