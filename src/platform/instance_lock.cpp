#include "platform/instance_lock.h"

bool InstanceLock::acquire(const QString& databasePath)
{
    // A lock file that cannot be opened (another user's, a folder without permission) guards
    // nothing: two copies would write over each other, so the start is refused.
    return m_lock.acquire(lockPathFor(databasePath).toStdString());
}
