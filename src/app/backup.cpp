#include "app/backup.h"

#include "app/backup_file.h"
#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace backup {
namespace {

const QString Filter = QStringLiteral("Файлы (*.spb)|*.spb|Все файлы(*.*)|*.*|");
const QString CopyError = QStringLiteral("Ошибка копирования");

std::string fileSystemPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

QString proposedName(const QDateTime& now)
{
    return now.toString(QStringLiteral("dd.MM.yyyy HH'ч'mm'мин'")) + QStringLiteral(" ")
        + QString::fromLatin1(database::FileName);
}

void makeBackup(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    const std::optional<QString> chosen
        = dialogs.saveFileName({ Filter, QStringLiteral("*.squ"), proposedName(state.services.clock.now()) });
    if (!chosen)
        return;
    const QString path = QDir::toNativeSeparators(*chosen);
    // Written as the database file is written, so that every backup can be restored; a failed
    // backup must not pass for a written one.
    if (!database::write(fileSystemPath(path), state.table)) {
        dialogs.message({ QStringLiteral("Не удалось записать резервную копию в файл %1").arg(path),
            QStringLiteral("Ошибка резервного копирования"), MessageIcon::Exclamation });
    }
}

bool restoreBackup(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    const std::optional<QString> chosen
        = dialogs.openFileName({ Filter, QStringLiteral("*.spb"), QString() });
    if (!chosen)
        return false;
    const QString source = QDir::toNativeSeparators(*chosen);

    const auto copyFailure = [&](CopyStatus status) {
        switch (status) {
        case CopyStatus::NotFound:
            dialogs.message({ QStringLiteral("файл не найден!"), CopyError, MessageIcon::Exclamation });
            break;
        case CopyStatus::AccessDenied:
            dialogs.message(
                { QStringLiteral("Доступ к файлу закрыт!"), CopyError, MessageIcon::Exclamation });
            break;
        case CopyStatus::Failed:
        case CopyStatus::Copied:
            dialogs.message({ QStringLiteral("Ошибка копирования файла"), QString(), MessageIcon::None });
            break;
        }
        return false;
    };

    using Status = SourceCheck::Status;
    const SourceCheck check = checkBackup(fileSystemPath(source));
    switch (check.status) {
    case Status::Ready: break;
    case Status::NotFound: return copyFailure(CopyStatus::NotFound);
    case Status::AccessDenied: return copyFailure(CopyStatus::AccessDenied);
    case Status::Unreadable: return copyFailure(CopyStatus::Failed);
    case Status::Empty:
        dialogs.error(
            QStringLiteral("ФАЙЛ БАЗЫ   %1   ПУСТОЙ!").arg(source), QStringLiteral("Ошибка загрузки"));
        return false;
    case Status::BadLine:
        dialogs.error(QStringLiteral("Строка № %1   файла %2  Содержит ошибку!").arg(check.line).arg(source),
            QStringLiteral("Ошибка формата файла"));
        return false;
    }

    if (!dialogs.askYesNo(
            QStringLiteral("Вы действительно хотите безвозвратно заменить файл текущей базы файлом %1 ?")
                .arg(source),
            QStringLiteral("Подтвердите операцию"), MessageIcon::Question))
        return false;

    // From the copy on, nothing may write the table in memory over the restored file: not even an
    // autosave tick while the message below is open. The caller ends the program right after.
    AppState::FileBusy busy(state);
    const CopyStatus copied
        = replaceDatabase(fileSystemPath(source), fileSystemPath(state.databaseFilePath()));
    if (copied != CopyStatus::Copied)
        return copyFailure(copied);
    dialogs.message({ QStringLiteral("Сейчас программа закроется, запустите её заново"),
        QStringLiteral("Востановление произошло успешно"), MessageIcon::Information });
    return true;
}

} // namespace backup
