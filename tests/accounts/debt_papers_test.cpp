#include "accounts/debt_papers.h"

#include <gtest/gtest.h>

namespace {

using namespace documents;
using namespace std::chrono;

Currency amount(const char* text)
{
    return Currency::parse(text).value();
}

ClaimFacts facts()
{
    return { "Петрова Клавдия Львовна", "ул. Садовая, уч. 12", amount("1234,56"), "январь – март 2026 г.",
        "15.04.2026", 7 };
}

TEST(ClaimTemplate, EveryFieldTakesItsFact)
{
    const std::string text
        = filledTemplate("{ФИО}|{адрес}|{долг}|{долг прописью}|{месяцы}|{дата}|{номер}", facts());
    EXPECT_EQ(text,
        "Петрова Клавдия Львовна|ул. Садовая, уч. 12|1 234,56 р.|одна тысяча двести тридцать "
        "четыре рубля 56 копеек|январь – март 2026 г.|15.04.2026|7");
}

TEST(ClaimTemplate, UnknownFieldsStayAsTypedAndAreNamedOnce)
{
    const std::string typed = "{фио}, {ФИО}: {сумма} {сумма} {долг {номер} { незакрытая\n{} }";
    ClaimFacts f = facts();
    f.fullName = "{номер}"; // what a fact brings is no field
    EXPECT_EQ(filledTemplate(typed, f), "{фио}, {номер}: {сумма} {сумма} {долг 7 { незакрытая\n{} }");
    EXPECT_EQ(unknownFields(typed), (std::vector<std::string>{ "{фио}", "{сумма}", "{}" }));
    EXPECT_TRUE(unknownFields(DefaultClaimTemplate).empty());
}

TEST(ClaimTemplate, AFactEndingInAFullStopTakesNoSecondOne)
{
    EXPECT_EQ(filledTemplate("за {месяцы}.", facts()), "за январь – март 2026 г.");
    EXPECT_EQ(filledTemplate("за {месяцы}, долг", facts()), "за январь – март 2026 г., долг");
    EXPECT_EQ(filledTemplate("{долг}.", facts()), "1 234,56 р.");
}

TEST(ClaimTemplate, TheDefaultUsesTheDebtorsFacts)
{
    const std::string text = filledTemplate(DefaultClaimTemplate, facts());
    for (const char* part : { "Петрова Клавдия Львовна", "ул. Садовая, уч. 12", "1 234,56 р.",
             "(одна тысяча двести тридцать четыре рубля 56 копеек)", "за январь – март 2026 г.",
             "15.04.2026" })
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find('{'), std::string::npos);
    ClaimFacts noAddress = facts();
    noAddress.address.clear();
    EXPECT_NE(
        filledTemplate(DefaultClaimTemplate, noAddress).find("по адресу: —, числится"), std::string::npos);
}

TEST(DebtPapers, AmountsWithThousandsSetApart)
{
    EXPECT_EQ(amountText(Currency()), "0,00");
    EXPECT_EQ(amountText(amount("5")), "5,00");
    EXPECT_EQ(amountText(amount("999,999")), "1 000,00");
    EXPECT_EQ(amountText(amount("1234567,5")), "1 234 567,50");
    EXPECT_EQ(amountText(amount("-1234,05")), "-1 234,05");
}

TEST(DebtPapers, MonthsAsASentenceNamesThem)
{
    const auto months = [](std::initializer_list<fields::YearMonth> list, bool earlier = false) {
        std::vector<ledger::DebtMonth> result;
        for (fields::YearMonth m : list)
            result.push_back({ m, amount("1"), false });
        if (earlier)
            result.front().withEarlier = true;
        return monthsText(result);
    };
    EXPECT_EQ(months({ { 2026, 3 } }), "март 2026 г.");
    EXPECT_EQ(months({ { 2026, 2 }, { 2026, 3 } }), "февраль, март 2026 г.");
    EXPECT_EQ(months({ { 2026, 1 }, { 2026, 2 }, { 2026, 3 } }), "январь – март 2026 г.");
    EXPECT_EQ(months({ { 2025, 11 }, { 2025, 12 }, { 2026, 1 }, { 2026, 3 }, { 2026, 4 }, { 2026, 5 } }),
        "ноябрь, декабрь 2025 г., январь, март – май 2026 г.");
    EXPECT_EQ(months({ { 2026, 3 } }, true), "март 2026 г. и ранее");
    EXPECT_EQ(months({}), "");
}

class DebtPaperOfTable : public ::testing::Test
{
protected:
    DebtPaperOfTable()
    {
        table.setRecordCount(1);
        table.set(1, fields::Number, "17");
        table.set(1, fields::FullName, "Петрова Клавдия Львовна");
        table.set(1, fields::Address, "уч. 12");
        for (int m = 1; m <= 4; ++m) {
            const int b = fields::ledgerBaseOfMonth(2026, m);
            table.set(1, b, m == 1 ? "" : std::to_string(100 * (m - 1)) + ",00");
            table.set(1, b - 1, "100,00");
            table.set(1, b + 9, std::to_string(100 * m) + ",00");
        }
    }
    RecordTable table;
};

TEST_F(DebtPaperOfTable, TheNoticesCodeAsksForTheWholeDebt)
{
    const PayeeDetails payee{ "СНТ «Ромашка»", "40702810900000000025", "ПАО «Примербанк»", "044514512",
        "30101817000000000512", "7707083893", "770701001", DefaultPurpose };
    const DebtPaper paper
        = debtPaper(table, 1, ledger::ledgerMonth(2026, 4), penalty::Rule{}, year(2026) / May / day(10));
    EXPECT_EQ(paper.debt.total, amount("400,00"));
    ASSERT_EQ(paper.debt.months.size(), 4u);
    const std::string payload = noticePayload(payee, paper);
    EXPECT_NE(payload.find("|Sum=40000|"), std::string::npos) << payload;
    EXPECT_NE(payload.find("|Purpose=Задолженность за электроэнергию на 30.04.2026, Петрова Клавдия Львовна, "
                           "л/с 17|"),
        std::string::npos)
        << payload;
    EXPECT_EQ(payload.find("PaymPeriod"), std::string::npos);
    // No details good for a code: no code.
    PayeeDetails half = payee;
    half.bic.clear();
    EXPECT_EQ(noticePayload(half, paper), "");
}

TEST_F(DebtPaperOfTable, ALongDebtPutsItsOldestMonthsTogether)
{
    penalty::Rule rule;
    rule.enabled = true; // 0,1 % a day, no grace
    const DebtPaper paper
        = debtPaper(table, 1, ledger::ledgerMonth(2026, 4), rule, year(2026) / May / day(10));
    // Penalties up to 10.05.2026: January 99 days, February 71, March 40, April 10.
    EXPECT_EQ(paper.penalties.total, amount("22,00"));
    const std::vector<PaperRow> rows = paperRows(paper, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].caption, "Январь 2026 – Февраль 2026");
    EXPECT_EQ(rows[0].debt, amount("200,00"));
    EXPECT_EQ(rows[0].penalty, amount("17,00"));
    EXPECT_EQ(rows[1].caption, "Март 2026");
    EXPECT_EQ(rows[1].days, 40);
    EXPECT_EQ(rows[2].penalty, amount("1,00"));
    EXPECT_EQ(paperRows(paper, 10).size(), 4u);
    const ClaimFacts f = claimFacts(paper, 3);
    EXPECT_EQ(f.months, "январь – апрель 2026 г.");
    EXPECT_EQ(f.date, "10.05.2026");
}

} // namespace
