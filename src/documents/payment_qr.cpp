#include "documents/payment_qr.h"

#include "database/field_map.h"
#include "database/money.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace documents {

namespace {

// The payload's parts are separated by "|", and a scanner may take a line break for the end of
// the text: a value never carries either. The payee's details are refused with them; what comes
// from the subscriber's record is cleaned here.
std::string withoutBars(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '|')
            continue;
        const auto byte = static_cast<unsigned char>(c);
        result += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    return result;
}

bool continuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string trimmedRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// At most `bytes` bytes, never half a character.
std::string cutToBytes(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && continuationByte(text[end]))
        --end;
    return trimmedRight(text.substr(0, end));
}

// At most `characters` characters.
std::string cutToCharacters(const std::string& text, std::size_t characters)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!continuationByte(text[i]) && count++ == characters)
            return trimmedRight(text.substr(0, i));
    }
    return text;
}

void replaceAll(std::string& text, std::string_view what, std::string_view with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// The code points of a UTF-8 text; a broken sequence gives 0xFFFD.
std::vector<char32_t> codePoints(std::string_view text)
{
    std::vector<char32_t> result;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6       ? 2
            : (lead >> 4) == 0xE       ? 3
            : (lead >> 3) == 0x1E      ? 4
                                       : 0;
        if (length == 0 || i + length > text.size()) {
            result.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        result.push_back(c);
        i += length;
    }
    return result;
}

bool isLetter(char32_t c)
{
    return (c >= U'А' && c <= U'я') || c == U'Ё' || c == U'ё' || (c >= U'A' && c <= U'Z')
        || (c >= U'a' && c <= U'z');
}

// A word of letters, a hyphen allowed between two of them ("Римская-Корсакова").
bool wordOfLetters(std::string_view word)
{
    const std::vector<char32_t> chars = codePoints(word);
    if (chars.empty())
        return false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (isLetter(chars[i]))
            continue;
        if (chars[i] == U'-' && i > 0 && i + 1 < chars.size() && isLetter(chars[i - 1])
            && isLetter(chars[i + 1]))
            continue;
        return false;
    }
    return true;
}

// Surname, first name and patronymic, when the full name is exactly these three words.
std::optional<std::array<std::string, 3>> splitName(std::string_view fullName)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < fullName.size()) {
        const std::size_t start = fullName.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(fullName.find(' ', start), fullName.size());
        words.emplace_back(fullName.substr(start, end - start));
        at = end;
    }
    if (words.size() != 3)
        return std::nullopt;
    for (const std::string& word : words)
        if (!wordOfLetters(word))
            return std::nullopt;
    return std::array<std::string, 3>{ words[0], words[1], words[2] };
}

// The total as the receipt shows it, thousands spaced or not, in kopecks.
std::optional<std::int64_t> kopecks(std::string_view total)
{
    std::string plain;
    for (std::size_t i = 0; i < total.size(); ++i) {
        if (total[i] == ' ')
            continue;
        if (total.compare(i, 2, "\xC2\xA0") == 0) { // a no-break space
            ++i;
            continue;
        }
        if (total.compare(i, 3, "\xE2\x80\xAF") == 0) { // a narrow no-break space
            i += 2;
            continue;
        }
        plain += total[i];
    }
    const std::optional<Currency> amount = Currency::parse(plain);
    if (!amount)
        return std::nullopt;
    return amount->round2().raw() / (Currency::Scale / 100);
}

std::string twoDigits(int n)
{
    return std::string(1, char('0' + n / 10)) + char('0' + n % 10);
}

bool fourDigitYear(std::string_view year)
{
    return year.size() == 4
        && std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The banking apps read at most this much of the mandatory block Name … CorrespAcc, and of the purpose.
constexpr std::size_t MandatoryBlockBytes = 300;
constexpr std::size_t PurposeCharacters = 160;

} // namespace

std::string paymentPurpose(const std::string& purposeTemplate, const PaymentFacts& facts)
{
    std::string text = purposeTemplate;
    const std::string_view month
        = facts.month >= 1 && facts.month <= 12 ? fields::MonthNamesLower[facts.month - 1] : "";
    replaceAll(text, "{месяц}", month);
    replaceAll(text, "{год}", facts.year);
    replaceAll(text, "{ФИО}", facts.fullName);
    replaceAll(text, "{номер}", facts.record);
    return text;
}

std::string paymentPayload(const PayeeDetails& details, const PaymentFacts& facts)
{
    if (!payeeComplete(details))
        return {};
    const std::optional<std::int64_t> sum = kopecks(facts.total);
    if (!sum || *sum <= 0)
        return {};

    std::string name = withoutBars(details.name);
    std::string bankName = withoutBars(details.bankName);
    const std::string account = withoutBars(details.personalAcc);
    const std::string bic = withoutBars(details.bic);
    const std::string corresp = withoutBars(details.correspAcc);
    // The block's keys and fixed-length values; the two names share what is left, the bank keeping
    // up to half of it and the association's name taking the rest.
    const std::size_t fixed = std::string_view("Name=|PersonalAcc=|BankName=|BIC=|CorrespAcc=").size()
        + account.size() + bic.size() + corresp.size();
    const std::size_t room = MandatoryBlockBytes > fixed ? MandatoryBlockBytes - fixed : 0;
    if (name.size() + bankName.size() > room) {
        const std::size_t bankRoom = std::max(room / 2, room > name.size() ? room - name.size() : 0);
        bankName = cutToBytes(bankName, bankRoom);
        name = cutToBytes(name, room - bankName.size());
    }

    std::string payload = "ST00012";
    const auto add = [&payload](std::string_view key, const std::string& value) {
        payload += '|';
        payload += key;
        payload += '=';
        payload += value;
    };
    const auto addIfAny = [&add](std::string_view key, const std::string& value) {
        if (!value.empty())
            add(key, value);
    };
    add("Name", name);
    add("PersonalAcc", account);
    add("BankName", bankName);
    add("BIC", bic);
    add("CorrespAcc", corresp);
    add("PayeeINN", withoutBars(details.payeeInn));
    addIfAny("KPP", withoutBars(details.kpp));
    add("Sum", std::to_string(*sum));
    addIfAny(
        "Purpose", cutToCharacters(withoutBars(paymentPurpose(details.purpose, facts)), PurposeCharacters));
    addIfAny("PersAcc", withoutBars(facts.record));
    if (const auto names = splitName(withoutBars(facts.fullName))) {
        add("LastName", (*names)[0]);
        add("FirstName", (*names)[1]);
        add("MiddleName", (*names)[2]);
    }
    if (facts.month >= 1 && facts.month <= 12 && fourDigitYear(facts.year))
        add("PaymPeriod", twoDigits(facts.month) + facts.year);
    return payload;
}

} // namespace documents
