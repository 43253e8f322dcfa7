#include "DataFolderLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
namespace ledra {

DataFolderLock::DataFolderLock(const QString &folder) : m_folder(folder) {}

DataFolderLock::~DataFolderLock() {
    unlock();
}

DataFolderLock::Result DataFolderLock::tryLock() {
    if (m_locked)
        return Result::Locked;
    if (m_fd < 0) {
        const QByteArray path =
            QFile::encodeName(QDir(m_folder).filePath(DataFolderLock::fileName()));
        // Read-only is enough for an flock, so every user who may read the folder can take it
        // whoever made the file. Not inherited by programs started from here (their lock would
        // outlive ours), and never through a link planted under the lock file's name.
        m_fd = ::open(path.constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd < 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return Result::Failed;
        }
    }
    int rc;
    do
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_locked = true;
        return Result::Locked;
    }
    if (errno == EWOULDBLOCK)
        return Result::Busy;
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return Result::Failed;
}

DataFolderLock::Result DataFolderLock::lock(int waitMs, const std::function<void()> &waiting,
                                            const std::function<void()> &poll) {
    Result r = tryLock();
    if (r != Result::Busy)
        return r;
    if (waiting)
        waiting();
    QDeadlineTimer deadline(waitMs);
    while (r == Result::Busy && !deadline.hasExpired()) {
        if (poll)
            poll();
        QThread::msleep(100);
        r = tryLock();
    }
    return r;
}

void DataFolderLock::unlock() {
    if (m_fd >= 0)
        ::close(m_fd); // gives the flock back
    m_fd = -1;
    m_locked = false;
}

int DataFolderLock::removeLeftoverTemporaries(const QString &folder) const {
    if (!m_locked)
        return 0;
    const QDir dir(folder);
    const QStringList names = dir.entryList(
        {QStringLiteral("*.neu~")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    int removed = 0;
    for (const QString &name : names) {
        if (!name.endsWith(QLatin1String(".neu~")))
            continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::unlink(path.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace ledra
