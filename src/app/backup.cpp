#include "app/backup.h"

#include "app/automatic_backup.h"
#include "app/backup_file.h"
#include "app/backup_list_window.h"
#include "database/database_file.h"
#include "documents/payee_file.h"
#include "documents/payee_settings.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace backup {
namespace {

const QString Filter = QStringLiteral("Файлы (*.spb)|*.spb|Все файлы(*.*)|*.*|");
const QString CopyError = QStringLiteral("Ошибка копирования");
// The emergency copy the last run left, until the next start has named it.
const QString EmergencyCopyKey = QStringLiteral("EmergencyCopy");

// The core takes paths as UTF-8 on every system (Windows included, where the local 8-bit
// encoding is not UTF-8).
std::string fileSystemPath(const QString& path)
{
    return path.toStdString();
}

} // namespace

QString proposedName(const QDateTime& now)
{
    return now.toString(QStringLiteral("dd.MM.yyyy HH'ч'mm'мин'")) + QStringLiteral(" ")
        + QString::fromLatin1(database::FileName);
}

QString emergencyCopyName(const QDateTime& now)
{
    return QStringLiteral("Tervolin2 %1.spb").arg(now.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")));
}

SetWritten writeBackupSet(AppState& state, const QString& path)
{
    const std::string backupPath = fileSystemPath(path);
    // Written as the database file is written, so that every backup can be restored; a failed
    // backup must not pass for a written one.
    if (!database::writeCopy(backupPath, state.table, BackupTemporarySuffix))
        return { SetWritten::Part::Database, path };
    const std::string database = fileSystemPath(state.databaseFilePath());
    if (!backUpJournal(database, backupPath))
        return { SetWritten::Part::Journal, QString::fromStdString(journalBackupPath(backupPath)) };
    if (!backUpSupplierFigures(database, backupPath))
        return { SetWritten::Part::SupplierFigures,
            QString::fromStdString(supplierFiguresBackupPath(backupPath)) };
    if (!backUpRoute(database, backupPath))
        return { SetWritten::Part::Route, QString::fromStdString(routeBackupPath(backupPath)) };
    if (!backUpClaims(database, backupPath))
        return { SetWritten::Part::Claims, QString::fromStdString(claimsBackupPath(backupPath)) };
    if (!backUpChangeLog(database, backupPath))
        return { SetWritten::Part::ChangeLog, QString::fromStdString(changeLogBackupPath(backupPath)) };
    // The payee details are the user's settings: the backup takes them along for another computer.
    const std::string payeeCopy = payeeBackupPath(backupPath);
    const documents::PayeeDetails payee = documents::readPayee(state.services.settings);
    const bool payeeWritten = documents::payeeBlank(payee)
        ? !files::exists(payeeCopy) || files::removeRegularFile(payeeCopy)
        : database::writeFile(payeeCopy, documents::payeeFileText(payee));
    if (!payeeWritten)
        return { SetWritten::Part::Payee, QString::fromStdString(payeeCopy) };
    return {};
}

bool makeBackup(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    SettingsStore& settings = state.services.settings;
    const std::optional<QString> chosen = dialogs.saveFileName({ Filter, QStringLiteral("*.squ"),
        proposedName(state.services.clock.now()), places::folder(settings, places::Kind::Backup) });
    if (!chosen)
        return false;
    const QString path = QDir::toNativeSeparators(*chosen);
    const SetWritten written = writeBackupSet(state, path);
    QString text;
    switch (written.failed) {
    case SetWritten::Part::None: break;
    case SetWritten::Part::Database:
        text = QStringLiteral("Не удалось записать резервную копию в файл %1");
        break;
    case SetWritten::Part::Journal:
        text = QStringLiteral("Не удалось записать журнал загруженных платежей в файл %1");
        break;
    case SetWritten::Part::SupplierFigures:
        text = QStringLiteral("Не удалось записать данные поставщика в файл %1");
        break;
    case SetWritten::Part::Route:
        text = QStringLiteral("Не удалось записать порядок обхода в файл %1");
        break;
    case SetWritten::Part::Claims:
        text = QStringLiteral("Не удалось записать реестр претензий в файл %1");
        break;
    case SetWritten::Part::ChangeLog:
        text = QStringLiteral("Не удалось записать журнал изменений в файл %1");
        break;
    case SetWritten::Part::Payee:
        text = QStringLiteral("Не удалось записать реквизиты получателя платежа в файл %1");
        break;
    }
    if (!text.isEmpty()) {
        dialogs.message({ text.arg(written.file), QStringLiteral("Ошибка резервного копирования"),
            MessageIcon::Exclamation });
        return false;
    }
    places::remember(settings, places::Kind::Backup, path);
    state.notices.backedUp(path);
    return true;
}

std::optional<QString> writeEmergencyCopy(AppState& state)
{
    // The user's data folder first; the temporary folder when even that cannot be written.
    const QStringList folders = {
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tervolin"),
        QDir::tempPath(),
    };
    const QString name = emergencyCopyName(state.services.clock.now());
    for (const QString& folderPath : folders) {
        QDir folder(folderPath);
        if (!folder.mkpath(QStringLiteral(".")))
            continue;
        // Never over an earlier copy: two ends within a second keep both.
        QString path = folder.filePath(name);
        for (int n = 2; QFileInfo::exists(path); ++n)
            path = folder.filePath(
                QString(name).replace(QLatin1String(".spb"), QStringLiteral(" (%1).spb").arg(n)));
        if (!database::writeCopy(fileSystemPath(path), state.table, BackupTemporarySuffix))
            continue;
        SettingsStore& settings = state.services.settings;
        settings.setValue(settings::Main, EmergencyCopyKey, QDir::toNativeSeparators(path));
        settings.sync();
        return path;
    }
    return std::nullopt;
}

void tellAboutEmergencyCopy(AppState& state)
{
    SettingsStore& settings = state.services.settings;
    const QString path = settings.value(settings::Main, EmergencyCopyKey);
    if (path.isEmpty())
        return;
    settings.setValue(settings::Main, EmergencyCopyKey, QString());
    settings.sync();
    state.services.dialogs.message(
        { QStringLiteral("Когда программа закрывалась в прошлый раз, файл базы не удалось "
                         "записать. Все данные сохранены в аварийную копию:\n%1\n"
                         "Её можно вернуть на место базы: «Настройки» → «Восстановление "
                         "базы из резервной копии».")
                .arg(path),
            QStringLiteral("Аварийная копия базы"), MessageIcon::Information });
}

namespace {

// The payee details beside the backup, when they are not those of the settings: the user chooses.
void offerBackupPayee(AppState& state, const std::string& backupPath)
{
    const database::FileBytes file = database::readFile(payeeBackupPath(backupPath), 1 << 16);
    if (file.status != database::FileBytes::Status::Read)
        return;
    const std::optional<documents::PayeeDetails> kept = documents::parsePayeeFile(file.bytes);
    SettingsStore& settings = state.services.settings;
    if (!kept || documents::payeeFileText(*kept) == documents::payeeFileText(documents::readPayee(settings)))
        return;
    if (!state.services.dialogs.askYesNo(
            QStringLiteral(
                "В резервной копии есть реквизиты получателя платежа (%1). Взять их вместо нынешних?")
                .arg(QString::fromStdString(kept->name)),
            QStringLiteral("Реквизиты получателя платежа"), MessageIcon::Question))
        return;
    documents::storePayee(settings, *kept);
    settings.sync();
}

// The automatic backups first, when there are any; the file dialog for another file.
std::optional<QString> chooseBackup(AppState& state)
{
    if (std::vector<AutomaticBackup> backups = automaticBackups(state); !backups.empty()) {
        frmBackupList list(std::move(backups), QApplication::activeWindow());
        switch (list.ask()) {
        case frmBackupList::Choice::Cancelled: return std::nullopt;
        case frmBackupList::Choice::Backup: return list.chosenPath();
        case frmBackupList::Choice::OtherFile: break;
        }
    }
    SettingsStore& settings = state.services.settings;
    const std::optional<QString> chosen = state.services.dialogs.openFileName(
        { Filter, QStringLiteral("*.spb"), QString(), places::folder(settings, places::Kind::Backup) });
    if (chosen)
        places::remember(settings, places::Kind::Backup, *chosen);
    return chosen;
}

} // namespace

bool restoreBackup(AppState& state)
{
    Dialogs& dialogs = state.services.dialogs;
    const std::optional<QString> chosen = chooseBackup(state);
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
    automaticBackup(state, Reason::Restore);
    const QString database = QDir::toNativeSeparators(state.databaseFilePath());
    changelog::Entry entry;
    entry.time = state.services.clock.now().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")).toStdString();
    entry.user = AppState::operatingSystemUser();
    entry.kind = "Восстановление из резервной копии";
    entry.note = source.toStdString();
    const Restore restored = restoreSet(fileSystemPath(source), fileSystemPath(database), std::move(entry));
    if (!restored.failedFile.empty()) {
        dialogs.message(
            { QStringLiteral("Не удалось восстановить файл %1.\nБаза и файлы рядом с ней остались "
                             "прежними.")
                    .arg(QDir::toNativeSeparators(QString::fromStdString(restored.failedFile))),
                QStringLiteral("Восстановление не выполнено"), MessageIcon::Exclamation });
        return false;
    }
    if (restored.status != CopyStatus::Copied)
        return copyFailure(restored.status);
    offerBackupPayee(state, fileSystemPath(source));
    QString text = QStringLiteral("Сейчас программа закроется, запустите её заново");
    if (restored.sidesPending)
        text = QStringLiteral("Файлы рядом с базой займут своё место при следующем запуске программы.\n")
            + text;
    if (restored.journalFiltered)
        text = QStringLiteral("В резервной копии нет журнала загруженных платежей. Из текущего журнала "
                              "оставлено платежей: %1, убрано: %2 (их нет в восстановленной базе, их можно "
                              "загрузить снова).\n")
                   .arg(restored.journalKept)
                   .arg(restored.journalDropped)
            + text;
    if (restored.keptFormer) {
        const QString former = QString::fromStdString(formerDatabasePath(fileSystemPath(database)));
        text = QStringLiteral("Прежняя база сохранена как %1.\n").arg(QFileInfo(former).fileName()) + text;
    }
    dialogs.message({ text, QStringLiteral("Восстановление произошло успешно"), MessageIcon::Information });
    return true;
}

} // namespace backup
