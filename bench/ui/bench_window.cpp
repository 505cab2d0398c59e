// The main window over a desktop of 10,000 items and a log of 100,000 records, offscreen.
//
// BM_FillAndSort (goal: ratio at most 0.5): the desktop contents list filled from the plan and
// sorted by "Action", painted once, against the scan and plan of the same 10,000 items.
// BM_StartupToFirstPaint (goal: ratio at most 1.5): the window built, started (configuration,
// log, scan, list, tray, title) and shown until its first paint, against the core's own
// start-up work: loading the configuration and the log, then the scan and plan.
// In each iteration both sides are timed, taking turns at going first.
// BM_GenSearchTree (goal: ratio at most 0.3): genSearchTree, the browser's date tree rebuilt
// from a log of 100,000 records over 1,000 days, its latest day selected and its list filled,
// against reading the same log file (readLog). The paint of the tree and the list afterwards is
// shown beside it (paint_ms).
// BM_ShowAll (goal: ratio at most 1.0): "show all" (rfrLog with showAll) over 100,000 records of
// one day, the list sorted by name and painted once, against reading the same log file.
// BM_PeakMemory (goal: under 150 MB): the real `moravel` started on the same home under
// /usr/bin/time -v, ended with SIGTERM once its memory stopped growing; the figure is time's
// "Maximum resident set size".

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "engine/rule.h"
#include "platform/locations.h"
#include "platform/prompts.h"
#include "platform/shellinfo.h"
#include "platform/updateservice.h"
#include "platform/urlopener.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"
#include "storage/startup.h"
#include "ui/cleaneditemsview.h"
#include "ui/desktopcontentsview.h"
#include "ui/tfrmmain.h"
#include "ui/trayicon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

using namespace moravel;

namespace {

constexpr int itemCount = 10000;
constexpr int recordCount = 100000;

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The verdicts of the last run of each benchmark, printed once all have run (the library runs
// each several times while it finds its number of iterations).
std::map<std::string, std::string>& verdicts() {
    static std::map<std::string, std::string> lines;
    return lines;
}

void report(const char* benchmarkName, const char* goal, double figure, bool met) {
    char line[256];
    std::snprintf(line, sizeof line, "%s: %.3g (goal: %s): %s", benchmarkName, figure, goal,
                  met ? "met" : "MISSED");
    verdicts()[benchmarkName] = line;
}

class SilentPrompts final : public Prompts {
public:
    void showMessage(const QString& text) override { qWarning("%s", qPrintable(text)); }
    void showWarning(const QString& text) override { qWarning("%s", qPrintable(text)); }
    bool confirmYesNo(const QString&) override { return false; }
    bool browseForFolder(QString&) override { return false; }
};

class NoTray final : public TrayIcon {
public:
    bool isAvailable() const override { return true; }
    void add(const QIcon&, const QString&) override {}
    void setTip(const QString&) override {}
    void setMenu(QMenu*) override {}
    void showBalloon(const QString&, const QString&, int) override {}
    void remove() override {}
};

class NoBrowser final : public UrlOpener {
public:
    bool openUrl(const QUrl&) override { return true; }
};

// A home folder as the program finds it: a desktop of many kinds of items, the configuration
// with twenty rules, and a log of many runs.
class Workload {
public:
    // `oneDay`: every record of one cleaning day, else runs of a hundred items, one a day.
    explicit Workload(int records, bool oneDay = false) : m_oneDay(oneDay) {
        const QString home = dir.path();
        locations.userDesktop = home + QStringLiteral("/Desktop");
        locations.data = home + QStringLiteral("/.local/share/Moravel");
        locations.documents = home + QStringLiteral("/Documents");
        for (const QString& folder : {locations.userDesktop, locations.data, locations.documents,
                                      home + QStringLiteral("/.config")}) {
            QDir().mkpath(folder);
        }
        QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
        if (dirs.open(QIODevice::WriteOnly)) {
            dirs.write(
                "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
        }
        fillDesktop();
        writeData(records);
    }

    QString home() const { return dir.path(); }

    QTemporaryDir dir;
    FixedLocations locations;
    FixedClock clock{QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30))};

private:
    void fillDesktop() const {
        static const char* const extensions[] = {"txt", "pdf",    "jpg", "png", "docx",    "xlsx",
                                                 "zip", "tar.gz", "mp3", "lnk", "desktop", ""};
        for (int i = 0; i < itemCount; ++i) {
            const QString base =
                QStringLiteral("%1/%2 item %3")
                    .arg(locations.userDesktop,
                         i % 7 == 0 ? QStringLiteral("Report") : QStringLiteral("photo"))
                    .arg(i);
            if (i % 100 == 0) {
                QDir().mkpath(base);
                continue;
            }
            const char* extension = extensions[i % std::size(extensions)];
            QFile file(*extension != '\0' ? base + u'.' + QLatin1String(extension) : base);
            if (file.open(QIODevice::WriteOnly)) {
                file.resize((i * 7919) % (4 << 20));
            }
        }
    }

    void writeData(int records) {
        SilentPrompts prompts;
        if (!createDefaultConfiguration(locations, clock, prompts)) {
            qFatal("no configuration");
        }
        global state(locations, clock);
        errorControl error;
        if (state.loadConfiguration(error, prompts) != 0) {
            qFatal("the configuration does not load: %s", qPrintable(error.message));
        }
        state.rules.clear();
        const auto add = [&state](ActionKind kind, ConditionKind type, const QString& mask,
                                  int size, int days) {
            rule& added = state.newRule();
            added.action = kind;
            added.folder = QStringLiteral("/srv/Moved");
            ruleCondition& condition = added.addCondition();
            condition.type = type;
            condition.mask = mask;
            condition.size = size;
            condition.time = days;
        };
        for (const char* mask :
             {"*.iso", "*.tmp", "~$*", "backup*.zip", "*[0-9][0-9].bak", "setup*.exe", "*.torrent",
              "Thumbs.db", "*.part", "invoice ????.pdf", "*copy*.*", "*.old"}) {
            add(actions::Delete, conditions::NameMask, QLatin1String(mask), 0, 0);
        }
        add(actions::Archive, conditions::SizeAbove, {}, 500, 0);
        add(actions::Archive, conditions::SizeAbove, {}, 100, 0);
        add(actions::Recycle, conditions::ModifiedBefore, {}, 0, 3650);
        add(actions::Recycle, conditions::AccessedBefore, {}, 0, 3650);
        add(actions::MoveToFolder, conditions::NameMask, QStringLiteral("*.mkv"), 0, 0);
        add(actions::MoveToFolder, conditions::NameMask, QStringLiteral("*.avi"), 0, 0);
        add(actions::Ask, conditions::NameMask, QStringLiteral("[!a-z]*.xyz"), 0, 0);
        state.newRule().action = actions::Archive;
        if (!state.saveConfiguration(error)) {
            qFatal("the configuration is not written: %s", qPrintable(error.message));
        }

        // Runs of a hundred items, one a day, into the archive, a few folders, the trash.
        const QStringList folders{QStringLiteral("/srv/Moved"), QStringLiteral("/home/me/Films"),
                                  QStringLiteral("/home/me/Letters")};
        const DateTimeValue first = toDateTimeValue(QDate(2008, 1, 1), QTime(9, 0));
        const DateTimeValue oneDay = toDateTimeValue(QDate(2010, 6, 1), QTime(0, 0));
        for (int i = 0; i < records; ++i) {
            logLine& record = state.newLogLine();
            const int run = i / 100;
            record.operationNumber = run + 1;
            record.cleanedAt =
                m_oneDay ? oneDay + (1 + i * 0.8) / 86400.0 : first + run + (i % 100) / 86400.0;
            record.setItemName(QStringLiteral("photo item %1.jpg").arg(i).toUtf8());
            switch (i % 10) {
            case 0:
                record.performedAction = actions::MoveToFolder;
                record.destinationFolder = folders[(i / 10) % folders.size()];
                break;
            case 1:
                record.performedAction = actions::Recycle;
                break;
            case 2:
                record.performedAction = actions::Delete;
                break;
            default:
                record.performedAction = actions::Archive;
                record.destinationFolder =
                    state.rutaRepositorio + QStringLiteral("/%1").arg(run, 4, 10, QLatin1Char('0'));
            }
        }
        if (!state.writeLog(error)) {
            qFatal("the log is not written: %s", qPrintable(error.message));
        }
    }

    bool m_oneDay = false;
};

struct WindowWorld {
    explicit WindowWorld(const Workload& workload) : load(workload) {}
    MainWindowParts parts() {
        return {.locations = load.locations,
                .clock = load.clock,
                .tray = tray,
                .urlOpener = browser,
                .updateService = service,
                .feedbackHost = {},
                .helpFolders = {},
                .prompts = &prompts,
                .endEventLoop = [] {}};
    }
    const Workload& load;
    NoTray tray;
    NoBrowser browser;
    SilentPrompts prompts;
    const UpdateService service{QString()};
};

// Counts the paint events of one widget.
class PaintWatch final : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

void BM_FillAndSort(benchmark::State& state) {
    static const Workload workload(0);
    WindowWorld world(workload);
    TfrmMain window(world.parts());
    if (!window.FormCreate({})) {
        state.SkipWithError("the window did not start");
        return;
    }
    window.show();
    QCoreApplication::processEvents();

    double ours = 0;
    double baseline = 0;
    int turn = 0;
    for (auto _ : state) {
        const auto scan = [&] {
            baseline += seconds([&] {
                ShellInfo shellInfo;
                taskManager plan;
                errorControl error;
                benchmark::DoNotOptimize(plan.scanDesktops(window.state(), shellInfo, error));
            });
        };
        if (turn % 2 == 1) {
            scan();
        }
        const double lap = seconds([&] {
            window.fillDesktopList();
            window.lvFiles->viewport()->repaint();
        });
        ours += lap;
        if (turn % 2 == 0) {
            scan();
        }
        ++turn;
        state.SetIterationTime(lap);
    }
    const double ratio = ours / baseline;
    state.counters["rows"] = window.lvFiles->model()->rowCount();
    state.counters["fill_sort_ms"] = 1000 * ours / turn;
    state.counters["scan_plan_ms"] = 1000 * baseline / turn;
    state.counters["ratio"] = ratio;
    report("BM_FillAndSort", "fill and sort <= 0.5 x scan and plan", ratio, ratio <= 0.5);
}
BENCHMARK(BM_FillAndSort)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

const Workload& fullWorkload() {
    static const Workload workload(recordCount);
    return workload;
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    const Workload& workload = fullWorkload();
    WindowWorld world(workload);
    double ours = 0;
    double baseline = 0;
    int turn = 0;
    std::size_t records = 0;
    for (auto _ : state) {
        const auto core = [&] {
            baseline += seconds([&] {
                global loaded(workload.locations, workload.clock);
                SilentPrompts prompts;
                const StartupOutcome outcome = loadOrCreateConfiguration(loaded, prompts);
                ShellInfo shellInfo;
                taskManager plan;
                errorControl error;
                benchmark::DoNotOptimize(outcome.loaded &&
                                         plan.scanDesktops(loaded, shellInfo, error));
                records = loaded.logLines.size();
            });
        };
        if (turn % 2 == 1) {
            core();
        }
        std::unique_ptr<TfrmMain> window;
        PaintWatch watch;
        const double lap = seconds([&] {
            window = std::make_unique<TfrmMain>(world.parts());
            window->installEventFilter(&watch);
            if (!window->FormCreate({})) {
                return;
            }
            window->showAtStart();
            while (!watch.painted) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
        });
        window.reset();
        QCoreApplication::processEvents();
        ours += lap;
        if (turn % 2 == 0) {
            core();
        }
        ++turn;
        state.SetIterationTime(lap);
    }
    const double ratio = ours / baseline;
    state.counters["records"] = static_cast<double>(records);
    state.counters["window_ms"] = 1000 * ours / turn;
    state.counters["core_ms"] = 1000 * baseline / turn;
    state.counters["ratio"] = ratio;
    report("BM_StartupToFirstPaint", "start-up to first paint <= 1.5 x the core's start-up", ratio,
           ratio <= 1.5);
}
BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Reads the workload's log file into a state of its own, as the start-up does.
double readLogSeconds(const Workload& workload, std::size_t& records) {
    return seconds([&] {
        global loaded(workload.locations, workload.clock);
        errorControl error;
        benchmark::DoNotOptimize(loaded.readLog(error));
        records = loaded.logLines.size();
    });
}

void BM_GenSearchTree(benchmark::State& state) {
    const Workload& workload = fullWorkload();
    WindowWorld world(workload);
    TfrmMain window(world.parts());
    if (!window.FormCreate({})) {
        state.SkipWithError("the window did not start");
        return;
    }
    window.show();
    window.mainPageControl->setCurrentIndex(1);
    QCoreApplication::processEvents();

    double painting = 0;
    double ours = 0;
    double baseline = 0;
    int turn = 0;
    std::size_t records = 0;
    for (auto _ : state) {
        if (turn % 2 == 1) {
            baseline += readLogSeconds(workload, records);
        }
        // What the last lap left to paint is painted before this one.
        QCoreApplication::processEvents();
        const double lap = seconds([&] { window.genSearchTree(); });
        ours += lap;
        // The paint that shows the new tree and list costs the same for any log: shown beside
        // the goal, not in it.
        painting += seconds([&] {
            window.tree->viewport()->repaint();
            window.lvCleaned->viewport()->repaint();
        });
        if (turn % 2 == 0) {
            baseline += readLogSeconds(workload, records);
        }
        ++turn;
        state.SetIterationTime(lap);
    }
    const double ratio = ours / baseline;
    state.counters["records"] = static_cast<double>(records);
    state.counters["days"] = static_cast<double>(window.cleaningDates.size());
    state.counters["tree_ms"] = 1000 * ours / turn;
    state.counters["paint_ms"] = 1000 * painting / turn;
    state.counters["readLog_ms"] = 1000 * baseline / turn;
    state.counters["ratio"] = ratio;
    report("BM_GenSearchTree", "genSearchTree <= 0.3 x readLog", ratio, ratio <= 0.3);
}
BENCHMARK(BM_GenSearchTree)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ShowAll(benchmark::State& state) {
    static const Workload workload(recordCount, true);
    WindowWorld world(workload);
    TfrmMain window(world.parts());
    if (!window.FormCreate({})) {
        state.SkipWithError("the window did not start");
        return;
    }
    window.show();
    window.mainPageControl->setCurrentIndex(1);
    QCoreApplication::processEvents();
    if (window.cleaningDates.size() != 1) {
        state.SkipWithError("the records do not lie on one day");
        return;
    }

    double ours = 0;
    double baseline = 0;
    int turn = 0;
    std::size_t records = 0;
    for (auto _ : state) {
        if (turn % 2 == 1) {
            baseline += readLogSeconds(workload, records);
        }
        QCoreApplication::processEvents();
        const double lap = seconds([&] {
            window.cmdShowMoreClick();
            window.lvCleaned->viewport()->repaint();
        });
        ours += lap;
        if (turn % 2 == 0) {
            baseline += readLogSeconds(workload, records);
        }
        ++turn;
        state.SetIterationTime(lap);
    }
    const double ratio = ours / baseline;
    state.counters["rows"] = window.lvCleaned->model()->rowCount();
    state.counters["show_all_ms"] = 1000 * ours / turn;
    state.counters["readLog_ms"] = 1000 * baseline / turn;
    state.counters["ratio"] = ratio;
    report("BM_ShowAll", "show all <= 1.0 x readLog", ratio, ratio <= 1.0);
}
BENCHMARK(BM_ShowAll)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The real program's resident memory in kilobytes, from /proc, or -1 once it is gone.
qint64 residentKilobytes(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+)"));
    const QRegularExpressionMatch match = rss.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// The process that /usr/bin/time started.
qint64 childOf(qint64 pid) {
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!children.open(QIODevice::ReadOnly)) {
        return -1;
    }
    bool ok = false;
    const qint64 child =
        QString::fromLatin1(children.readAll()).trimmed().section(u' ', 0, 0).toLongLong(&ok);
    return ok ? child : -1;
}

void BM_PeakMemory(benchmark::State& state) {
    const Workload& workload = fullWorkload();
    if (!QFile::exists(QStringLiteral("/usr/bin/time"))) {
        state.SkipWithError("/usr/bin/time is not installed");
        return;
    }
    double megabytes = 0;
    for (auto _ : state) {
        QProcess timed;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = workload.home();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        timed.setProcessEnvironment(environment);
        timed.start(QStringLiteral("/usr/bin/time"),
                    {QStringLiteral("-v"), QStringLiteral(MORAVEL_PROGRAM)});
        if (!timed.waitForStarted()) {
            state.SkipWithError("/usr/bin/time did not start");
            return;
        }
        // Up once its memory has stayed put for a second and a half.
        qint64 program = -1;
        qint64 last = -1;
        int steady = 0;
        for (int tick = 0; tick < 600 && steady < 15; ++tick) {
            QThread::msleep(100);
            if (program < 0) {
                program = childOf(timed.processId());
                continue;
            }
            const qint64 now = residentKilobytes(program);
            steady = now == last ? steady + 1 : 0;
            last = now;
        }
        if (program > 0) {
            ::kill(static_cast<pid_t>(program), SIGTERM);
        }
        timed.waitForFinished(60000);
        static const QRegularExpression peak(
            QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"));
        const QRegularExpressionMatch match =
            peak.match(QString::fromLocal8Bit(timed.readAllStandardError()));
        if (!match.hasMatch()) {
            state.SkipWithError("no figure from /usr/bin/time");
            return;
        }
        megabytes = match.captured(1).toDouble() / 1024.0;
        state.SetIterationTime(1);
    }
    state.counters["max_rss_MB"] = megabytes;
    report("BM_PeakMemory", "peak memory in MB < 150", megabytes, megabytes < 150);
}
BENCHMARK(BM_PeakMemory)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The window is measured without a screen of its own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The offscreen platform warns at every window that it cannot pass size hints on.
    static const QtMessageHandler defaultHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains(QLatin1String("propagateSizeHints"))) {
                defaultHandler(type, context, message);
            }
        });
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moravel"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [name, line] : verdicts()) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
