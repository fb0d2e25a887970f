#include "platform/file_system.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

bool isAccessError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

void closeDescriptor(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

std::string lastError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

InputFile::~InputFile()
{
    closeDescriptor(m_fd);
}

OpenStatus InputFile::open(const std::string& path)
{
    closeDescriptor(m_fd);
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0)
        return OpenStatus::Opened;
    if (errno == ENOENT)
        return OpenStatus::NotFound;
    if (errno == ENOTDIR)
        return OpenStatus::NoFolder;
    return isAccessError(errno) ? OpenStatus::AccessDenied : OpenStatus::Failed;
}

std::int64_t InputFile::read(char* data, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

std::optional<std::uint64_t> InputFile::regularSize() const
{
    struct stat info
    { };
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::uint64_t(info.st_size);
}

bool InputFile::seek(std::uint64_t offset)
{
    return ::lseek(m_fd, off_t(offset), SEEK_SET) == off_t(offset);
}

bool extendFile(const std::string& path, std::uint64_t keptLength, std::string_view bytes, std::string* error)
{
    const auto fail = [&](const char* what, int fd) {
        if (error)
            *error = lastError(what);
        if (fd >= 0)
            ::close(fd);
        return false;
    };
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail("open", fd);
    struct stat info
    { };
    if (::fstat(fd, &info) != 0)
        return fail("stat", fd);
    if (std::uint64_t(info.st_size) < keptLength) {
        errno = EINVAL;
        return fail("shorter than written", fd);
    }
    if (std::uint64_t(info.st_size) != keptLength && ::ftruncate(fd, off_t(keptLength)) != 0)
        return fail("truncate", fd);
    off_t at = off_t(keptLength);
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("write", fd);
        bytes.remove_prefix(std::size_t(n));
        at += n;
    }
    if (::fsync(fd) != 0)
        return fail("fsync", fd);
    if (::close(fd) != 0)
        return fail("close", -1);
    return true;
}

Replacement::Replacement(std::string target, std::string temporary)
    : m_target(std::move(target)), m_temporary(std::move(temporary))
{ }

Replacement::~Replacement()
{
    if (m_fd >= 0)
        discard();
}

bool Replacement::open(std::string* error)
{
    m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        if (error)
            *error = lastError("open");
        return false;
    }
    struct stat old
    { };
    if (::stat(m_target.c_str(), &old) == 0)
        ::fchmod(m_fd, old.st_mode & 07777);
    return true;
}

void Replacement::discard()
{
    closeDescriptor(m_fd);
    ::unlink(m_temporary.c_str());
}

bool Replacement::write(const char* data, std::size_t size, std::string* error)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = lastError("write");
            discard();
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Replacement::flush(std::string* error)
{
    if (::fsync(m_fd) == 0)
        return true;
    if (error)
        *error = lastError("fsync");
    return false;
}

bool Replacement::commit(std::string* error)
{
    const auto fail = [&](const char* what) {
        if (error)
            *error = lastError(what);
        discard();
        return false;
    };
    if (::fsync(m_fd) != 0)
        return fail("fsync");
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail("close");
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail("rename");
    // The rename itself is on disk only once the folder is.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

FileLock::~FileLock()
{
    release();
}

LockStatus FileLock::acquire(const std::string& path, std::string* error)
{
    release();
    // Opened for writing where it may be: over NFS an exclusive flock needs that. Otherwise read
    // access is enough, as the file's contents are never written: another user's lock file that
    // this one may read still keeps the two apart. A pipe in the file's place must not keep the
    // start waiting for a writer.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    int code = errno;
    struct stat info
    { };
    if (fd < 0 && isAccessError(code) && ::lstat(path.c_str(), &info) == 0) {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        code = errno;
    }
    if (fd < 0) {
        const bool there = ::lstat(path.c_str(), &info) == 0;
        if (code == EISDIR || (there && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)))
            return LockStatus::NotAFile;
        if (isAccessError(code))
            return there ? LockStatus::FileAccessDenied : LockStatus::FolderAccessDenied;
        if (code == ENOENT || code == ENOTDIR)
            return LockStatus::NoFolder;
        if (error)
            *error = std::strerror(code);
        return LockStatus::Failed;
    }
    // A pipe or a device at the path would open, and lock nothing that the next copy sees.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return LockStatus::NotAFile;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        ::close(fd);
        if (lockError == EWOULDBLOCK)
            return LockStatus::Held;
        if (error)
            *error = std::strerror(lockError);
        return LockStatus::Failed;
    }
    m_fd = fd;
    return LockStatus::Taken;
}

bool FileLock::held() const
{
    return m_fd >= 0;
}

void FileLock::release()
{
    closeDescriptor(m_fd);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string besideFile(const std::string& path, const std::string& name)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string resolveLinks(const std::string& path)
{
    std::string target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info
        { };
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return target;
        link.resize(static_cast<std::size_t>(n));
        if (!link.empty() && link.front() == '/')
            target = link;
        else
            target = folderOf(target) + "/" + link;
    }
    return target;
}

bool exists(const std::string& path)
{
    struct stat info
    { };
    return ::stat(path.c_str(), &info) == 0;
}

bool isWriteProtected(const std::string& path)
{
    struct stat info
    { };
    if (::stat(path.c_str(), &info) != 0)
        return false;
    // The superuser may write anything: the file's own bits say whether it is meant to be kept.
    if ((info.st_mode & 0222) == 0)
        return true;
    return ::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM);
}

bool removeRegularFile(const std::string& path)
{
    struct stat info
    { };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

OpenStatus canCreateFilesIn(const std::string& folder)
{
    if (::access(folder.c_str(), W_OK | X_OK) == 0)
        return OpenStatus::Opened;
    return isAccessError(errno) ? OpenStatus::AccessDenied : OpenStatus::Failed;
}

std::string realPath(const std::string& path)
{
    // The last link is followed by hand: the standard library leaves a link to a file not yet made
    // as it is, and the database would then be made at its target while its lock stayed here.
    std::error_code error;
    const std::filesystem::path target = std::filesystem::weakly_canonical(resolveLinks(path), error);
    return error || target.empty() ? path : target.string();
}

} // namespace files
