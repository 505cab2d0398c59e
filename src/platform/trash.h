#pragma once

#include <QByteArray>
#include <QString>

namespace moravel {

// Moves the item at `path` (a link itself, never its target) into the freedesktop.org trash
// through GIO, which writes the original path so that any trash tool can restore it. On
// failure returns false and puts GIO's reason into `reason`.
bool moveToTrash(const QByteArray& path, QString& reason);

} // namespace moravel
