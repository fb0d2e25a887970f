#pragma once

// The register of claims sent to debtors ("Реестр претензий"), kept beside the database as
// "Tervolin2.claims": a line per claim, "<number>\t<dd.mm.yyyy>\t<record>\t<full name>\t<sum>", in
// Windows-1251 with CR LF, the sum with a decimal comma ("1050,00"). Claims are numbered anew each
// calendar year. The name guards the record number: records are renumbered when one is deleted, so
// a line whose number no longer carries its name is found again by the name, and a claim of a
// subscriber no longer in the directory is kept with the record 0. Lines the program cannot read
// are kept as they are.

#include "accounts/penalty.h"
#include "database/record_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace claims {

inline constexpr const char* FileName = "Tervolin2.claims";

std::string filePath(const std::string& databasePath);

struct Claim
{
    int number = 0;
    penalty::Date date;
    int record = 0; // 0: the subscriber is no longer in the directory
    std::string fullName;
    Currency sum;
};

struct Register
{
    std::vector<Claim> claims; // in the file's order: as they were sent
    std::vector<std::string> unreadLines; // kept, written back after the claims
};

// The register the bytes hold, its records found against the table as it is now.
Register parse(std::string_view bytes, const RecordTable& table);
std::string bytes(const Register& claims);

struct ReadResult
{
    enum class Status { Read, None, Failed }; // None: there is no register yet
    Status status = Status::None;
    Register claims;
};
ReadResult read(const std::string& databasePath, const RecordTable& table);
// The whole register in place of the file's, as one step: the file is the old one or the new one.
bool write(const std::string& databasePath, const Register& claims, std::string* error = nullptr);

// The number the next claim of that year takes.
int nextNumber(const Register& claims, int year);
// The record's latest claim; null when it has none.
const Claim* latestClaim(const Register& claims, int record);
// "претензия № 3 от 05.03.2026".
std::string claimCaption(const Claim& claim);

} // namespace claims
