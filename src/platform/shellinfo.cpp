#include "platform/shellinfo.h"

#include <QMimeType>

namespace moravel {

namespace {
// Folders share one cache entry under a key no file name can have.
const QString folderKey = QStringLiteral("/");

// The part of the name after its first dot ("tar.gz" of "backup.tar.gz"), ignoring a leading
// dot; empty when the name has no extension.
QString extensionOf(const QString& name) {
    const qsizetype dot = name.indexOf(u'.', 1);
    return dot < 0 ? QString() : name.mid(dot + 1);
}
} // namespace

TypeAndIcon ShellInfo::typeAndIcon(const QString& name, bool isFolder) {
    QString key;
    QString lookupName;
    if (isFolder) {
        key = folderKey;
    } else {
        const QString extension = extensionOf(name);
        if (extension.isEmpty()) {
            // Without an extension only the whole name can say something ("Makefile").
            key = name;
            lookupName = name;
        } else {
            // Typed by the extension alone, so that every name with this extension gets the same
            // answer whichever of them was seen first.
            key = u'.' + extension;
            lookupName = u'_' + key;
        }
    }
    if (const auto found = m_byExtension.constFind(key); found != m_byExtension.cend()) {
        return *found;
    }
    const QMimeType mime = isFolder
                               ? m_mimes.mimeTypeForName(QStringLiteral("inode/directory"))
                               : m_mimes.mimeTypeForFile(lookupName, QMimeDatabase::MatchExtension);
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
