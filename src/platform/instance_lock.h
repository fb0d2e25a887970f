#pragma once

// One program per database: a lock on a file beside the database's real file, held for the whole
// run. The system releases it when the process ends in any way, so a crash leaves no stale lock
// behind.

#include "platform/file_system.h"

#include <QString>

class InstanceLock
{
public:
    // True when this run now holds the database. Otherwise refusal() is the message for the user:
    // that another copy holds it, or why the lock could not be taken at all (a lock that cannot be
    // taken guards nothing: two copies would write over each other, so the start is refused).
    bool acquire(const QString& databasePath);
    const QString& refusal() const { return m_refusal; }
    void release() { m_lock.release(); }

    // Beside the file that the database path stands for, links followed: two copies started
    // through two links to one database meet at one lock.
    static QString lockPathFor(const QString& databasePath);

private:
    files::FileLock m_lock;
    QString m_refusal;
};
