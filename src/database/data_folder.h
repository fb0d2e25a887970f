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

} // namespace database
