#include "support/pdf.h"

#include "support/files.h"

#include <cstdio>
#include <sstream>

std::optional<PdfInfo> pdfInfo(const std::string& path)
{
    std::istringstream lines(commandOutput("pdfinfo " + shellQuoted(path) + " 2>/dev/null"));
    PdfInfo info;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Pages:", 0) == 0)
            info.pages = std::stoi(line.substr(6));
        else if (line.rfind("Page size:", 0) == 0)
            std::sscanf(line.c_str() + 10, " %lf x %lf", &info.width, &info.height);
    }
    if (info.pages == 0)
        return std::nullopt;
    return info;
}

std::string pdfText(const std::string& path)
{
    return commandOutput("pdftotext -layout " + shellQuoted(path) + " - 2>/dev/null");
}

std::string pdfText(const std::string& path, int page)
{
    const std::string n = std::to_string(page);
    return commandOutput(
        "pdftotext -layout -f " + n + " -l " + n + " " + shellQuoted(path) + " - 2>/dev/null");
}

int occurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}
