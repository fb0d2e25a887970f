#include "session/app_state.h"

#include "database/database_file.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFile>

AppState::AppState(Services services, QString programFolder)
    : services(services), programFolder(std::move(programFolder))
{ }

QString AppState::databaseFilePath() const
{
    return QDir(programFolder).filePath(QString::fromLatin1(database::FileName));
}

bool AppState::WriteDatabase()
{
    if (fileBusy())
        return false;
    FileBusy busy(*this);
    const QString path = DatabasePath.isEmpty() ? databaseFilePath() : DatabasePath;
    if (database::write(QFile::encodeName(path).toStdString(), table))
        return true;
    services.dialogs.message({ QStringLiteral("Ошибка сохранения"), QString(), MessageIcon::None });
    return false;
}
