#pragma once

// "Справка об отсутствии задолженности": a paper saying that a subscriber owes the association
// nothing, for a plot being sold or a dispute. It is given only when the account ends its last month
// with data without a debt; each one carries its number within the year of issue, "2027-015".

#include "accounts/reconciliation.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ledger {

struct CertificateCheck
{
    bool issued = false;
    // The months looked at: the record's first and last month with data.
    fields::YearMonth from;
    fields::YearMonth to;
    Currency balance; // at the end of `to`, signed as in the act
    // Why it is not given, as the message says it.
    std::string refusal;
};

// Nothing for a record the table does not hold.
std::optional<CertificateCheck> checkNoDebt(const RecordTable& table, int record);

// "2027-015": the year, and the number within it at least three digits long.
std::string certificateNumber(int year, int number);
// The number after the last one given in the year, from its stored text (empty or damaged: none
// given yet, so 1).
int nextCertificateNumber(std::string_view lastGiven);

struct CertificateFacts
{
    std::string number; // "2027-015"; empty for a copy printed without a number
    std::string issueDate; // "05.12.2026"
    std::string partnership; // the payee's name; may be empty
};

// The paper's texts: its title, the line under it, the number and date line, and the paragraphs.
struct CertificateText
{
    std::string title;
    std::string subtitle;
    std::string numberLine;
    std::vector<std::string> paragraphs;
};
CertificateText certificateText(
    const RecordTable& table, int record, const CertificateCheck& check, const CertificateFacts& facts);

} // namespace ledger
