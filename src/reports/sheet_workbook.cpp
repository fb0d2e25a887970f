#include "reports/sheet_workbook.h"

#include "platform/dialogs.h"
#include "platform/workbook_files.h"
#include "platform/workbook_writer.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QComboBox>
#include <array>

namespace {

using Alignment = WorkbookWriter::Alignment;

// Where columns C … R take their numbers from: the typed inputs or the computed results of the
// month, and the element.
struct NumberColumn
{
    bool input;
    int element;
};

constexpr std::array<NumberColumn, 16> NumberColumns = { {
    { true, 1 }, // C current reading
    { true, 2 }, // D previous reading
    { false, sheet::Difference },
    { true, 3 }, // F street-lighting power
    { true, 4 }, // G hours
    { true, 5 }, // H days
    { false, sheet::Lighting },
    { false, sheet::TotalEnergy },
    { true, 6 }, // K losses, %
    { false, sheet::Losses },
    { false, sheet::EnergyToPay },
    { true, 7 }, // N tariff
    { false, sheet::EnergyMoney },
    { true, 8 }, // P maintenance, %
    { false, sheet::ServiceMoney },
    { false, sheet::MonthTotal },
} };

constexpr std::array<const char*, 18> ColumnHeadings = { "Месяц", "Дата", "текущее  ", "последнее",
    "разница  ", "мощн., кВт", "часы", "сутки", "кВт*Ч", "кВт*Ч", "%", "кВт*Ч", "кВт*Ч", "Тариф, р.",
    "За эл. эн., р.", "Сбор бака, %", "Сбор бака, р.", "Итого к оплате, р." };

std::string cell(int column, int row)
{
    return workbook::columnLetters(column) + std::to_string(row);
}

} // namespace

bool exportSheetWorkbook(AppState& state, const ShownSheet& shown)
{
    const QString& name = shown.subscriber;
    const QString& year = shown.year;
    Dialogs& dialogs = state.services.dialogs;
    const std::optional<QString> path
        = workbook::askSaveName(dialogs, state.services.settings, QStringLiteral("Учет эл. энергии  %1 %2").arg(name, year));
    if (!path)
        return false;

    const sheet::SheetComputation& computed = shown.computation;
    WorkbookWriter writer;
    writer.setText("F1", (name + QLatin1Char(' ') + year + QStringLiteral(" г.")).toStdString());
    writer.merge("F1:I1");
    writer.setBold("A1:L1");

    for (int m = 1; m <= sheet::Months; ++m)
        writer.setText(cell(1, m + 3), fields::MonthNames[std::size_t(m - 1)]);
    for (int c = 1; c <= int(ColumnHeadings.size()); ++c)
        writer.setText(cell(c, 3), ColumnHeadings[std::size_t(c - 1)]);
    writer.merge("N2:R2");
    writer.setText("N2", "Начислена оплата");
    writer.merge("C2:E2");
    writer.setText("C2", "Показания счетчика, кВт*Ч");
    writer.merge("F2:I2");
    writer.setText("F2", "Уличное освещение");
    writer.setText("J2", "ИТОГО");
    writer.setText("K2", "Потери");
    writer.setText("L2", "Потери");
    writer.setText("M2", "К оплате");

    writer.setBold("A2:R3");
    writer.setAlignment("A2:R3", Alignment::Centre);
    writer.setAlignment("C3:R15", Alignment::Right);

    for (int m = 1; m <= sheet::Months; ++m)
        writer.setText(cell(2, m + 3), shown.view.typed(m, 0)->text().toStdString());
    for (int c = 0; c < int(NumberColumns.size()); ++c) {
        const NumberColumn& source = NumberColumns[std::size_t(c)];
        for (int m = 1; m <= sheet::Months; ++m) {
            const Currency value = source.input
                ? computed.inputs[std::size_t(m)][std::size_t(source.element)]
                : computed.results[std::size_t(m)][std::size_t(source.element)];
            writer.setNumber(cell(c + 3, m + 3), value.toDouble());
        }
    }

    writer.setBorders("A2:R15");
    writer.setNumberFormat("B4:H15", "General");
    writer.setNumberFormat("I4:R15", "0.00");
    writer.autoFitColumns("A:R");
    writer.setPrintLayout(true, 0);
    if (!workbook::save(writer, *path, dialogs, state.services.settings))
        return false;
    state.notices.exported(*path);
    return true;
}
