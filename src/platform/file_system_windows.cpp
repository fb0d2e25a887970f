#include "platform/file_system.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

namespace files {
namespace {

// Reads and writes go in pieces a DWORD can count.
constexpr std::size_t MaxPiece = std::size_t(1) << 30;

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring result(std::size_t(std::max(length, 0)), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), result.data(), length);
    return result;
}

std::string utf8(const wchar_t* text, int length)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(std::size_t(std::max(size, 0)), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

DWORD attributesOf(const std::string& path)
{
    return ::GetFileAttributesW(wide(path).c_str());
}

bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void closeHandle(void*& handle)
{
    if (handle) {
        ::CloseHandle(handle);
        handle = nullptr;
    }
}

bool isAccessError(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

// What keeps a file from being replaced for a moment: another program (a virus scanner, a
// backup or indexing tool, a copy being made) that has it open without letting others delete it.
bool isBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// The system's words for an error code.
std::string systemWords(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string words = length > 0 ? utf8(text, int(length)) : std::string();
    if (text)
        ::LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
        words.pop_back();
    if (words.empty())
        words = "error " + std::to_string(code);
    return words;
}

// The path a handle stands for, links followed, without the "\\?\" that the system puts in front;
// empty when the file cannot be opened or the system cannot tell.
std::wstring finalPathOf(const std::wstring& path)
{
    const HANDLE handle
        = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::wstring result(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, result.data(), DWORD(result.size()), VOLUME_NAME_DOS);
    if (length >= result.size()) {
        result.resize(length);
        length = ::GetFinalPathNameByHandleW(handle, result.data(), DWORD(result.size()), VOLUME_NAME_DOS);
    }
    ::CloseHandle(handle);
    if (length == 0 || length >= result.size())
        return {};
    result.resize(length);
    if (result.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\" + result.substr(7);
    if (result.rfind(L"\\\\?\\", 0) == 0)
        return result.substr(4);
    return result;
}

} // namespace

std::string lastError(const char* what)
{
    return std::string(what) + ": " + systemWords(::GetLastError());
}

InputFile::~InputFile()
{
    closeHandle(m_handle);
}

OpenStatus InputFile::open(const std::string& path)
{
    closeHandle(m_handle);
    const HANDLE handle = ::CreateFileW(wide(path).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        m_handle = handle;
        return OpenStatus::Opened;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return OpenStatus::NotFound;
    // A folder cannot be opened as a file: it is not the user's rights that are wanting.
    const bool folder = error == ERROR_ACCESS_DENIED && isFolder(attributesOf(path));
    ::SetLastError(error);
    if (folder)
        return OpenStatus::Failed;
    return isAccessError(error) ? OpenStatus::AccessDenied : OpenStatus::Failed;
}

std::int64_t InputFile::read(char* data, std::size_t size)
{
    DWORD n = 0;
    if (!::ReadFile(m_handle, data, DWORD(std::min(size, MaxPiece)), &n, nullptr))
        return -1;
    return n;
}

std::optional<std::uint64_t> InputFile::regularSize() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(m_handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(m_handle, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool InputFile::seek(std::uint64_t offset)
{
    LARGE_INTEGER to{};
    to.QuadPart = LONGLONG(offset);
    return ::SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN) != 0;
}

bool extendFile(const std::string& path, std::uint64_t keptLength, std::string_view bytes, std::string* error)
{
    const HANDLE handle = ::CreateFileW(wide(path).c_str(), GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = lastError("open");
        return false;
    }
    const auto fail = [&](const char* what) {
        if (error)
            *error = lastError(what);
        ::CloseHandle(handle);
        return false;
    };
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size))
        return fail("size");
    if (std::uint64_t(size.QuadPart) < keptLength) {
        ::SetLastError(ERROR_INVALID_DATA);
        return fail("shorter than written");
    }
    LARGE_INTEGER at{};
    at.QuadPart = LONGLONG(keptLength);
    if (!::SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle))
        return fail("truncate");
    while (!bytes.empty()) {
        DWORD n = 0;
        if (!::WriteFile(handle, bytes.data(), DWORD(std::min(bytes.size(), MaxPiece)), &n, nullptr)
            || n == 0)
            return fail("write");
        bytes.remove_prefix(n);
    }
    if (!::FlushFileBuffers(handle))
        return fail("flush");
    if (!::CloseHandle(handle)) {
        if (error)
            *error = lastError("close");
        return false;
    }
    return true;
}

Replacement::Replacement(std::string target, std::string temporary)
    : m_target(std::move(target)), m_temporary(std::move(temporary))
{ }

Replacement::~Replacement()
{
    if (m_handle)
        discard();
}

bool Replacement::open(std::string* error)
{
    const HANDLE handle = ::CreateFileW(
        wide(m_temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = lastError("open");
        return false;
    }
    m_handle = handle;
    return true;
}

void Replacement::discard()
{
    closeHandle(m_handle);
    ::DeleteFileW(wide(m_temporary).c_str());
}

bool Replacement::write(const char* data, std::size_t size, std::string* error)
{
    while (size > 0) {
        DWORD n = 0;
        if (!::WriteFile(m_handle, data, DWORD(std::min(size, MaxPiece)), &n, nullptr) || n == 0) {
            if (error)
                *error = lastError("write");
            discard();
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool Replacement::flush(std::string* error)
{
    if (::FlushFileBuffers(m_handle))
        return true;
    if (error)
        *error = lastError("flush");
    return false;
}

bool Replacement::commit(std::string* error)
{
    const auto fail = [&](const char* what) {
        if (error)
            *error = lastError(what);
        const DWORD code = ::GetLastError();
        discard();
        ::SetLastError(code);
        return false;
    };
    if (!::FlushFileBuffers(m_handle))
        return fail("flush");
    const HANDLE handle = m_handle;
    m_handle = nullptr;
    if (!::CloseHandle(handle))
        return fail("close");
    const std::wstring from = wide(m_temporary);
    const std::wstring to = wide(m_target);
    // A file another program holds open for a moment is tried again for about a second before
    // the write is given up; the old file then stays as it is.
    for (int attempt = 1;; ++attempt) {
        // A folder of the file's name is never replaced (Wine's ReplaceFileW would remove it).
        if (isFolder(::GetFileAttributesW(to.c_str()))) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return fail("rename");
        }
        // Over an existing file, ReplaceFileW: unlike a move it works while others read the old
        // file (sharing its removal, as this program's own reads do), which they go on reading.
        if (::GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
        } else if (::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr)) {
            return true;
        } else if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            // The old file is gone and the new one still has its temporary name: it is all there
            // is of the data, so it stays unless it can take the database's name.
            if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            if (error)
                *error = lastError("rename") + " (the new file is " + m_temporary + ")";
            return false;
        }
        const DWORD code = ::GetLastError();
        if (attempt == 20 || !(isBusy(code) || code == ERROR_UNABLE_TO_REMOVE_REPLACED))
            return fail("rename");
        ::Sleep(50);
    }
}

FileLock::~FileLock()
{
    release();
}

LockStatus FileLock::acquire(const std::string& path, std::string* error)
{
    release();
    // Read access is all that LockFileEx needs: a lock file that is read-only, or another user's
    // whom this one may read but not write, still guards the database.
    const std::wstring name = wide(path);
    constexpr DWORD Sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, Sharing, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD code = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    const DWORD existing = attributesOf(path);
    if (handle == INVALID_HANDLE_VALUE && isAccessError(code) && existing != INVALID_FILE_ATTRIBUTES
        && !isFolder(existing)) {
        handle = ::CreateFileW(
            name.c_str(), GENERIC_READ, Sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        code = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    }
    const auto failed = [&](DWORD failure) {
        if (error)
            *error = systemWords(failure);
        return LockStatus::Failed;
    };
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD attributes = attributesOf(path);
        if (isFolder(attributes))
            return LockStatus::NotAFile;
        if (isAccessError(code))
            return attributes != INVALID_FILE_ATTRIBUTES ? LockStatus::FileAccessDenied
                                                         : LockStatus::FolderAccessDenied;
        if (code == ERROR_PATH_NOT_FOUND || code == ERROR_FILE_NOT_FOUND)
            return LockStatus::NoFolder;
        return failed(code);
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return LockStatus::NotAFile;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(
            handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD lockError = ::GetLastError();
        ::CloseHandle(handle);
        if (lockError == ERROR_LOCK_VIOLATION || lockError == ERROR_IO_PENDING)
            return LockStatus::Held;
        return failed(lockError);
    }
    m_handle = handle;
    return LockStatus::Taken;
}

bool FileLock::held() const
{
    return m_handle != nullptr;
}

void FileLock::release()
{
    closeHandle(m_handle);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    // The root of a drive ("C:\") or of the current one ("\").
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string besideFile(const std::string& path, const std::string& name)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string resolveLinks(const std::string& path)
{
    return path;
}

bool exists(const std::string& path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool isWriteProtected(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || isFolder(attributes))
        return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return true;
    // Opening for writing changes nothing, and tells whether this user may write it at all.
    const HANDLE handle = ::CreateFileW(wide(path).c_str(), FILE_WRITE_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    ::CloseHandle(handle);
    return false;
}

bool removeRegularFile(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES
        || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return false;
    return ::DeleteFileW(wide(path).c_str()) != 0;
}

OpenStatus canCreateFilesIn(const std::string& folder)
{
    if (!isFolder(attributesOf(folder)))
        return OpenStatus::Failed;
    // Folder rights on Windows are not in any attribute: a file made and gone at once tells.
    const std::string probe = folder + "\\.tervolin-" + std::to_string(::GetCurrentProcessId()) + "-"
        + std::to_string(::GetTickCount64()) + ".probe";
    const HANDLE handle = ::CreateFileW(wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return isAccessError(::GetLastError()) ? OpenStatus::AccessDenied : OpenStatus::Failed;
    ::CloseHandle(handle);
    return OpenStatus::Opened;
}

std::string realPath(const std::string& path)
{
    if (path.empty())
        return path;
    const std::wstring given = wide(path);
    const DWORD size = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    if (const std::wstring final = finalPathOf(full); !final.empty())
        return utf8(final.data(), int(final.size()));
    // A file not made yet: the real path of its folder, and its name.
    const std::size_t slash = full.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash + 1 < full.size()) {
        std::wstring folder = finalPathOf(full.substr(0, slash + 1));
        if (!folder.empty()) {
            if (folder.back() != L'\\')
                folder += L'\\';
            const std::wstring whole = folder + full.substr(slash + 1);
            return utf8(whole.data(), int(whole.size()));
        }
    }
    return utf8(full.data(), int(full.size()));
}

} // namespace files
