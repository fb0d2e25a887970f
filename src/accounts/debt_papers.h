#pragma once

// What the papers to debtors say: the notice of a debt ("Уведомление о задолженности") with the
// payment code for the whole debt, and the pre-trial claim ("Претензия") whose text is the user's
// template with the debtor's facts put into its fields. Each is built from the record table, the
// penalty rule and the date of the paper alone; the pages only lay it out.

#include "accounts/penalty.h"
#include "documents/payee.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace documents {

// The fields of a claim's template, as the user types them.
inline constexpr std::array<std::string_view, 7> ClaimFields
    = { "{ФИО}", "{адрес}", "{долг}", "{долг прописью}", "{месяцы}", "{дата}", "{номер}" };

// The claim's text when the user has written none of their own.
extern const char* const DefaultClaimTemplate;

struct ClaimFacts
{
    std::string fullName;
    std::string address;
    Currency debt;
    std::string months; // monthsText()
    std::string date; // "15.04.2026"
    int number = 0;
};

// The template with every field of ClaimFields replaced by its fact, in one pass: what a fact brings
// is never read as a field again. Anything else in braces stays as typed. An address not in the
// directory reads "—".
std::string filledTemplate(std::string_view text, const ClaimFacts& facts);
// The texts in braces that are none of the fields ("{фио}", "{сумма}"), each once, in the order they
// come; a brace that is never closed on its line is no field.
std::vector<std::string> unknownFields(std::string_view text);

// "1 234,56": kopecks always, thousands set apart by blanks, "-" before a negative amount.
std::string amountText(Currency amount);
// "Март 2024".
std::string monthCaption(fields::YearMonth month);
// The months in words as a sentence names them after "за": "март 2024 г.", "январь – март 2024 г.",
// "ноябрь, декабрь 2023 г., январь 2024 г."; when the earliest also carries an earlier debt,
// " и ранее" follows it.
std::string monthsText(const std::vector<ledger::DebtMonth>& months);

// One debtor's paper.
struct DebtPaper
{
    int record = 0;
    std::string number; // field 1
    std::string fullName;
    std::string address;
    ledger::LedgerMonth month; // the debt is the one at this month's end
    ledger::DebtMonths debt;
    penalty::Rule rule;
    penalty::Penalties penalties; // none when the rule is off
    penalty::Date date; // the paper's own date: penalties run up to it
};
DebtPaper debtPaper(const RecordTable& table, int record, const ledger::LedgerMonth& month,
    const penalty::Rule& rule, penalty::Date date);

// A line of the paper's table of months: the older months beyond what a page holds are put together
// in its first line ("Январь 2022 – Март 2023").
struct PaperRow
{
    std::string caption;
    Currency debt;
    int days = 0; // overdue; 0 without penalties
    Currency penalty;
};
std::vector<PaperRow> paperRows(const DebtPaper& paper, std::size_t most);

// The notice's payment code: the payee's details, the whole debt in Sum and a purpose that names the
// debt and the subscriber. "" without details good for a code, or without a debt.
std::string noticePayload(const PayeeDetails& payee, const DebtPaper& paper);
// The purpose the notice's code and its details say.
std::string noticePurpose(const DebtPaper& paper);

// The claim's facts for its template.
ClaimFacts claimFacts(const DebtPaper& paper, int number);

} // namespace documents
