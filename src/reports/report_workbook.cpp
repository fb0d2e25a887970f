#include "reports/report_workbook.h"

#include "database/money.h"
#include "platform/workbook_files.h"
#include "platform/workbook_writer.h"
#include "session/app_state.h"

namespace {

using reports::ColumnKind;

std::string cell(int column, int row)
{
    return workbook::columnLetters(column) + std::to_string(row);
}

// A cell of a column of numbers: the number it shows; a text that is none stays a text.
void setValue(WorkbookWriter& writer, const std::string& address, const std::string& text, ColumnKind kind)
{
    if (text.empty())
        return;
    if (kind != ColumnKind::Text) {
        if (const std::optional<Currency> value = Currency::parse(text)) {
            writer.setNumber(address, value->toDouble());
            return;
        }
    }
    writer.setText(address, text);
}

} // namespace

bool exportReportWorkbook(
    AppState& state, const reports::ReportTable& table, const QString& proposedName, bool landscape)
{
    Dialogs& dialogs = state.services.dialogs;
    const std::optional<QString> path = workbook::askSaveName(dialogs, state.services.settings, proposedName);
    if (!path)
        return false;

    const int columns = int(table.columns.size());
    const std::string lastColumn = workbook::columnLetters(columns);
    WorkbookWriter writer;
    // The lines above the table span it, so that fitting the columns leaves them out.
    const auto line = [&](int r, const std::string& text) {
        if (columns > 1)
            writer.merge("A" + std::to_string(r) + ":" + lastColumn + std::to_string(r));
        writer.setText(cell(1, r), text);
    };
    line(1, table.title);
    writer.setBold("A1");
    line(2, table.subtitle);
    int row = 3;
    for (const std::string& note : table.notes)
        line(row++, note);
    ++row;
    const int headingRow = row;
    for (int c = 0; c < columns; ++c)
        writer.setText(cell(c + 1, headingRow), table.columns[std::size_t(c)].heading);
    const std::string headings
        = "A" + std::to_string(headingRow) + ":" + lastColumn + std::to_string(headingRow);
    writer.setBold(headings);
    writer.setAlignment(headings, WorkbookWriter::Alignment::Centre);

    const auto kindOf = [&](int r, int c) {
        const ColumnKind kind = table.columns[std::size_t(c)].kind;
        const std::size_t index = std::size_t(r - headingRow - 1);
        if (kind == ColumnKind::Text || index >= table.rowKinds.size())
            return kind;
        return table.rowKinds[index];
    };
    const auto writeRow = [&](int r, const std::vector<std::string>& cells) {
        for (int c = 0; c < columns && c < int(cells.size()); ++c) {
            const ColumnKind kind = kindOf(r, c);
            const std::string address = cell(c + 1, r);
            setValue(writer, address, cells[std::size_t(c)], kind);
            if (kind == ColumnKind::Money)
                writer.setNumberFormat(address, "0.00");
            if (kind != ColumnKind::Text)
                writer.setAlignment(address, WorkbookWriter::Alignment::Right);
        }
    };
    for (const auto& cells : table.rows)
        writeRow(++row, cells);
    if (!table.totals.empty()) {
        writeRow(++row, table.totals);
        writer.setBold("A" + std::to_string(row) + ":" + lastColumn + std::to_string(row));
    }
    writer.setBorders(headings.substr(0, headings.find(':')) + ":" + lastColumn + std::to_string(row));
    writer.autoFitColumns("A:" + lastColumn);
    writer.setPrintLayout(landscape, headingRow);
    if (!workbook::save(writer, *path, dialogs, state.services.settings))
        return false;
    state.notices.exported(*path);
    return true;
}
