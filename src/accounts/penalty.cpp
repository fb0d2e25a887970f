#include "accounts/penalty.h"

#include "text/trim.h"

#include <charconv>
#include <cstdint>

namespace penalty {
namespace {

using Wide = __int128;

// The nearest whole number of num / den (den above zero), halves to even.
std::int64_t roundedQuotient(Wide num, Wide den)
{
    const bool negative = num < 0;
    if (negative)
        num = -num;
    Wide q = num / den;
    const Wide r = num % den;
    if (2 * r > den || (2 * r == den && q % 2 == 1))
        ++q;
    return std::int64_t(negative ? -q : q);
}

std::string twoDigits(unsigned n)
{
    return std::string(1, char('0' + n / 10 % 10)) + char('0' + n % 10);
}

// A rate as the papers write it: "0,1", "16,5", "16".
std::string rateText(Currency rate)
{
    return rate.plainText();
}

} // namespace

Date lastDayOf(fields::YearMonth month)
{
    using namespace std::chrono;
    return year_month_day(
        year_month_day_last(year(month.year), month_day_last(std::chrono::month(unsigned(month.month)))));
}

std::string dateText(Date date)
{
    return twoDigits(unsigned(date.day())) + '.' + twoDigits(unsigned(date.month())) + '.'
        + std::to_string(int(date.year()));
}

Penalties penalties(const std::vector<ledger::DebtMonth>& months, const Rule& rule, Date asOf)
{
    Penalties result;
    if (!rule.enabled)
        return result;
    // The daily rate as a fraction rateNum / rateDen of the debt.
    Wide rateNum = 0;
    Wide rateDen = 1;
    if (rule.kind == Rule::Kind::PercentPerDay) {
        rateNum = rule.percentPerDay.raw();
        rateDen = Wide(100) * Currency::Scale;
    } else {
        rateNum = rule.keyRate.raw();
        rateDen = Wide(100) * Currency::Scale * (rule.divisor > 0 ? rule.divisor : 1);
    }
    if (rateNum <= 0)
        return result;
    using namespace std::chrono;
    const sys_days paperDay(asOf);
    for (const ledger::DebtMonth& m : months) {
        if (!(m.debt > Currency()))
            continue;
        const sys_days free = sys_days(lastDayOf(m.month)) + days(rule.graceDays);
        const int overdue = int((paperDay - free).count());
        if (overdue <= 0)
            continue;
        // In kopecks: the debt's ten-thousandths are a hundred to the kopeck.
        const std::int64_t kopecks
            = roundedQuotient(Wide(m.debt.raw()) * rateNum * overdue, rateDen * (Currency::Scale / 100));
        MonthPenalty p{ m.month, m.debt, year_month_day(free), overdue,
            Currency::fromRaw(kopecks * (Currency::Scale / 100)) };
        result.total = Currency::add(result.total, p.penalty).value_or(result.total);
        result.months.push_back(p);
    }
    return result;
}

std::string ruleText(const Rule& rule)
{
    std::string text = rule.kind == Rule::Kind::PercentPerDay ? rateText(rule.percentPerDay) + " % в день"
                                                              : "1/" + std::to_string(rule.divisor)
            + " ключевой ставки " + rateText(rule.keyRate) + " % годовых в день";
    if (rule.graceDays > 0)
        text += ", отсрочка " + std::to_string(rule.graceDays) + " дн.";
    return text;
}

std::optional<Currency> typedRate(std::string_view typed, Currency most)
{
    const std::optional<Currency> value = Currency::parse(ledger::withDecimalComma(text::trimmed(typed)));
    if (!value || !(*value > Currency()) || *value > most)
        return std::nullopt;
    return value;
}

std::optional<int> typedCount(std::string_view typed, int least, int most)
{
    const std::string_view text = text::trimmed(typed);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < least
        || value > most)
        return std::nullopt;
    return value;
}

Rule ruleFromTexts(const RuleTexts& texts)
{
    Rule rule;
    rule.enabled = text::trimmed(texts.enabled) == "1";
    rule.kind = text::trimmed(texts.kind) == "key" ? Rule::Kind::KeyRateShare : Rule::Kind::PercentPerDay;
    if (const auto percent = typedRate(texts.percentPerDay, Currency::fromUnits(100)))
        rule.percentPerDay = *percent;
    if (const auto key = typedRate(texts.keyRate, Currency::fromUnits(1000)))
        rule.keyRate = *key;
    rule.divisor = typedCount(texts.divisor, 1, MaxDivisor).value_or(rule.divisor);
    rule.graceDays = typedCount(texts.graceDays, 0, MaxGraceDays).value_or(rule.graceDays);
    return rule;
}

RuleTexts textsOf(const Rule& rule)
{
    return { rule.enabled ? "1" : "0", rule.kind == Rule::Kind::KeyRateShare ? "key" : "day",
        rule.percentPerDay.plainText(), rule.keyRate.isZero() ? std::string() : rule.keyRate.plainText(),
        std::to_string(rule.divisor), std::to_string(rule.graceDays) };
}

} // namespace penalty
