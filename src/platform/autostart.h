#pragma once

#include <QString>
#include <QStringList>

namespace moravel {

class Locations;
class errorControl;

// Starting Moravel at login: a freedesktop autostart entry "Moravel.desktop" in the folder
// whose entries the desktop session starts at login. The entry runs the program with the
// argument "MIN", which starts it hidden in the tray. Each operation returns false and leaves
// the reason in `error` when it fails.

inline constexpr char16_t startupEntryName[] = u"Moravel.desktop";
inline constexpr char16_t startHiddenArgument[] = u"MIN";

// The full path of the entry, or an empty text when there is no autostart folder.
QString startupEntryPath(const Locations& locations);

// Writes the entry that starts `target` with the argument "MIN", replacing an older one.
// A missing autostart folder is created.
bool createStartupShortcut(const Locations& locations, const QString& target, errorControl& error);

// Deletes the entry; an entry that is not there is no error.
bool removeStartupShortcut(const Locations& locations, errorControl& error);

// Writes an application entry at `linkPath` that runs `target` with `arguments`, in one step:
// a reader never sees half an entry, and a failed write leaves the old one as it was. `target`
// must be an absolute path.
bool createShellLink(const QString& target, const QStringList& arguments, const QString& linkPath,
                     errorControl& error);

// The value of an Exec key that runs `program` with `arguments`, each quoted where the Desktop
// Entry rules require it. Empty when a part holds a character that an entry cannot carry.
QString desktopEntryExec(const QString& program, const QStringList& arguments);

} // namespace moravel
