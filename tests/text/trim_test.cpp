#include "text/trim.h"

#include <gtest/gtest.h>

#include <string>

// Typed amounts, rates and the fields of the side files are read through these: what they take
// off decides whether a value is read or refused, so both ends are pinned here.
TEST(Trim, TakesOffSpacesAndTabsAtTheEndsOnly)
{
    struct Case
    {
        std::string_view text;
        std::string_view trimmed;
        std::string_view trimmedLine;
    };
    const Case cases[] = {
        { "", "", "" },
        { " \t \t", "", "" },
        { "1250,50", "1250,50", "1250,50" },
        { " \t1250,50\t ", "1250,50", "1250,50" },
        { "Иванов  И. И.", "Иванов  И. И.", "Иванов  И. И." }, // blanks inside stay
        // A carriage return is no blank to a typed text: the value stays unreadable.
        { "0,1\r", "0,1\r", "0,1" },
        // The end of a line, in one CR or in several, mixed with blanks.
        { "Иванов \r\r", "Иванов \r\r", "Иванов" },
        { "Иванов\r \t\r", "Иванов\r \t\r", "Иванов" },
        // Only the end of a line has one: a CR in front is kept.
        { "\r5", "\r5", "\r5" },
        { " \r 5", "\r 5", "\r 5" },
        // No-break spaces and line feeds are not blanks here.
        { "\u00A05\n", "\u00A05\n", "\u00A05\n" },
    };
    for (const Case& c : cases) {
        const std::string shown = "\"" + std::string(c.text) + "\"";
        EXPECT_EQ(text::trimmed(c.text), c.trimmed) << shown;
        EXPECT_EQ(text::trimmedLine(c.text), c.trimmedLine) << shown;
    }
}
