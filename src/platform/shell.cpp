#include "platform/shell.h"

#include "platform/dialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The desktop entry the desktop opens files of this type with, when that entry is installed; empty
// when there is none. Handing a file to the desktop's opener succeeds even when nothing can show
// it, so the handler is looked for first.
QString installedHandler(const QString& mimeType)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return {};
    QProcess query;
    query.start(xdgMime, { QStringLiteral("query"), QStringLiteral("default"), mimeType });
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    const QString entry = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (entry.isEmpty() || QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry).isEmpty())
        return {};
    return entry;
}

} // namespace

QStringList DesktopShell::pdfViewers()
{
    return { QStringLiteral("evince"), QStringLiteral("okular"), QStringLiteral("atril"),
        QStringLiteral("xreader"), QStringLiteral("qpdfview"), QStringLiteral("zathura"),
        QStringLiteral("mupdf"), QStringLiteral("xpdf") };
}

bool DesktopShell::openFile(const QString& path)
{
    // A machine without the shared file-type database still knows a guide by its name.
    const bool pdf = QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
    const QString type
        = pdf ? QStringLiteral("application/pdf") : QMimeDatabase().mimeTypeForFile(path).name();
    if (!installedHandler(type).isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!pdf)
        return false;
    for (const QString& viewer : pdfViewers()) {
        const QString program = QStandardPaths::findExecutable(viewer);
        if (!program.isEmpty())
            return QProcess::startDetached(program, { path });
    }
    return false;
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

bool DesktopShell::startThisProgram(const QStringList& arguments)
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

void startCalculator(Shell& shell, Dialogs& dialogs)
{
    if (shell.startCalculator())
        return;
    dialogs.message(
        { QStringLiteral("Калькулятор не найден: на компьютере не установлена программа-калькулятор "
                         "(например, %1).")
                .arg(DesktopShell::calculatorPrograms().join(QStringLiteral(", "))),
            QStringLiteral("Калькулятор"), MessageIcon::Information });
}
