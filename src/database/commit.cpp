#include "database/commit.h"

#include "database/database_file.h"
#include "database/sha256.h"
#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <utility>

namespace database {
namespace {

constexpr const char* RecordHead = "tervolin-commit 1";
// The head of a growing file's new state "<file>.commit" that earlier commits wrote: what the
// file held before the commit added to it, on the line after this one. The record now says it
// on the file's own line, which spares a file written and flushed at every commit.
constexpr std::string_view GrowthHead = "tervolin-append 1\n";
// How much of a growing file's end is checked to be what it was before its bytes were added.
constexpr std::uint64_t CheckedBytes = 4096;

enum class Kind { Write, Remove, Append };

// The writer goes on while the hash is up to this many buffers behind: the database's flush then
// starts as soon as its last bytes are written, and the hash ends meanwhile. A full database is
// about 30 of them; the hash, faster than the disk, is rarely more than a third behind.
constexpr std::size_t BuffersWaiting = 16;
// The buffers a write's hash was done with, kept for the next write's.
constexpr std::size_t BuffersKept = 3;
std::mutex spareMutex;
std::vector<std::string> spareBuffers;

std::vector<std::string> takeSpareBuffers()
{
    std::lock_guard lock(spareMutex);
    return std::exchange(spareBuffers, {});
}

void keepSpareBuffers(std::vector<std::string>& buffers)
{
    std::lock_guard lock(spareMutex);
    for (std::string& buffer : buffers) {
        if (spareBuffers.size() < BuffersKept)
            spareBuffers.push_back(std::move(buffer));
    }
    buffers.clear();
}
using Growth = SideCommit::Growth;

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
    std::vector<Kind> kinds;
    std::vector<std::optional<Growth>> growth; // of a growing file, when the record says it
};

Kind kindOf(const SideFileChange& change)
{
    if (!change.bytes)
        return Kind::Remove;
    return change.append ? Kind::Append : Kind::Write;
}

std::vector<Kind> kindsOf(const std::vector<SideFileChange>& changes)
{
    std::vector<Kind> kinds;
    for (const SideFileChange& change : changes)
        kinds.push_back(kindOf(change));
    return kinds;
}

const char* wordOf(Kind kind)
{
    switch (kind) {
    case Kind::Write: return "write";
    case Kind::Remove: return "remove";
    case Kind::Append: return "append";
    }
    return "write";
}

// Bytes `from` … `to` of a file; nothing when they cannot all be read.
std::optional<std::string> bytesOf(const std::string& path, std::uint64_t from, std::uint64_t to)
{
    files::InputFile in;
    if (in.open(path) != files::OpenStatus::Opened || !in.seek(from))
        return std::nullopt;
    std::string bytes(std::size_t(to - from), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const std::int64_t n = in.read(bytes.data() + filled, bytes.size() - filled);
        if (n <= 0)
            return std::nullopt;
        filled += std::size_t(n);
    }
    return bytes;
}

// A growing file's length as it stands and what its end holds: nothing when it is there but
// cannot be read.
std::optional<Growth> growthOf(const std::string& path)
{
    Growth growth;
    files::InputFile in;
    const files::OpenStatus opened = in.open(path);
    if (opened == files::OpenStatus::NotFound)
        return growth;
    if (opened != files::OpenStatus::Opened)
        return std::nullopt;
    const std::optional<std::uint64_t> size = in.regularSize();
    if (!size)
        return std::nullopt;
    growth.length = *size;
    growth.checkedFrom = growth.length > CheckedBytes ? growth.length - CheckedBytes : 0;
    const std::optional<std::string> end = bytesOf(path, growth.checkedFrom, growth.length);
    if (!end)
        return std::nullopt;
    growth.checkedHash = Sha256::of(*end);
    return growth;
}

std::optional<std::uint64_t> numberIn(const std::string& text)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoull(text);
}

std::string growthText(const Growth& growth)
{
    return std::to_string(growth.length) + "\t" + std::to_string(growth.checkedFrom) + "\t"
        + growth.checkedHash;
}

// growthText() followed by a line break.
std::optional<Growth> growthIn(const std::string& line)
{
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos || line.size() != tab2 + 1 + 64 + 1 || line.back() != '\n')
        return std::nullopt;
    const std::optional<std::uint64_t> length = numberIn(line.substr(0, tab1));
    const std::optional<std::uint64_t> from = numberIn(line.substr(tab1 + 1, tab2 - tab1 - 1));
    if (!length || !from || *from > *length)
        return std::nullopt;
    return Growth{ *length, *from, line.substr(tab2 + 1, 64) };
}

std::optional<Growth> readGrowth(const std::string& pending)
{
    const FileBytes file = readFile(pending, 1 << 16);
    if (file.status != FileBytes::Status::Read || file.bytes.compare(0, GrowthHead.size(), GrowthHead) != 0)
        return std::nullopt;
    return growthIn(file.bytes.substr(GrowthHead.size()));
}

// Takes back what a commit that did not reach its database added to a growing file: the file is
// cut back to the length it had, when its end before that length is still what it was. A file
// that is no longer the one grown (shorter, or another end: put back from elsewhere) is left as
// it is. False when the file could not be cut.
bool takeBack(const std::string& side, const Growth& growth, std::string* error)
{
    files::InputFile in;
    if (in.open(side) != files::OpenStatus::Opened)
        return true;
    const std::optional<std::uint64_t> size = in.regularSize();
    if (!size || *size <= growth.length)
        return true;
    const std::optional<std::string> end = bytesOf(side, growth.checkedFrom, growth.length);
    if (!end || Sha256::of(*end) != growth.checkedHash)
        return true;
    if (files::extendFile(side, growth.length, std::string_view(), error))
        return true;
    if (error)
        *error = fileNameOf(side) + ": " + *error;
    return false;
}

// What the growing files of a commit that did not reach its database got goes again, as their new
// states "<file>.commit" say (or `growth`, while the commit still has it in hand).
bool takeBackAll(const std::vector<SideFileChange>& changes, const std::vector<Kind>& kinds,
    const std::vector<std::optional<Growth>>& growth, std::size_t count, std::string* error)
{
    bool all = true;
    for (std::size_t i = 0; i < count && i < changes.size(); ++i) {
        if (kinds[i] != Kind::Append)
            continue;
        const std::optional<Growth> was
            = i < growth.size() && growth[i] ? growth[i] : readGrowth(pendingPath(changes[i].path));
        if (was && !takeBack(changes[i].path, *was, error))
            all = false;
    }
    return all;
}

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
        } else if (key == "write" || key == "remove" || key == "append") {
            // The side files lie beside the database: the record names them without their folder,
            // a growing one followed by what it held before.
            const std::size_t end = key == "append" ? value.find('\t') : std::string::npos;
            record.growth.push_back(
                end == std::string::npos ? std::nullopt : growthIn(value.substr(end + 1) + "\n"));
            if (end != std::string::npos && !record.growth.back())
                return std::nullopt;
            record.changes.push_back({ files::besideFile(database, value.substr(0, end)), std::nullopt });
            record.kinds.push_back(key == "write" ? Kind::Write
                    : key == "remove"             ? Kind::Remove
                                                  : Kind::Append);
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
// (an earlier try stopped before the record went) is passed over. A growing file got its bytes
// before the database moved: only a new state that earlier commits wrote for it goes.
bool apply(const std::string& database, const std::vector<SideFileChange>& changes,
    const std::vector<Kind>& kinds, std::string* error)
{
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const std::string& side = changes[i].path;
        if (kinds[i] == Kind::Append) {
            files::removeRegularFile(pendingPath(side));
            continue;
        }
        if (kinds[i] == Kind::Write) {
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
    m_growth.assign(m_changes.size(), Growth());
    m_grown = 0;
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        SideFileChange& change = m_changes[i];
        if (change.append) {
            const std::optional<Growth> growth = growthOf(change.path);
            if (!growth) {
                if (error)
                    *error = fileNameOf(change.path) + ": " + files::lastError("read");
                abandon();
                return false;
            }
            m_growth[i] = *growth;
        }
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
    const std::vector<Kind> kinds = kindsOf(m_changes);
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        const SideFileChange& change = m_changes[i];
        record += std::string(wordOf(kinds[i])) + "\t" + fileNameOf(change.path);
        // A growing file has no new state: the record says how to take its new bytes back.
        if (kinds[i] == Kind::Append) {
            record += "\t" + growthText(m_growth[i]) + "\r\n";
            continue;
        }
        record += "\r\n";
        if (change.bytes && !writeFile(pendingPath(change.path), *change.bytes, error)) {
            if (error)
                *error = fileNameOf(change.path) + ": " + *error;
            abandon();
            return false;
        }
    }
    if (!writeFile(recordPath(m_database), record, error)) {
        abandon();
        return false;
    }
    // A growing file gets its bytes now, once the record is there to have them taken back should
    // the database not take its place (abandon(), or the next start's recoverCommit()).
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        m_grown = i + 1;
        if (kinds[i] == Kind::Append
            && !files::extendFile(m_changes[i].path, m_growth[i].length, *m_changes[i].bytes, error)) {
            if (error)
                *error = fileNameOf(m_changes[i].path) + ": " + *error;
            abandon();
            return false;
        }
    }
    return true;
}

bool SideCommit::finish(std::string* error)
{
    m_done = true;
    return apply(m_database, m_changes, kindsOf(m_changes), error);
}

void SideCommit::abandon()
{
    m_done = true;
    // Bytes that could not be taken back stay named by the record, for the next start.
    const std::vector<std::optional<Growth>> growth(m_growth.begin(), m_growth.end());
    if (!takeBackAll(m_changes, kindsOf(m_changes), growth, m_grown, nullptr))
        return;
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
        // database, nor its growing files, and what it left goes.
        files::removeRegularFile(recordPath(database));
        removeLeftovers(database, sides);
        if (recordExists)
            result.status = CommitRecovery::Status::Dropped;
        return result;
    }
    result.files = pathsOf(record->changes);
    const std::optional<std::string> hash = hashOfFile(database);
    if (hash && *hash == record->hash) {
        if (apply(database, record->changes, record->kinds, &result.error)) {
            result.status = CommitRecovery::Status::Finished;
            removeLeftovers(database, sides);
        } else {
            result.status = CommitRecovery::Status::Failed;
        }
        return result;
    }
    result.status = stampOf(database) == record->oldStamp ? CommitRecovery::Status::Dropped
                                                          : CommitRecovery::Status::Conflict;
    if (!takeBackAll(record->changes, record->kinds, record->growth, record->changes.size(), &result.error)) {
        result.status = CommitRecovery::Status::Failed;
        return result;
    }
    files::removeRegularFile(recordPath(database));
    removeLeftovers(database, pathsOf(record->changes));
    removeLeftovers(database, sides);
    return result;
}

StreamHash::StreamHash() : m_spare(takeSpareBuffers()), m_worker([this] { run(); })
{ }

StreamHash::StreamHash(std::uint64_t same, const States& before, States* after)
    : m_spare(takeSpareBuffers()), m_states(after)
{
    const std::size_t kept = std::min<std::size_t>(std::size_t(same / Step), before.size());
    if (kept > 0) {
        m_hash = Sha256(before[kept - 1]);
        m_skip = m_hash.length();
    }
    if (after != &before)
        after->assign(before.begin(), before.begin() + std::ptrdiff_t(kept));
    else
        after->resize(kept);
    m_worker = std::thread([this] { run(); });
}

StreamHash::~StreamHash()
{
    if (m_worker.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        m_worker.join();
    }
    keepSpareBuffers(m_spare);
}

void StreamHash::add(std::string& bytes)
{
    const std::size_t capacity = bytes.capacity();
    {
        std::unique_lock lock(m_mutex);
        m_drained.wait(lock, [&] { return m_queue.size() < BuffersWaiting; });
        m_queue.push_back(std::move(bytes));
        if (m_spare.empty()) {
            bytes = std::string();
        } else {
            bytes = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    m_wake.notify_all();
    bytes.clear();
    bytes.reserve(capacity);
}

std::string StreamHash::hex()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    m_worker.join();
    return m_hash.hex();
}

void StreamHash::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_ending || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        std::string bytes = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        m_drained.notify_all();
        std::string_view rest = bytes;
        const std::size_t passed = std::size_t(std::min<std::uint64_t>(m_skip, rest.size()));
        rest.remove_prefix(passed);
        m_skip -= passed;
        while (!rest.empty()) {
            const std::size_t piece = m_states
                ? std::size_t(std::min<std::uint64_t>(rest.size(), Step - m_hash.length() % Step))
                : rest.size();
            m_hash.add(rest.substr(0, piece));
            rest.remove_prefix(piece);
            if (m_states && m_hash.length() % Step == 0)
                m_states->push_back(m_hash.midstate());
        }
        bytes.clear();
        lock.lock();
        m_spare.push_back(std::move(bytes));
    }
}

} // namespace database
