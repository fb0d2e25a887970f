#include "support/pdf.h"

#include <cstdio>
#include <sstream>

namespace {

std::string quoted(const std::string& path)
{
    std::string result = "'";
    for (char c : path)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

std::string run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

} // namespace

std::optional<PdfInfo> pdfInfo(const std::string& path)
{
    std::istringstream lines(run("pdfinfo " + quoted(path) + " 2>/dev/null"));
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
    return run("pdftotext -layout " + quoted(path) + " - 2>/dev/null");
}

std::string pdfText(const std::string& path, int page)
{
    const std::string n = std::to_string(page);
    return run("pdftotext -layout -f " + n + " -l " + n + " " + quoted(path) + " - 2>/dev/null");
}

int occurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}
