#include "platform/shellinfo.h"

#include <QMimeType>

namespace moravel {

namespace {
// Folders share one cache entry under a key no file name can have.
const QString folderKey = QStringLiteral("/");

// The part of the name after its last dot ("gz" of "backup.tar.gz"); empty when there is none,
// and for a name whose only dot comes first (".profile").
QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1);
}
} // namespace

TypeAndIcon ShellInfo::typeAndIcon(const QString& name, bool isFolder) {
    // Typed by the extension alone, as the window's shell would: every name with one extension
    // gets the same answer whichever of them was seen first, and a scan asks the database once
    // per extension. A name without one is of the unknown type.
    const QString key = isFolder ? folderKey : extensionOf(name);
    if (const auto found = m_byExtension.constFind(key); found != m_byExtension.cend()) {
        return *found;
    }
    QMimeType mime;
    if (isFolder) {
        mime = m_mimes.mimeTypeForName(QStringLiteral("inode/directory"));
    } else if (key.isEmpty()) {
        mime = m_mimes.mimeTypeForName(QStringLiteral("application/octet-stream"));
    } else {
        mime = m_mimes.mimeTypeForFile(QStringLiteral("_.") + key, QMimeDatabase::MatchExtension);
    }
    TypeAndIcon answer;
    answer.typeName = mime.comment();
    answer.iconIndex = iconIndexOf(mime.iconName());
    m_byExtension.insert(key, answer);
    return answer;
}

QString ShellInfo::iconName(int index) const {
    if (index < 0 || index >= m_iconNames.size()) {
        return {};
    }
    return m_iconNames.at(index);
}

int ShellInfo::iconIndexOf(const QString& name) {
    if (name.isEmpty()) {
        return -1;
    }
    if (const auto found = m_indexOfIcon.constFind(name); found != m_indexOfIcon.cend()) {
        return *found;
    }
    const auto index = static_cast<int>(m_iconNames.size());
    m_iconNames.append(name);
    m_indexOfIcon.insert(name, index);
    return index;
}

} // namespace moravel
