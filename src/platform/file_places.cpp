#include "platform/file_places.h"

#include "platform/settings_store.h"

#include <QFileInfo>

namespace places {
namespace {
const QString Section = QStringLiteral("Nastr");
}

QString settingsKey(Kind kind)
{
    switch (kind) {
    case Kind::Backup: return QStringLiteral("LastBackupDir");
    case Kind::Workbook: return QStringLiteral("LastWorkbookDir");
    case Kind::Pdf: return QStringLiteral("LastPdfDir");
    case Kind::Statement: return QStringLiteral("LastStatementDir");
    case Kind::Archive: return QStringLiteral("LastArchiveDir");
    case Kind::Readings: return QStringLiteral("LastReadingsDir");
    }
    return {};
}

QString folder(const SettingsStore& settings, Kind kind)
{
    const QString remembered = settings.value(Section, settingsKey(kind));
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QString();
}

void remember(SettingsStore& settings, Kind kind, const QString& file)
{
    settings.setValue(Section, settingsKey(kind), QFileInfo(file).absolutePath());
}

} // namespace places
