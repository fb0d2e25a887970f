#pragma once

// Penalties (пени) on a debt, as the partnership's own rule has them: so many per cent a day, or a
// share of the Bank of Russia's key rate (1/300 of it, say) for each day, counted for each month's
// part of the debt from the day after the month's end and its days of grace up to the date of the
// paper. They are shown on the notices and claims only: nothing of them goes into the ledger.

#include "accounts/debt_months.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace penalty {

using Date = std::chrono::year_month_day;

struct Rule
{
    enum class Kind { PercentPerDay, KeyRateShare };
    bool enabled = false;
    Kind kind = Kind::PercentPerDay;
    Currency percentPerDay = Currency::fromRaw(1000); // 0,1 % a day
    Currency keyRate; // per cent a year, as typed
    int divisor = 300; // the share of the key rate a day: 1/300
    int graceDays = 0; // days after the month's end without a penalty
};

// Limits the window holds the typed values to.
inline constexpr int MaxDivisor = 100000;
inline constexpr int MaxGraceDays = 3650;

struct MonthPenalty
{
    fields::YearMonth month;
    Currency debt;
    Date lastFreeDay; // the month's last day and the days of grace after it
    int days = 0; // days overdue up to the date of the paper, that date included
    Currency penalty; // to the kopeck, halves to even
};

struct Penalties
{
    std::vector<MonthPenalty> months; // those of the debt's months that are overdue
    Currency total;
};

// Each month's part of the debt charges debt × daily rate × days overdue, rounded to the kopeck.
// A rule that is off or charges nothing (no rate) gives none.
Penalties penalties(const std::vector<ledger::DebtMonth>& months, const Rule& rule, Date asOf);

// "0,1 % в день" or "1/300 ключевой ставки 16 % годовых в день", then ", отсрочка 10 дн." when
// there are days of grace.
std::string ruleText(const Rule& rule);

Date lastDayOf(fields::YearMonth month);
// "05.03.2026".
std::string dateText(Date date);

// The rule as the settings keep it: a text a setting. A text that is no value of its setting
// gives the default of that setting, so that a settings file edited by hand never stops a paper.
struct RuleTexts
{
    std::string enabled; // "1" or "0"
    std::string kind; // "day" or "key"
    std::string percentPerDay, keyRate, divisor, graceDays;
};
Rule ruleFromTexts(const RuleTexts& texts);
RuleTexts textsOf(const Rule& rule);

// A rate as typed: above zero and at most `most` (a full stop serves as the decimal comma); nothing
// for anything else.
std::optional<Currency> typedRate(std::string_view typed, Currency most);
// A whole number from `least` to `most`, blanks around it allowed.
std::optional<int> typedCount(std::string_view typed, int least, int most);

} // namespace penalty
