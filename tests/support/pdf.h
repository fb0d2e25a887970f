#pragma once

// Reading printed pages back with the poppler tools, as a reader of the paper would.

#include <optional>
#include <string>

struct PdfInfo
{
    int pages = 0;
    double width = 0; // points
    double height = 0;
    bool portrait() const { return height > width; }
};

std::optional<PdfInfo> pdfInfo(const std::string& path);
// The text of the pages, laid out as on paper (pdftotext -layout).
std::string pdfText(const std::string& path);
// The text of one page (1 …).
std::string pdfText(const std::string& path, int page);
// How often the text occurs.
int occurrences(const std::string& text, const std::string& what);
