#include "accounts/side_files.h"

#include "accounts/year_rollover.h"
#include "database/change_log.h"
#include "database/closed_months.h"
#include "database/commit.h"
#include "database/database_file.h"
#include "database/sha256.h"
#include "database/year_archive.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace ledger {

bool recoverSideFiles(AppState& state)
{
    const std::string database = state.databaseFile();
    const database::CommitRecovery recovered
        = database::recoverCommit(database, ledger::archivedSideFiles(database));
    QStringList names;
    for (const std::string& file : recovered.files)
        names << QDir::toNativeSeparators(QString::fromStdString(file));
    const QString title = QStringLiteral("Файлы рядом с базой");
    switch (recovered.status) {
    case database::CommitRecovery::Status::Nothing:
    case database::CommitRecovery::Status::Finished:
    case database::CommitRecovery::Status::Dropped: return true;
    case database::CommitRecovery::Status::Conflict:
        state.services.dialogs.message(
            { QStringLiteral("Запись базы %1 вместе с файлами %2 была прервана, а "
                             "файл базы после этого изменён не этой записью (другой "
                             "программой или вручную). Новые данные этих файлов не "
                             "внесены; проверьте последние загруженные платежи.")
                    .arg(QDir::toNativeSeparators(QString::fromStdString(database)),
                        names.join(QStringLiteral(", "))),
                title, MessageIcon::Exclamation });
        return true;
    case database::CommitRecovery::Status::Failed: break;
    }
    state.services.dialogs.message(
        { QStringLiteral(
              "Не удалось обновить файлы %1 (%2). Пока они не обновлены, выписки банка не "
              "загружаются; проверьте, что папка базы доступна для записи, и запустите программу снова.")
                .arg(names.join(QStringLiteral(", ")), QString::fromStdString(recovered.error)),
            title, MessageIcon::Exclamation });
    return false;
}

namespace {

std::optional<std::string> hashOfFile(const std::string& path)
{
    database::FileBytes bytes = database::readFile(path, std::size_t(1) << 31);
    if (bytes.status != database::FileBytes::Status::Read)
        return std::nullopt;
    return Sha256::of(bytes.bytes);
}

} // namespace

void checkChangeJournal(AppState& state)
{
    if (state.archiveView())
        return;
    const std::string database = state.databaseFile();
    const std::string path = database::sideFilePath(database, changelog::FileName);
    const database::FileBytes journal = database::readFile(path, std::size_t(1) << 30);
    const std::optional<std::string> hash = hashOfFile(database);
    if (journal.status != database::FileBytes::Status::Read || !hash)
        return;
    const changelog::Verification checked = changelog::verify(journal.bytes, *hash);
    using Status = changelog::Verification::Status;
    if (checked.status == Status::Empty || checked.status == Status::Sound)
        return;

    const QDateTime now = state.services.clock.now();
    changelog::Entry entry;
    entry.time = now.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")).toStdString();
    entry.user = AppState::operatingSystemUser();
    entry.databaseHash = *hash;
    const QString after = checked.lastTime.empty()
        ? QString()
        : QStringLiteral(" после %1").arg(QString::fromStdString(checked.lastTime).left(16));
    QString text;
    std::string kept = journal.bytes;
    if (checked.status == Status::DatabaseChanged) {
        text = QStringLiteral("База изменена вне программы%1.").arg(after);
        entry.kind = "Изменение вне программы";
    } else {
        // The broken journal stays whole beside the new one, for whoever checks it.
        const std::string aside
            = path + ".нарушен-" + now.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")).toStdString();
        if (!database::writeFile(aside, journal.bytes))
            return;
        text = QStringLiteral("Журнал изменений нарушен: запись № %1 не следует из записей до неё%2. Прежний "
                              "журнал сохранён как %3; новые записи идут в новый журнал.")
                   .arg(checked.entry)
                   .arg(after, QDir::toNativeSeparators(QString::fromStdString(aside)));
        entry.kind = "Журнал нарушен";
        kept.clear();
    }
    entry.note = text.toStdString();
    std::string written = changelog::appended(kept, entry);
    // A new journal keeps the months closed before the break closed.
    if (const std::optional<fields::YearMonth> closed = closing::closedThrough(checked.entries);
        closed && kept.empty()) {
        changelog::Entry closure = entry;
        closure.kind = closing::CloseKind;
        closure.note = closing::closeNote(*closed) + " (по журналу до нарушения)";
        written = changelog::appended(written, closure);
    }
    database::writeFile(path, written);
    state.services.dialogs.message({ text, QStringLiteral("Журнал изменений"), MessageIcon::Exclamation });
}

} // namespace ledger
