#include "platform/workbook_reader.h"

#include "platform/cell_address.h"
#include "platform/workbook_reader_parts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

WorkbookReader::Status WorkbookReader::fail(Status status, std::string reason)
{
    m_cells.clear();
    m_failure = std::move(reason);
    return status;
}

WorkbookReader::Status WorkbookReader::openXlsx(std::string_view bytes)
{
    m_cells.clear();
    m_failure.clear();
    std::vector<Cell> cells;
    std::string failure;
    if (!workbook::reading::readXlsx(bytes, cells, failure))
        return fail(Status::Unreadable, std::move(failure));
    m_cells = std::move(cells);
    return Status::Read;
}

WorkbookReader::Status WorkbookReader::openXls(const std::string& path)
{
    std::vector<Cell> cells;
    std::string failure;
    if (!workbook::reading::readXls(path, cells, failure))
        return fail(Status::Unreadable, std::move(failure));
    m_cells = std::move(cells);
    return Status::Read;
}

WorkbookReader::Status WorkbookReader::open(const std::string& path)
{
    m_cells.clear();
    m_failure.clear();
    // Not blocking: a named pipe chosen in the dialog must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        return fail(error == EACCES || error == EPERM ? Status::AccessDenied : Status::Unreadable,
            std::strerror(error));
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(Status::Unreadable, "not a file");
    }
    if (std::uint64_t(info.st_size) > MaxFileBytes) {
        ::close(fd);
        return fail(Status::Unreadable, "larger than a workbook the program reads");
    }
    std::string bytes(std::size_t(info.st_size), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += std::size_t(got);
    }
    const int readError = errno;
    ::close(fd);
    if (filled != bytes.size())
        return fail(readError == EACCES ? Status::AccessDenied : Status::Unreadable, "cannot be read whole");

    static constexpr std::string_view ZipMagic("PK\x03\x04", 4);
    static constexpr std::string_view CompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const std::string_view start(bytes.data(), std::min<std::size_t>(bytes.size(), 8));
    if (start.substr(0, 4) == ZipMagic)
        return openXlsx(bytes);
    if (start == CompoundMagic)
        return openXls(path);
    return fail(Status::Unreadable, "not a workbook");
}

std::string WorkbookReader::text(int row, int column) const
{
    const auto found = std::lower_bound(m_cells.begin(), m_cells.end(), std::pair(row, column),
        [](const Cell& c, const std::pair<int, int>& key) {
            return int(c.row) != key.first ? int(c.row) < key.first : int(c.column) < key.second;
        });
    if (found != m_cells.end() && int(found->row) == row && int(found->column) == column)
        return found->text;
    return {};
}

std::string WorkbookReader::text(std::string_view address) const
{
    const auto cell = workbook::parseCell(address);
    return cell ? text(cell->firstRow, cell->firstColumn) : std::string();
}
