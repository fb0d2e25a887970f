#include "session/app_state.h"

#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"

#include <QDir>
#include <QFileInfo>

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
    const database::Commit written = sideFiles.empty()
        ? (database::write(filePath, table) ? database::Commit::Done : database::Commit::Failed)
        : database::write(filePath, table, sideFiles);
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
