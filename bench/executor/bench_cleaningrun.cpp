// A cleaning run of 2,000 small items into a folder on the same file system, against a bare
// loop of rename(2) over the same items: what the run adds to the system's own cost (the clash
// check, the log record, the progress, saving the configuration once). Both are timed in every
// iteration, one after the other, so that the ratio compares like with like.

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "executor/doer.h"
#include "platform/locations.h"
#include "platform/prompts.h"
#include "platform/shelloperations.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

using namespace moravel;

namespace {

constexpr int itemCount = 2000;

class SilentPrompts final : public Prompts {
public:
    int shown = 0;
    void showMessage(const QString&) override { ++shown; }
    void showWarning(const QString&) override { ++shown; }
    bool confirmYesNo(const QString&) override { return true; }
    bool browseForFolder(QString&) override { return false; }
};

class SilentProgress final : public Progress {
public:
    void show() override {}
    void hide() override {}
    void setProgress(int position, int total) override {
        benchmark::DoNotOptimize(position);
        benchmark::DoNotOptimize(total);
    }
    bool cancelPressed() const override { return false; }
    void clearCancel() override {}
};

QString itemName(int i) {
    return QStringLiteral("item %1.txt").arg(i, 4, 10, QLatin1Char('0'));
}

void fillDesktop(const QString& desktop) {
    for (int i = 0; i < itemCount; ++i) {
        QFile file(desktop + u'/' + itemName(i));
        if (!file.open(QIODevice::WriteOnly) || file.write("x", 1) != 1) {
            std::abort();
        }
    }
}

void emptyFolder(const QString& folder) {
    QDir dir(folder);
    dir.removeRecursively();
    QDir().mkpath(folder);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CleaningRunAgainstRename(benchmark::State& state) {
    QTemporaryDir root;
    FixedLocations locations;
    locations.userDesktop = root.path() + QStringLiteral("/Desktop");
    locations.data = root.path() + QStringLiteral("/data");
    const QString target = root.path() + QStringLiteral("/Target");
    for (const QString& folder : {locations.userDesktop, locations.data, target}) {
        QDir().mkpath(folder);
    }
    const FixedClock clock(QDateTime(QDate(2011, 3, 7), QTime(10, 0)));
    SilentPrompts prompts;
    SilentProgress progress;
    ShellOperations shell(prompts);

    taskManager plan;
    std::vector<QByteArray> sources;
    std::vector<QByteArray> destinations;
    for (int i = 0; i < itemCount; ++i) {
        auto item = std::make_unique<task>();
        item->name = itemName(i);
        item->nameBytes = QFile::encodeName(item->name);
        item->sourceFolder = locations.userDesktop;
        item->action = actions::MoveToFolder;
        item->destination = target;
        sources.push_back(QFile::encodeName(item->fullPath()));
        destinations.push_back(QFile::encodeName(target + u'/' + item->name));
        plan.tasks.push_back(std::move(item));
    }

    double runSeconds = 0;
    double renameSeconds = 0;
    double shellSeconds = 0;
    for (auto _ : state) {
        // The run, as the clean command starts it.
        fillDesktop(locations.userDesktop);
        global app(locations, clock);
        errorControl error;
        const auto runStart = std::chrono::steady_clock::now();
        const bool ok = doer().execute(plan, app, error, prompts, progress, shell);
        const double run = secondsSince(runStart);
        if (!ok || app.logLines.size() != std::size_t(itemCount) || prompts.shown != 0) {
            state.SkipWithError("the run did not move every item");
            break;
        }
        emptyFolder(target);

        // The baseline: the same items, one rename(2) each.
        fillDesktop(locations.userDesktop);
        const auto renameStart = std::chrono::steady_clock::now();
        for (int i = 0; i < itemCount; ++i) {
            if (std::rename(sources[i].constData(), destinations[i].constData()) != 0) {
                std::abort();
            }
        }
        const double bare = secondsSince(renameStart);
        emptyFolder(target);

        // The file operations alone, without the run around them.
        fillDesktop(locations.userDesktop);
        const auto shellStart = std::chrono::steady_clock::now();
        for (const auto& item : plan.tasks) {
            if (!shell.shellMove(item->nativePath(), QFile::encodeName(target))) {
                std::abort();
            }
        }
        const double moves = secondsSince(shellStart);
        emptyFolder(target);

        state.SetIterationTime(run);
        runSeconds += run;
        renameSeconds += bare;
        shellSeconds += moves;
    }
    if (renameSeconds > 0) {
        state.counters["rename_ms"] = renameSeconds * 1000 / double(state.iterations());
        state.counters["ratio"] = runSeconds / renameSeconds;
        state.counters["moves_only_ratio"] = shellSeconds / renameSeconds;
        std::printf("cleaning run / rename loop = %.3f (goal <= 1.5)\n",
                    runSeconds / renameSeconds);
    }
}

} // namespace

BENCHMARK(BM_CleaningRunAgainstRename)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

BENCHMARK_MAIN();
