#include "database/data_folder.h"

#include "database/database_file.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace database {

bool folderWritable(const std::filesystem::path& folder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return false;
    // A name no other file has: two copies of the program may start at once.
    std::random_device random;
    const std::filesystem::path probe
        = folder / (".tervolin-write-test-" + std::to_string(random()) + std::to_string(random()));
    bool made = false;
    {
        std::ofstream file(probe, std::ios::binary | std::ios::out);
        made = file.is_open() && (file << 'x') && file.flush();
    }
    std::filesystem::remove(probe, error);
    return made;
}

std::filesystem::path userDataFolder()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome && std::filesystem::path(dataHome).is_absolute())
        return std::filesystem::path(dataHome) / "tervolin";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::filesystem::path(home) / ".local" / "share" / "tervolin";
    return {};
}

std::filesystem::path chooseDataFolder(const std::filesystem::path& programFolder,
    const std::filesystem::path& userFolder,
    const std::function<bool(const std::filesystem::path&)>& writable)
{
    if (userFolder.empty() || writable(programFolder))
        return programFolder;
    // Made here, so that the question about a new database finds its folder; when it cannot be
    // made, the database's own messages say which file could not be written.
    std::error_code error;
    std::filesystem::create_directories(userFolder, error);
    return userFolder;
}

FolderProblem folderProblem(
    const std::filesystem::path& folder, const std::function<bool(const std::filesystem::path&)>& writable)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return FolderProblem::Missing;
    if (!error && status.type() != std::filesystem::file_type::directory)
        return FolderProblem::NotAFolder;
    return writable(folder) ? FolderProblem::None : FolderProblem::NoAccess;
}

std::filesystem::path ignoredDatabase(
    const std::filesystem::path& programFolder, const std::filesystem::path& dataFolder)
{
    std::error_code error;
    const std::filesystem::path database = programFolder / FileName;
    if (dataFolder.empty() || !std::filesystem::is_regular_file(database, error))
        return {};
    if (std::filesystem::equivalent(programFolder, dataFolder, error) || programFolder == dataFolder)
        return {};
    if (std::filesystem::exists(dataFolder / FileName, error))
        return {};
    return database;
}

} // namespace database
