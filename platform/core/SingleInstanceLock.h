#pragma once

#include <QString>

namespace tarnwick {

// One running program per user: an exclusive flock on a file in the user's runtime folder.
// The kernel frees the lock when the process ends, however it ends.
class SingleInstanceLock
{
public:
    // The fixed name that every instance of the program competes for.
    static QString lockFileName();
    // The runtime folder's lock file (XDG_RUNTIME_DIR, or Qt's fallback for it).
    static QString defaultLockPath();

    // True when this process now holds the lock; false when another process holds it or the
    // lock file cannot be opened. The lock is held until the process ends.
    static bool acquire(const QString &path = defaultLockPath());
};

} // namespace tarnwick
