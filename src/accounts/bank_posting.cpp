// The entry of the payments into the ledger: "Внесено" of each subscriber's month, and every month
// after recomputed through the ledger's own fill, compute and store, so that the balances the
// treasurer sees today take the money in.

#include "accounts/bank_import.h"
#include "accounts/bank_rules.h"
#include "accounts/ledger.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace bank {
namespace {

// The offsets from a month's base of what is charged or received in it: what the sheet and the
// treasurer enter (a zero is nothing entered). The balances are the ledger's own results and tell nothing of
// a month in use: every store carries them into the month after, which has not begun for that.
constexpr std::array<int, 7> EnteredOffsets = { -1, 2, 3, 4, 6, 7, 8 };

bool hasEntries(const RecordTable& table, const YearMonth& month)
{
    const int base = fields::ledgerBaseOfMonth(month.year, month.month);
    for (int i = 1; i <= table.recordCount(); ++i)
        for (int offset : EnteredOffsets) {
            // The sheet writes "0" into the months it has no readings for.
            const std::string_view text = table.field(i, base + offset);
            if (!text.empty() && !Currency::parseOrZero(text).isZero())
                return true;
        }
    return false;
}

// The last month of the window that anybody has charges or receipts in; none for an empty ledger.
std::optional<YearMonth> lastMonthWithEntries(const RecordTable& table)
{
    const fields::YearWindow years = table.years();
    for (int o = fields::WindowMonths - 1; o >= 0; --o)
        if (hasEntries(table, years.at(o)))
            return years.at(o);
    return std::nullopt;
}

// Adds the postings of one month to the grid's "Внесено". The parts of one payment go in together:
// when one of them cannot, none does.
void addToPaidIn(ledger::Grid& grid, const std::vector<Posting>& postings,
    const std::vector<std::size_t>& indexes, std::vector<std::string>& refused, std::vector<char>& posted)
{
    std::unordered_map<int, Currency> totals; // by row, while they are worked out
    const auto tryAll = [&](bool apply) {
        totals.clear();
        for (std::size_t i : indexes) {
            if (!refused[i].empty())
                continue;
            const Posting& posting = postings[i];
            const int row = posting.record - 1;
            auto it = totals.find(row);
            if (it == totals.end()) {
                const std::string& cell = grid.rows[std::size_t(row)][ledger::PaidIn];
                const std::optional<Currency> paid = cell.empty() ? Currency() : Currency::parse(cell);
                if (!paid) {
                    refused[i] = "в «Внесено» записано не число: «" + cell + "»";
                    continue;
                }
                it = totals.emplace(row, *paid).first;
            }
            const std::optional<Currency> total = Currency::add(it->second, posting.sum);
            if (!total) {
                refused[i] = "сумма в «Внесено» стала бы слишком большой";
                continue;
            }
            it->second = *total;
            if (apply) {
                ledger::setCell(grid, row, ledger::PaidIn, moneyText(*total));
                posted[std::size_t(posting.record)] = 1;
            }
        }
    };
    tryAll(false);
    std::vector<int> failedGroups;
    for (std::size_t i : indexes)
        if (!refused[i].empty() && postings[i].group >= 0)
            failedGroups.push_back(postings[i].group);
    for (std::size_t i : indexes)
        if (refused[i].empty() && postings[i].group >= 0
            && std::find(failedGroups.begin(), failedGroups.end(), postings[i].group) != failedGroups.end())
            refused[i] = "не занесена другая часть этого платежа";
    // The sums are above zero: fewer of them cannot overflow where more did not.
    tryAll(true);
}

} // namespace

std::vector<MovedPosting> moveOutOfClosedMonths(
    std::vector<Posting>& postings, const std::optional<YearMonth>& closedThrough)
{
    std::vector<MovedPosting> moved;
    if (!closedThrough)
        return moved;
    const YearMonth firstOpen = closedThrough->month == 12 ? YearMonth { closedThrough->year + 1, 1 }
                                                           : YearMonth { closedThrough->year, closedThrough->month + 1 };
    for (std::size_t i = 0; i < postings.size(); ++i) {
        if (postings[i].month > *closedThrough)
            continue;
        moved.push_back({ i, postings[i].month });
        postings[i].month = firstOpen;
    }
    return moved;
}

PostingResult post(RecordTable& table, const std::vector<Posting>& postings)
{
    PostingResult result;
    result.refused.assign(postings.size(), std::string());
    const fields::YearWindow years = table.years();

    std::map<YearMonth, std::vector<std::size_t>> byMonth;
    for (std::size_t i = 0; i < postings.size(); ++i) {
        const Posting& posting = postings[i];
        if (!years.holds(posting.month)) {
            result.refused[i] = "месяц вне " + rules::heldYearsText(years);
            continue;
        }
        if (posting.record < 1 || posting.record > table.recordCount()) {
            result.refused[i] = "абонента № " + std::to_string(posting.record) + " нет в справочнике";
            continue;
        }
        byMonth[posting.month].push_back(i);
    }
    if (byMonth.empty())
        return result;

    const YearMonth first = byMonth.begin()->first;
    YearMonth last = byMonth.rbegin()->first;
    if (const std::optional<YearMonth> entered = lastMonthWithEntries(table))
        last = std::max(last, *entered);

    // The records that took money so far: past a December, their January starts from it.
    std::vector<char> posted(std::size_t(table.recordCount()) + 1, 0);
    ledger::Grid grid;
    for (int o = years.ordinal(first); o <= years.ordinal(last); ++o) {
        const YearMonth ym = years.at(o);
        if (ym.month == 1 && o > years.ordinal(first)) {
            // The carry-over's own transfer, for the subscribers whose December the payments moved;
            // everyone else's January stays as it stands.
            std::vector<ledger::CarryOverRow> rows = ledger::carryOverRows(grid);
            const int january = fields::ledgerBaseOfMonth(ym.year, 1);
            for (int i = 1; i <= table.recordCount(); ++i) {
                if (posted[std::size_t(i)])
                    continue;
                ledger::CarryOverRow& row = rows[std::size_t(i - 1)];
                row.underpayment = std::string(table.field(i, january));
                row.overpayment = std::string(table.field(i, january + 1));
            }
            ledger::transferToJanuary(table, ym.year, rows);
        }
        const ledger::LedgerMonth month = ledger::ledgerMonth(ym.year, ym.month);
        ledger::fill(table, month, grid);
        if (const auto it = byMonth.find(ym); it != byMonth.end())
            addToPaidIn(grid, postings, it->second, result.refused, posted);
        ledger::compute(grid);
        ledger::store(table, month, grid);
        result.changedMonths.push_back(ym);
    }
    // The last month's store has carried into the next month's start; December carries nothing.
    if (last.month < 12)
        result.changedMonths.push_back({ last.year, last.month + 1 });
    return result;
}

} // namespace bank
