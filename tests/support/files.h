#pragma once

// Temporary folders and whole-file reads and writes for tests.

#include <filesystem>
#include <string>
#include <vector>

class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

// Paths in tests are UTF-8 text on every system, as the program's are; on Windows the standard
// library would take a std::string for the local code page.
std::filesystem::path filePath(const std::string& utf8);
std::string utf8Path(const std::filesystem::path& path);

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

// What a shell command prints on its standard output; empty when it could not be started.
std::string commandOutput(const std::string& command);
// The path in single quotes, for a shell command line.
std::string shellQuoted(const std::string& path);

// A database line: the given fields (UTF-8, encoded to Windows-1251) then empty ones, 2128 "|" in
// all, and CR LF.
std::string databaseLine(const std::vector<std::string>& fields);
