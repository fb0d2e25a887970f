#include "reports/help_command.h"

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "session/app_state.h"

#include <QDir>
#include <QFileInfo>

namespace help {

QString helpFilePath(const AppState& state)
{
    return QDir::toNativeSeparators(QDir(state.programFolder).filePath(QString::fromLatin1(FileName)));
}

void openHelp(AppState& state)
{
    const QString path = helpFilePath(state);
    Dialogs& dialogs = state.services.dialogs;
    if (!QFileInfo(path).isFile()) {
        dialogs.message({ QStringLiteral("Файл справки %1 не найден.").arg(path), QStringLiteral("Помощь"),
            MessageIcon::Exclamation });
        return;
    }
    if (!state.services.shell.openFile(path)) {
        dialogs.message({ QStringLiteral("Не найдена программа для просмотра файлов PDF.\n"
                                         "Откройте файл справки вручную: %1")
                              .arg(path),
            QStringLiteral("Помощь"), MessageIcon::Information });
    }
}

} // namespace help
