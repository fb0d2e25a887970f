#include "support/qr_decode.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string shellQuoted(const std::string& path)
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

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::string decodeQr(const std::string& pngOrPdfPath)
{
    std::string picture = pngOrPdfPath;
    std::filesystem::path folder;
    if (endsWith(pngOrPdfPath, ".pdf")) {
        char pattern[] = "/tmp/tervolin-qr-XXXXXX";
        if (!mkdtemp(pattern))
            return {};
        folder = pattern;
        const std::string prefix = (folder / "page").string();
        run("pdftoppm -r 300 -f 1 -l 1 -singlefile -png " + shellQuoted(pngOrPdfPath) + " "
            + shellQuoted(prefix) + " 2>/dev/null");
        picture = prefix + ".png";
    }
    std::string bytes = run("zbarimg --raw -q -Sbinary " + shellQuoted(picture) + " 2>/dev/null");
    if (!folder.empty())
        std::filesystem::remove_all(folder);
    return bytes;
}
