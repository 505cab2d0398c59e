// The shell's file operations against what the system's own tools do with the same items:
// - moving a 256 MiB folder tree of many files from /dev/shm to the temporary folder (another
//   file system, so it is copied and removed) against `cp -a` followed by `rm -r`;
// - trashing 1,000 items one call each against one `gio trash` of all of them.
// Both sides are timed in every iteration, one right after the other and taking turns at going
// first; the counter "ratio" is the median over the iterations of ours divided by the baseline
// of the same iteration, so that other work on the machine, which comes and goes, weighs on
// both sides alike. Goals: the move at most 1.2 times the system's tools, the trash at most as
// long as gio; each is judged "met" or "MISSED" at the end.

#include "platform/prompts.h"
#include "platform/shelloperations.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

using namespace moravel;

namespace {

class CountingPrompts final : public Prompts {
public:
    int shown = 0;
    void showMessage(const QString&) override { ++shown; }
    void showWarning(const QString&) override { ++shown; }
    bool confirmYesNo(const QString&) override { return true; }
    bool browseForFolder(QString&) override { return false; }
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> laps) {
    if (laps.empty()) {
        return 0;
    }
    std::sort(laps.begin(), laps.end());
    const size_t middle = laps.size() / 2;
    return laps.size() % 2 == 1 ? laps[middle] : (laps[middle - 1] + laps[middle]) / 2;
}

// The median of the per-iteration ratios ours / baseline.
double pairedRatio(const std::vector<double>& ours, const std::vector<double>& baseline) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size() && i < baseline.size(); ++i) {
        ratios.push_back(ours[i] / baseline[i]);
    }
    return median(ratios);
}

qint64 freeBytes(const QString& folder) {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0) {
        return 0;
    }
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

bool runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// 64 folders of 64 files of 64 KiB: 256 MiB.
constexpr int treeFolders = 64;
constexpr int treeFiles = 64;
constexpr qint64 treeFileSize = 64 * 1024;
constexpr qint64 treeBytes = treeFolders * treeFiles * treeFileSize;

bool makeTree(const QString& root) {
    const QByteArray data(treeFileSize, 'm');
    for (int folder = 0; folder < treeFolders; ++folder) {
        const QString path = root + QStringLiteral("/folder %1").arg(folder);
        if (!QDir().mkpath(path)) {
            return false;
        }
        for (int file = 0; file < treeFiles; ++file) {
            QFile out(path + QStringLiteral("/file %1.bin").arg(file));
            if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size()) {
                return false;
            }
        }
    }
    return true;
}

void BM_MoveTreeAcrossFileSystems(benchmark::State& state) {
    const QString shm = QStringLiteral("/dev/shm");
    // Room for the tree on both sides, with some to spare.
    if (freeBytes(shm) < 2 * treeBytes || freeBytes(QDir::tempPath()) < 2 * treeBytes) {
        state.SkipWithError("not enough free space in /dev/shm or the temporary folder");
        return;
    }
    QTemporaryDir from(shm + QStringLiteral("/moravel-bench-XXXXXX"));
    QTemporaryDir to;
    if (!from.isValid() || !to.isValid()) {
        state.SkipWithError("cannot make the folders");
        return;
    }
    const QString source = from.filePath(QStringLiteral("Tree"));
    const QString arrived = to.filePath(QStringLiteral("Tree"));
    CountingPrompts prompts;
    ShellOperations shell(prompts);
    std::vector<double> ours;
    std::vector<double> baseline;
    int turn = 0;
    for (auto _ : state) {
        double lap = 0;
        for (int side = 0; side < 2; ++side) {
            if (!makeTree(source)) {
                state.SkipWithError("cannot write the tree");
                return;
            }
            // Each side starts with the file systems' journals at rest.
            ::sync();
            const bool oursNow = (side + turn) % 2 == 0;
            const auto start = Clock::now();
            const bool ok =
                oursNow
                    ? shell.shellMove(QFile::encodeName(source), QFile::encodeName(to.path()))
                    : runTool(QStringLiteral("cp"), {QStringLiteral("-a"), source, to.path()}) &&
                          runTool(QStringLiteral("rm"), {QStringLiteral("-r"), source});
            const double seconds = secondsSince(start);
            if (!ok || prompts.shown != 0 || QFileInfo::exists(source) ||
                !QFileInfo(arrived).isDir()) {
                state.SkipWithError("the move did not go through");
                return;
            }
            (oursNow ? ours : baseline).push_back(seconds);
            if (oursNow) {
                lap = seconds;
            }
            QDir(arrived).removeRecursively();
        }
        state.SetIterationTime(lap);
        ++turn;
    }
    state.counters["ours_s"] = median(ours);
    state.counters["cp_rm_s"] = median(baseline);
    state.counters["ratio"] = pairedRatio(ours, baseline);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * treeBytes);
}
BENCHMARK(BM_MoveTreeAcrossFileSystems)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);

constexpr int trashItems = 1000;

void BM_TrashItems(benchmark::State& state) {
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()) {
        state.SkipWithError("gio (libglib2.0-bin) is missing");
        return;
    }
    // HOME and XDG_DATA_HOME point into a folder of the benchmark's own, set in main().
    const QString home = QDir::homePath();
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    const QString items = home + QStringLiteral("/items");
    QStringList paths;
    for (int i = 0; i < trashItems; ++i) {
        paths << items + QStringLiteral("/item %1.txt").arg(i);
    }
    const auto fill = [&] {
        QDir(trash).removeRecursively();
        QDir().mkpath(items);
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write("x", 1) != 1) {
                return false;
            }
        }
        return true;
    };
    CountingPrompts prompts;
    ShellOperations shell(prompts);
    std::vector<double> ours;
    std::vector<double> baseline;
    int turn = 0;
    for (auto _ : state) {
        double lap = 0;
        for (int side = 0; side < 2; ++side) {
            if (!fill()) {
                state.SkipWithError("cannot write the items");
                return;
            }
            ::sync();
            const bool oursNow = (side + turn) % 2 == 0;
            const auto start = Clock::now();
            bool ok = true;
            if (oursNow) {
                for (const QString& path : paths) {
                    ok = shell.shellDelete(QFile::encodeName(path), true) && ok;
                }
            } else {
                ok = runTool(QStringLiteral("gio"), QStringList{QStringLiteral("trash")} + paths);
            }
            const double seconds = secondsSince(start);
            if (!ok || prompts.shown != 0 || !QDir(items).isEmpty()) {
                state.SkipWithError("the items did not all reach the trash");
                return;
            }
            (oursNow ? ours : baseline).push_back(seconds);
            if (oursNow) {
                lap = seconds;
            }
        }
        state.SetIterationTime(lap);
        ++turn;
    }
    QDir(trash).removeRecursively();
    state.counters["ours_s"] = median(ours);
    state.counters["gio_s"] = median(baseline);
    state.counters["ratio"] = pairedRatio(ours, baseline);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * trashItems);
}
BENCHMARK(BM_TrashItems)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Remembers the ratio of each benchmark, or why it did not run, so that it can be judged at the
// end.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    struct Outcome {
        double ratio = 0;
        std::string error; // why it did not run, empty when it did
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) {
                continue;
            }
            Outcome& outcome = outcomes[run.run_name.function_name];
            if (run.error_occurred) {
                outcome.error = run.error_message;
            } else if (const auto ratio = run.counters.find("ratio"); ratio != run.counters.end()) {
                outcome.ratio = ratio->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Outcome> outcomes;
};

} // namespace

int main(int argc, char** argv) {
    // A home of our own, on the temporary folder's file system, so that the trash used is a
    // private one and the developer's own stays untouched.
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/.local/share")));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct {
        const char* name;
        const char* label;
        double goal;
    } goals[] = {
        {"BM_MoveTreeAcrossFileSystems", "move of a 256 MiB tree / cp -a + rm -r:", 1.2},
        {"BM_TrashItems", "trash of 1,000 items / gio trash:", 1.0},
    };
    int status = 0;
    for (const auto& goal : goals) {
        const auto found = reporter.outcomes.find(goal.name);
        if (found == reporter.outcomes.end()) {
            continue; // left out by --benchmark_filter
        }
        const auto& outcome = found->second;
        if (!outcome.error.empty()) {
            std::printf("%-42s not measured (%s)  goal <= %.1f: MISSED\n", goal.label,
                        outcome.error.c_str(), goal.goal);
            status = 1;
            continue;
        }
        const bool met = outcome.ratio <= goal.goal;
        std::printf("%-42s %.2f  goal <= %.1f: %s\n", goal.label, outcome.ratio, goal.goal,
                    met ? "met" : "MISSED");
        status |= met ? 0 : 1;
    }
    benchmark::Shutdown();
    return status;
}
