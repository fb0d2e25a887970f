#include "accounts/side_files.h"

#include "accounts/year_rollover.h"
#include "database/commit.h"
#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QDir>
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

} // namespace ledger
