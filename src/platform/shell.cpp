#include "platform/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

bool DesktopShell::openFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

QStringList DesktopShell::calculatorPrograms()
{
    return { QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
        QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc") };
}

bool DesktopShell::startCalculator()
{
    for (const QString& program : calculatorPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return QProcess::startDetached(path, {});
    }
    return false;
}
