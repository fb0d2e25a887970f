#include "directory/directory_workbook.h"

#include "database/database_file.h"
#include "directory/directory.h"
#include "platform/busy_cursor.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/workbook_files.h"
#include "platform/workbook_reader.h"
#include "platform/workbook_writer.h"
#include "session/app_state.h"
#include "session/automatic_backup.h"
#include "text/cp1251.h"

#include <QFile>
#include <QStringList>
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

const QString ImportTitle = QStringLiteral("Импорт справочника из Excel");

// Without blanks at the ends: the file's reader trims them, so the directory shows what the
// file will give back.
std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Columns B … F of the workbook's data rows as the database can keep them, and how many cells
// had to lose characters for it: line breaks, "|" (the file's separator) and characters outside
// Windows-1251.
struct ImportedRows
{
    std::vector<directory::Entry> entries;
    int cleanedCells = 0;

    void read(const WorkbookReader& reader, int sheetRow)
    {
        directory::Entry& texts = entries.emplace_back();
        for (int c = 2; c <= Columns; ++c) {
            const std::string text = reader.text(sheetRow, c);
            const std::string clean = cp1251::storableText(database::withoutLineBreaks(text));
            if (clean != text)
                ++cleanedCells;
            texts[std::size_t(c - 2)] = trimmed(clean);
        }
    }
};

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
    const std::optional<QString> path = workbook::askSaveName(dialogs, state.services.settings, proposed);
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
    if (!workbook::save(writer, *path, dialogs, state.services.settings))
        return false;
    state.notices.exported(*path);
    return true;
}

bool importDirectoryWorkbook(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    if (!dialogs.askYesNo(
            QStringLiteral("Вы действительно хотите безвозвратно изменить данные справочника абонентов?"),
            ImportTitle, MessageIcon::Question))
        return false;
    const std::optional<QString> path = workbook::askOpenName(dialogs, state.services.settings);
    if (!path)
        return false;

    WorkbookReader reader;
    WorkbookReader::Status opened = WorkbookReader::Status::Unreadable;
    {
        const BusyCursor busy;
        opened = reader.open(QFile::encodeName(*path).toStdString());
    }
    switch (opened) {
    case WorkbookReader::Status::Read: break;
    case WorkbookReader::Status::AccessDenied:
        dialogs.message({ QStringLiteral("Доступ к файлу закрыт!"), QStringLiteral("Ошибка импорта"),
            MessageIcon::Exclamation });
        return false;
    case WorkbookReader::Status::Unreadable: importFailed(dialogs); return false;
    }

    // Everything is read before anything changes: a workbook that does not fit leaves the
    // directory as it was.
    ImportedRows rows;
    bool tooMany = false;
    {
        const BusyCursor busy;
        while (!reader.text(int(rows.entries.size()) + 2, 1).empty()) {
            if (int(rows.entries.size()) == fields::MaxRecords) {
                tooMany = true;
                break;
            }
            const int sheetRow = int(rows.entries.size()) + 2;
            rows.read(reader, sheetRow);
        }
    }
    if (tooMany) {
        importFailed(dialogs);
        return false;
    }
    if (rows.entries.empty())
        return false;

    // The yearly sheets and the ledger stay with the record numbers: a workbook whose rows are
    // in another order (sorted by name, say) would hand everyone somebody else's readings.
    const int count = int(rows.entries.size());
    for (int i = 1; i <= count; ++i) {
        const std::string number = trimmed(reader.text(i + 1, 1));
        if (number == std::to_string(i))
            continue;
        const QString question = QStringLiteral(
            "Строки книги не совпадают с номерами справочника (строка %1: номер %2). Показания и лицевые "
            "счета останутся за номерами строк, а не за фамилиями. Всё равно заменить справочник?")
                                     .arg(i + 1)
                                     .arg(QString::fromStdString(number));
        if (!dialogs.askYesNo(question, ImportTitle, MessageIcon::Exclamation))
            return false;
        break;
    }

    backup::automaticBackup(state, backup::Reason::DirectoryImport);
    RecordTable& table = state.table;
    // A name longer than the limit is cut, unless it is the very name its record already has.
    int cutNames = 0;
    for (int r = 1; r <= count; ++r) {
        std::string& name = rows.entries[std::size_t(r - 1)][0];
        if (directory::characterCount(name) <= directory::NameLimit)
            continue;
        if (r <= table.recordCount() && table.field(r, fields::FullName) == name)
            continue;
        name = directory::firstCharacters(name, directory::NameLimit);
        ++cutNames;
    }

    // Rows past the old directory may still hold what an earlier, longer directory left in
    // memory; a new subscriber there starts empty, as it would after reading the file.
    for (int r = table.recordCount() + 1; r <= count; ++r)
        table.clearRecord(r);
    table.setRecordCount(count);
    for (int r = 1; r <= count; ++r) {
        table.set(r, fields::Number, std::to_string(r));
        for (int f = fields::FullName; f <= fields::Note; ++f)
            table.set(r, f, rows.entries[std::size_t(r - 1)][std::size_t(f - fields::FullName)]);
    }
    AppState::Writing writing(state, QStringLiteral("Загрузка справочника из книги"));
    if (state.WriteDatabase())
        state.notices.importedSubscribers(count);

    QStringList changes;
    if (rows.cleanedCells > 0)
        changes << QStringLiteral("Очищено ячеек: %1 (удалены символы, которые база не может хранить).")
                       .arg(rows.cleanedCells);
    if (cutNames > 0)
        changes << QStringLiteral("Сокращено фамилий длиннее %1 символов: %2.")
                       .arg(directory::NameLimit)
                       .arg(cutNames);
    if (!changes.isEmpty())
        dialogs.message({ changes.join(QLatin1Char('\n')), ImportTitle, MessageIcon::Information });
    return true;
}
