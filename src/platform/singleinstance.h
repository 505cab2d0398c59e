#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace moravel {

class Locations;

// One Moravel at a time per set of data files: a lock file beside the configuration and the log,
// which it protects, held by the first copy until its process ends (whatever runtime folder
// each copy was started with).
// The system releases it with the process, also when the process is killed, because the lock
// names the holder's process id and a lock whose holder is gone is taken over.
class SingleInstance {
public:
    // The lock "Moravel.lock" in the data folder of `locations`.
    explicit SingleInstance(const Locations& locations);
    // The lock "Moravel.lock" in `folder`.
    explicit SingleInstance(const QString& folder);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    // True unless another live Moravel holds the lock. Any other failure (no data folder,
    // no rights, a full disk) counts as the first copy: a broken lock must never keep the user
    // out of the program. Once obtained, the lock stays held until this object is destroyed.
    bool checkSingleInstance();

    // Whether this object holds the lock now.
    bool holdsLock() const;

    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

inline constexpr char16_t singleInstanceLockName[] = u"Moravel.lock";

} // namespace moravel
