#include "accounts/ledger_workbook.h"

#include "platform/dialogs.h"
#include "platform/workbook_files.h"
#include "platform/workbook_writer.h"
#include "session/app_state.h"

#include <algorithm>
#include <array>

namespace {

using Alignment = WorkbookWriter::Alignment;

constexpr int Columns = 12;

// Rows down to 500 carry the money format even when there are fewer subscribers.
constexpr int FormattedRows = 500;

// Columns C … L: the month's fields relative to the ledger base B.
constexpr std::array<int, 10> MoneyOffsets = { 0, 1, -1, 3, 4, 5, 6, 8, 9, 10 };

constexpr std::array<const char*, Columns> Headings
    = { "№", "Фамилия И. О.", " Недоплата ", " Переплата ", "За электро энерг.", "Зарплата эл-ку",
          "  Прочее ", "к оплате", "   Внесено   ", "   Прочее   ", "   Недоплата  ", "   Переплата  " };

// The decimal comma becomes a full stop, for spreadsheets that read amounts that way.
std::string amountText(std::string_view stored)
{
    std::string text(stored);
    const std::size_t comma = text.find(',');
    if (comma != std::string::npos)
        text[comma] = '.';
    return text;
}

std::string row(int r)
{
    return std::to_string(r);
}

} // namespace

bool exportLedgerWorkbook(AppState& state, const QString& yearText, const QString& monthName)
{
    const auto year = state.table.years().find(yearText.toStdString());
    const auto m = fields::monthNumber(monthName.toStdString());
    if (!year || !m)
        return false;
    Dialogs& dialogs = state.services.dialogs;
    const QString heading = monthName + QLatin1Char(' ') + yearText;
    const std::optional<QString> path
        = workbook::askSaveName(dialogs, state.services.settings, QStringLiteral("Лицевой счет  ") + heading);
    if (!path)
        return false;

    const RecordTable& table = state.table;
    const int base = fields::ledgerBaseOfMonth(*year, *m);
    const int count = table.recordCount();
    std::vector<std::vector<std::string>> block(
        static_cast<std::size_t>(count), std::vector<std::string>(Columns));
    for (int r = 1; r <= count; ++r) {
        auto& cells = block[std::size_t(r - 1)];
        cells[0] = table.field(r, fields::Number);
        cells[1] = table.field(r, fields::FullName);
        for (std::size_t c = 0; c < MoneyOffsets.size(); ++c)
            cells[c + 2] = amountText(table.field(r, base + MoneyOffsets[c]));
    }
    const int lastRow = count + 3;

    WorkbookWriter writer;
    writer.merge("D1:E1");
    writer.setText("D1", heading.toStdString());
    writer.merge("C2:D2");
    writer.setText("C2", "Остаток на нач. мес., р.");
    writer.merge("E2:G2");
    writer.setText("E2", "Начислены расходы в текущ. мес., р.");
    writer.setText("H2", "ИТОГО");
    writer.merge("I2:J2");
    writer.setText("I2", "Приход в текущ. мес., р.");
    writer.merge("K2:L2");
    writer.setText("K2", "Остаток на конец мес., р.");
    for (int c = 0; c < Columns; ++c)
        writer.setText(workbook::columnLetters(c + 1) + "3", Headings[std::size_t(c)]);
    writer.setBold("A1:L3");
    writer.setAlignment("A1:L3", Alignment::Centre);
    writer.setFontColourIndex("C3", 5);
    writer.setFontColourIndex("K3", 5);
    writer.setFontColourIndex("E2:G3", 5);
    writer.setFontColourIndex("D3", 3);
    writer.setFontColourIndex("L3", 3);
    writer.setFontColourIndex("I2:J3", 3);

    writer.setTexts("A4", block);
    writer.setBorders("A2:L" + row(lastRow));
    const std::string money = "C4:L" + row(std::max(FormattedRows, lastRow));
    writer.setNumberFormat(money, "#,##0.00$");
    writer.setAlignment(money, Alignment::Right);
    writer.autoFitColumns("A:L");
    writer.setPrintLayout(true, 3);
    if (!workbook::save(writer, *path, dialogs, state.services.settings))
        return false;
    state.notices.exported(*path);
    return true;
}
