#pragma once

// The journal of the payments taken from bank statements: "Tervolin2.bank" beside the database,
// Windows-1251 text, one line per payment ending in CR LF, its fields each followed by "|":
//   number | date | sum | payer account | record | year | month | date of the import | subscriber |
// A payment whose key (number, date, sum, payer account) is in the journal is never added again,
// from whichever statement it comes.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bank {

inline constexpr const char* JournalFileName = "Tervolin2.bank";

// What tells one payment from every other: the document's number and date, its sum in the
// ledger's form ("1500,00", however the bank wrote it) and the payer's account.
struct PaymentKey
{
    std::string number;
    std::string date;
    std::string sum;
    std::string payerAccount;

    friend bool operator==(const PaymentKey&, const PaymentKey&) = default;
};

struct JournalEntry
{
    PaymentKey key;
    int record = 0;
    int year = 0; // 2026 …
    int month = 1; // 1 … 12
    std::string importDate; // dd.mm.yyyy
    // The subscriber's full name when the payment went in: a later change of the directory that
    // gives the record number to someone else does not send that payer's money to them.
    std::string subscriber;
};

class Journal
{
public:
    const std::vector<JournalEntry>& entries() const { return m_entries; }
    void add(JournalEntry entry);
    // The entry of the payment, or null.
    const JournalEntry* find(const PaymentKey& key) const;

private:
    std::vector<JournalEntry> m_entries;
    std::unordered_map<std::string, std::size_t> m_byKey; // the first entry of each key
};

struct JournalRead
{
    enum class Status {
        Read, // also when there is no journal yet
        Damaged, // line `line` is not a journal line
        Unreadable,
    };
    Status status = Status::Unreadable;
    int line = 0;
    Journal journal;
};

// "Tervolin2.bank" in the folder of the database file ("<archive>.bank" beside an archive).
std::string journalPath(const std::string& databasePath);

JournalRead readJournal(const std::string& path);
// Texts are stored as the database stores them: without "|" and characters Windows-1251 lacks.
std::string journalBytes(const Journal& journal);
// Through a temporary file beside it, as the database is written.
bool writeJournal(const std::string& path, const Journal& journal, std::string* error = nullptr);

// A text as a journal field holds it (and as keys are compared): blanks around it dropped, no "|",
// no line break, nothing Windows-1251 cannot hold.
std::string journalText(std::string_view text);

} // namespace bank
