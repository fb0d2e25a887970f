#pragma once

// The database and the files kept beside it (the journal of bank payments, the supplier's figures
// and the like) change together: a write that changes both is one commit, so that no kill, full
// disk or failing file ever leaves a side file that says a payment is in the database while the
// database lacks it, or the other way round.
//
// A commit runs in this order:
//   1. the new database is written to its temporary file, flushed, and its SHA-256 taken;
//   2. each side file's new state is written whole beside it, as "<side file>.commit";
//   3. the commit record "<database>.commit" names that SHA-256, the old database's size and time,
//      and every side file that changes; a file that only grows (the change journal) is named with
//      its length and the SHA-256 of its last bytes, and gets its new bytes at its end only now;
//   4. the new database takes the old one's place;
//   5. each new state takes its file's place by a rename (or the file goes), and the record goes.
// Until 3 the old files stand and the leftovers are dropped at the next start. After 3,
// recoverCommit() at the next start finishes the commit when the database on disk is the one the
// record names, drops it when the database is still the old one, and says so when it is neither;
// a commit dropped either way has its growing files cut back to the length the record names.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "database/sha256.h"

namespace database {

// A side file's new state: its bytes, or nothing when the file is to go. A state that names the
// database it belongs to (the change journal) is made by `named` once the new database's SHA-256
// is known, in place of `bytes`.
struct SideFileChange
{
    std::string path;
    std::optional<std::string> bytes;
    std::function<std::string(const std::string& databaseHash)> named = {};
    // The bytes are added at the file's end instead of replacing it: a file that only grows (the
    // change journal) is not written whole at every write of the database.
    bool append = false;
};

// The SHA-256 that a commit names, of the database's bytes as they are written: taken on a second
// thread, so that the writer goes on making the next bytes meanwhile.
class StreamHash
{
public:
    // The hash's states at every Step bytes of a file, for a write of it again with the same first
    // bytes to go on from the last state before its first new byte.
    static constexpr std::uint64_t Step = 1 << 20;
    using States = std::vector<Sha256::Midstate>;

    StreamHash();
    // The stream's first `same` bytes are those of the stream that left `before`: they are passed
    // over, the hash going on from the last of its states they hold. `after` gets the states of
    // this stream (it may be `before`'s own vector: the states kept are the same).
    StreamHash(std::uint64_t same, const States& before, States* after);
    ~StreamHash();
    StreamHash(const StreamHash&) = delete;
    StreamHash& operator=(const StreamHash&) = delete;

    // Takes the bytes over and leaves in their place an empty buffer of at least their capacity.
    // Waits only while the hash is many buffers behind, so that the file is flushed while the hash
    // ends. The buffer given back is one the hash is done with when there is one; a few are kept
    // for the next write's hash, instead of memory the system gives afresh at a fault a page.
    void add(std::string& bytes);
    // Waits for every byte added.
    std::string hex();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::string> m_queue;
    std::vector<std::string> m_spare;
    bool m_ending = false;
    Sha256 m_hash;
    std::uint64_t m_skip = 0; // bytes of the stream still to pass over
    States* m_states = nullptr;
    std::thread m_worker;
};

inline constexpr const char* CommitSuffix = ".commit";

class SideCommit
{
public:
    // `database` is the file as it is replaced (links resolved); the side files lie beside it.
    SideCommit(std::string database, std::vector<SideFileChange> changes);
    ~SideCommit();
    SideCommit(const SideCommit&) = delete;
    SideCommit& operator=(const SideCommit&) = delete;

    // Steps 2 and 3, before the new database (whose SHA-256 is `databaseHash`) takes its place; the
    // growing files get their bytes last.
    // On a failure nothing of the commit is left and `error` says which file failed.
    bool prepare(const std::string& databaseHash, std::string* error);
    // Step 5, once the database is in place. False when a side file could not take its new state:
    // the record stays, and the next recoverCommit() finishes the commit.
    bool finish(std::string* error);
    // The database did not take its place: the new states and the record go.
    void abandon();

    // Where a growing side file's bytes went, and what its end held before them: the bytes are
    // taken back only from the file they were added to.
    struct Growth
    {
        std::uint64_t length = 0; // the file's length before
        std::uint64_t checkedFrom = 0; // the bytes from here to `length` are checked …
        std::string checkedHash; // … against their SHA-256
    };

private:
    std::string m_database;
    std::vector<SideFileChange> m_changes;
    std::vector<Growth> m_growth;
    std::size_t m_grown = 0; // the changes up to this one may have grown their files
    bool m_prepared = false;
    bool m_done = false;
};

struct CommitRecovery
{
    enum class Status {
        Nothing, // no commit was left half-way
        Finished, // the database had taken its place: the side files now follow it
        Dropped, // the database had not: the side files stay as they were
        Conflict, // the database on disk is neither the old one nor the new one
        Failed, // the side files could not take their new states (the record stays)
    };
    Status status = Status::Nothing;
    std::vector<std::string> files; // the side files concerned
    std::string error;
};

// Looks for a commit left half-way beside the database and finishes or drops it, as above; also
// removes the temporary files and new states that a killed write left of these side files. Only
// the one program that holds the database may call it.
CommitRecovery recoverCommit(const std::string& databasePath, const std::vector<std::string>& sideFiles);

} // namespace database
