#include "scanner/taskmanager.h"

#include "engine/asciicase.h"
#include "engine/errorcontrol.h"
#include "engine/filename.h"
#include "engine/maskmatcher.h"
#include "engine/rule.h"
#include "platform/locations.h"
#include "platform/shellinfo.h"
#include "scanner/filetime.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace moravel {

namespace {

// The first rule that matches decides. A rule whose action is not one of the six (a rule the
// user never finished, or one a broken file gave) is passed over, whatever its conditions.
void planByRules(const global& state, task& item) {
    for (const auto& candidate : state.rules) {
        if (!isKnownAction(candidate->action)) {
            continue;
        }
        if (candidate->matches(item, state.clock())) {
            item.action = candidate->action;
            item.destination = candidate->folder;
            return;
        }
    }
    item.action = actions::Leave;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool taskManager::scanDesktops(const global& state, ShellInfo& shellInfo, errorControl& error) {
    // Each desktop is looked up on its own, so that a failed lookup of one leaves the other.
    const QString userDesktop = desktopFolder(state.locations(), false);
    const QString publicDesktop = desktopFolder(state.locations(), true);
    try {
        scanFolder(state, shellInfo, userDesktop, DesktopKind::User);
        scanFolder(state, shellInfo, publicDesktop, DesktopKind::Public);
    } catch (const InvalidMask& invalid) {
        // Half a plan must never be cleaned: the items planned so far go with the error.
        tasks.clear();
        error.message = invalid.text();
        return false;
    }
    applyIgnoreList(state);
    return true;
}

void taskManager::scanFolder(const global& state, ShellInfo& shellInfo, const QString& folder,
                             DesktopKind desktop) {
    // A failed lookup gives no folder; nothing may then be read relative to the working folder.
    if (folder.isEmpty() || QDir::isRelativePath(folder)) {
        return;
    }
    const QByteArray nativeFolder = QFile::encodeName(folder);
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(nativeFolder.constData()));
    if (!dir) {
        return;
    }
    const int dirFd = ::dirfd(dir.get());
    const QSet<QString> ignored = ignoredAsListed(state);

    while (const dirent* entry = ::readdir(dir.get())) {
        if (isDotOrDotDot(entry->d_name)) {
            continue;
        }
        // Links are never followed: a link is an item of its own with the link's own data.
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue; // gone since it was listed
        }
        const bool isFolder = S_ISDIR(info.st_mode);
        if (isFolder && !state.includeFolders) {
            continue;
        }
        auto item = std::make_unique<task>();
        item->nameBytes = QByteArray(entry->d_name);
        item->name = displayName(item->nameBytes);
        item->sourceFolder = folder;
        item->size = isFolder ? 0 : static_cast<std::int64_t>(info.st_size);
        item->isFolder = isFolder;
        const TypeAndIcon type = shellInfo.typeAndIcon(item->name, isFolder);
        item->typeName = type.typeName;
        item->iconIndex = type.iconIndex;
        item->modified = fileTimeToLocalDateTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        item->accessed = fileTimeToLocalDateTime(info.st_atim.tv_sec, info.st_atim.tv_nsec);
        item->desktop = desktop;
        plan(state, ignored, *item);
        addTask(std::move(item));
    }
}

QSet<QString> taskManager::ignoredAsListed(const global& state) {
    return QSet<QString>(state.ignoreList.cbegin(), state.ignoreList.cend());
}

void taskManager::plan(const global& state, const QSet<QString>& ignored, task& item) {
    // Compared with the entries exactly as they are listed; applyIgnoreList then also finds
    // entries written in another case.
    if (ignored.contains(upperAscii(item.name))) {
        item.action = actions::Leave;
        return;
    }
    planByRules(state, item);
}

void taskManager::planTask(const global& state, task& item) const {
    plan(state, ignoredAsListed(state), item);
}

void taskManager::applyIgnoreList(const global& state) {
    if (state.ignoreList.isEmpty()) {
        return;
    }
    QSet<QString> ignored;
    ignored.reserve(state.ignoreList.size());
    for (const QString& entry : state.ignoreList) {
        ignored.insert(upperAscii(entry));
    }
    for (const auto& item : tasks) {
        if (ignored.contains(upperAscii(item->name))) {
            item->action = actions::Leave;
        }
    }
}

bool taskManager::isIgnored(const global& state, const QString& name) const {
    const QString upperName = upperAscii(name);
    for (const QString& entry : state.ignoreList) {
        if (upperAscii(entry) == upperName) {
            return true;
        }
    }
    return false;
}

void taskManager::addTask(std::unique_ptr<task> item) {
    tasks.push_back(std::move(item));
}

int taskManager::countByAction(ActionKind kind) const {
    int count = 0;
    for (const auto& item : tasks) {
        if (item->action == kind) {
            ++count;
        }
    }
    return count;
}

void taskManager::collectDestinations(const global& state) {
    destinations.clear();
    for (const auto& candidate : state.rules) {
        if (candidate->action == actions::MoveToFolder) {
            addDestination(candidate->folder);
        }
    }
    for (const auto& record : state.logLines) {
        if (record->performedAction == actions::MoveToFolder) {
            addDestination(record->destinationFolder);
        }
    }
    for (const auto& item : tasks) {
        if (item->action == actions::MoveToFolder) {
            addDestination(item->destination);
        }
    }
}

void taskManager::addDestination(const QString& folder) {
    // A Move-to without a folder names no place to offer.
    if (folder.isEmpty() || hasDestination(folder)) {
        return;
    }
    auto entry = std::make_unique<action>();
    entry->kind = actions::MoveToFolder;
    entry->path = folder;
    destinations.push_back(std::move(entry));
}

bool taskManager::hasDestination(const QString& folder) const {
    // Letter case makes another folder on Linux; only separators and "." or ".." steps may
    // spell one folder in two ways. Most calls bring a text already listed, so that is tried
    // before any path is cleaned.
    for (const auto& entry : destinations) {
        if (entry->path == folder) {
            return true;
        }
    }
    const QString cleaned = QDir::cleanPath(folder);
    for (const auto& entry : destinations) {
        if (QDir::cleanPath(entry->path) == cleaned) {
            return true;
        }
    }
    return false;
}

} // namespace moravel
