#pragma once

// The receipt of one subscriber for one month: the sheet's readings and charges of the month, the
// ledger's charges and balances, and the total to pay, as the texts that go on paper.

#include "database/record_table.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace documents {

// The sheet's cells of the receipt's month: typed elements 0 … 8 and computed elements 0 … 7.
struct MonthCells
{
    std::array<std::string, 9> typed;
    std::array<std::string, 8> computed;
};

struct ReceiptRequest
{
    std::string year; // the main window's year text
    std::string monthName; // the caption of the month label
    int month = 0; // 1 … 12; anything else names no month
    std::string subscriber;
    int record = 0; // the record itself (1 …); 0: the first record named `subscriber`
};

// Value labels of the receipt, numbered as on its first copy.
enum ReceiptValue {
    Prepayment = 0,
    CurrentReading = 1,
    StartReading = 2,
    Consumption = 3,
    StreetLighting = 4,
    Losses = 5,
    EnergyToPay = 6,
    EnergyMoney = 7,
    ServiceMoney = 8,
    EnergyTotal = 9,
    OtherCharges = 10,
    ElectricianPay = 11,
    StartOverpayment = 12,
    StartUnderpayment = 13,
    TotalDue = 14,
    ReceiptValueCount = 15
};

// The second copy's value labels: second[i] is the label that repeats value i of the first copy.
inline constexpr std::array<int, ReceiptValueCount> SecondCopyValue
    = { 19, 29, 28, 21, 20, 27, 26, 25, 24, 23, 22, 18, 17, 16, 15 };

struct Receipt
{
    int ledgerBase = 0; // 0 when the request names no month block
    int row = 0; // 0 when no subscriber has the name
    std::string number; // the record's own number (field 1)
    int month = 0; // 1 … 12, 0 for none
    std::string year;
    std::string date; // "Январь 2021"
    std::string name;
    std::string address; // field 3, the plot
    // Beside their lines; empty when the month has none (a month without a tariff says nothing of
    // one, rather than "тариф  р.").
    std::string lossesPercent; // "5 %"
    std::string tariff; // "тариф 5,47 р."
    std::string servicePercent;
    std::array<std::string, ReceiptValueCount> values;
    // The last line as printed: "ИТОГО  К ОПЛАТЕ, Руб" and the total due, or, when the subscriber
    // has paid more than is due, "Переплата, Руб" and the overpayment without its minus. The total's
    // value above keeps its sign for the payment code.
    std::string totalCaption;
    std::string totalText;
    bool currentReadingMissing = false;
    bool startReadingMissing = false;
};

// The street-lighting pseudo-subscriber pays no ledger charges of its own.
bool isStreetLighting(std::string_view name);

// Builds the receipt. The total due is worked out by the ledger's rule from the amounts the receipt
// shows (and the supplier-account charge it keeps off paper), not read from the month's stored
// total. For the street-lighting record the prepayment, the electrician's pay and
// both opening balances are set to "0,00" in the table first; nothing else is written, and nothing
// at all when the request names no month of the eight years.
Receipt makeReceipt(
    RecordTable& table, const ReceiptRequest& request, const std::optional<MonthCells>& cells);

// The month's cells as the sheet would show them for the record: the typed cells as stored and the
// computed cells by the sheet's own calculation of the year. Nothing for a year or a month that is
// none of the table's.
std::optional<MonthCells> monthCellsOf(
    const RecordTable& table, int record, std::string_view yearText, int month);

// True when the receipt has something to pay: a total due above 0.
bool hasAmountDue(const Receipt& receipt);

// The receipts of one month for the whole association, in record order, each worked out from the
// record table as the single receipt is: every named record but the street lighting, and with
// `onlyDue` only those with something to pay. `keepGoing` is asked after each record (the count
// done, the count of records) and stops the work when it answers false; then nothing is returned.
std::optional<std::vector<Receipt>> monthReceipts(const RecordTable& table, std::string_view yearText,
    int month, bool onlyDue, const std::function<bool(int done, int total)>& keepGoing = {});

} // namespace documents
