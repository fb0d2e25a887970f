#include "support/qr_decode.h"

#include "support/files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

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
        commandOutput("pdftoppm -r 300 -f 1 -l 1 -singlefile -png " + shellQuoted(pngOrPdfPath) + " "
            + shellQuoted(prefix) + " 2>/dev/null");
        picture = prefix + ".png";
    }
    std::string bytes = commandOutput("zbarimg --raw -q -Sbinary " + shellQuoted(picture) + " 2>/dev/null");
    if (!folder.empty())
        std::filesystem::remove_all(folder);
    return bytes;
}
