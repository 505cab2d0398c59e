#include "platform/locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace moravel {

namespace {

// The path with every link resolved, also when its last parts do not exist yet: the deepest
// folder that exists is resolved and the rest appended.
QString resolvedPath(const QString& path) {
    QString existing = QDir::cleanPath(path);
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing) {
            return QDir::cleanPath(path);
        }
        rest = QFileInfo(existing).fileName() + (rest.isEmpty() ? QString() : u'/' + rest);
        existing = parent;
    }
    const QString resolved = QFileInfo(existing).canonicalFilePath();
    if (resolved.isEmpty()) {
        return QDir::cleanPath(path);
    }
    return rest.isEmpty() ? resolved : QDir::cleanPath(resolved + u'/' + rest);
}

// Whether `folder` is `path` or holds it, at any depth.
bool holds(const QString& folder, const QString& path) {
    return folder == u"/" || path == folder || path.startsWith(folder + u'/');
}

// An absolute, existing-or-not folder path, or empty for a lookup that gave nothing usable.
QString absoluteOrEmpty(const QString& path) {
    if (path.isEmpty() || QDir::isRelativePath(path)) {
        return {};
    }
    return QDir::cleanPath(path);
}
} // namespace

QString desktopFolder(const Locations& locations, bool common) {
    const QString given = locations.desktopFolder(common);
    if (given.isEmpty() || QDir::isRelativePath(given)) {
        return {};
    }
    const QFileInfo info(given);
    const QString desktop = info.canonicalFilePath();
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir()) {
        return {};
    }
    if (holds(desktop, resolvedPath(QDir::homePath()))) {
        return {};
    }
    const QString data = locations.dataFolder();
    if (!data.isEmpty() && holds(desktop, resolvedPath(data))) {
        return {};
    }
    return desktop;
}

void makeOwnerOnlyFolders(const QString& folder) {
    QStringList missing;
    for (QString p = QDir::cleanPath(folder); !QFileInfo::exists(p) && p != QFileInfo(p).path();
         p = QFileInfo(p).path()) {
        missing.prepend(p);
    }
    for (const QString& p : missing) {
        ::mkdir(QFile::encodeName(p).constData(), 0700);
    }
}

QString XdgLocations::desktopFolder(bool common) const {
    if (common) {
        return {};
    }
    const QString desktop =
        absoluteOrEmpty(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    // xdg-user-dirs points the desktop at the home folder to say there is none. Tidying the
    // whole home folder would be a disaster.
    if (desktop.isEmpty() || desktop == QDir::cleanPath(QDir::homePath())) {
        return {};
    }
    return desktop;
}

QString XdgLocations::dataFolder() const {
    // The application name is "Moravel" and there is no organisation, so this is
    // $XDG_DATA_HOME/Moravel.
    return absoluteOrEmpty(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString XdgLocations::documentsFolder() const {
    return absoluteOrEmpty(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString XdgLocations::startupFolder() const {
    const QString config =
        absoluteOrEmpty(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    return config.isEmpty() ? QString() : config + QStringLiteral("/autostart");
}

} // namespace moravel
