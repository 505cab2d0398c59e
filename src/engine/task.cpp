#include "engine/task.h"

#include "engine/maskmatcher.h"

#include <QFile>

namespace moravel {

QByteArray task::nativePath() const {
    return QFile::encodeName(sourceFolder) + '/' + nameBytes;
}

bool task::isShortcut() const {
    return matchesMask(name, QStringLiteral("*.lnk"));
}

} // namespace moravel
