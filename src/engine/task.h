#pragma once

#include "engine/actionkind.h"
#include "engine/datetimevalue.h"

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
    QString name; // file or folder name, without path
    QString typeName;
    std::int64_t size = 0; // bytes as the directory entry reports them; 0 for folders
    DateTimeValue modified = 0;
    DateTimeValue accessed = 0;
    DesktopKind desktop = DesktopKind::User;
    bool isFolder = false;

    QString fullPath() const { return sourceFolder + u'/' + name; }
    bool isShortcut() const;
};

} // namespace moravel
