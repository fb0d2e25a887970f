#pragma once

// One program per database: a lock on a file beside the database, held for the whole run. The
// system releases it when the process ends in any way, so a crash leaves no stale lock behind.

#include "platform/file_system.h"

#include <QString>

class InstanceLock
{
public:
    // False when another process holds the lock for this database, or when the lock cannot be
    // taken at all.
    bool acquire(const QString& databasePath);
    void release() { m_lock.release(); }

    static QString lockPathFor(const QString& databasePath) { return databasePath + QStringLiteral(".lock"); }

private:
    files::FileLock m_lock;
};
