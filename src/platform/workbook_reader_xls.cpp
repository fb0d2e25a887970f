// The legacy .xls reading: FreeXL reads the first worksheet in a child process, which sends the
// cells back through a pipe.

#include "platform/workbook_reader_parts.h"

#include "platform/cell_address.h"

#include <freexl.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace workbook::reading {
namespace {

// The first worksheet of a legacy workbook; false with the reason when it cannot be read.
bool readLegacyCells(const std::string& path, std::vector<WorkbookReader::Cell>& cells, std::string& failure)
{
    const void* handle = nullptr;
    const auto close = [&] {
        if (handle)
            freexl_close(handle);
        handle = nullptr;
    };
    if (freexl_open(path.c_str(), &handle) != FREEXL_OK) {
        close();
        failure = "not a workbook the legacy reader knows";
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK) {
        close();
        failure = "the legacy workbook is damaged";
        return false;
    }
    if (info == FREEXL_BIFF_OBFUSCATED) {
        close();
        failure = "protected by a password";
        return false;
    }
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0) {
        close();
        failure = "the workbook has no worksheet";
        return false;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        close();
        failure = "the first worksheet cannot be read";
        return false;
    }
    std::size_t textBytes = 0; // one long shared string may be shown by many cells
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK)
                continue;
            std::string text;
            switch (value.type) {
            case FREEXL_CELL_INT: text = std::to_string(value.value.int_value); break;
            case FREEXL_CELL_DOUBLE: text = generalNumberText(value.value.double_value); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                if (value.value.text_value)
                    text = value.value.text_value;
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                if (value.value.text_value)
                    text = isoDateText(value.value.text_value);
                break;
            case FREEXL_CELL_TIME:
                if (value.value.text_value)
                    text = timeOnlyText(value.value.text_value);
                break;
            default: break;
            }
            if (text.empty())
                continue;
            textBytes += text.size();
            if (textBytes > WorkbookReader::MaxTextBytes) {
                close();
                failure = "more text than a workbook the program reads";
                return false;
            }
            cells.push_back({ row + 1, std::uint32_t(column) + 1, std::move(text) });
        }
    }
    close();
    return true;
}

// What the child sends: "R" and then each cell as row, column and length (4 bytes each, in the
// machine's order) followed by its text; or "F" and the reason.
void appendNumber(std::string& message, std::uint32_t value)
{
    message.append(reinterpret_cast<const char*>(&value), sizeof value);
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data.remove_prefix(std::size_t(written));
    }
    return true;
}

bool sendLegacyCells(const std::string& path, int fd)
{
    std::vector<WorkbookReader::Cell> cells;
    std::string failure;
    std::string message;
    if (readLegacyCells(path, cells, failure)) {
        message = "R";
        for (const WorkbookReader::Cell& cell : cells) {
            appendNumber(message, cell.row);
            appendNumber(message, cell.column);
            appendNumber(message, std::uint32_t(cell.text.size()));
            message += cell.text;
        }
    } else {
        message = "F" + failure;
    }
    return writeAll(fd, message);
}

// Everything the child sends, within a time and a size that no sound workbook comes near.
bool receive(int fd, std::string& message)
{
    constexpr std::size_t MaxMessage = WorkbookReader::MaxTextBytes + (16u << 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd waiting{ fd, POLLIN, 0 };
        const int ready = poll(&waiting, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (message.size() + std::size_t(got) > MaxMessage)
            return false;
        message.append(buffer, std::size_t(got));
    }
}

bool decodeLegacyCells(
    std::string_view message, std::vector<WorkbookReader::Cell>& cells, std::string& failure)
{
    if (message.empty() || message.front() != 'R') {
        failure = message.empty() ? "the legacy reader gave no answer" : std::string(message.substr(1));
        return false;
    }
    message.remove_prefix(1);
    const auto number = [&message](std::uint32_t& value) {
        if (message.size() < sizeof value)
            return false;
        std::memcpy(&value, message.data(), sizeof value);
        message.remove_prefix(sizeof value);
        return true;
    };
    while (!message.empty()) {
        std::uint32_t row = 0, column = 0, length = 0;
        if (!number(row) || !number(column) || !number(length) || length > message.size()) {
            failure = "the legacy reader's answer is cut short";
            return false;
        }
        cells.push_back({ row, column, std::string(message.substr(0, length)) });
        message.remove_prefix(length);
    }
    return true;
}

} // namespace

bool readXls(const std::string& path, Cells& cells, std::string& failure)
{
    // The legacy reader has been seen to read past its buffers on damaged files: it runs in a
    // child process, which hands the cells back through a pipe. Whatever it does to itself, the
    // program only sees a file it cannot read.
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        failure = std::strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        failure = std::strerror(errno);
        ::close(channel[0]);
        ::close(channel[1]);
        return false;
    }
    if (child == 0) {
        ::close(channel[0]);
        _exit(sendLegacyCells(path, channel[1]) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string message;
    const bool received = receive(channel[0], message);
    ::close(channel[0]);
    if (!received)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure = "the legacy reader failed on this file";
        return false;
    }
    cells.clear();
    if (decodeLegacyCells(message, cells, failure))
        return true; // read row by row: already in order
    cells.clear();
    return false;
}

} // namespace workbook::reading
