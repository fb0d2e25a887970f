#include "accounts/debt_papers.h"

#include "documents/amount_words.h"
#include "documents/payment_qr.h"

#include <algorithm>

namespace documents {

const char* const DefaultClaimTemplate
    = "Уважаемый(-ая) {ФИО}!\n"
      "\n"
      "По данным учёта товарищества на {дата} за Вами как владельцем участка по адресу: {адрес}, "
      "числится задолженность по оплате электроэнергии за {месяцы} в размере {долг} ({долг прописью}).\n"
      "\n"
      "Согласно статьям 309, 310 и 544 Гражданского кодекса Российской Федерации обязательства должны "
      "исполняться надлежащим образом, односторонний отказ от их исполнения не допускается, а "
      "потреблённая энергия оплачивается в полном объёме.\n"
      "\n"
      "Просим погасить задолженность в течение 10 (десяти) календарных дней со дня получения настоящей "
      "претензии. Если задолженность не будет погашена в этот срок, товарищество будет вынуждено "
      "обратиться в суд с требованием о взыскании задолженности, пеней и судебных расходов.\n"
      "\n"
      "Если задолженность уже погашена, просим считать эту претензию недействительной.";

namespace {

bool isField(std::string_view text)
{
    return std::find(ClaimFields.begin(), ClaimFields.end(), text) != ClaimFields.end();
}

// The end of the field that opens at `at` ("{" … "}" on one line, with no "{" inside); npos when
// the brace opens none.
std::size_t fieldEnd(std::string_view text, std::size_t at)
{
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == '}')
            return i + 1;
        if (text[i] == '{' || text[i] == '\n' || text[i] == '\r')
            return std::string_view::npos;
    }
    return std::string_view::npos;
}

std::string fact(std::string_view field, const ClaimFacts& facts)
{
    if (field == "{ФИО}")
        return facts.fullName;
    if (field == "{адрес}")
        return facts.address.empty() ? "—" : facts.address;
    if (field == "{долг}")
        return amountText(facts.debt) + " р.";
    if (field == "{долг прописью}")
        return roublesInWords(facts.debt);
    if (field == "{месяцы}")
        return facts.months;
    if (field == "{дата}")
        return facts.date;
    return std::to_string(facts.number);
}

std::string_view lowerMonth(int month)
{
    return fields::MonthNamesLower[std::size_t(month - 1)];
}

std::string trimmedCopy(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

std::string filledTemplate(std::string_view text, const ClaimFacts& facts)
{
    std::string result;
    result.reserve(text.size() + 256);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        if (open == std::string_view::npos) {
            result += text.substr(at);
            break;
        }
        result += text.substr(at, open - at);
        const std::size_t end = fieldEnd(text, open);
        if (end != std::string_view::npos && isField(text.substr(open, end - open))) {
            std::string value = fact(text.substr(open, end - open), facts);
            // "за {месяцы}." reads "за март 2026 г.", not "г..".
            if (!value.empty() && value.back() == '.' && end < text.size() && text[end] == '.')
                value.pop_back();
            result += value;
            at = end;
        } else {
            result += '{';
            at = open + 1;
        }
    }
    return result;
}

std::vector<std::string> unknownFields(std::string_view text)
{
    std::vector<std::string> unknown;
    for (std::size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
        const std::size_t end = fieldEnd(text, open);
        if (end == std::string_view::npos)
            continue;
        const std::string field(text.substr(open, end - open));
        if (!isField(field) && std::find(unknown.begin(), unknown.end(), field) == unknown.end())
            unknown.push_back(field);
    }
    return unknown;
}

std::string amountText(Currency amount)
{
    const std::int64_t kopecks = amount.round2().raw() / (Currency::Scale / 100);
    const std::uint64_t magnitude = kopecks < 0 ? std::uint64_t(-(kopecks + 1)) + 1 : std::uint64_t(kopecks);
    const std::string roubles = std::to_string(magnitude / 100);
    std::string grouped;
    for (std::size_t i = 0; i < roubles.size(); ++i) {
        if (i > 0 && (roubles.size() - i) % 3 == 0)
            grouped += ' ';
        grouped += roubles[i];
    }
    const unsigned cents = unsigned(magnitude % 100);
    return (kopecks < 0 ? "-" : "") + grouped + ',' + char('0' + cents / 10) + char('0' + cents % 10);
}

std::string monthCaption(fields::YearMonth month)
{
    return std::string(fields::MonthNames[std::size_t(month.month - 1)]) + ' ' + std::to_string(month.year);
}

std::string monthsText(const std::vector<ledger::DebtMonth>& months)
{
    std::string text;
    std::size_t i = 0;
    while (i < months.size()) {
        // The months of one year, in runs of months that follow each other.
        const int year = months[i].month.year;
        std::string yearText;
        while (i < months.size() && months[i].month.year == year) {
            std::size_t j = i;
            while (j + 1 < months.size() && months[j + 1].month.year == year
                && months[j + 1].month.month == months[j].month.month + 1)
                ++j;
            if (!yearText.empty())
                yearText += ", ";
            const std::size_t run = j - i + 1;
            if (run >= 3)
                yearText += std::string(lowerMonth(months[i].month.month)) + " – "
                    + std::string(lowerMonth(months[j].month.month));
            else
                for (std::size_t k = i; k <= j; ++k)
                    yearText += (k > i ? ", " : "") + std::string(lowerMonth(months[k].month.month));
            i = j + 1;
        }
        if (!text.empty())
            text += ", ";
        text += yearText + ' ' + std::to_string(year) + " г.";
    }
    if (!months.empty() && months.front().withEarlier)
        text += " и ранее";
    return text;
}

DebtPaper debtPaper(const RecordTable& table, int record, const ledger::LedgerMonth& month,
    const penalty::Rule& rule, penalty::Date date)
{
    DebtPaper paper;
    paper.record = record;
    paper.number = trimmedCopy(table.field(record, fields::Number));
    paper.fullName = trimmedCopy(table.field(record, fields::FullName));
    paper.address = trimmedCopy(table.field(record, fields::Address));
    paper.month = month;
    paper.debt = ledger::debtMonths(table, record, month);
    paper.rule = rule;
    paper.penalties = penalty::penalties(paper.debt.months, rule, date);
    paper.date = date;
    return paper;
}

std::vector<PaperRow> paperRows(const DebtPaper& paper, std::size_t most)
{
    const std::vector<ledger::DebtMonth>& months = paper.debt.months;
    const auto penaltyOf = [&paper](fields::YearMonth month) -> const penalty::MonthPenalty* {
        for (const penalty::MonthPenalty& p : paper.penalties.months)
            if (p.month == month)
                return &p;
        return nullptr;
    };
    std::vector<PaperRow> rows;
    // The months that do not fit go together into the first line.
    const std::size_t together = most > 0 && months.size() > most ? months.size() - most + 1 : 0;
    if (together > 0) {
        PaperRow first;
        first.caption = monthCaption(months.front().month) + " – " + monthCaption(months[together - 1].month);
        for (std::size_t i = 0; i < together; ++i) {
            first.debt = Currency::add(first.debt, months[i].debt).value_or(first.debt);
            if (const penalty::MonthPenalty* p = penaltyOf(months[i].month))
                first.penalty = Currency::add(first.penalty, p->penalty).value_or(first.penalty);
        }
        if (months.front().withEarlier)
            first.caption += " и ранее";
        rows.push_back(first);
    }
    for (std::size_t i = together; i < months.size(); ++i) {
        PaperRow row;
        row.caption = monthCaption(months[i].month);
        if (months[i].withEarlier)
            row.caption += " и ранее";
        row.debt = months[i].debt;
        if (const penalty::MonthPenalty* p = penaltyOf(months[i].month)) {
            row.days = p->days;
            row.penalty = p->penalty;
        }
        rows.push_back(row);
    }
    return rows;
}

std::string noticePurpose(const DebtPaper& paper)
{
    PaymentFacts facts{ moneyText(paper.debt.total), paper.number, paper.fullName, 0, {} };
    return paymentPurpose("Задолженность за электроэнергию на "
            + penalty::dateText(penalty::lastDayOf({ paper.month.year, paper.month.month }))
            + ", {ФИО}, л/с {номер}",
        facts);
}

std::string noticePayload(const PayeeDetails& payee, const DebtPaper& paper)
{
    PayeeDetails details = payee;
    details.purpose = noticePurpose(paper);
    // The purpose is already filled in: braces a subscriber's name might bring stay as they are.
    const PaymentFacts facts{ moneyText(paper.debt.total), paper.number, paper.fullName, 0, {} };
    return paymentPayload(details, facts);
}

ClaimFacts claimFacts(const DebtPaper& paper, int number)
{
    return { paper.fullName, paper.address, paper.debt.total, monthsText(paper.debt.months),
        penalty::dateText(paper.date), number };
}

} // namespace documents
