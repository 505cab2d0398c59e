#pragma once

#include "engine/clock.h"
#include "engine/task.h"
#include "platform/locations.h"
#include "platform/shelloperations.h"
#include "scanner/taskmanager.h"
#include "scriptedprompts.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace moravel::testing {

// Two real desktops, a data folder and an archive folder in a temporary folder under HOME (so
// that the trash is the test's own), with the state, the clock and scripted answers for the
// user that a run needs.
class ExecutorFixture {
public:
    ExecutorFixture() : state(locations, clock), shell(prompts) {
        const QString root = dir.path();
        locations.userDesktop = root + QStringLiteral("/Desktop");
        locations.commonDesktop = root + QStringLiteral("/Public");
        locations.data = root + QStringLiteral("/data");
        locations.documents = root + QStringLiteral("/Documents");
        for (const QString& folder : {locations.userDesktop, locations.commonDesktop,
                                      locations.data, locations.documents}) {
            QDir().mkpath(folder);
        }
        archive = root + QStringLiteral("/Archive");
        state.rutaRepositorio = archive;
        state.reglaCreacionCarpeta = datefolder::MmDdYy;
        clock.set(QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30)));
    }

    QString root() const { return dir.path(); }
    QString userDesktop() const { return locations.userDesktop; }
    QString commonDesktop() const { return locations.commonDesktop; }

    // Puts a file (or a folder with one file in it) on a desktop and plans `action` for it.
    task& add(taskManager& plan, DesktopKind desktop, const QString& name, ActionKind action,
              const QString& destination = {}, bool isFolder = false) {
        auto item = std::make_unique<task>();
        item->sourceFolder = desktop == DesktopKind::User ? userDesktop() : commonDesktop();
        item->name = name;
        item->nameBytes = QFile::encodeName(name);
        item->desktop = desktop;
        item->action = action;
        item->destination = destination;
        item->isFolder = isFolder;
        const QString path = item->fullPath();
        if (isFolder) {
            QDir().mkpath(path);
            writeFile(path + QStringLiteral("/inside.txt"), name.toUtf8());
        } else {
            writeFile(path, name.toUtf8());
        }
        plan.tasks.push_back(std::move(item));
        return *plan.tasks.back();
    }

    static void writeFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(content);
        }
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool exists(const QString& path) { return QFileInfo::exists(path); }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    QTemporaryDir dir{QDir::homePath() + QStringLiteral("/executor-XXXXXX")};
    FixedLocations locations;
    FixedClock clock;
    global state;
    ScriptedPrompts prompts;
    ScriptedProgress progress;
    ShellOperations shell;
    QString archive;
};

} // namespace moravel::testing
