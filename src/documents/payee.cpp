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

// The faults of the fields that a QR code cannot do without, in the window's order.
std::optional<std::string> mandatoryFault(const PayeeDetails& d)
{
    static constexpr std::string_view Name = "Наименование получателя";
    static constexpr std::string_view Account = "Расчетный счет";
    static constexpr std::string_view Bank = "Наименование банка";
    static constexpr std::string_view Bic = "БИК";
    static constexpr std::string_view Corresp = "Корреспондентский счет";
    static constexpr std::string_view Inn = "ИНН";

    if (blank(d.name))
        return fault(Name, "не заполнено.");
    if (utf8Length(d.name) > MaxNameLength)
        return fault(Name, tooLong(MaxNameLength, d.name));
    if (!digitsOfLength(d.personalAcc, 20))
        return fault(Account, "должен состоять из 20 цифр.");
    if (blank(d.bankName))
        return fault(Bank, "не заполнено.");
    if (utf8Length(d.bankName) > MaxBankNameLength)
        return fault(Bank, tooLong(MaxBankNameLength, d.bankName));
    if (!digitsOfLength(d.bic, 9))
        return fault(Bic, "должен состоять из 9 цифр.");
    // The key ties the account to the bank: a mistyped digit in either shows here.
    if (!accountKeyValid(d.bic, d.personalAcc))
        return fault(Account, "не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК.");
    if (!digitsOfLength(d.correspAcc, 20))
        return fault(Corresp, "должен состоять из 20 цифр.");
    if (!correspondentKeyValid(d.bic, d.correspAcc))
        return fault(Corresp, "не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК.");
    if (!digitsOfLength(d.payeeInn, 10) && !digitsOfLength(d.payeeInn, 12))
        return fault(Inn, "должен состоять из 10 цифр (организация) или 12 цифр (физическое лицо).");
    if (!innValid(d.payeeInn))
        return fault(Inn, "неверные контрольные цифры. Проверьте номер.");
    return std::nullopt;
}

} // namespace

std::optional<std::string> payeeFault(const PayeeDetails& d)
{
    if (auto f = mandatoryFault(d))
        return f;
    if (!d.kpp.empty() && !digitsOfLength(d.kpp, 9))
        return fault("КПП", "должен состоять из 9 цифр или остаться пустым.");
    if (blank(d.purpose))
        return fault("Назначение платежа", "не заполнено.");
    if (utf8Length(d.purpose) > MaxPurposeLength)
        return fault("Назначение платежа", tooLong(MaxPurposeLength, d.purpose));
    return std::nullopt;
}

bool payeeComplete(const PayeeDetails& details)
{
    return !mandatoryFault(details);
}

} // namespace documents
