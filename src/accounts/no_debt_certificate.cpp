#include "accounts/no_debt_certificate.h"

#include <charconv>

namespace ledger {

std::optional<CertificateCheck> checkNoDebt(const RecordTable& table, int record)
{
    if (record < 1 || record > table.recordCount())
        return std::nullopt;
    CertificateCheck check;
    const std::optional<DataSpan> span = dataSpan(table, record);
    if (!span) {
        check.refusal = "Справка не выдана: на лицевом счёте нет ни одного месяца с данными.";
        return check;
    }
    check.from = span->first;
    check.to = span->last;
    const std::optional<Act> act = reconciliation(table, record, span->first, span->last);
    check.balance = act ? act->closing : Currency();
    check.issued = check.balance <= Currency();
    if (!check.issued)
        check.refusal = "Справка не выдана: задолженность " + amountText(check.balance) + " р. на "
            + monthEndDate(check.to) + ".";
    return check;
}

std::string certificateNumber(int year, int number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return std::to_string(year) + "-" + digits;
}

int nextCertificateNumber(std::string_view lastGiven)
{
    const std::size_t start = lastGiven.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return 1;
    const std::string_view text = lastGiven.substr(start, lastGiven.find_last_not_of(' ') - start + 1);
    int last = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), last);
    if (error != std::errc() || end != text.data() + text.size() || last < 0 || last >= 999999)
        return 1;
    return last + 1;
}

CertificateText certificateText(
    const RecordTable& table, int record, const CertificateCheck& check, const CertificateFacts& facts)
{
    CertificateText text;
    text.title = "СПРАВКА";
    text.subtitle = "об отсутствии задолженности";
    text.numberLine
        = "№ " + (facts.number.empty() ? std::string("__________") : facts.number) + " от " + facts.issueDate;

    const std::string name(table.field(record, fields::FullName));
    const std::string number(table.field(record, fields::Number));
    const std::string address(table.field(record, fields::Address));
    // The name stays as the directory writes it: a sentence that needs no other case of it.
    std::string whom = "Абонент " + name + " (лицевой счёт № " + number;
    if (!address.empty())
        whom += ", участок: " + address;
    whom += ") по состоянию на " + monthEndDate(check.to) + " задолженности по оплате электроэнергии";
    if (!facts.partnership.empty())
        whom += " перед " + facts.partnership;
    whom += " не имеет.";
    text.paragraphs.push_back(whom);
    text.paragraphs.push_back(
        "Проверен период с " + monthStartDate(check.from) + " по " + monthEndDate(check.to) + ".");
    if (check.balance.round2().isNegative())
        text.paragraphs.push_back(balanceSentence(check.balance, monthEndDate(check.to)) + ".");
    text.paragraphs.push_back("Справка выдана для предъявления по месту требования.");
    return text;
}

} // namespace ledger
