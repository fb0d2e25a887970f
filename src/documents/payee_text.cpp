#include "documents/payee_text.h"

namespace documents {

namespace {

// Printed text stays on its line: a settings file edited by hand may hold a line break.
std::string oneLine(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        result += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    return result;
}

} // namespace

std::vector<PayeeLine> payeeLines(const PayeeDetails& details, const std::string& purpose)
{
    if (!payeeComplete(details))
        return {};
    std::vector<PayeeLine> lines;
    lines.push_back({ "Получатель:", oneLine(details.name) });
    lines.push_back({ details.kpp.empty() ? "ИНН:" : "ИНН / КПП:",
        details.kpp.empty() ? details.payeeInn : details.payeeInn + " / " + details.kpp });
    lines.push_back({ "Р/с:", details.personalAcc });
    lines.push_back({ "Банк:", oneLine(details.bankName) });
    lines.push_back({ "БИК:", details.bic });
    lines.push_back({ "Корр. счёт:", details.correspAcc });
    if (!purpose.empty())
        lines.push_back({ "Назначение платежа:", oneLine(purpose) });
    return lines;
}

std::vector<PayeeLine> payeeLines(const PayeeDetails& details, const PaymentFacts& facts)
{
    return payeeLines(details, paymentPurpose(details.purpose, facts));
}

std::vector<std::string> payeeTextLines(const std::vector<PayeeLine>& lines)
{
    std::vector<std::string> result;
    result.reserve(lines.size());
    for (const PayeeLine& line : lines)
        result.push_back(line.caption + " " + line.value);
    return result;
}

} // namespace documents
