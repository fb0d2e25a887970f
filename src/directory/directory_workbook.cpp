#include "directory/directory_workbook.h"

#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/workbook_files.h"
#include "platform/workbook_reader.h"
#include "platform/workbook_writer.h"
#include "session/app_state.h"

#include <QFile>
#include <algorithm>
#include <array>

namespace {

constexpr int Columns = 6; // fields 1 … 6 in A … F

// Rows down to 500 carry the formats even when the directory is shorter, so that rows the user
// adds in the spreadsheet look like the others.
constexpr int FormattedRows = 500;

std::string row(int r)
{
    return std::to_string(r);
}

// A text as the database keeps it: no line breaks, no blanks at the ends (the file's reader
// trims them, so the directory shows what the file will give back).
std::string storedText(std::string_view text)
{
    std::string clean = database::withoutLineBreaks(text);
    const std::size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const std::size_t last = clean.find_last_not_of(' ');
    return clean.substr(first, last - first + 1);
}

void importFailed(Dialogs& dialogs)
{
    dialogs.message(
        { QStringLiteral("Ошибка импорта!"), QStringLiteral("Ошибка"), MessageIcon::Information });
}

} // namespace

bool exportDirectoryWorkbook(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    const QDateTime now = state.services.clock.now();
    const QString proposed = QStringLiteral("Справочник абонентов от %1 %2ч %3мин")
                                 .arg(now.toString(QStringLiteral("dd.MM.yyyy")),
                                     now.toString(QStringLiteral("hh")), now.toString(QStringLiteral("mm")));
    const std::optional<QString> path = workbook::askSaveName(dialogs, proposed);
    if (!path)
        return false;

    const RecordTable& table = state.table;
    const int count = table.recordCount();
    std::vector<std::vector<std::string>> block(
        static_cast<std::size_t>(count), std::vector<std::string>(Columns));
    for (int r = 1; r <= count; ++r)
        for (int f = fields::Number; f <= fields::Note; ++f)
            block[std::size_t(r - 1)][std::size_t(f - 1)] = std::string(table.field(r, f));

    WorkbookWriter writer;
    const std::array<const char*, Columns> headings
        = { "№", "Фамилия И. О.", "Адрес", "Телефон", "Тип счетчика", "Примечание" };
    for (int c = 0; c < Columns; ++c)
        writer.setText(workbook::columnLetters(c + 1) + "1", headings[std::size_t(c)]);
    writer.setBold("A1:F1");
    writer.setAlignment("A1:F1", WorkbookWriter::Alignment::Centre);
    writer.setTexts("A2", block);
    writer.setAlignment("B2:F" + row(std::max(FormattedRows, count + 1)), WorkbookWriter::Alignment::Left);
    writer.autoFitColumns("A:F");
    writer.setBorders("A1:F" + row(count + 1));
    writer.setPrintLayout(false, 1);
    return workbook::save(writer, *path, dialogs);
}

bool importDirectoryWorkbook(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    if (!dialogs.askYesNo(
            QStringLiteral("Вы действительно хотите безвозвратно изменить данные справочника абонентов?"),
            QStringLiteral("Импорт справочника из Exel"), MessageIcon::Question))
        return false;
    const std::optional<QString> path
        = dialogs.openFileName({ workbook::OpenFilter, workbook::Extension, QString() });
    if (!path)
        return false;

    WorkbookReader reader;
    switch (reader.open(QFile::encodeName(*path).toStdString())) {
    case WorkbookReader::Status::Read: break;
    case WorkbookReader::Status::AccessDenied:
        dialogs.message({ QStringLiteral("Доступ к файлу закрыт!"), QStringLiteral("Ошибка импорта"),
            MessageIcon::Exclamation });
        return false;
    case WorkbookReader::Status::Unreadable: importFailed(dialogs); return false;
    }

    // Everything is read before anything changes: a workbook that does not fit leaves the
    // directory as it was.
    std::vector<std::array<std::string, Columns - 1>> rows;
    while (!reader.text(int(rows.size()) + 2, 1).empty()) {
        if (int(rows.size()) == fields::MaxRecords) {
            importFailed(dialogs);
            return false;
        }
        const int sheetRow = int(rows.size()) + 2;
        auto& texts = rows.emplace_back();
        for (int c = 2; c <= Columns; ++c)
            texts[std::size_t(c - 2)] = storedText(reader.text(sheetRow, c));
    }
    if (rows.empty())
        return false;

    RecordTable& table = state.table;
    const int count = int(rows.size());
    // Rows past the old directory may still hold what an earlier, longer directory left in
    // memory; a new subscriber there starts empty, as it would after reading the file.
    for (int r = table.recordCount() + 1; r <= count; ++r)
        table.clearRecord(r);
    table.setRecordCount(count);
    for (int r = 1; r <= count; ++r) {
        table.set(r, fields::Number, std::to_string(r));
        for (int f = fields::FullName; f <= fields::Note; ++f)
            table.set(r, f, rows[std::size_t(r - 1)][std::size_t(f - fields::FullName)]);
    }
    state.WriteDatabase();
    return true;
}
