#pragma once

// One program per database: a lock on a file beside the database, held for the whole run. The
// system releases it when the process ends in any way, so a crash leaves no stale lock behind.

#include <QString>

class InstanceLock
{
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the lock for this database, or when the lock cannot be
    // taken at all.
    bool acquire(const QString& databasePath);
    void release();

    static QString lockPathFor(const QString& databasePath) { return databasePath + QStringLiteral(".lock"); }

private:
    int m_fd = -1;
};
