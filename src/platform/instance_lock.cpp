#include "platform/instance_lock.h"

#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::~InstanceLock()
{
    release();
}

bool InstanceLock::acquire(const QString& databasePath)
{
    release();
    const QByteArray path = QFile::encodeName(lockPathFor(databasePath));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file that cannot be opened (another user's, a folder without permission) guards
    // nothing: two copies would write over each other, so the start is refused.
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
