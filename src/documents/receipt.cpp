#include "documents/receipt.h"

#include "database/money.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

namespace documents {

namespace {

int findByName(const RecordTable& table, std::string_view name)
{
    for (int row = 1; row <= table.recordCount(); ++row) {
        if (table.field(row, fields::FullName) == name)
            return row;
    }
    return 0;
}

// A note beside its line, or nothing when the month has no value for it.
std::string withUnit(std::string_view before, const std::string& value, std::string_view after)
{
    if (value.find_first_not_of(' ') == std::string::npos)
        return {};
    return std::string(before) + value + std::string(after);
}

std::string zeroWhenEmpty(const std::string& text)
{
    return text.empty() ? std::string("0,00") : text;
}

// The total due as the ledger works it out, from the amounts on the receipt: the stored total is
// only as fresh as the last time the month's ledger was stored, and a month whose ledger was never
// opened has none, while the sheet's charge above it is always current. Empty when it comes to 0,
// or when it overflows, as in the ledger.
std::string totalDue(const std::array<std::string, ReceiptValueCount>& v, std::string_view supplierCharge)
{
    std::optional<Currency> due = Currency::subtract(
        Currency::parseOrZero(v[StartUnderpayment]), Currency::parseOrZero(v[StartOverpayment]));
    for (std::string_view charge : { std::string_view(v[EnergyTotal]), supplierCharge,
             std::string_view(v[ElectricianPay]), std::string_view(v[OtherCharges]) }) {
        if (due)
            due = Currency::add(*due, Currency::parseOrZero(charge));
    }
    return due ? moneyText(*due) : std::string();
}

// The receipt as the table has it, writing nothing.
Receipt readReceipt(
    const RecordTable& table, const ReceiptRequest& request, const std::optional<MonthCells>& cells)
{
    Receipt receipt;
    receipt.date = request.monthName + " " + request.year;

    // A year or a month outside the table has no ledger block: its lines stay empty rather than
    // show another month's balances.
    const std::optional<int> year = table.years().find(request.year);
    const std::optional<int> m = fields::monthNumber(request.monthName);
    if (year && m && request.month >= 1 && request.month <= 12) {
        receipt.ledgerBase = fields::ledgerBaseOfMonth(*year, *m);
        receipt.month = *m;
        receipt.year = request.year;
    }

    receipt.row = request.record >= 1 && request.record <= table.recordCount()
        ? request.record
        : findByName(table, request.subscriber);
    if (receipt.row != 0) {
        receipt.name = std::string(table.field(receipt.row, fields::FullName));
        receipt.number = std::string(table.field(receipt.row, fields::Number));
        receipt.address = std::string(table.field(receipt.row, fields::Address));
    }

    const int b = receipt.ledgerBase;
    auto& v = receipt.values;
    std::string supplierCharge; // kept in the ledger, never on paper
    if (b != 0 && receipt.row != 0) {
        const auto ledger = [&](int offset) { return std::string(table.field(receipt.row, b + offset)); };
        v[Prepayment] = ledger(11);
        v[ElectricianPay] = ledger(3);
        v[OtherCharges] = ledger(4);
        v[StartOverpayment] = ledger(1);
        v[StartUnderpayment] = ledger(0);
        supplierCharge = ledger(2);
    }

    if (cells && request.month >= 1 && request.month <= 12) {
        const MonthCells& c = *cells;
        v[CurrentReading] = c.typed[fields::CurrentReading];
        v[StartReading] = c.typed[fields::PreviousReading];
        v[Consumption] = c.computed[0];
        v[StreetLighting] = c.computed[1];
        v[Losses] = c.computed[3];
        v[EnergyToPay] = c.computed[4];
        v[EnergyMoney] = c.computed[5];
        v[ServiceMoney] = c.computed[6];
        v[EnergyTotal] = c.computed[7];
        receipt.lossesPercent = withUnit("", c.typed[fields::LossesPercent], " %");
        receipt.tariff = withUnit("тариф ", c.typed[fields::Tariff], " р.");
        receipt.servicePercent = withUnit("", c.typed[fields::ServicePercent], " %");
    }
    receipt.currentReadingMissing = v[CurrentReading].empty();
    receipt.startReadingMissing = v[StartReading].empty();

    v[StartOverpayment] = zeroWhenEmpty(v[StartOverpayment]);
    v[StartUnderpayment] = zeroWhenEmpty(v[StartUnderpayment]);
    v[TotalDue] = totalDue(v, supplierCharge);
    v[ElectricianPay] = zeroWhenEmpty(twoDecimalText(v[ElectricianPay]));
    v[OtherCharges] = zeroWhenEmpty(twoDecimalText(v[OtherCharges]));
    const std::optional<Currency> total = Currency::parse(v[TotalDue]);
    if (total && total->isNegative()) {
        receipt.totalCaption = "Переплата, Руб";
        receipt.totalText = v[TotalDue].substr(1);
    } else {
        receipt.totalCaption = "ИТОГО  К ОПЛАТЕ, Руб";
        receipt.totalText = v[TotalDue];
    }
    return receipt;
}

} // namespace

bool isStreetLighting(std::string_view name)
{
    return name.find("Уличное") != std::string_view::npos;
}

Receipt makeReceipt(RecordTable& table, const ReceiptRequest& request, const std::optional<MonthCells>& cells)
{
    Receipt receipt = readReceipt(table, request, cells);
    if (receipt.ledgerBase == 0 || receipt.row == 0 || !isStreetLighting(receipt.name))
        return receipt;
    for (int offset : { 11, 3, 1, 0 })
        table.set(receipt.row, receipt.ledgerBase + offset, "0,00");
    return readReceipt(table, request, cells);
}

std::optional<MonthCells> monthCellsOf(
    const RecordTable& table, int record, std::string_view yearText, int month)
{
    if (month < 1 || month > 12)
        return std::nullopt;
    const std::optional<sheet::SheetTexts> year = sheet::readYear(table, record, yearText);
    if (!year)
        return std::nullopt;
    const sheet::SheetComputation computed = sheet::computeSheet(*year);
    MonthCells cells;
    for (int b = 0; b < int(cells.typed.size()); ++b)
        cells.typed[std::size_t(b)] = (*year)[std::size_t(month - 1)][std::size_t(b)];
    for (int c = 0; c < int(cells.computed.size()); ++c)
        cells.computed[std::size_t(c)] = computed.shown[std::size_t(month)][std::size_t(c)];
    return cells;
}

bool hasAmountDue(const Receipt& receipt)
{
    const std::optional<Currency> due = Currency::parse(receipt.values[TotalDue]);
    return due && *due > Currency();
}

std::optional<std::vector<Receipt>> monthReceipts(const RecordTable& table, std::string_view yearText,
    int month, bool onlyDue, const std::function<bool(int done, int total)>& keepGoing)
{
    std::vector<Receipt> receipts;
    if (month < 1 || month > 12)
        return receipts;
    const ReceiptRequest request{ std::string(yearText),
        std::string(fields::MonthNames[std::size_t(month - 1)]), month, std::string() };
    const int total = table.recordCount();
    for (int row = 1; row <= total; ++row) {
        const std::string_view name = table.field(row, fields::FullName);
        if (!name.empty() && !isStreetLighting(name)) {
            ReceiptRequest one = request;
            one.record = row;
            Receipt receipt = readReceipt(table, one, monthCellsOf(table, row, yearText, month));
            if (!onlyDue || hasAmountDue(receipt))
                receipts.push_back(std::move(receipt));
        }
        if (keepGoing && !keepGoing(row, total))
            return std::nullopt;
    }
    return receipts;
}

} // namespace documents
