#include "platform/workbook_files.h"

#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/workbook_writer.h"

#include <QDir>
#include <QFile>

namespace workbook {

std::optional<QString> askSaveName(Dialogs& dialogs, SettingsStore& settings, const QString& proposedName)
{
    QString name = proposedName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return dialogs.saveFileName({ SaveFilter, Extension, name + QStringLiteral(".xlsx"),
        places::folder(settings, places::Kind::Workbook) });
}

std::optional<QString> askOpenName(Dialogs& dialogs, SettingsStore& settings)
{
    const std::optional<QString> path = dialogs.openFileName(
        { OpenFilter, Extension, QString(), places::folder(settings, places::Kind::Workbook) });
    if (path)
        places::remember(settings, places::Kind::Workbook, *path);
    return path;
}

bool save(WorkbookWriter& writer, const QString& path, Dialogs& dialogs, SettingsStore& settings)
{
    if (writer.saveAs(QFile::encodeName(path).toStdString())) {
        places::remember(settings, places::Kind::Workbook, path);
        return true;
    }
    dialogs.error(QStringLiteral("Не удалось сохранить файл %1").arg(QDir::toNativeSeparators(path)),
        QStringLiteral("Ошибка сохранения"));
    return false;
}

} // namespace workbook
