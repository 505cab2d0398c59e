#include "platform/singleinstance.h"

#include "platform/locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace moravel {

namespace {
QString lockPathIn(const QString& folder) {
    if (folder.isEmpty()) {
        return {};
    }
    return QDir(folder).filePath(QString::fromUtf16(singleInstanceLockName));
}
} // namespace

SingleInstance::SingleInstance(const Locations& locations)
    : SingleInstance(locations.dataFolder()) {}

SingleInstance::SingleInstance(const QString& folder) : m_path(lockPathIn(folder)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::checkSingleInstance() {
    if (holdsLock()) {
        return true;
    }
    if (m_path.isEmpty()) {
        return true;
    }
    // The first start of a fresh account has no data folder yet; it is made as the
    // configuration's load would make it, owner-only.
    makeOwnerOnlyFolders(QFileInfo(m_path).path());
    m_lock = std::make_unique<QLockFile>(m_path);
    // The lock is held for the whole life of the program, so its age says nothing; only a dead
    // holder makes it stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        return true;
    }
    return m_lock->error() != QLockFile::LockFailedError;
}

bool SingleInstance::holdsLock() const {
    return m_lock && m_lock->isLocked();
}

} // namespace moravel
