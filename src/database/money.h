#pragma once

// Money and quantities of the whole program: a fixed-point value counting ten-thousandths, as the
// cells and the database keep amounts with a decimal comma ("399,72", "1,8").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Currency
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(std::int64_t tenThousandths) { return Currency(tenThousandths); }
    static constexpr Currency fromUnits(std::int64_t units) { return Currency(units * Scale); }

    constexpr std::int64_t raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }
    double toDouble() const { return static_cast<double>(m_raw) / Scale; }

    // A plain decimal number with a decimal comma and an optional leading minus ("12", "-3,5",
    // "0,25"); blanks around it are allowed. Anything else, or a value out of range, does not
    // convert. More than four decimals round half to even.
    static std::optional<Currency> parse(std::string_view text);
    // The value of a cell for a computation: what does not convert counts as 0.
    static Currency parseOrZero(std::string_view text) { return parse(text).value_or(Currency()); }

    // Checked arithmetic: no value on overflow.
    static std::optional<Currency> add(Currency a, Currency b);
    static std::optional<Currency> subtract(Currency a, Currency b);
    // The product keeps four decimals (half to even).
    static std::optional<Currency> multiply(Currency a, Currency b);
    // product / 100 rounded to two decimals, halves to even, decided on the exact quotient: a
    // percentage of an amount ((117,25 × 2) / 100 = 2,345 → 2,34).
    static Currency percentRound2(Currency product);

    // Rounded to two decimals, halves to the even neighbour (2,345 → 2,34; 2,355 → 2,36).
    Currency round2() const;

    // Shortest decimal form: comma, no thousands separator, "-" for negatives, no trailing zeros
    // ("8649", "42,25", "1234,5", "0").
    std::string plainText() const;

    friend constexpr bool operator==(Currency a, Currency b) { return a.m_raw == b.m_raw; }
    friend constexpr bool operator<(Currency a, Currency b) { return a.m_raw < b.m_raw; }
    friend constexpr bool operator<=(Currency a, Currency b) { return a.m_raw <= b.m_raw; }
    friend constexpr bool operator>(Currency a, Currency b) { return a.m_raw > b.m_raw; }

private:
    constexpr explicit Currency(std::int64_t raw) : m_raw(raw) { }
    std::int64_t m_raw = 0;
};

// The two-decimal text rule of the sheet, the ledger and the receipt: a text whose third character
// from the right is "," stays; "0" is appended when the second from the right is ","; ",00" when
// there is no "," at all; anything else, and the empty text, stays as it is.
std::string twoDecimalText(std::string_view text);

// Money text as the ledger keeps it: two decimals, and zero as the empty text.
std::string moneyText(Currency value);
