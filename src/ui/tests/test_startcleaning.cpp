#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "engine/rule.h"
#include "httpserver.h"
#include "modal.h"
#include "platform/locations.h"
#include "platform/updateservice.h"
#include "scanner/taskmanager.h"
#include "scriptedprompts.h"
#include "storage/global.h"
#include "ui/desktopcontentsview.h"
#include "ui/terminationsignals.h"
#include "ui/tfrmmain.h"
#include "ui/tfrmprogress.h"
#include "ui/tfrmwarning.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <csignal>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

// A home folder of its own with the XDG folders, set as the process's home for the life of the
// fixture, in which the window runs on the desktop's real folders (XdgLocations).
class Home {
public:
    Home() {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            m_saved.append({name, qgetenv(name)});
        }
        qputenv("HOME", QFile::encodeName(dir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(u".config"_s)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(u".local/share"_s)));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path(u".cache"_s)));
        for (const QString& folder : {u".config"_s, u"Desktop"_s, u"Documents"_s}) {
            QDir().mkpath(path(folder));
        }
        WindowFixture::write(path(u".config/user-dirs.dirs"_s),
                             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                             "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    }
    ~Home() {
        for (const auto& [name, value] : m_saved) {
            qputenv(name, value);
        }
    }
    Home(const Home&) = delete;
    Home& operator=(const Home&) = delete;

    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }

    QTemporaryDir dir;

private:
    QList<QPair<const char*, QByteArray>> m_saved;
};

// The window of a person's session: the XDG folders of the home above, a clock on a Monday
// morning, a fake tray, scripted answers and a recording browser.
class Session {
public:
    Session() { updateService = std::make_unique<UpdateService>(QString()); }

    // Writes the first-run configuration, lets `change` alter it and saves it.
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

    TfrmMain& start() {
        window = std::make_unique<TfrmMain>(
            MainWindowParts{.locations = locations,
                            .clock = clock,
                            .tray = tray,
                            .urlOpener = opener,
                            .updateService = *updateService,
                            .feedbackHost = {},
                            .helpFolders = {},
                            .prompts = &prompts,
                            .endEventLoop = [this] { ++eventLoopEnded; }});
        started = window->FormCreate({});
        window->showAtStart();
        return *window;
    }

    QString desktop(const QString& name = {}) const {
        return home.path(name.isEmpty() ? u"Desktop"_s : u"Desktop/"_s + name);
    }
    QString archiveDay() const { return home.path(u"Documents/My Desktop Files/11-03-07"_s); }
    void put(const QString& name, const QByteArray& content = "x") const {
        WindowFixture::write(desktop(name), content);
    }
    // The records of the log file as a fresh start reads them.
    std::size_t loggedRecords() {
        global state(locations, clock);
        errorControl error;
        if (state.loadConfiguration(error, prompts) != 0) {
            return 0;
        }
        return state.logLines.size();
    }

    Home home;
    const XdgLocations locations;
    FixedClock clock{QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30))};
    FakeTray tray;
    RecordingUrlOpener opener;
    std::unique_ptr<UpdateService> updateService;
    ScriptedPrompts prompts;
    int eventLoopEnded = 0;
    bool started = false;
    std::unique_ptr<TfrmMain> window;
};

void addRule(global& state, ActionKind action, const QString& mask, const QString& folder = {}) {
    rule& added = state.newRule();
    added.action = action;
    added.folder = folder;
    added.addCondition().mask = mask;
    // Ahead of the first-run rule, which archives everything.
    std::rotate(state.rules.begin(), state.rules.end() - 1, state.rules.end());
}

// Runs `work` once, from inside the run, when the progress window shows `position`.
class DuringTheRun {
public:
    DuringTheRun(TfrmMain& window, int position, std::function<void()> work)
        : m_window(window), m_label(u"%1 / "_s.arg(position)), m_work(std::move(work)) {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_done && m_window.frmProgress->isVisible() &&
                m_window.frmProgress->lblStatus->text().startsWith(m_label)) {
                m_done = true;
                m_work();
            }
        });
        m_timer.start();
    }
    bool done() const { return m_done; }

private:
    TfrmMain& m_window;
    QString m_label;
    std::function<void()> m_work;
    QTimer m_timer;
    bool m_done = false;
};

} // namespace

class StartCleaningTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyDesktop_nothingToCleanWithoutConfirmation();
    void askItem_isNamedAndNothingIsCleaned();
    void cancel_changesNothing();
    void ok_cleansLogsAndShowsTheCleanedFiles();
    void busy_keepsASecondCommandOut();
    void stoppedByTheUser_endsLikeACompleteRun();
    void endDuringARun_stopsBetweenTwoItemsAndLogs_data();
    void endDuringARun_stopsBetweenTwoItemsAndLogs();
    void newerVersionAccepted_endsTheApplication();
};

void StartCleaningTest::emptyDesktop_nothingToCleanWithoutConfirmation() {
    Session s;
    TfrmMain& window = s.start();
    QVERIFY(s.started);
    auto outcome = answerModal([](QWidget& box) { box.close(); });
    QTest::mouseClick(window.spSkinButton1, Qt::LeftButton);
    QCOMPARE(s.prompts.messages, QStringList{u"There is nothing to clean."_s});
    QTRY_VERIFY_WITH_TIMEOUT(!outcome->seen && QApplication::activeModalWidget() == nullptr, 200);
    QCOMPARE(window.state().nroOperacion, 0);
}

void StartCleaningTest::askItem_isNamedAndNothingIsCleaned() {
    Session s;
    s.configure([](global& state) { addRule(state, actions::Ask, u"*.doc"_s); });
    s.put(u"a.doc"_s);
    s.put(u"b.doc"_s);
    s.put(u"c.txt"_s);
    TfrmMain& window = s.start();
    window.clean();
    QCOMPARE(s.prompts.warnings.size(), 1);
    const QString& warning = s.prompts.warnings.first();
    QVERIFY2(warning == u"Please choose what to do with the file: \"a.doc\""_s ||
                 warning == u"Please choose what to do with the file: \"b.doc\""_s,
             qPrintable(warning));
    QCOMPARE(WindowFixture::entries(s.desktop()).size(), 3);
    QCOMPARE(window.state().nroOperacion, 0);
}

void StartCleaningTest::cancel_changesNothing() {
    Session s;
    s.put(u"report.txt"_s);
    TfrmMain& window = s.start();
    auto outcome = answerModal(
        [&](QWidget&) { QTest::mouseClick(window.frmWarning->cmdCancel, Qt::LeftButton); });
    window.clean();
    QVERIFY(outcome->seen);
    QCOMPARE(WindowFixture::entries(s.desktop()), QStringList{u"report.txt"_s});
    QCOMPARE(window.state().nroOperacion, 0);
    QCOMPARE(window.mainPageControl->currentIndex(), 0);
    QVERIFY(s.prompts.everything().isEmpty());
    QVERIFY(window.mainPageControl->isEnabled());
}

void StartCleaningTest::ok_cleansLogsAndShowsTheCleanedFiles() {
    Session s;
    const QString letters = s.home.path(u"Letters"_s);
    QVERIFY(QDir().mkpath(letters));
    s.configure([&](global& state) {
        addRule(state, actions::Delete, u"*.tmp"_s);
        addRule(state, actions::MoveToFolder, u"*.odt"_s, letters);
    });
    s.put(u"report.txt"_s, "the report");
    s.put(u"junk.tmp"_s);
    s.put(u"letter.odt"_s, "dear");
    s.put(u"keep.me"_s);
    TfrmMain& window = s.start();
    window.mainPageControl->setCurrentIndex(2);
    window.mainPageControl->setCurrentIndex(0);
    // The user keeps one item on the desktop.
    window.lvFiles->clearSelection();
    for (int row = 0; row < window.lvFiles->model()->rowCount(); ++row) {
        if (window.lvFiles->model()->index(row, 0).data().toString() == u"keep.me"_s) {
            window.lvFiles->selectionModel()->select(window.lvFiles->model()->index(row, 0),
                                                     QItemSelectionModel::Select |
                                                         QItemSelectionModel::Rows);
        }
    }
    window.popUpItemClick(actions::Leave);

    QString summary;
    auto outcome = answerModal([&](QWidget&) {
        summary = window.frmWarning->reOne->toPlainText();
        QTest::mouseClick(window.frmWarning->cmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(window.spSkinButton1, Qt::LeftButton);
    QVERIFY(outcome->seen);
    QCOMPARE(summary, u"1 items will be deleted\n1 items will be archived\n1 items will be moved "
                      u"to the folders defined in rules\n1 items will be left on desktop"_s);

    QCOMPARE(WindowFixture::entries(s.desktop()), QStringList{u"keep.me"_s});
    QCOMPARE(WindowFixture::entries(s.archiveDay()), QStringList{u"report.txt"_s});
    QCOMPARE(WindowFixture::entries(letters), QStringList{u"letter.odt"_s});
    QCOMPARE(s.prompts.messages, QStringList{u"Cleaning finished"_s});
    QCOMPARE(window.mainPageControl->currentIndex(), 1);
    QVERIFY(window.browseTreeBuilt);
    QVERIFY(window.mainPageControl->isEnabled());
    // The list shows the fresh scan.
    QCOMPARE(window.plan().taskCount(), 1);
    QCOMPARE(window.lvFiles->model()->rowCount(), 1);
    QCOMPARE(s.loggedRecords(), 3u);
    QCOMPARE(window.state().nroOperacion, 1);
    QCOMPARE(window.state().ignoreList, QStringList{u"KEEP.ME"_s});
    // No update host in this build: nothing was asked or opened.
    QVERIFY(s.prompts.questions.isEmpty());
    QVERIFY(s.opener.opened.isEmpty());
    QCOMPARE(s.eventLoopEnded, 0);
}

void StartCleaningTest::busy_keepsASecondCommandOut() {
    Session s;
    s.configure([](global& state) { state.opcionRecordatorio = reminder::EveryDay; });
    for (int i = 0; i < 20; ++i) {
        s.put(u"item %1.txt"_s.arg(i));
    }
    TfrmMain& window = s.start();
    bool buttonEnabled = true;
    bool onTopOfTheWindow = false;
    const taskManager* planDuringTheRun = nullptr;
    const taskManager* planAfterTheSecondTries = nullptr;
    QStringList messagesDuringTheRun;
    DuringTheRun during(window, 3, [&] {
        buttonEnabled = window.spSkinButton1->isEnabled() &&
                        window.spSkinButton1->isVisibleTo(&window) &&
                        window.mainPageControl->isEnabled();
        onTopOfTheWindow = window.frmProgress->parentWidget() == &window;
        planDuringTheRun = &window.plan();
        window.clean();
        s.put(u"arrived meanwhile.txt"_s);
        s.tray.press(TrayIcon::Activation::Trigger);
        window.mainPageControlChange(0);
        s.clock.set(QDateTime(QDate(2011, 3, 8), QTime(0, 5)));
        window.timerTimer();
        planAfterTheSecondTries = &window.plan();
        messagesDuringTheRun = s.prompts.messages;
    });
    auto outcome = answerModal([&](QWidget&) { window.frmWarning->cmdOK->click(); });
    window.clean();
    QVERIFY(outcome->seen);
    QVERIFY(during.done());
    QVERIFY(!buttonEnabled);
    QVERIFY(onTopOfTheWindow);
    QCOMPARE(planAfterTheSecondTries, planDuringTheRun);
    QCOMPARE(messagesDuringTheRun,
             QStringList{u"A cleaning or a restore is under way. Please wait until it has "
                         u"finished."_s});
    QCOMPARE(WindowFixture::entries(s.archiveDay()).size(), 20);
    QCOMPARE(s.loggedRecords(), 20u);
    // The rescan after the run sees what arrived meanwhile; the reminder comes at the next tick.
    QCOMPARE(WindowFixture::entries(s.desktop()), QStringList{u"arrived meanwhile.txt"_s});
    QCOMPARE(window.plan().taskCount(), 1);
    QVERIFY(window.spSkinButton1->isEnabled() && window.mainPageControl->isEnabled());
    window.timerTimer();
    QCOMPARE(s.prompts.messages.last(), u"It is time to clean your desktop."_s);
}

void StartCleaningTest::stoppedByTheUser_endsLikeACompleteRun() {
    Session s;
    for (int i = 0; i < 30; ++i) {
        s.put(u"item %1.txt"_s.arg(i));
    }
    TfrmMain& window = s.start();
    DuringTheRun during(window, 4, [&] { window.frmProgress->cmdCancel->click(); });
    s.prompts.answers << true; // "Do you want to stop the cleaning process?"
    auto outcome = answerModal([&](QWidget&) { window.frmWarning->cmdOK->click(); });
    window.clean();
    QVERIFY(during.done());
    QCOMPARE(s.prompts.questions, QStringList{u"Do you want to stop the cleaning process?"_s});
    const qsizetype archived = WindowFixture::entries(s.archiveDay()).size();
    QVERIFY2(archived >= 4 && archived < 30, qPrintable(QString::number(archived)));
    QCOMPARE(WindowFixture::entries(s.desktop()).size(), 30 - archived);
    QCOMPARE(s.loggedRecords(), static_cast<std::size_t>(archived));
    QCOMPARE(s.prompts.messages, QStringList{u"Cleaning finished"_s});
    QCOMPARE(window.mainPageControl->currentIndex(), 1);
    QCOMPARE(window.plan().taskCount(), 30 - archived);
    QCOMPARE(s.eventLoopEnded, 0);
}

void StartCleaningTest::endDuringARun_stopsBetweenTwoItemsAndLogs_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit in the tray menu") << u"exit"_s;
    QTest::newRow("the session ends") << u"session"_s;
    QTest::newRow("SIGTERM") << u"sigterm"_s;
}

void StartCleaningTest::endDuringARun_stopsBetweenTwoItemsAndLogs() {
    QFETCH(QString, how);
    Session s;
    constexpr int count = 200;
    for (int i = 0; i < count; ++i) {
        s.put(u"item %1.txt"_s.arg(i));
    }
    TfrmMain& window = s.start();
    TerminationSignals signals;
    QVERIFY(signals.isWatching());
    QObject::connect(&signals, &TerminationSignals::received, &window, &TfrmMain::requestEnd);
    DuringTheRun during(window, 3, [&] {
        if (how == u"exit"_s) {
            window.mnuExit->trigger();
        } else if (how == u"session"_s) {
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(qApp, &quit);
        } else {
            std::raise(SIGTERM);
        }
    });
    auto outcome = answerModal([&](QWidget&) { window.frmWarning->cmdOK->click(); });
    window.clean();
    QVERIFY(during.done());
    QCOMPARE(s.eventLoopEnded, 1);
    QVERIFY(s.tray.removed);
    const qsizetype archived = WindowFixture::entries(s.archiveDay()).size();
    QVERIFY2(archived >= 3 && archived < count, qPrintable(QString::number(archived)));
    QCOMPARE(WindowFixture::entries(s.desktop()).size(), count - archived);
    QCOMPARE(s.loggedRecords(), static_cast<std::size_t>(archived));
    // Nobody was asked anything on the way out, and no box held the exit up.
    QVERIFY(s.prompts.everything().isEmpty());
    QVERIFY(!window.frmProgress->isVisible());
}

void StartCleaningTest::newerVersionAccepted_endsTheApplication() {
    Session s;
    HttpServer server;
    QVERIFY(server.isListening());
    server.body = "31";
    s.updateService = std::make_unique<UpdateService>(server.root());
    s.put(u"report.txt"_s);
    s.prompts.answers << true; // download the newer version
    TfrmMain& window = s.start();
    auto outcome = answerModal([&](QWidget&) { window.frmWarning->cmdOK->click(); });
    window.clean();
    QVERIFY(outcome->seen);
    QCOMPARE(server.requestTargets.size(), 1);
    QVERIFY(server.requestTargets.first().startsWith("/getVerCode.aspx?hbase="));
    QCOMPARE(s.prompts.messages, QStringList{u"Cleaning finished"_s});
    QCOMPARE(s.prompts.questions.size(), 1);
    QCOMPARE(s.opener.opened.size(), 1);
    QCOMPARE(s.opener.opened.first().path(), u"/update.aspx"_s);
    QCOMPARE(s.eventLoopEnded, 1);
    QVERIFY(s.tray.removed);
}

QTEST_MAIN(StartCleaningTest)
#include "test_startcleaning.moc"
