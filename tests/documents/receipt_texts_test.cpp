#include "documents/receipt.h"

#include <gtest/gtest.h>

namespace {

using namespace documents;

const int October2021 = fields::ledgerBaseOfMonth(2021, 10);

RecordTable oneSubscriber()
{
    RecordTable table;
    table.setRecordCount(1);
    table.set(1, fields::Number, "17");
    table.set(1, fields::FullName, "Иванов И. И.");
    table.set(1, fields::Address, "ул. Садовая, 5");
    return table;
}

MonthCells october(const std::string& tariff = "8,52")
{
    MonthCells cells;
    cells.typed = { "31.10.21", "30474", "30097", "0,1", "14", "31", "4", tariff, "1,8" };
    cells.computed = { "377", "43,40", "420,40", "16,82", "437,22", "3725,11", "67,05", "3792,16" };
    return cells;
}

const ReceiptRequest Request{ "2021", "Октябрь", 10, "Иванов И. И." };

TEST(ReceiptTexts, AnOverpaymentIsSaidAsOneWithoutItsMinus)
{
    RecordTable table = oneSubscriber();
    table.set(1, October2021 + 1, "3794,78"); // paid ahead more than the month costs
    const Receipt r = makeReceipt(table, Request, october());
    EXPECT_EQ(r.values[TotalDue], "-2,62"); // the code's sum keeps the sign, and so gets no code
    EXPECT_FALSE(hasAmountDue(r));
    EXPECT_EQ(r.totalCaption, "Переплата, Руб");
    EXPECT_EQ(r.totalText, "2,62");

    table.set(1, October2021 + 1, "");
    const Receipt due = makeReceipt(table, Request, october());
    EXPECT_EQ(due.totalCaption, "ИТОГО  К ОПЛАТЕ, Руб");
    EXPECT_EQ(due.totalText, "3792,16");
}

TEST(ReceiptTexts, AMonthWithoutTariffOrPercentagesShowsNoEmptyNotes)
{
    RecordTable table = oneSubscriber();
    MonthCells cells = october("");
    cells.typed[fields::LossesPercent] = "";
    cells.typed[fields::ServicePercent] = " ";
    const Receipt r = makeReceipt(table, Request, cells);
    EXPECT_EQ(r.tariff, "");
    EXPECT_EQ(r.lossesPercent, "");
    EXPECT_EQ(r.servicePercent, "");
    EXPECT_EQ(makeReceipt(table, Request, october()).tariff, "тариф 8,52 р.");
}

TEST(ReceiptTexts, CarriesThePersonalAccountAndThePlot)
{
    RecordTable table = oneSubscriber();
    const Receipt r = makeReceipt(table, Request, october());
    EXPECT_EQ(r.number, "17");
    EXPECT_EQ(r.address, "ул. Садовая, 5");
    const auto all = monthReceipts(table, "2021", 10, false);
    ASSERT_TRUE(all && all->size() == 1);
    EXPECT_EQ((*all)[0].address, "ул. Садовая, 5");
}

} // namespace
