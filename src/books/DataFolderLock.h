#pragma once
// The lock that keeps a data folder to one program at a time: an flock on the file LEDRA.LCK in
// the base data folder, taken at the start and held to the end of the program. Two programs on
// the same books would otherwise count moved bookings twice, lose each other's updates and
// write back settings read before the other's change.
//
// An flock belongs to the open file, not to a name: the kernel lets go of it when its holder
// ends, however it ends, so a killed program never leaves a lock that blocks the next start,
// and other tools (a backup script with flock(1)) can keep the program out the same way. The
// file itself stays: removing it would let a later program lock a new file while an earlier
// one still holds the old one.

#include <QString>
#include <functional>
namespace ledra {

class DataFolderLock {
public:
    enum class Result { Locked, Busy, Failed };

    static QString fileName() { return QStringLiteral("LEDRA.LCK"); }

    explicit DataFolderLock(const QString &folder);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // One try without waiting.
    Result tryLock();
    // Tries again until waitMs have passed. `waiting` runs once, when the first try finds the
    // folder in use; `poll` runs between the tries (a window keeps painting).
    Result lock(int waitMs, const std::function<void()> &waiting,
                const std::function<void()> &poll);
    void unlock();
    bool isLocked() const { return m_locked; }
    const QString &folder() const { return m_folder; }
    // Why the lock file could not be opened or locked (Result::Failed).
    const QString &errorString() const { return m_error; }

    // Removes what a run killed while writing left behind: the regular files named "*.neu~"
    // directly in `folder`. Only while the lock is held, since another program's temporary
    // files may be in use; links are neither followed nor removed, folders are left alone.
    // Returns how many files went.
    int removeLeftoverTemporaries(const QString &folder) const;

private:
    QString m_folder;
    int m_fd = -1;
    bool m_locked = false;
    QString m_error;
};

} // namespace ledra
