#include "session/app_state.h"

#include "database/change_log.h"
#include "database/database_file.h"
#include "database/year_archive.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <memory>

AppState::AppState(Services services, QString programFolder)
    : services(services), programFolder(std::move(programFolder)), dataFolder(this->programFolder)
{ }

QString AppState::databaseFilePath() const
{
    if (archiveView())
        return m_archive;
    return QDir(dataFolder).filePath(QString::fromLatin1(database::FileName));
}

void AppState::viewArchive(const QString& path)
{
    // Whole, so that the messages name the file wherever the program was started from.
    m_archive = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    services.settings.makeReadOnly();
}

bool AppState::refuseInArchive()
{
    if (!archiveView())
        return false;
    services.dialogs.message({ QStringLiteral("Архив открыт только для просмотра."), QStringLiteral("Архив"),
        MessageIcon::Information });
    return true;
}

bool AppState::refuseInClosedMonth(int year, int month)
{
    if (!isClosed(year, month))
        return false;
    services.dialogs.message({ QStringLiteral("Месяц «%1» закрыт: его показания, тарифы и записи лицевых счетов "
                                              "не меняются. Чтобы исправить его, выберите «Инструменты» → «Открыть "
                                              "месяц для исправления…».")
                                   .arg(QString::fromStdString(closing::monthWords({ year, month }))),
        QStringLiteral("Месяц закрыт"), MessageIcon::Information });
    return true;
}

void AppState::readClosedMonths()
{
    const std::string path = database::sideFilePath(databaseFile(), changelog::FileName);
    const database::FileBytes journal = database::readFile(path, std::size_t(1) << 30);
    ClosedThrough = journal.status == database::FileBytes::Status::Read
        ? closing::closedThrough(changelog::verify(journal.bytes, std::string()).entries)
        : std::nullopt;
}

QString AppState::windowTitle(const QString& caption) const
{
    return archiveView() ? QStringLiteral("Архив (только просмотр): ") + caption : caption;
}

std::string AppState::databaseFile() const
{
    return (DatabasePath.isEmpty() ? databaseFilePath() : DatabasePath).toStdString();
}

bool AppState::WriteDatabase()
{
    return WriteDatabase({}) != database::Commit::Failed;
}

database::Commit AppState::WriteDatabase(const std::vector<database::SideFileChange>& sideFiles)
{
    // Whatever asks for a write, an archive opened for viewing stays as it is on disk.
    if (fileBusy() || archiveView())
        return database::Commit::Failed;
    FileBusy busy(*this);
    const QString path = DatabasePath.isEmpty() ? databaseFilePath() : DatabasePath;
    const std::string filePath = path.toStdString();
    std::vector<database::SideFileChange> changes = sideFiles;
    changes.push_back(journalEntry(filePath));
    const database::Commit written = database::write(filePath, table, changes, nullptr, m_journal.watch());
    m_journal.written(written);
    m_lastWriteFailed = written == database::Commit::Failed;
    if (!m_lastWriteFailed) {
        notices.saved(services.clock.now().time());
        return written;
    }
    if (endingOnSignal)
        return written;
    if (database::isWriteProtected(filePath))
        services.dialogs.error(QStringLiteral("Файл базы защищён от записи: %1").arg(path), QString());
    else
        services.dialogs.message({ QStringLiteral("Ошибка сохранения"), QString(), MessageIcon::None });
    return written;
}

std::string AppState::operatingSystemUser()
{
    for (const char* name : { "USER", "USERNAME", "LOGNAME" }) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user.toStdString();
    }
    // Started without a login's variables (a service, a bare shell): the home folder is the user's.
    const QString home = QFileInfo(QDir::homePath()).fileName();
    return home.isEmpty() ? "?" : home.toStdString();
}

database::SideFileChange AppState::journalEntry(const std::string& databasePath)
{
    // What differs from the file as the program last wrote it: whatever command asked for the
    // write, nothing it changed goes unrecorded.
    changelog::Entry entry;
    entry.time = services.clock.now().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")).toStdString();
    entry.user = operatingSystemUser();
    entry.kind = m_writeKind.isEmpty() ? "Сохранение" : m_writeKind.toStdString();
    entry.note = m_writeNote.toStdString();
    return m_journal.entryFor(databasePath, table, std::move(entry));
}

AppState::Writing::Writing(AppState& state, QString kind, QString note)
    : m_state(state),
      m_kind(std::exchange(state.m_writeKind, std::move(kind))),
      m_note(std::exchange(state.m_writeNote, std::move(note)))
{ }

AppState::Writing::~Writing()
{
    m_state.m_writeKind = std::move(m_kind);
    m_state.m_writeNote = std::move(m_note);
}
