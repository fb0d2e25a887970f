#include "documents/payee.h"

#include <algorithm>
#include <array>

namespace documents {

namespace {

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool digitsOfLength(std::string_view text, std::size_t length)
{
    return text.size() == length && allDigits(text);
}

bool blank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool keyValid(std::string_view prefix, std::string_view account)
{
    if (!digitsOfLength(account, 20))
        return false;
    constexpr std::array<int, 3> weights = { 7, 1, 3 };
    int sum = 0;
    int position = 0;
    for (std::string_view part : { prefix, account }) {
        for (char c : part)
            sum += (c - '0') * weights[position++ % 3];
    }
    return sum % 10 == 0;
}

int innCheckDigit(std::string_view inn, const int* weights, std::size_t count)
{
    int sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += (inn[i] - '0') * weights[i];
    return sum % 11 % 10;
}

std::string fault(std::string_view caption, std::string_view what)
{
    return std::string(caption) + ": " + std::string(what);
}

} // namespace

std::size_t utf8Length(std::string_view text)
{
    // Every byte that is not a continuation byte starts a character.
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool accountKeyValid(std::string_view bic, std::string_view account)
{
    return digitsOfLength(bic, 9) && keyValid(bic.substr(6, 3), account);
}

bool correspondentKeyValid(std::string_view bic, std::string_view account)
{
    if (!digitsOfLength(bic, 9))
        return false;
    const std::string prefix = "0" + std::string(bic.substr(4, 2));
    return keyValid(prefix, account);
}

bool innValid(std::string_view inn)
{
    static constexpr int w10[] = { 2, 4, 10, 3, 5, 9, 4, 6, 8 };
    static constexpr int w11[] = { 7, 2, 4, 10, 3, 5, 9, 4, 6, 8 };
    static constexpr int w12[] = { 3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8 };
    if (!allDigits(inn))
        return false;
    if (inn.size() == 10)
        return innCheckDigit(inn, w10, 9) == inn[9] - '0';
    if (inn.size() == 12)
        return innCheckDigit(inn, w11, 10) == inn[10] - '0' && innCheckDigit(inn, w12, 11) == inn[11] - '0';
    return false;
}

namespace {

std::string tooLong(std::size_t most, std::string_view text)
{
    return "не более " + std::to_string(most) + " символов, сейчас " + std::to_string(utf8Length(text)) + ".";
}

constexpr std::string_view NameCaption = "Наименование получателя";
constexpr std::string_view AccountCaption = "Расчетный счет";
constexpr std::string_view BankCaption = "Наименование банка";
constexpr std::string_view BicCaption = "БИК";
constexpr std::string_view CorrespCaption = "Корреспондентский счет";
constexpr std::string_view InnCaption = "ИНН";
constexpr std::string_view KppCaption = "КПП";
constexpr std::string_view PurposeCaption = "Назначение платежа";

struct FieldOf
{
    std::string_view caption;
    std::string PayeeDetails::*member;
    bool number; // typed with blanks between groups of digits
};

// In the order of the window.
constexpr std::array<FieldOf, 8> Fields = { {
    { NameCaption, &PayeeDetails::name, false },
    { AccountCaption, &PayeeDetails::personalAcc, true },
    { BankCaption, &PayeeDetails::bankName, false },
    { BicCaption, &PayeeDetails::bic, true },
    { CorrespCaption, &PayeeDetails::correspAcc, true },
    { InnCaption, &PayeeDetails::payeeInn, true },
    { KppCaption, &PayeeDetails::kpp, true },
    { PurposeCaption, &PayeeDetails::purpose, false },
} };

// The length in bytes of the blank that starts at `at`, 0 when there is none: the ASCII ones and
// the Unicode spaces and line separators (a no-break space copied from a bank's letter among
// them).
std::size_t blankAt(std::string_view text, std::size_t at)
{
    const auto byte
        = [&](std::size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0; };
    const unsigned char c = byte(0);
    if (c == ' ' || (c >= 0x09 && c <= 0x0D))
        return 1;
    if (c == 0xC2 && (byte(1) == 0x85 || byte(1) == 0xA0))
        return 2;
    if (c == 0xE1 && byte(1) == 0x9A && byte(2) == 0x80)
        return 3;
    if (c == 0xE2 && byte(1) == 0x80
        && ((byte(2) >= 0x80 && byte(2) <= 0x8A) || byte(2) == 0xA8 || byte(2) == 0xA9 || byte(2) == 0xAF))
        return 3;
    if (c == 0xE2 && byte(1) == 0x81 && byte(2) == 0x9F)
        return 3;
    if (c == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80)
        return 3;
    return 0;
}

std::string withoutBlanks(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t n = blankAt(text, i)) {
            i += n;
            continue;
        }
        result += text[i++];
    }
    return result;
}

std::string trimmed(std::string_view text)
{
    std::size_t begin = 0;
    while (const std::size_t n = blankAt(text, begin))
        begin += n;
    std::size_t end = begin;
    for (std::size_t i = begin; i < text.size();) {
        if (const std::size_t n = blankAt(text, i)) {
            i += n;
            continue;
        }
        i += 1;
        end = i;
    }
    return std::string(text.substr(begin, end - begin));
}

// A control character (a line break, a tab, …) or a Unicode line separator: a line break in the
// purpose would end the payment code's text there, and the bank read only its first line.
bool holdsControl(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return true;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85)
            return true;
        if (text.compare(i, 3, "\xE2\x80\xA8") == 0 || text.compare(i, 3, "\xE2\x80\xA9") == 0)
            return true;
    }
    return false;
}

// What no field may hold: the payment code's separator, and line breaks.
std::optional<std::string> characterFault(const PayeeDetails& d)
{
    for (const FieldOf& f : Fields) {
        const std::string& value = d.*f.member;
        if (value.find('|') != std::string::npos)
            return fault(f.caption, "знак «|» недопустим.");
        if (holdsControl(value))
            return fault(f.caption, "перевод строки и другие управляющие символы недопустимы.");
    }
    return std::nullopt;
}

} // namespace

PayeeDetails cleanedPayee(const PayeeDetails& details)
{
    PayeeDetails result = details;
    for (const FieldOf& f : Fields)
        result.*f.member = f.number ? withoutBlanks(details.*f.member) : trimmed(details.*f.member);
    return result;
}

std::optional<std::string> payeeFault(const PayeeDetails& d)
{
    if (auto f = characterFault(d))
        return f;
    if (blank(d.name))
        return fault(NameCaption, "не заполнено.");
    if (utf8Length(d.name) > MaxNameLength)
        return fault(NameCaption, tooLong(MaxNameLength, d.name));
    if (!digitsOfLength(d.personalAcc, 20))
        return fault(AccountCaption, "должен состоять из 20 цифр.");
    if (blank(d.bankName))
        return fault(BankCaption, "не заполнено.");
    if (utf8Length(d.bankName) > MaxBankNameLength)
        return fault(BankCaption, tooLong(MaxBankNameLength, d.bankName));
    if (!digitsOfLength(d.bic, 9))
        return fault(BicCaption, "должен состоять из 9 цифр.");
    // The key ties the account to the bank: a mistyped digit in either shows here.
    if (!accountKeyValid(d.bic, d.personalAcc))
        return fault(
            AccountCaption, "не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК.");
    if (!digitsOfLength(d.correspAcc, 20))
        return fault(CorrespCaption, "должен состоять из 20 цифр.");
    if (!correspondentKeyValid(d.bic, d.correspAcc))
        return fault(
            CorrespCaption, "не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК.");
    if (!digitsOfLength(d.payeeInn, 10) && !digitsOfLength(d.payeeInn, 12))
        return fault(InnCaption, "должен состоять из 10 цифр (организация) или 12 цифр (физическое лицо).");
    if (!innValid(d.payeeInn))
        return fault(InnCaption, "неверные контрольные цифры. Проверьте номер.");
    if (!d.kpp.empty() && !digitsOfLength(d.kpp, 9))
        return fault(KppCaption, "должен состоять из 9 цифр или остаться пустым.");
    if (blank(d.purpose))
        return fault(PurposeCaption, "не заполнено.");
    if (utf8Length(d.purpose) > MaxPurposeLength)
        return fault(PurposeCaption, tooLong(MaxPurposeLength, d.purpose));
    return std::nullopt;
}

bool payeeComplete(const PayeeDetails& details)
{
    return !payeeFault(details);
}

bool payeeBlank(const PayeeDetails& d)
{
    for (const FieldOf& f : Fields) {
        if (f.member != &PayeeDetails::purpose && !(d.*f.member).empty())
            return false;
    }
    return d.purpose.empty() || d.purpose == DefaultPurpose;
}

} // namespace documents
