#pragma once

#include "engine/actionkind.h"
#include "engine/datetimevalue.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace moravel {

// One item found on a desktop and its planned action.
class task {
public:
    ActionKind action = actions::Leave;
    QString destination;  // folder of a MoveToFolder action; empty when none was given
    QString sourceFolder; // the desktop folder holding the item, without a trailing "/"
    std::int32_t iconIndex = -1;
    QString name;         // file or folder name, without path, as the user reads it
    QByteArray nameBytes; // the same name exactly as the file system holds it
    QString typeName;
    std::int64_t size = 0; // bytes as the directory entry reports them; 0 for folders
    DateTimeValue modified = 0;
    DateTimeValue accessed = 0;
    DesktopKind desktop = DesktopKind::User;
    bool isFolder = false;

    // The item's path as the user reads it.
    QString fullPath() const { return sourceFolder + u'/' + name; }
    // The item's path as the file system takes it: every file operation goes there.
    QByteArray nativePath() const;
    bool isShortcut() const;
};

} // namespace moravel
