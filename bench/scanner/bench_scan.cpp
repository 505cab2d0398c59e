// The scan and plan of a desktop of 10,000 entries with 20 rules, against a bare readdir + lstat
// loop over the same folder: the least any scan must do. Both are timed in every iteration,
// taking turns at going first; the counter "ratio" is scan / bare loop (goal: at most 2), judged
// "met" or "MISSED" at the end.

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "engine/rule.h"
#include "platform/locations.h"
#include "platform/shellinfo.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace moravel;

namespace {

constexpr int entryCount = 10000;

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A desktop of many kinds of items: documents, pictures, archives, links, hidden files and some
// folders, with sizes spread from empty to a few megabytes (sparse, so nothing is written).
class Desktop {
public:
    Desktop() {
        static const char* const extensions[] = {"txt", "pdf",    "jpg", "png", "docx",    "xlsx",
                                                 "zip", "tar.gz", "mp3", "lnk", "desktop", ""};
        for (int i = 0; i < entryCount; ++i) {
            const QString base = QStringLiteral("%1/%2 item %3")
                                     .arg(dir.path(), i % 7 == 0 ? QStringLiteral("Report")
                                                                 : QStringLiteral("photo"))
                                     .arg(i);
            if (i % 100 == 0) {
                QDir().mkpath(base);
                continue;
            }
            const char* extension = extensions[i % std::size(extensions)];
            QString path = base;
            if (*extension != '\0') {
                path += u'.' + QLatin1String(extension);
            }
            if (i % 50 == 1) {
                path = dir.path() + QStringLiteral("/.hidden%1").arg(i);
            }
            QFile file(path);
            if (file.open(QIODevice::WriteOnly)) {
                file.resize((i * 7919) % (4 << 20));
            }
        }
    }
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

// Twenty rules of every kind; the first nineteen seldom match, so most items are tested against
// all of them before the last rule, which has no conditions, decides.
void addRules(global& state) {
    const auto add = [&state](ActionKind kind, ConditionKind type, const QString& mask, int size,
                              int days) {
        rule& added = state.newRule();
        added.action = kind;
        added.folder = QStringLiteral("/srv/Moved");
        ruleCondition& condition = added.addCondition();
        condition.type = type;
        condition.mask = mask;
        condition.size = size;
        condition.time = days;
    };
    const char* const masks[] = {
        "*.iso",     "*.tmp",     "~$*",    "backup*.zip",      "*[0-9][0-9].bak", "setup*.exe",
        "*.torrent", "Thumbs.db", "*.part", "invoice ????.pdf", "*copy*.*",        "*.old"};
    for (const char* mask : masks) {
        add(actions::Delete, conditions::NameMask, QLatin1String(mask), 0, 0);
    }
    add(actions::Archive, conditions::SizeAbove, {}, 500, 0);
    add(actions::Archive, conditions::SizeAbove, {}, 100, 0);
    add(actions::Recycle, conditions::ModifiedBefore, {}, 0, 3650);
    add(actions::Recycle, conditions::AccessedBefore, {}, 0, 3650);
    add(actions::MoveToFolder, conditions::NameMask, QStringLiteral("*.mkv"), 0, 0);
    add(actions::MoveToFolder, conditions::NameMask, QStringLiteral("*.avi"), 0, 0);
    add(actions::Ask, conditions::NameMask, QStringLiteral("[!a-z]*.xyz"), 0, 0);
    rule& last = state.newRule();
    last.action = actions::Archive;
}

std::int64_t bareLoop(const QString& folder) {
    std::int64_t total = 0;
    const QByteArray native = QFile::encodeName(folder);
    DIR* dir = ::opendir(native.constData());
    if (dir == nullptr) {
        return -1;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            total += info.st_size + info.st_mtim.tv_sec + info.st_atim.tv_sec;
        }
    }
    ::closedir(dir);
    return total;
}

void BM_ScanAndPlan(benchmark::State& state) {
    static const Desktop desktop;
    FixedLocations locations;
    locations.userDesktop = desktop.path();
    FixedClock clock(QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30)));
    global settings(locations, clock);
    settings.includeFolders = true;
    addRules(settings);

    double ours = 0;
    double baseline = 0;
    int turn = 0;
    int items = 0;
    for (auto _ : state) {
        const auto timeBaseline = [&] {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(bareLoop(desktop.path()));
            baseline += seconds(start);
        };
        if (turn % 2 == 1) {
            timeBaseline();
        }
        const auto start = std::chrono::steady_clock::now();
        ShellInfo shellInfo;
        taskManager plan;
        errorControl error;
        benchmark::DoNotOptimize(plan.scanDesktops(settings, shellInfo, error));
        const double lap = seconds(start);
        ours += lap;
        items = plan.taskCount();
        if (turn % 2 == 0) {
            timeBaseline();
        }
        ++turn;
        state.SetIterationTime(lap);
    }
    state.counters["items"] = items;
    state.counters["scan_ms"] = 1000 * ours / turn;
    state.counters["readdir_lstat_ms"] = 1000 * baseline / turn;
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_ScanAndPlan)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Remembers the ratio of each run, so that it can be judged at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto ratio = run.counters.find("ratio");
            if (run.run_type == Run::RT_Iteration && !run.error_occurred &&
                ratio != run.counters.end()) {
                ratios.push_back(ratio->second.value);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::vector<double> ratios;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    constexpr double goal = 2.0;
    int status = 0;
    for (const double ratio : reporter.ratios) {
        std::printf("scan and plan of %d entries / readdir + lstat: %.2f  goal <= %.1f: %s\n",
                    entryCount, ratio, goal, ratio <= goal ? "met" : "MISSED");
        status |= ratio <= goal ? 0 : 1;
    }
    benchmark::Shutdown();
    return status;
}
