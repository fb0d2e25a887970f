#include "platform/workbook_files.h"

#include "platform/dialogs.h"
#include "platform/workbook_writer.h"

#include <QDir>
#include <QFile>

namespace workbook {

std::optional<QString> askSaveName(Dialogs& dialogs, const QString& proposedName)
{
    QString name = proposedName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return dialogs.saveFileName({ SaveFilter, Extension, name + QStringLiteral(".xlsx") });
}

bool save(WorkbookWriter& writer, const QString& path, Dialogs& dialogs)
{
    if (writer.saveAs(QFile::encodeName(path).toStdString()))
        return true;
    dialogs.error(QStringLiteral("Не удалось сохранить файл %1").arg(QDir::toNativeSeparators(path)),
        QStringLiteral("Ошибка сохранения"));
    return false;
}

} // namespace workbook
