#include "ui/helppages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace moravel {

QStringList helpFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{QDir::cleanPath(programFolder + QStringLiteral("/../share/moravel/help"))};
    const QString buildFolder = QStringLiteral(MORAVEL_BUILD_DIR);
    if (programFolder == buildFolder || programFolder.startsWith(buildFolder + u'/')) {
        const QString source = QStringLiteral(MORAVEL_SOURCE_DIR);
        folders << source + QStringLiteral("/help");
    }
    return folders;
}

QString findHelpPage(const QStringList& folders, const QString& page) {
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder).filePath(page));
        if (candidate.isFile()) {
            return candidate.absoluteFilePath();
        }
    }
    return {};
}

} // namespace moravel
