#include "database/commit.h"

#include "database/database_file.h"
#include "database/sha256.h"
#include "platform/file_system.h"

#include <filesystem>
#include <system_error>

namespace database {
namespace {

constexpr const char* RecordHead = "tervolin-commit 1";

std::filesystem::path fsPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// What tells the old database from a new one without reading it: its size and time.
std::string stampOf(const std::string& path)
{
    std::error_code failed;
    const auto size = std::filesystem::file_size(fsPath(path), failed);
    if (failed)
        return "none";
    const auto time = std::filesystem::last_write_time(fsPath(path), failed);
    if (failed)
        return "none";
    return std::to_string(size) + " " + std::to_string(time.time_since_epoch().count());
}

std::optional<std::string> hashOfFile(const std::string& path)
{
    files::InputFile in;
    if (in.open(path) != files::OpenStatus::Opened)
        return std::nullopt;
    Sha256 hash;
    std::string chunk(1 << 20, '\0');
    for (;;) {
        const std::int64_t n = in.read(chunk.data(), chunk.size());
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return hash.hex();
        hash.add(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
    }
}

std::string recordPath(const std::string& database)
{
    return database + CommitSuffix;
}

std::string pendingPath(const std::string& side)
{
    return side + CommitSuffix;
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct Record
{
    std::string hash;
    std::string oldStamp;
    std::vector<SideFileChange> changes; // bytes of a written file are read when it is applied
    std::vector<bool> written;
};

std::optional<Record> readRecord(const std::string& database)
{
    const FileBytes file = readFile(recordPath(database), 1 << 20);
    if (file.status != FileBytes::Status::Read)
        return std::nullopt;
    Record record;
    std::size_t at = 0;
    bool headSeen = false;
    while (at < file.bytes.size()) {
        std::size_t end = file.bytes.find("\r\n", at);
        if (end == std::string::npos)
            end = file.bytes.size();
        const std::string line = file.bytes.substr(at, end - at);
        at = end + 2;
        const std::size_t tab = line.find('\t');
        const std::string key = line.substr(0, tab);
        const std::string value = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        if (!headSeen) {
            if (line != RecordHead)
                return std::nullopt;
            headSeen = true;
        } else if (key == "database") {
            record.hash = value;
        } else if (key == "old") {
            record.oldStamp = value;
        } else if (key == "write" || key == "remove") {
            // The side files lie beside the database: the record names them without their folder.
            record.changes.push_back({ files::besideFile(database, value), std::nullopt });
            record.written.push_back(key == "write");
        }
    }
    if (!headSeen || record.hash.size() != 64)
        return std::nullopt;
    return record;
}

void removeLeftovers(const std::string& database, const std::vector<std::string>& sides)
{
    for (const std::string& side : sides) {
        files::removeRegularFile(pendingPath(side));
        files::removeRegularFile(pendingPath(side) + TemporarySuffix);
    }
    files::removeRegularFile(recordPath(database) + TemporarySuffix);
}

// Puts each side file's new state in its place, each by one rename of the state written whole
// before the database moved; the record goes once all are in place. A state already in place
// (an earlier try stopped before the record went) is passed over.
bool apply(const std::string& database, const std::vector<SideFileChange>& changes,
    const std::vector<bool>& written, std::string* error)
{
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const std::string& side = changes[i].path;
        if (written[i]) {
            if (!files::exists(pendingPath(side)))
                continue;
            std::error_code failed;
            std::filesystem::rename(fsPath(pendingPath(side)), fsPath(side), failed);
            if (failed) {
                if (error)
                    *error = fileNameOf(side) + ": " + failed.message();
                return false;
            }
            continue;
        }
        files::removeRegularFile(side);
        if (files::exists(side)) {
            if (error)
                *error = fileNameOf(side) + ": " + files::lastError("remove");
            return false;
        }
    }
    files::removeRegularFile(recordPath(database));
    return true;
}

std::vector<std::string> pathsOf(const std::vector<SideFileChange>& changes)
{
    std::vector<std::string> paths;
    for (const SideFileChange& change : changes)
        paths.push_back(change.path);
    return paths;
}

} // namespace

SideCommit::SideCommit(std::string database, std::vector<SideFileChange> changes)
    : m_database(std::move(database)), m_changes(std::move(changes))
{
    for (SideFileChange& change : m_changes)
        change.path = files::besideFile(m_database, fileNameOf(change.path));
}

SideCommit::~SideCommit()
{
    if (m_prepared && !m_done)
        abandon();
}

bool SideCommit::prepare(const std::string& databaseHash, std::string* error)
{
    std::string record = std::string(RecordHead) + "\r\ndatabase\t" + databaseHash + "\r\nold\t"
        + stampOf(m_database) + "\r\n";
    m_prepared = true;
    for (SideFileChange& change : m_changes) {
        if (change.named)
            change.bytes = change.named(databaseHash);
    }
    // A side file that will not take its new state is found out while the database still stands.
    for (const SideFileChange& change : m_changes) {
        if (files::isWriteProtected(change.path)) {
            if (error)
                *error = fileNameOf(change.path) + ": write-protected";
            abandon();
            return false;
        }
    }
    for (const SideFileChange& change : m_changes) {
        if (change.bytes && !writeFile(pendingPath(change.path), *change.bytes, error)) {
            if (error)
                *error = fileNameOf(change.path) + ": " + *error;
            abandon();
            return false;
        }
        record += (change.bytes ? "write\t" : "remove\t") + fileNameOf(change.path) + "\r\n";
    }
    if (!writeFile(recordPath(m_database), record, error)) {
        abandon();
        return false;
    }
    return true;
}

bool SideCommit::finish(std::string* error)
{
    m_done = true;
    std::vector<bool> written;
    for (const SideFileChange& change : m_changes)
        written.push_back(change.bytes.has_value());
    return apply(m_database, m_changes, written, error);
}

void SideCommit::abandon()
{
    m_done = true;
    files::removeRegularFile(recordPath(m_database));
    removeLeftovers(m_database, pathsOf(m_changes));
}

CommitRecovery recoverCommit(const std::string& databasePath, const std::vector<std::string>& sideFiles)
{
    CommitRecovery result;
    const std::string database = files::resolveLinks(databasePath);
    std::vector<std::string> sides;
    for (const std::string& side : sideFiles) {
        sides.push_back(files::besideFile(database, fileNameOf(side)));
        files::removeRegularFile(sides.back() + TemporarySuffix);
    }
    const bool recordExists = files::exists(recordPath(database));
    const std::optional<Record> record = recordExists ? readRecord(database) : std::nullopt;
    if (!record) {
        // No record, or one cut short while it was written: the commit never reached its
        // database, and what it left goes.
        files::removeRegularFile(recordPath(database));
        removeLeftovers(database, sides);
        if (recordExists)
            result.status = CommitRecovery::Status::Dropped;
        return result;
    }
    result.files = pathsOf(record->changes);
    const std::optional<std::string> hash = hashOfFile(database);
    if (hash && *hash == record->hash) {
        if (apply(database, record->changes, record->written, &result.error)) {
            result.status = CommitRecovery::Status::Finished;
            removeLeftovers(database, sides);
        } else {
            result.status = CommitRecovery::Status::Failed;
        }
        return result;
    }
    result.status = stampOf(database) == record->oldStamp ? CommitRecovery::Status::Dropped
                                                          : CommitRecovery::Status::Conflict;
    files::removeRegularFile(recordPath(database));
    removeLeftovers(database, pathsOf(record->changes));
    removeLeftovers(database, sides);
    return result;
}

} // namespace database
