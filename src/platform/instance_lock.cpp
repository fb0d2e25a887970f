#include "platform/instance_lock.h"

#include <QDir>
#include <QFileInfo>

QString InstanceLock::lockPathFor(const QString& databasePath)
{
    const std::string real = files::realPath(databasePath.toStdString());
    return QDir::toNativeSeparators(QString::fromStdString(real) + QStringLiteral(".lock"));
}

bool InstanceLock::acquire(const QString& databasePath)
{
    m_refusal.clear();
    const QString lockPath = lockPathFor(databasePath);
    std::string error;
    const files::LockStatus status = m_lock.acquire(lockPath.toStdString(), &error);
    const QString folder
        = QDir::toNativeSeparators(QString::fromStdString(files::folderOf(lockPath.toStdString())));
    const QString cannotMake = QStringLiteral("Не удалось создать файл блокировки %1: ").arg(lockPath);
    switch (status) {
    case files::LockStatus::Taken: return true;
    case files::LockStatus::Held:
        m_refusal = QStringLiteral("Файл базы %1 уже открыт другой копией программы.").arg(databasePath);
        break;
    case files::LockStatus::FileAccessDenied:
        m_refusal = QStringLiteral("Не удалось открыть файл блокировки %1: нет доступа к этому файлу.")
                        .arg(lockPath);
        break;
    case files::LockStatus::FolderAccessDenied:
        m_refusal = cannotMake + QStringLiteral("нет доступа к папке %1.").arg(folder);
        break;
    case files::LockStatus::NoFolder:
        m_refusal = cannotMake + QStringLiteral("нет папки %1.").arg(folder);
        break;
    case files::LockStatus::NotAFile:
        m_refusal = cannotMake
            + (QFileInfo(lockPath).isDir() ? QStringLiteral("на его месте папка.")
                                           : QStringLiteral("на его месте не обычный файл."));
        break;
    case files::LockStatus::Failed: {
        // The system's words, without the full stop that Windows ends them with.
        QString words = QString::fromStdString(error);
        while (words.endsWith(QLatin1Char('.')))
            words.chop(1);
        m_refusal = QStringLiteral("Не удалось заблокировать файл %1: %2.").arg(lockPath, words);
        break;
    }
    }
    return false;
}
