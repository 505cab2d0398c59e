#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace moravel {

// Moves the item at `path` (a link itself, never its target) into the freedesktop.org trash
// through GIO, which writes the original path so that any trash tool can restore it. On
// failure returns false and puts GIO's reason into `reason`.
bool moveToTrash(const QByteArray& path, QString& reason);

// One item in a freedesktop.org trash: its place in the trash's "files" folder, its
// ".trashinfo" in "info", and what that says of it.
struct TrashEntry {
    QByteArray file;
    QByteArray info;
    QByteArray originalPath; // absolute, as the file system has it
    QDateTime deletedAt;     // local time, to the second
};

// The entries of the trashes that may hold an item that was at `originalPath`: the user's home
// trash and the trashes at the top of the item's file system (".Trash/<uid>", ".Trash-<uid>"),
// those whose original path is `originalPath`. Entries that do not read are passed over.
std::vector<TrashEntry> trashEntriesOf(const QByteArray& originalPath);

// The home trash: "Trash" in the user's data folder ($XDG_DATA_HOME).
QByteArray homeTrash();

} // namespace moravel
