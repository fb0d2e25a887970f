#include "accounts/debtors.h"

#include <gtest/gtest.h>

namespace {

using ledger::debtorsList;

constexpr int Y2023 = 2023;
constexpr int Y2024 = 2024;

Currency amount(const char* text)
{
    return Currency::parse(text).value();
}

class Debtors : public ::testing::Test
{
protected:
    Debtors()
    {
        table.setRecordCount(6);
        const char* names[] = { "Иванов", "Петрова", "Сидоров", "Кузнецова", "Смирнов", "Попова" };
        for (int r = 1; r <= 6; ++r) {
            table.set(r, fields::Number, std::to_string(r));
            table.set(r, fields::FullName, names[r - 1]);
        }
        // March 2024 of each: start under- and overpayment, charges, income, end balances.
        month(1, "100,00", "", "399,72", "150,00", "", "500,00", "", "149,72", "");
        month(2, "900,00", "", "300,00", "", "20,00", "", "20,00", "1200,00", "");
        month(3, "", "50,00", "100,00", "", "", "200,00", "", "", "150,00");
        month(4, "500,00", "", "", "", "", "", "", "500,00", "");
        month(5, "", "", "50,00", "", "", "", "", "50,00", "");
        month(6, "149,72", "", "", "", "", "", "", "149,72", "");
        table.set(2, base + 2, "5,00"); // a charge to the supplier account counts too
        table.set(2, base + 7, "5,00"); // and so does an income to it

        // Petrova has owed since October 2023: February and January 2024, December … October 2023.
        for (const auto& [k, m] :
            { std::pair{ Y2024, 2 }, { Y2024, 1 }, { Y2023, 12 }, { Y2023, 11 }, { Y2023, 10 } })
            table.set(2, fields::ledgerBaseOfMonth(k, m) + 9, "10,00");
        table.set(2, fields::ledgerBaseOfMonth(Y2023, 9) + 10, "3,00"); // September ended with an overpayment
        // Ivanov owed in February only after a month without debt: one month.
        table.set(1, fields::ledgerBaseOfMonth(Y2024, 2) + 9, "1,00");
        table.set(1, fields::ledgerBaseOfMonth(Y2023, 12) + 9, "1,00");
    }

    void month(int r, const char* under, const char* over, const char* electricity, const char* electrician,
        const char* other, const char* paid, const char* otherIncome, const char* endUnder,
        const char* endOver)
    {
        table.set(r, base, under);
        table.set(r, base + 1, over);
        table.set(r, base - 1, electricity);
        table.set(r, base + 3, electrician);
        table.set(r, base + 4, other);
        table.set(r, base + 6, paid);
        table.set(r, base + 8, otherIncome);
        table.set(r, base + 9, endUnder);
        table.set(r, base + 10, endOver);
    }

    std::vector<int> records(const ledger::DebtorsList& list)
    {
        std::vector<int> result;
        for (const ledger::Debtor& d : list.debtors)
            result.push_back(d.record);
        return result;
    }

    RecordTable table;
    const ledger::LedgerMonth march = ledger::ledgerMonth(Y2024, 3);
    const int base = march.base;
};

TEST_F(Debtors, ListsTheLargestDebtFirstAndEqualDebtsInRecordOrder)
{
    const ledger::DebtorsList list = debtorsList(table, march, Currency());
    // Sidorov ends with an overpayment and is no debtor; Ivanov and Popova owe 149,72 each.
    EXPECT_EQ(records(list), (std::vector<int>{ 2, 4, 1, 6, 5 }));
    EXPECT_EQ(records(debtorsList(table, march, amount("149,72"))), (std::vector<int>{ 2, 4 }));
    EXPECT_EQ(records(debtorsList(table, march, amount("149,71"))), (std::vector<int>{ 2, 4, 1, 6 }));
    EXPECT_TRUE(debtorsList(table, march, amount("5000")).debtors.empty());
}

TEST_F(Debtors, ShowsWhatTheMonthBroughtAndAddsItUp)
{
    const ledger::DebtorsList list = debtorsList(table, march, Currency());
    const ledger::Debtor& petrova = list.debtors[0];
    EXPECT_EQ(petrova.opening, amount("900"));
    EXPECT_EQ(petrova.charges, amount("325")); // 300 electricity, 5 supplier account, 20 other
    EXPECT_EQ(petrova.paid, amount("25")); // 20 other income, 5 to the supplier account
    EXPECT_EQ(petrova.debt, amount("1200"));
    const ledger::Debtor& ivanov = list.debtors[2];
    EXPECT_EQ(ivanov.opening, amount("100"));
    EXPECT_EQ(ivanov.charges, amount("549,72"));
    EXPECT_EQ(ivanov.paid, amount("500"));
    // Each debtor's month adds up: start + charges − paid = end debt.
    for (const ledger::Debtor& d : list.debtors)
        EXPECT_EQ(d.opening.raw() + d.charges.raw() - d.paid.raw(), d.debt.raw()) << d.record;

    EXPECT_EQ(list.opening, amount("1649,72"));
    EXPECT_EQ(list.charges, amount("924,72"));
    EXPECT_EQ(list.paid, amount("525"));
    EXPECT_EQ(list.debt, amount("2049,44"));
}

TEST_F(Debtors, CountsTheMonthsInDebtRightBeforeAcrossTheNewYear)
{
    const ledger::DebtorsList list = debtorsList(table, march, Currency());
    EXPECT_EQ(list.debtors[0].monthsInDebtBefore, 5); // Petrova: February 2024 back to October 2023
    EXPECT_EQ(list.debtors[2].monthsInDebtBefore, 1); // Ivanov: February, not January
    EXPECT_EQ(list.debtors[1].monthsInDebtBefore, 0);

    // The first month of all has no months before it.
    RecordTable first;
    first.setRecordCount(1);
    first.set(1, fields::ledgerBase(0, 1) + 9, "10,00");
    const ledger::DebtorsList january = debtorsList(first, ledger::ledgerMonth(2020, 1), Currency());
    ASSERT_EQ(january.debtors.size(), 1u);
    EXPECT_EQ(january.debtors[0].monthsInDebtBefore, 0);

    // Once the years have moved on to 2021 … 2028, January 2028 lives where January 2020 did; the
    // months before it are December 2027 and back, never the dropped 2020.
    first.setYears(fields::YearWindow(2021));
    first.set(1, fields::ledgerBaseOfMonth(2027, 12) + 9, "5,00");
    first.set(1, fields::ledgerBaseOfMonth(2027, 11) + 9, "5,00");
    const ledger::DebtorsList later = debtorsList(first, ledger::ledgerMonth(2028, 1), Currency());
    ASSERT_EQ(later.debtors.size(), 1u);
    EXPECT_EQ(later.debtors[0].monthsInDebtBefore, 2);
    EXPECT_EQ(debtorsList(first, ledger::ledgerMonth(2021, 1), Currency()).debtors.size(), 0u);
}

TEST(DebtorsThreshold, TakesAnAmountNotBelowZero)
{
    struct Case
    {
        const char* typed;
        std::optional<const char*> value;
    };
    const Case cases[] = { { "0,00", "0" }, { "", "0" }, { " 500 ", "500" }, { "100.5", "100,5" },
        { "12,30", "12,3" }, { "-5", std::nullopt }, { "abc", std::nullopt }, { "5 р.", std::nullopt },
        { ",5", std::nullopt } };
    for (const Case& c : cases) {
        const std::optional<Currency> value = ledger::typedThreshold(c.typed);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.typed;
        if (value) {
            EXPECT_EQ(*value, amount(*c.value)) << c.typed;
        }
    }
}

} // namespace
