#pragma once

// The few things the database, its backups and the files kept beside it ask of the file system,
// on POSIX systems and on Windows. Paths are UTF-8 text, Cyrillic folder names included; Windows
// gets them as UTF-16 and takes "/" and "\" alike.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace files {

enum class OpenStatus {
    Opened,
    NotFound, // no file at the path, or no folder on the way to it
    NoFolder, // a file stands where the path needs a folder (POSIX only)
    AccessDenied,
    Failed, // anything else, a folder opened as a file among them
};

// A file open for reading, closed with the object. On Windows others may go on writing, renaming
// and replacing the file while it is open, as they may on POSIX systems.
class InputFile
{
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    OpenStatus open(const std::string& path);
    // Bytes read into `data`: 0 at the end of the file, -1 on a failure.
    std::int64_t read(char* data, std::size_t size);
    // The size of a regular file; nothing for a folder, a device or on a failure.
    std::optional<std::uint64_t> regularSize() const;
    // The next read starts `offset` bytes into the file.
    bool seek(std::uint64_t offset);

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// A new file for `target`, written as `temporary` beside it and put in its place only once it is
// complete and on disk: whatever happens, `target` is either the old file or the new one whole.
// A replacement not committed removes its temporary file.
class Replacement
{
public:
    Replacement(std::string target, std::string temporary);
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Creates the temporary file afresh; on POSIX systems it takes the target's permissions.
    bool open(std::string* error);
    // On a failure the temporary file is removed and `error` says why.
    bool write(const char* data, std::size_t size, std::string* error);
    // Flushes what was written to disk ahead of commit(), which then has little left to wait for;
    // it may run on another thread while this one goes on with other files.
    bool flush(std::string* error);
    // Flushes the new file to disk and puts it in place of the target (POSIX: rename, then the
    // folder flushed; Windows: a move that replaces the target and writes through). On a failure
    // the target is as it was, the temporary file is removed and `error` says why.
    bool commit(std::string* error);

private:
    void discard();

    std::string m_target;
    std::string m_temporary;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// A file written in place, as one that only grows (the change journal): cut to its first
// `keptLength` bytes, `bytes` written after them and the file flushed to disk. A missing file is
// made; its name is on disk once its folder is flushed, as the next replacement in that folder
// does. False, with `error`, when it cannot be written or is shorter than `keptLength`.
bool extendFile(
    const std::string& path, std::uint64_t keptLength, std::string_view bytes, std::string* error);

// What came of taking a lock.
enum class LockStatus {
    Taken,
    Held, // another holder has it
    FileAccessDenied, // the lock file is there, but this user may not open it
    FolderAccessDenied, // no lock file, and this user may not make one in the folder
    NoFolder, // the folder of the lock file is not there
    NotAFile, // a folder or something else that is no regular file stands at the path
    Failed, // anything else: the error says what
};

// An exclusive lock on a file, created when missing, held until release() or the end of the
// object. The system drops it when the process ends in any way, so a crash leaves none behind.
// POSIX: flock; Windows: LockFileEx. Two locks on one file exclude each other within one process
// too. A lock file that this user may read but not write (another user's) is locked all the same,
// so that it guards the database for them both.
class FileLock
{
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // On Failed, `error` has the system's words.
    LockStatus acquire(const std::string& path, std::string* error = nullptr);
    bool held() const;
    void release();

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// The folder a path is in: "." for a bare name.
std::string folderOf(const std::string& path);
// The path of the file `name` in the same folder as the file at `path` (Windows takes "\" as
// well as "/" between folders).
std::string besideFile(const std::string& path, const std::string& name);

// The file a path stands for: on POSIX systems symbolic links are followed, so that a database
// kept on a stick or in a synced folder is replaced where it is and the link stays. On Windows
// the path itself.
std::string resolveLinks(const std::string& path);

bool exists(const std::string& path);

// Whether the existing file may not be written: no write permission in its mode or none for this
// user (POSIX), the read-only attribute or no write access for this user (Windows).
bool isWriteProtected(const std::string& path);

// Removes the file at the path when it is a regular file; true when it was removed.
bool removeRegularFile(const std::string& path);

// Whether new files may be made in the folder: Opened, AccessDenied or Failed.
OpenStatus canCreateFilesIn(const std::string& folder);

// "what: " and the system's words for the last failure of this thread.
std::string lastError(const char* what);

// The whole path of the file itself, every symbolic link on the way followed (the last one too,
// even when what it points to is not there yet) and "." and ".." taken out; a file that does not
// exist yet gets the real path of its folder. Locks and the files kept beside the database go
// beside this one, so that copies started through different links meet there. On Windows links
// are followed where the system can tell their target; otherwise the whole path as it is. On a
// failure the path as given.
std::string realPath(const std::string& path);

} // namespace files
