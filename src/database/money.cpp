#include "database/money.h"

#include "text/trim.h"

#include <limits>

namespace {

using Wide = __int128;

constexpr std::int64_t MaxRaw = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t MinRaw = std::numeric_limits<std::int64_t>::min();

// numerator / divisor rounded to the nearest integer, ties to even; divisor > 0.
Wide divideHalfEven(Wide numerator, Wide divisor)
{
    Wide quotient = numerator / divisor;
    Wide remainder = numerator % divisor;
    if (remainder < 0) { // floor division
        remainder += divisor;
        quotient -= 1;
    }
    const Wide twice = remainder * 2;
    if (twice > divisor || (twice == divisor && (quotient % 2 != 0)))
        quotient += 1;
    return quotient;
}

bool fits(Wide value)
{
    return value >= MinRaw && value <= MaxRaw;
}

} // namespace

std::optional<Currency> Currency::parse(std::string_view text)
{
    text = text::trimmed(text);
    if (text.empty())
        return std::nullopt;

    bool negative = false;
    if (text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }

    Wide whole = 0;
    Wide fraction = 0; // decimals read so far, as an integer
    Wide fractionScale = 1;
    int digits = 0;
    bool inFraction = false;
    for (char c : text) {
        if (c == ',' && !inFraction) {
            inFraction = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        ++digits;
        if (!inFraction) {
            whole = whole * 10 + (c - '0');
            if (whole > Wide(MaxRaw))
                return std::nullopt;
        } else if (fractionScale < Wide(1) << 100) {
            // Decimals beyond what the rounding needs only decide ties; keep enough of them.
            fraction = fraction * 10 + (c - '0');
            fractionScale *= 10;
        }
    }
    if (digits == 0)
        return std::nullopt;

    Wide raw = whole * Scale + divideHalfEven(fraction * Scale, fractionScale);
    if (negative)
        raw = -raw;
    if (!fits(raw))
        return std::nullopt;
    return Currency(static_cast<std::int64_t>(raw));
}

std::optional<Currency> Currency::add(Currency a, Currency b)
{
    const Wide sum = Wide(a.m_raw) + b.m_raw;
    if (!fits(sum))
        return std::nullopt;
    return Currency(static_cast<std::int64_t>(sum));
}

std::optional<Currency> Currency::subtract(Currency a, Currency b)
{
    const Wide difference = Wide(a.m_raw) - b.m_raw;
    if (!fits(difference))
        return std::nullopt;
    return Currency(static_cast<std::int64_t>(difference));
}

std::optional<Currency> Currency::multiply(Currency a, Currency b)
{
    const Wide product = divideHalfEven(Wide(a.m_raw) * b.m_raw, Scale);
    if (!fits(product))
        return std::nullopt;
    return Currency(static_cast<std::int64_t>(product));
}

Currency Currency::percentRound2(Currency product)
{
    return Currency(static_cast<std::int64_t>(divideHalfEven(product.m_raw, Scale) * 100));
}

Currency Currency::round2() const
{
    return Currency(static_cast<std::int64_t>(divideHalfEven(m_raw, 100) * 100));
}

std::string Currency::plainText() const
{
    const bool negative = m_raw < 0;
    // Through unsigned arithmetic so that the smallest value has a magnitude too.
    const std::uint64_t magnitude
        = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(m_raw) : static_cast<std::uint64_t>(m_raw);
    std::string text = std::to_string(magnitude / Scale);
    std::uint64_t fraction = magnitude % Scale;
    if (fraction != 0) {
        std::string decimals = std::to_string(fraction);
        decimals.insert(0, 4 - decimals.size(), '0');
        while (decimals.back() == '0')
            decimals.pop_back();
        text += ',';
        text += decimals;
    }
    if (negative)
        text.insert(0, 1, '-');
    return text;
}

std::string twoDecimalText(std::string_view text)
{
    std::string result(text);
    const std::size_t n = result.size();
    if (n == 0)
        return result;
    if (n >= 3 && result[n - 3] == ',')
        return result;
    if (n >= 2 && result[n - 2] == ',')
        return result + "0";
    if (result.find(',') == std::string::npos)
        return result + ",00";
    return result;
}

std::string moneyText(Currency value)
{
    const std::string text = twoDecimalText(value.round2().plainText());
    return text == "0,00" ? std::string() : text;
}
