#pragma once

#include <QString>

namespace moravel {

// Where Moravel finds the folders it works with. Every lookup is made anew at each call.
// An empty result means the lookup failed: callers must then neither read nor write anywhere
// (never relative to the working directory).
class Locations {
public:
    virtual ~Locations() = default;
    // The user's own desktop (common false) or the desktop shared by all users (common true).
    virtual QString desktopFolder(bool common) const = 0;
    // The per-user data folder holding the configuration file and the cleaning log.
    virtual QString dataFolder() const = 0;
    // The user's documents folder.
    virtual QString documentsFolder() const = 0;
    // The folder whose entries the desktop session starts at login.
    virtual QString startupFolder() const = 0;
};

// The freedesktop folders of the running user, through QStandardPaths. Linux has no desktop
// shared by all users, so that lookup always fails; a desktop that xdg-user-dirs set to the
// home folder itself (its way of saying "none") or to a relative path fails too.
class XdgLocations final : public Locations {
public:
    QString desktopFolder(bool common) const override;
    QString dataFolder() const override;
    QString documentsFolder() const override;
    QString startupFolder() const override;
};

// The desktop to tidy (the user's own, or the shared one when `common`), resolved, links
// included, to the folder it really is; every scan and restore asks here. Empty ("no desktop")
// when the lookup fails or the folder does not exist, and when it resolves to the home folder,
// to a folder that holds the home folder (the root included), or to Moravel's data folder or a
// folder that holds it: tidying such a folder would sweep away the user's files or Moravel's
// own records.
QString desktopFolder(const Locations& locations, bool common);

// Makes the folders missing on the way to `folder`, the folder itself included, owner-only, as
// the freedesktop base-directory rules ask of the data folders: a fresh account may not have
// ~/.local/share yet. Failures are left to whoever uses the folder next.
void makeOwnerOnlyFolders(const QString& folder);

// Folders given by the caller; tests use it to give the shared desktop a folder of its own.
class FixedLocations final : public Locations {
public:
    QString userDesktop;
    QString commonDesktop;
    QString data;
    QString documents;
    QString startup;

    QString desktopFolder(bool common) const override {
        return common ? commonDesktop : userDesktop;
    }
    QString dataFolder() const override { return data; }
    QString documentsFolder() const override { return documents; }
    QString startupFolder() const override { return startup; }
};

} // namespace moravel
