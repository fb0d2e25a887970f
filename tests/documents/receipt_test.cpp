#include "documents/receipt.h"

#include <gtest/gtest.h>

namespace {

using namespace documents;

constexpr int Year2021 = 2021;
const int October2021 = fields::ledgerBaseOfMonth(Year2021, 10);

RecordTable twoSubscribers()
{
    RecordTable table;
    table.setRecordCount(3);
    table.set(1, fields::FullName, "Иванов И. И.");
    table.set(2, fields::FullName, "Уличное освещение");
    table.set(3, fields::FullName, "Иванов И. И.");
    return table;
}

MonthCells october()
{
    MonthCells cells;
    cells.typed = { "31.10.21", "30474", "30097", "0,1", "14", "31", "4", "8,52", "1,8" };
    cells.computed = { "377", "43,40", "420,40", "16,82", "437,22", "3725,11", "67,05", "3792,16" };
    return cells;
}

ReceiptRequest request(const std::string& name, int month = 10)
{
    return { "2021", "Октябрь", month, name };
}

TEST(Receipt, TakesTheSheetsCellsOfTheMonth)
{
    RecordTable table = twoSubscribers();
    const Receipt r = makeReceipt(table, request("Иванов И. И."), october());
    EXPECT_EQ(r.ledgerBase, October2021);
    EXPECT_EQ(r.row, 1);
    EXPECT_EQ(r.date, "Октябрь 2021");
    EXPECT_EQ(r.name, "Иванов И. И.");
    EXPECT_EQ(r.values[CurrentReading], "30474");
    EXPECT_EQ(r.values[StartReading], "30097");
    EXPECT_EQ(r.values[Consumption], "377");
    EXPECT_EQ(r.values[StreetLighting], "43,40");
    EXPECT_EQ(r.values[Losses], "16,82");
    EXPECT_EQ(r.values[EnergyToPay], "437,22");
    EXPECT_EQ(r.values[EnergyMoney], "3725,11");
    EXPECT_EQ(r.values[ServiceMoney], "67,05");
    EXPECT_EQ(r.values[EnergyTotal], "3792,16");
    EXPECT_EQ(r.lossesPercent, "4 %");
    EXPECT_EQ(r.tariff, "тариф 8,52 р.");
    EXPECT_EQ(r.servicePercent, "1,8 %");
    EXPECT_FALSE(r.currentReadingMissing);
    EXPECT_FALSE(r.startReadingMissing);
}

TEST(Receipt, NormalisesTheLedgerAmounts)
{
    struct Case
    {
        std::string stored;
        std::string pay; // electrician's pay and other charges
        std::string balance; // opening balances
    };
    for (const Case& c :
        { Case{ "150", "150,00", "150" }, Case{ "12,5", "12,50", "12,5" }, Case{ "7,25", "7,25", "7,25" },
            Case{ "1,234", "1,234", "1,234" }, Case{ "", "0,00", "0,00" } }) {
        RecordTable table = twoSubscribers();
        for (int offset : { 0, 1, 3, 4, 11 })
            table.set(1, October2021 + offset, c.stored);
        const Receipt r = makeReceipt(table, request("Иванов И. И."), october());
        EXPECT_EQ(r.values[ElectricianPay], c.pay) << c.stored;
        EXPECT_EQ(r.values[OtherCharges], c.pay) << c.stored;
        EXPECT_EQ(r.values[StartOverpayment], c.balance) << c.stored;
        EXPECT_EQ(r.values[StartUnderpayment], c.balance) << c.stored;
        EXPECT_EQ(r.values[Prepayment], c.stored) << c.stored;
    }
}

TEST(Receipt, TheTotalDueIsWorkedOutFromTheChargesAboveIt)
{
    // The stored total is whatever the ledger last stored: stale once the sheet has changed, and
    // empty for a month whose ledger was never opened.
    struct Case
    {
        std::string storedTotal;
        std::string underpayment, overpayment, supplierCharge, electrician, other;
        std::string energy; // the sheet's month total
        std::string total;
    };
    for (const Case& c : {
             Case{ "3783,40", "100", "30", "5", "150", "12,5", "3792,16", "4029,66" },
             Case{ "", "", "", "", "", "", "3792,16", "3792,16" },
             Case{ "", "", "250,5", "", "", "", "200,00", "-50,50" },
             Case{ "999,00", "", "200", "", "", "", "200,00", "" },
             Case{ "", "", "", "", "", "", "", "" },
             Case{ "", "1,005", "", "", "", "", "", "1,00" },
         }) {
        SCOPED_TRACE(c.energy + " " + c.storedTotal);
        RecordTable table = twoSubscribers();
        table.set(1, October2021 + 5, c.storedTotal);
        table.set(1, October2021, c.underpayment);
        table.set(1, October2021 + 1, c.overpayment);
        table.set(1, October2021 + 2, c.supplierCharge);
        table.set(1, October2021 + 3, c.electrician);
        table.set(1, October2021 + 4, c.other);
        MonthCells cells = october();
        cells.computed[7] = c.energy;
        const Receipt r = makeReceipt(table, request("Иванов И. И."), cells);
        EXPECT_EQ(r.values[TotalDue], c.total);
        EXPECT_EQ(table.field(1, October2021 + 5), c.storedTotal);
    }
}

TEST(Receipt, StreetLightingPaysNoLedgerChargesAndIsStoredSo)
{
    RecordTable table = twoSubscribers();
    for (int offset = 0; offset <= 11; ++offset)
        table.set(2, October2021 + offset, "99,00");
    const Receipt r = makeReceipt(table, request("Уличное освещение"), october());
    EXPECT_EQ(r.values[Prepayment], "0,00");
    EXPECT_EQ(r.values[ElectricianPay], "0,00");
    EXPECT_EQ(r.values[StartOverpayment], "0,00");
    EXPECT_EQ(r.values[StartUnderpayment], "0,00");
    EXPECT_EQ(r.values[OtherCharges], "99,00");
    // The sheet's charge, the other charges and the supplier-account charge, which it keeps.
    EXPECT_EQ(r.values[TotalDue], "3990,16");
    for (int offset : { 0, 1, 3, 11 })
        EXPECT_EQ(table.field(2, October2021 + offset), "0,00") << offset;
    for (int offset : { 2, 4, 5, 6, 7, 8, 9, 10 })
        EXPECT_EQ(table.field(2, October2021 + offset), "99,00") << offset;
}

TEST(Receipt, AReceiptWithoutAMonthWritesNothingAndShowsNoOtherFields)
{
    // A month outside 1 … 12, or a year outside the eight (whose sheet is empty): no sheet lines, no
    // ledger lines, and the street-lighting record keeps its fields.
    const std::vector<std::pair<ReceiptRequest, MonthCells>> cases
        = { { ReceiptRequest{ "2021", "Месяц", 0, "Уличное освещение" }, october() },
              { ReceiptRequest{ "2028", "Октябрь", 10, "Уличное освещение" }, MonthCells{} } };
    for (const auto& [bad, cells] : cases) {
        RecordTable table = twoSubscribers();
        for (int f = fields::Address; f <= fields::PerRecord; ++f)
            table.set(2, f, "9");
        const Receipt r = makeReceipt(table, bad, cells);
        EXPECT_EQ(r.ledgerBase, 0);
        EXPECT_EQ(r.values[CurrentReading], "");
        EXPECT_EQ(r.values[Prepayment], "");
        EXPECT_EQ(r.values[ElectricianPay], "0,00");
        EXPECT_EQ(r.values[TotalDue], "");
        EXPECT_TRUE(r.currentReadingMissing);
        EXPECT_TRUE(r.startReadingMissing);
        for (int f = fields::Address; f <= fields::PerRecord; ++f)
            ASSERT_EQ(table.field(2, f), "9") << f;
    }
}

TEST(Receipt, AnUnknownSubscriberGetsEmptyLedgerLines)
{
    RecordTable table = twoSubscribers();
    table.set(1, October2021 + 3, "150");
    const Receipt r = makeReceipt(table, request("Петров П. П."), october());
    EXPECT_EQ(r.row, 0);
    EXPECT_EQ(r.name, "");
    EXPECT_EQ(r.values[ElectricianPay], "0,00");
    EXPECT_EQ(r.values[StartUnderpayment], "0,00");
    EXPECT_EQ(r.values[TotalDue], "3792,16"); // the sheet's charge alone
    EXPECT_EQ(r.values[CurrentReading], "30474");
}

TEST(Receipt, EmptyReadingsAreReported)
{
    RecordTable table = twoSubscribers();
    MonthCells cells = october();
    cells.typed[fields::CurrentReading] = "";
    Receipt r = makeReceipt(table, request("Иванов И. И."), cells);
    EXPECT_TRUE(r.currentReadingMissing);
    EXPECT_FALSE(r.startReadingMissing);
    cells = october();
    cells.typed[fields::PreviousReading] = "";
    r = makeReceipt(table, request("Иванов И. И."), cells);
    EXPECT_FALSE(r.currentReadingMissing);
    EXPECT_TRUE(r.startReadingMissing);
}

TEST(Receipt, SecondCopyRepeatsEveryValueOnItsOwnLabel)
{
    std::array<bool, 30> used{};
    for (int i = 0; i < ReceiptValueCount; ++i) {
        const int second = SecondCopyValue[std::size_t(i)];
        ASSERT_GE(second, ReceiptValueCount);
        ASSERT_LT(second, 30);
        EXPECT_FALSE(used[std::size_t(second)]) << second;
        used[std::size_t(second)] = true;
    }
    EXPECT_EQ(SecondCopyValue[Prepayment], 19);
    EXPECT_EQ(SecondCopyValue[CurrentReading], 29);
    EXPECT_EQ(SecondCopyValue[TotalDue], 15);
}

} // namespace

// The receipts of a month for everyone are worked out from the record table alone.
class MonthReceipts : public ::testing::Test
{
protected:
    static void storeOctober(RecordTable& table, int row)
    {
        const MonthCells cells = october();
        for (int b = 0; b < int(cells.typed.size()); ++b)
            table.set(row, fields::baseOfMonth(Year2021, 10) + b, cells.typed[std::size_t(b)]);
    }
};

TEST_F(MonthReceipts, TheRecordGivesTheCellsTheSheetWouldShow)
{
    RecordTable table = twoSubscribers();
    storeOctober(table, 3);
    const std::optional<MonthCells> cells = monthCellsOf(table, 3, "2021", 10);
    ASSERT_TRUE(cells);
    EXPECT_EQ(cells->typed, october().typed);
    EXPECT_EQ(cells->computed, october().computed);

    EXPECT_FALSE(monthCellsOf(table, 3, "2019", 10));
    EXPECT_FALSE(monthCellsOf(table, 3, "2021", 13));
}

TEST_F(MonthReceipts, EveryNamedSubscriberButTheStreetLightingInRecordOrder)
{
    RecordTable table = twoSubscribers();
    table.setRecordCount(5);
    table.set(5, fields::FullName, "Петрова К. Л.");
    storeOctober(table, 1);
    storeOctober(table, 2);
    storeOctober(table, 3);
    table.set(3, October2021 + 0, "100"); // an underpayment brought forward
    table.set(5, October2021 + 1, "50"); // an overpayment and nothing charged
    const RecordTable before = table;

    const auto all = monthReceipts(table, "2021", 10, false);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 3u);
    // Two subscribers of the same name are two receipts, each of its own record.
    EXPECT_EQ((*all)[0].row, 1);
    EXPECT_EQ((*all)[1].row, 3);
    EXPECT_EQ((*all)[2].row, 5);
    EXPECT_EQ((*all)[0].values[TotalDue], "3792,16");
    EXPECT_EQ((*all)[1].values[TotalDue], "3892,16");
    EXPECT_EQ((*all)[2].values[TotalDue], "-50,00");
    EXPECT_EQ((*all)[0].date, "Октябрь 2021");

    const auto due = monthReceipts(table, "2021", 10, true);
    ASSERT_TRUE(due);
    ASSERT_EQ(due->size(), 2u);
    EXPECT_EQ((*due)[1].row, 3);

    // The street-lighting record is left as it is, unlike with its own receipt.
    for (int f = 1; f <= fields::PerRecord; ++f)
        ASSERT_EQ(table.field(2, f), before.field(2, f)) << f;
}

TEST_F(MonthReceipts, StoppingGivesNothing)
{
    RecordTable table = twoSubscribers();
    int asked = 0;
    const auto stopped = monthReceipts(table, "2021", 10, false, [&](int done, int total) {
        ++asked;
        EXPECT_EQ(total, 3);
        return done < 2;
    });
    EXPECT_FALSE(stopped);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(monthReceipts(table, "2021", 0, false)->empty());
}
