#pragma once

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "httpserver.h"
#include "platform/locations.h"
#include "platform/updateservice.h"
#include "scriptedprompts.h"
#include "storage/global.h"
#include "ui/tfrmmain.h"
#include "ui/trayicon.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace moravel::testing {

// A notification area that the test looks into and whose icon the test presses.
class FakeTray final : public TrayIcon {
public:
    struct Balloon {
        QString title;
        QString text;
        int timeout = 0;
    };

    bool available = true;
    bool added = false;
    bool removed = false;
    QString tip;
    QMenu* menu = nullptr;
    QList<Balloon> balloons;

    bool isAvailable() const override { return available; }
    void add(const QIcon& icon, const QString& text) override {
        added = !icon.isNull();
        tip = text;
    }
    void setTip(const QString& text) override { tip = text; }
    void setMenu(QMenu* shown) override { menu = shown; }
    void showBalloon(const QString& title, const QString& text, int timeoutMs) override {
        balloons.append({title, text, timeoutMs});
    }
    void remove() override { removed = true; }

    void press(Activation activation) {
        if (activated) {
            activated(activation);
        }
    }
};

// Real folders in a temporary folder (a user desktop, a shared one, the data and documents
// folders and the help pages), a clock standing at a Monday morning, a fake tray, a recording
// browser and scripted answers: everything the main window needs to start in a test.
class WindowFixture {
public:
    WindowFixture() {
        const QString root = dir.path();
        locations.userDesktop = root + QStringLiteral("/Desktop");
        locations.commonDesktop = root + QStringLiteral("/Public");
        locations.data = root + QStringLiteral("/data");
        locations.documents = root + QStringLiteral("/Documents");
        helpFolder = root + QStringLiteral("/help");
        for (const QString& folder : {locations.userDesktop, locations.commonDesktop,
                                      locations.data, locations.documents, helpFolder}) {
            QDir().mkpath(folder);
        }
        write(helpFolder + QStringLiteral("/index.html"), "<p>help</p>");
        write(helpFolder + QStringLiteral("/getting-started.html"), "<p>start</p>");
    }

    QString root() const { return dir.path(); }
    QString desktop(const QString& name = {}) const {
        return name.isEmpty() ? locations.userDesktop : locations.userDesktop + u'/' + name;
    }
    QString configPath() const { return locations.data + QStringLiteral("/cfg.mvk"); }

    static void write(const QString& path, const QByteArray& content) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        QCOMPARE(file.write(content), content.size());
    }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    // Puts a file of `size` bytes on the user's desktop.
    void put(const QString& name, qint64 size = 1) const {
        QFile file(desktop(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
    }

    // Writes the first-run configuration, then lets `change` alter it before it is saved, so
    // that the window starts on those settings.
    void configure(const std::function<void(global&)>& change) {
        global state(locations, clock);
        errorControl error;
        if (state.loadConfiguration(error, prompts) == 2) {
            QVERIFY(createDefaultConfiguration(locations, clock, prompts));
            QCOMPARE(state.loadConfiguration(error, prompts), 0);
        }
        change(state);
        QVERIFY2(state.saveConfiguration(error), qPrintable(error.message));
    }

    MainWindowParts parts() {
        return {.locations = locations,
                .clock = clock,
                .tray = tray,
                .urlOpener = opener,
                .updateService = *updateService,
                .feedbackHost = feedbackHost,
                .helpFolders = {helpFolder},
                .prompts = &prompts,
                .endEventLoop = [this] { ++eventLoopEnded; }};
    }

    // Builds the window and runs its start-up; `started` tells how that went.
    TfrmMain& start(const QStringList& arguments = {}) {
        window = std::make_unique<TfrmMain>(parts());
        started = window->FormCreate(arguments);
        return *window;
    }
    // Builds and starts the window, then shows it as the program does.
    TfrmMain& startShown(const QStringList& arguments = {}) {
        TfrmMain& shown = start(arguments);
        shown.showAtStart();
        return shown;
    }

    QTemporaryDir dir{QDir::homePath() + QStringLiteral("/window-XXXXXX")};
    FixedLocations locations;
    FixedClock clock{QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30))};
    FakeTray tray;
    RecordingUrlOpener opener;
    std::unique_ptr<UpdateService> updateService = std::make_unique<UpdateService>(QString());
    QString feedbackHost;
    ScriptedPrompts prompts;
    QString helpFolder;
    int eventLoopEnded = 0;
    bool started = false;
    std::unique_ptr<TfrmMain> window;
};

} // namespace moravel::testing
