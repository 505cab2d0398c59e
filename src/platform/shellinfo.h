#pragma once

#include <QHash>
#include <QMimeDatabase>
#include <QString>
#include <QStringList>

namespace moravel {

struct TypeAndIcon {
    QString typeName;
    int iconIndex = -1;
};

// The type description and icon of an item, matched by its name (content sniffing is slow and
// the scan touches every item). Items of one type share one icon index; the core keeps only
// names and indexes, and the window maps the index to an icon through `iconName`.
class ShellInfo {
public:
    TypeAndIcon typeAndIcon(const QString& name, bool isFolder);
    // The freedesktop icon name behind an index, or an empty text for an unknown index.
    QString iconName(int index) const;

private:
    int iconIndexOf(const QString& iconName);

    QMimeDatabase m_mimes;
    QHash<QString, TypeAndIcon> m_byExtension;
    QHash<QString, int> m_indexOfIcon;
    QStringList m_iconNames;
};

} // namespace moravel
