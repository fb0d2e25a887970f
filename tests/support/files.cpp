#include "support/files.h"

#include "database/field_map.h"
#include "text/cp1251.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

TempFolder::TempFolder()
{
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate
            = std::filesystem::temp_directory_path() / ("tervolin-test-" + std::to_string(device()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

TempFolder::~TempFolder()
{
    // TERVOLIN_KEEP_TEST_FILES=1 leaves what a test wrote (its printouts, its database) for a look.
    if (const char* keep = std::getenv("TERVOLIN_KEEP_TEST_FILES"); keep && std::string(keep) == "1") {
        std::fprintf(stderr, "kept: %s\n", utf8Path(m_path).c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::permissions(
        m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::file(const std::string& name) const
{
    return utf8Path(m_path / filePath(name));
}

std::filesystem::path filePath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Path(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(filePath(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string commandOutput(const std::string& command)
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

std::string shellQuoted(const std::string& path)
{
    std::string result = "'";
    for (char c : path)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(filePath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string databaseLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (int f = 0; f < fields::PerRecord; ++f) {
        if (f < int(fields.size()))
            line += cp1251::encode(fields[f]);
        line += '|';
    }
    return line + "\r\n";
}
