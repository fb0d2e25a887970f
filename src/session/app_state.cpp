#include "session/app_state.h"

#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QDir>

AppState::AppState(Services services, QString programFolder)
    : services(services), programFolder(std::move(programFolder)), dataFolder(this->programFolder)
{ }

QString AppState::databaseFilePath() const
{
    return QDir(dataFolder).filePath(QString::fromLatin1(database::FileName));
}

std::string AppState::databaseFile() const
{
    return (DatabasePath.isEmpty() ? databaseFilePath() : DatabasePath).toStdString();
}

bool AppState::WriteDatabase()
{
    if (fileBusy())
        return false;
    FileBusy busy(*this);
    const QString path = DatabasePath.isEmpty() ? databaseFilePath() : DatabasePath;
    const std::string filePath = path.toStdString();
    m_lastWriteFailed = !database::write(filePath, table);
    if (!m_lastWriteFailed) {
        notices.saved(services.clock.now().time());
        return true;
    }
    if (endingOnSignal)
        return false;
    if (database::isWriteProtected(filePath))
        services.dialogs.error(QStringLiteral("Файл базы защищён от записи: %1").arg(path), QString());
    else
        services.dialogs.message({ QStringLiteral("Ошибка сохранения"), QString(), MessageIcon::None });
    return false;
}
