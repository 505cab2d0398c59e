#include "platform/locations.h"

#include <QDir>
#include <QStandardPaths>

namespace moravel {

namespace {
// An absolute, existing-or-not folder path, or empty for a lookup that gave nothing usable.
QString absoluteOrEmpty(const QString& path) {
    if (path.isEmpty() || QDir::isRelativePath(path)) {
        return {};
    }
    return QDir::cleanPath(path);
}
} // namespace

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
