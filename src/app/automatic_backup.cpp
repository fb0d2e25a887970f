#include "app/automatic_backup.h"

#include "accounts/bank_journal.h"
#include "accounts/claims_register.h"
#include "app/backup.h"
#include "app/backup_file.h"
#include "app/backup_rotation.h"
#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "reports/supplier_figures.h"
#include "session/app_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace backup {
namespace {

// What went wrong with an automatic backup, until the next start has said so.
const QString FailedKey = QStringLiteral("AutoBackupFailed");
const QString WhySuffix = QStringLiteral(".why");
// Every file of a set beside the backup itself.
const QStringList SideSuffixes
    = { QStringLiteral(".bank"), QStringLiteral(".balance"), QStringLiteral(".route"),
          QStringLiteral(".claims"), QStringLiteral(".log"), QStringLiteral(".rekv"), WhySuffix };
const QString FolderName = QStringLiteral("Резервные копии");
constexpr std::size_t MaxCompared = std::size_t(1) << 30;

LocalTime localTime(const QDateTime& time)
{
    using namespace std::chrono;
    const QDate date = time.date();
    const QTime clock = time.time();
    return local_days(
               year_month_day(year(date.year()), month(unsigned(date.month())), day(unsigned(date.day()))))
        + hours(clock.hour()) + minutes(clock.minute()) + seconds(clock.second());
}

QDateTime qtTime(LocalTime time)
{
    using namespace std::chrono;
    const local_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(time - day);
    return QDateTime(QDate(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day()))),
        QTime(int(clock.hours().count()), int(clock.minutes().count()), int(clock.seconds().count())));
}

std::string core(const QString& path)
{
    return path.toStdString();
}

void removeSet(const QString& path)
{
    QFile::remove(path);
    for (const QString& suffix : SideSuffixes)
        QFile::remove(path + suffix);
}

// Whether a file and its copy hold the same bytes; two missing files are the same.
bool sameFile(const std::string& file, const std::string& copy)
{
    const bool hasFile = files::exists(file);
    if (hasFile != files::exists(copy))
        return false;
    if (!hasFile)
        return true;
    const database::FileBytes a = database::readFile(file, MaxCompared);
    const database::FileBytes b = database::readFile(copy, MaxCompared);
    return a.status == database::FileBytes::Status::Read && b.status == database::FileBytes::Status::Read
        && a.bytes == b.bytes;
}

// Whether the database and the files beside it are as the newest backup holds them: a close after
// a run that changed nothing needs no backup of its own.
bool asNewestBackupHolds(const AppState& state, const std::vector<AutomaticBackup>& backups)
{
    if (backups.empty())
        return false;
    const std::string backupPath = core(backups.front().path);
    const std::string database = core(state.databaseFilePath());
    return sameFile(database, backupPath)
        && sameFile(bank::journalPath(database), journalBackupPath(backupPath))
        && sameFile(reports::supplierFilePath(database), supplierFiguresBackupPath(backupPath))
        // The register of claims is written on its own, without the database.
        && sameFile(claims::filePath(database), claimsBackupPath(backupPath));
}

void reportFailure(AppState& state, Reason reason, const QString& file)
{
    const QString shown = QDir::toNativeSeparators(file);
    state.notices.automaticBackupFailed(shown);
    SettingsStore& settings = state.services.settings;
    settings.setValue(settings::Main, FailedKey,
        QStringLiteral("%1, %2:\n%3")
            .arg(state.services.clock.now().toString(QStringLiteral("dd.MM.yyyy HH:mm")), reasonText(reason),
                shown));
    settings.sync();
}

void rotate(const AppState& state, const QString& folder)
{
    std::vector<KeptBackup> kept;
    for (const AutomaticBackup& backup : automaticBackups(state))
        kept.push_back(
            { core(QFileInfo(backup.path).fileName()), localTime(backup.time), std::uint64_t(backup.bytes) });
    for (const std::string& name : backupsToRemove(kept, localTime(state.services.clock.now())))
        removeSet(QDir(folder).filePath(QString::fromStdString(name)));
}

} // namespace

bool automaticBackupsOn(const SettingsStore& settings)
{
    return settings.value(settings::Main, AutoBackupKey, QStringLiteral("1")).trimmed() != QLatin1String("0");
}

QString automaticBackupFolder(const AppState& state)
{
    const QString chosen = state.services.settings.value(settings::Main, AutoBackupFolderKey).trimmed();
    if (!chosen.isEmpty())
        return QDir::toNativeSeparators(chosen);
    return defaultAutomaticBackupFolder(state);
}

QString defaultAutomaticBackupFolder(const AppState& state)
{
    const QString database = QString::fromStdString(files::realPath(core(state.databaseFilePath())));
    return QDir::toNativeSeparators(QFileInfo(database).dir().filePath(FolderName));
}

QString reasonText(Reason reason)
{
    switch (reason) {
    case Reason::DirectoryImport: return QStringLiteral("перед импортом справочника");
    case Reason::BankImport: return QStringLiteral("перед занесением платежей из выписки");
    case Reason::Restore: return QStringLiteral("перед восстановлением из резервной копии");
    case Reason::CarryOver: return QStringLiteral("перед переносом остатков на январь");
    case Reason::YearOpening: return QStringLiteral("перед открытием нового года");
    case Reason::Close: return QStringLiteral("при закрытии программы");
    }
    return QString();
}

std::vector<AutomaticBackup> automaticBackups(const AppState& state)
{
    std::vector<AutomaticBackup> found;
    const QDir folder(automaticBackupFolder(state));
    const QFileInfoList entries = folder.entryInfoList({ QStringLiteral("*.spb") }, QDir::Files);
    for (const QFileInfo& entry : entries) {
        const std::optional<LocalTime> time = automaticBackupTime(core(entry.fileName()));
        if (!time)
            continue;
        AutomaticBackup backup{ QDir::toNativeSeparators(entry.filePath()), qtTime(*time), entry.size(), {} };
        for (const QString& suffix : SideSuffixes)
            backup.bytes += QFileInfo(entry.filePath() + suffix).size();
        QFile why(entry.filePath() + WhySuffix);
        if (why.open(QIODevice::ReadOnly))
            backup.reason = QString::fromUtf8(why.readLine(1024)).trimmed();
        found.push_back(std::move(backup));
    }
    // Of two made within the same second the numbered one is the later.
    std::sort(found.begin(), found.end(), [](const AutomaticBackup& a, const AutomaticBackup& b) {
        return a.time != b.time              ? a.time > b.time
            : a.path.size() != b.path.size() ? a.path.size() > b.path.size()
                                             : a.path > b.path;
    });
    return found;
}

void automaticBackup(AppState& state, Reason reason)
{
    if (state.archiveView() || !automaticBackupsOn(state.services.settings))
        return;
    const QString folderPath = automaticBackupFolder(state);
    if (reason == Reason::Close) {
        // The main window also closes on the way to the directory: the program goes on.
        if (state.DirectoryOpening)
            return;
        // A table the file could not take is unlike any backup; otherwise the files are compared.
        if (!state.lastWriteFailed() && asNewestBackupHolds(state, automaticBackups(state)))
            return;
    }
    QDir folder(folderPath);
    if (!folder.mkpath(QStringLiteral("."))) {
        reportFailure(state, reason, folderPath);
        return;
    }
    const std::string name = automaticBackupName(localTime(state.services.clock.now()));
    QString path = folder.filePath(QString::fromStdString(name));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QString::fromStdString(numberedName(name, n)));
    path = QDir::toNativeSeparators(path);

    const SetWritten written = writeBackupSet(state, path);
    if (!written.whole()) {
        // Half a set must not be offered for a restore.
        removeSet(path);
        reportFailure(state, reason, written.file);
        return;
    }
    // Without its reason the backup is still whole: the list then shows none.
    database::writeFile(core(path + WhySuffix), reasonText(reason).toStdString() + "\n");
    rotate(state, folderPath);
}

void tellAboutFailedAutomaticBackup(AppState& state)
{
    SettingsStore& settings = state.services.settings;
    const QString failure = settings.value(settings::Main, FailedKey);
    if (failure.isEmpty())
        return;
    settings.setValue(settings::Main, FailedKey, QString());
    settings.sync();
    state.services.dialogs.message({ QStringLiteral("Автоматическую резервную копию базы не удалось записать "
                                                    "(%1).\nПроверьте, что папку резервных копий можно "
                                                    "записать и на диске есть место: «Настройки» → "
                                                    "«Параметры сохранения».")
                                         .arg(failure),
        QStringLiteral("Автоматическая резервная копия"), MessageIcon::Exclamation });
}

} // namespace backup
