#include "accounts/no_debt_certificate.h"
#include "accounts/reconciliation.h"

#include "accounts/ledger.h"

#include <gtest/gtest.h>

namespace {

using namespace ledger;

Currency amount(const char* text)
{
    return Currency::parse(text).value();
}

// Two subscribers over October 2030 … March 2031 of a window that has moved on to 2028 … 2035:
// the months go through the ledger's own fill, compute and store, and December is carried into
// January as the carry-over window does.
class Reconciliation : public ::testing::Test
{
protected:
    static constexpr int First = 2028;

    Reconciliation()
    {
        table.setYears(fields::YearWindow(First));
        table.setRecordCount(2);
        table.set(1, fields::Number, "1");
        table.set(1, fields::FullName, "Иванов И. И.");
        table.set(1, fields::Address, "ул. Садовая, 5");
        table.set(2, fields::Number, "2");
        table.set(2, fields::FullName, "Петрова К. Л.");
        table.set(1, fields::ledgerBaseOfMonth(2030, 10), "100,00"); // owing before the period

        // Per month: electricity, electrician, other charges, paid in, other income.
        const char* months[6][5] = {
            { "399,72", "150", "", "500,00", "" },
            { "1234,5", "", "20,00", "", "" },
            { "87,31", "", "", "1000", "5,00" },
            { "210,00", "150,00", "", "", "" },
            { "99,99", "", "", "300,00", "" },
            { "0,01", "", "12,34", "", "" },
        };
        for (int n = 0; n < 6; ++n) {
            const fields::YearMonth m = table.years().at(table.years().ordinal({ 2030, 10 }) + n);
            const int b = fields::ledgerBaseOfMonth(m.year, m.month);
            const int charge = 10 + n; // the readings go up a little every month
            table.set(1, b - 1, months[n][0]);
            table.set(1, b + 3, months[n][1]);
            table.set(1, b + 4, months[n][2]);
            table.set(1, b + 6, months[n][3]);
            table.set(1, b + 8, months[n][4]);
            table.set(1, fields::baseOfMonth(m.year, m.month) + fields::PreviousReading,
                std::to_string(1000 + n * charge));
            table.set(1, fields::baseOfMonth(m.year, m.month) + fields::CurrentReading,
                std::to_string(1000 + (n + 1) * charge));
            table.set(2, b - 1, "50,00");
            table.set(2, b + 6, n == 0 ? "300,00" : "");
            storeMonth(m);
        }
    }

    void storeMonth(fields::YearMonth m)
    {
        const LedgerMonth month = ledgerMonth(m.year, m.month);
        Grid grid;
        fill(table, month, grid);
        compute(grid);
        store(table, month, grid);
        if (m.month == 12)
            transferToJanuary(table, m.year + 1, carryOverRows(grid));
    }

    Currency stored(int record, fields::YearMonth m, int offset) const
    {
        return Currency::parseOrZero(
            table.field(record, fields::ledgerBaseOfMonth(m.year, m.month) + offset));
    }

    RecordTable table;
};

TEST_F(Reconciliation, EveryMonthAgreesWithTheLedgerAcrossTheNewYear)
{
    const std::optional<Act> act = reconciliation(table, 1, { 2030, 10 }, { 2031, 3 });
    ASSERT_TRUE(act);
    ASSERT_EQ(act->months.size(), 6u);
    EXPECT_EQ(act->months[2].month, (fields::YearMonth{ 2030, 12 }));
    EXPECT_EQ(act->months[3].month, (fields::YearMonth{ 2031, 1 }));
    Currency electricity;
    for (const ActMonth& row : act->months) {
        const fields::YearMonth m = row.month;
        SCOPED_TRACE(monthCaption(m));
        EXPECT_TRUE(row.followsPrevious);
        EXPECT_EQ(row.opening, *Currency::subtract(stored(1, m, 0), stored(1, m, 1)));
        EXPECT_EQ(row.electricity, stored(1, m, -1));
        EXPECT_EQ(row.electricianPay, stored(1, m, 3));
        EXPECT_EQ(row.paid, *Currency::add(stored(1, m, 6), stored(1, m, 8)));
        // The ledger's own end balances, as its store left them.
        EXPECT_EQ(row.closing, *Currency::subtract(stored(1, m, 9), stored(1, m, 10)));
        electricity = *Currency::add(electricity, row.electricity);
    }
    EXPECT_EQ(act->opening, amount("100"));
    EXPECT_EQ(act->electricity, electricity);
    // 100 + 2031,53 + 300 + 32,34 − 1805 = 658,87
    EXPECT_EQ(act->closing, amount("658,87"));
    EXPECT_EQ(act->months[0].startReading, "1000");
    EXPECT_EQ(act->months[0].endReading, "1010");
}

TEST_F(Reconciliation, AJanuaryNotCarriedIntoShowsWhereTheLedgerStarts)
{
    table.set(1, fields::ledgerBaseOfMonth(2031, 1), "");
    table.set(1, fields::ledgerBaseOfMonth(2031, 1) + 1, "");
    const std::optional<Act> act = reconciliation(table, 1, { 2030, 11 }, { 2031, 1 });
    ASSERT_TRUE(act);
    EXPECT_TRUE(act->months[1].followsPrevious);
    EXPECT_FALSE(act->months[2].followsPrevious);
    EXPECT_EQ(act->months[2].opening, Currency());
}

TEST_F(Reconciliation, PaymentDatesComeFromTheBankJournalOfTheSameSubscriber)
{
    bank::Journal journal;
    journal.add({ { "1", "05.10.2030", "500,00", "4081" }, 1, 2030, 10, "06.10.2030", "Иванов И. И." });
    journal.add({ { "2", "20.10.2030", "1,00", "4081" }, 1, 2030, 10, "21.10.2030", "Иванов И. И." });
    // The record held someone else then; and another month.
    journal.add({ { "3", "07.10.2030", "9,00", "4082" }, 1, 2030, 10, "08.10.2030", "Сидоров" });
    journal.add({ { "4", "03.12.2030", "1000", "4081" }, 1, 2030, 12, "04.12.2030", "Иванов И. И." });
    const std::optional<Act> act = reconciliation(table, 1, { 2030, 10 }, { 2030, 12 }, &journal);
    ASSERT_TRUE(act);
    EXPECT_EQ(act->months[0].paymentDates, (std::vector<std::string>{ "05.10.2030", "20.10.2030" }));
    EXPECT_TRUE(act->months[1].paymentDates.empty());
    EXPECT_EQ(act->months[2].paymentDates, (std::vector<std::string>{ "03.12.2030" }));
}

TEST_F(Reconciliation, ThePrintedTableShowsEveryMonthTheGapAndTheTotals)
{
    table.set(1, fields::ledgerBaseOfMonth(2031, 1), "");
    bank::Journal journal;
    journal.add({ { "1", "05.10.2030", "499,00", "4081" }, 1, 2030, 10, "06.10.2030", "Иванов И. И." });
    journal.add({ { "2", "20.10.2030", "1,00", "4081" }, 1, 2030, 10, "21.10.2030", "Иванов И. И." });
    const std::optional<Act> act = reconciliation(table, 1, { 2030, 10 }, { 2031, 1 }, &journal);
    ASSERT_TRUE(act);
    const ActTable printed = actTable(*act);
    // Four months, the balance January starts from, the totals.
    ASSERT_EQ(printed.rows.size(), 6u);
    EXPECT_EQ(printed.rows[0],
        (ActRow{ "Октябрь 2030", "1000", "1010", "10,00", "399,72", "150,00", "", "500,00",
            "05.10.2030\n20.10.2030", "149,72" }));
    EXPECT_EQ(printed.lines[0], 2);
    EXPECT_EQ(printed.rows[1][4], "1 234,50");
    EXPECT_EQ(printed.rows[3][0], "Остаток на\n01.01.2031");
    EXPECT_EQ(printed.rows[3][9], "0,00");
    EXPECT_TRUE(printed.emphasised[3]);
    EXPECT_EQ(printed.rows[4][0], "Январь 2031");
    EXPECT_EQ(printed.rows[5][0], "Итого");
    EXPECT_EQ(printed.rows[5][7], "1 505,00");
    EXPECT_EQ(printed.rows[5][9], printed.rows[4][9]);
}

TEST_F(Reconciliation, RefusesPeriodsAndRecordsOutsideTheTable)
{
    EXPECT_FALSE(reconciliation(table, 1, { 2027, 12 }, { 2030, 12 }));
    EXPECT_FALSE(reconciliation(table, 1, { 2031, 3 }, { 2030, 12 }));
    EXPECT_FALSE(reconciliation(table, 3, { 2030, 10 }, { 2030, 12 }));
    EXPECT_TRUE(reconciliation(table, 1, { First, 1 }, { First + 7, 12 }));
}

TEST(BalanceSentence, SaysDebtOrOverpaymentInFiguresAndWords)
{
    EXPECT_EQ(balanceSentence(amount("1234,56"), monthEndDate({ 2026, 12 })),
        "Задолженность на 31.12.2026: 1 234,56 р. (одна тысяча двести тридцать четыре рубля 56 копеек)");
    EXPECT_EQ(balanceSentence(amount("-2,62"), monthEndDate({ 2028, 2 })),
        "Переплата на 29.02.2028: 2,62 р. (два рубля 62 копейки)");
    EXPECT_EQ(balanceSentence(Currency(), monthStartDate({ 2027, 2 })),
        "Задолженность на 01.02.2027: 0,00 р. (ноль рублей 00 копеек)");
    EXPECT_EQ(amountText(amount("1000000")), "1 000 000,00");
    EXPECT_EQ(amountText(amount("999,995")), "1 000,00");
}

TEST_F(Reconciliation, CertificateIsRefusedWithADebtAndSaysIt)
{
    const std::optional<CertificateCheck> check = checkNoDebt(table, 1);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->issued);
    EXPECT_EQ(check->to, (fields::YearMonth{ 2031, 3 }));
    EXPECT_EQ(check->refusal, "Справка не выдана: задолженность 658,87 р. на 31.03.2031.");
}

TEST_F(Reconciliation, CertificateForAnAccountEndingWithoutDebt)
{
    // Petrova paid 300 in October and was charged 50 a month: 0 at the end of March.
    std::optional<CertificateCheck> check = checkNoDebt(table, 2);
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->issued);
    EXPECT_EQ(check->from, (fields::YearMonth{ 2030, 10 }));
    EXPECT_EQ(check->to, (fields::YearMonth{ 2031, 3 }));
    EXPECT_EQ(check->balance, Currency());

    // An overpayment is no debt, and the paper says it.
    table.set(2, fields::ledgerBaseOfMonth(2031, 3) + 8, "7,50");
    check = checkNoDebt(table, 2);
    ASSERT_TRUE(check && check->issued);
    const CertificateText text
        = certificateText(table, 2, *check, { "2031-007", "05.04.2031", "СНТ «Ромашка»" });
    EXPECT_EQ(text.numberLine, "№ 2031-007 от 05.04.2031");
    ASSERT_GE(text.paragraphs.size(), 3u);
    EXPECT_EQ(text.paragraphs[0],
        "Абонент Петрова К. Л. (лицевой счёт № 2) по состоянию на 31.03.2031 задолженности по оплате "
        "электроэнергии перед СНТ «Ромашка» не имеет.");
    EXPECT_EQ(text.paragraphs[1], "Проверен период с 01.10.2030 по 31.03.2031.");
    EXPECT_EQ(text.paragraphs[2], "Переплата на 31.03.2031: 7,50 р. (семь рублей 50 копеек).");

    // A balance carried on alone into later months is no month with data: the check stops in March.
    table.set(2, fields::ledgerBaseOfMonth(2031, 4) + 1, "7,50");
    EXPECT_EQ(checkNoDebt(table, 2)->to, (fields::YearMonth{ 2031, 3 }));
}

TEST(CertificateCheck, NothingToCheckGivesNoCertificate)
{
    RecordTable table;
    table.setRecordCount(1);
    table.set(1, fields::FullName, "Новиков");
    const std::optional<CertificateCheck> check = checkNoDebt(table, 1);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->issued);
    EXPECT_FALSE(check->refusal.empty());
    EXPECT_FALSE(checkNoDebt(table, 2));
}

TEST(CertificateNumber, CountsWithinTheYear)
{
    EXPECT_EQ(certificateNumber(2027, nextCertificateNumber("")), "2027-001");
    EXPECT_EQ(certificateNumber(2027, nextCertificateNumber("14")), "2027-015");
    EXPECT_EQ(certificateNumber(2027, nextCertificateNumber("999")), "2027-1000");
    EXPECT_EQ(nextCertificateNumber("x7"), 1);
    EXPECT_EQ(nextCertificateNumber("-3"), 1);
}

} // namespace
