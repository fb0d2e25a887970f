#pragma once

// The association's payment details, typed once in the payee window and printed on every receipt
// as the payment QR code: whom the subscribers pay, into which account of which bank.

#include <optional>
#include <string>
#include <string_view>

namespace documents {

struct PayeeDetails
{
    std::string name, personalAcc, bankName, bic, correspAcc, payeeInn, kpp, purpose;
};

// The payment purpose's template when the treasurer has not written one of their own.
inline constexpr const char* DefaultPurpose = "Электроэнергия за {месяц} {год}, {ФИО}, л/с {номер}";

inline constexpr std::size_t MaxNameLength = 160;
inline constexpr std::size_t MaxBankNameLength = 45;
inline constexpr std::size_t MaxPurposeLength = 210;

// What the payee window keeps of the texts typed or read from the settings: blanks of any kind
// (spaces, no-break spaces, tabs) taken out of the numbers and from around the texts.
PayeeDetails cleanedPayee(const PayeeDetails& details);

// The first fault, in the order the window shows the fields, as the message to show: it begins with
// the field's caption ("Расчетный счет: …"). A "|" or a line break in any field comes first: either
// would break the payment code's text apart. Nothing when all the details pass.
std::optional<std::string> payeeFault(const PayeeDetails& details);
// True when the details are good for a payment QR code: every field passes the window's checks
// (a settings file edited by hand may hold anything).
bool payeeComplete(const PayeeDetails& details);
// True when no details have been given: every field empty but the purpose, which is the default.
bool payeeBlank(const PayeeDetails& details);

// The Bank of Russia's control key: the BIC's last three digits, then the 20-digit account, weighted
// 7 1 3 7 1 3 …, sum divisible by 10.
bool accountKeyValid(std::string_view bic, std::string_view account);
// The same for a bank's correspondent account, with "0" and the BIC's 5th and 6th digits in front.
bool correspondentKeyValid(std::string_view bic, std::string_view account);
// 10 digits (an organisation) or 12 (a person), with their check digits right.
bool innValid(std::string_view inn);

// Characters, not bytes, of a UTF-8 text.
std::size_t utf8Length(std::string_view text);

} // namespace documents
