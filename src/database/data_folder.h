#pragma once

// Where the database lives. Beside the program when the user may write there (the program folder
// that run.sh installs into, a copy on a stick); in the user's own data folder when the program
// sits in a system folder such as /opt/tervolin, which nobody but the administrator may write.
// The lock and the files kept beside the database follow it.

#include <filesystem>
#include <functional>

namespace database {

// Whether a file can be made in the folder: a file is made there and removed again, which also
// answers for read-only disks and access lists that the permission bits do not show.
bool folderWritable(const std::filesystem::path& folder);

// The user's folder for the program's data: $XDG_DATA_HOME/tervolin when that is an absolute
// path, otherwise $HOME/.local/share/tervolin; empty when neither is known.
std::filesystem::path userDataFolder();

// The folder of the database: the program folder when it can be written, otherwise the user's
// data folder, made when it is not there yet (and the program folder when there is no user's
// folder at all).
std::filesystem::path chooseDataFolder(const std::filesystem::path& programFolder,
    const std::filesystem::path& userFolder,
    const std::function<bool(const std::filesystem::path&)>& writable = folderWritable);

// What keeps the database from being kept in a folder.
enum class FolderProblem {
    None,
    Missing, // no folder at the path (the user's folder could not be made, a link leads nowhere)
    NotAFolder, // a file stands where the folder should be
    NoAccess, // a folder, but no file can be made in it (its rights, a read-only disk)
};
FolderProblem folderProblem(const std::filesystem::path& folder,
    const std::function<bool(const std::filesystem::path&)>& writable = folderWritable);

// The database in the program folder that the run does not open, because the folder cannot be
// written and the database lives in `dataFolder` instead; empty when there is none, or once the
// data folder holds a database of its own (then that one is the user's).
std::filesystem::path ignoredDatabase(
    const std::filesystem::path& programFolder, const std::filesystem::path& dataFolder);

} // namespace database
