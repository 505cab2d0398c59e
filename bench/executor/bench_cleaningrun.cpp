// A cleaning run of 2,000 small items, half of them archived (so that the date folder is made)
// and half moved to a folder, all on one file system, against a bare loop of rename(2) over
// the same items into the same folders: what the run adds to the system's own cost (the clash
// check, the log record written for each item, the progress, saving the configuration once,
// making the log durable at the end). Both are timed in every iteration, taking turns at
// going first, so that the ratio compares like with like. Goal: at most 1.5.

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
#include <sys/stat.h>

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

double& finalRatio() {
    static double ratio = -1;
    return ratio;
}

void BM_CleaningRunAgainstRename(benchmark::State& state) {
    QTemporaryDir root;
    FixedLocations locations;
    locations.userDesktop = root.path() + QStringLiteral("/Desktop");
    locations.data = root.path() + QStringLiteral("/data");
    const QString target = root.path() + QStringLiteral("/Target");
    const QString archive = root.path() + QStringLiteral("/Archive");
    for (const QString& folder : {locations.userDesktop, locations.data, target}) {
        QDir().mkpath(folder);
    }
    const FixedClock clock(QDateTime(QDate(2011, 3, 7), QTime(10, 0)));
    const QString dateFolder = archive + QStringLiteral("/11-03-07");
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
        const bool archived = i % 2 == 0;
        item->action = archived ? actions::Archive : actions::MoveToFolder;
        item->destination = archived ? QString() : target;
        sources.push_back(item->nativePath());
        destinations.push_back(
            QFile::encodeName((archived ? dateFolder : target) + u'/' + item->name));
        plan.tasks.push_back(std::move(item));
    }
    const auto clearDestinations = [&] {
        emptyFolder(target);
        QDir(archive).removeRecursively();
    };

    double runSeconds = 0;
    double renameSeconds = 0;
    double shellSeconds = 0;
    int turn = 0;
    for (auto _ : state) {
        double run = 0;
        const auto theRun = [&] {
            // The run, as the clean command starts it.
            fillDesktop(locations.userDesktop);
            global app(locations, clock);
            app.rutaRepositorio = archive;
            errorControl error;
            const auto runStart = std::chrono::steady_clock::now();
            bool ok = doer().execute(plan, app, error, prompts, progress, shell);
            ok = app.writeLog(error) && ok;
            run = secondsSince(runStart);
            clearDestinations();
            return ok && app.logLines.size() == std::size_t(itemCount) && prompts.shown == 0;
        };
        const auto theBaseline = [&] {
            // The same items, one rename(2) each, and the date folder made as the run makes it.
            fillDesktop(locations.userDesktop);
            const auto renameStart = std::chrono::steady_clock::now();
            if (::mkdir(QFile::encodeName(archive).constData(), 0777) != 0 ||
                ::mkdir(QFile::encodeName(dateFolder).constData(), 0777) != 0) {
                std::abort();
            }
            for (int i = 0; i < itemCount; ++i) {
                if (std::rename(sources[i].constData(), destinations[i].constData()) != 0) {
                    std::abort();
                }
            }
            renameSeconds += secondsSince(renameStart);
            clearDestinations();
        };
        bool ok = true;
        if (turn % 2 == 0) {
            ok = theRun();
            theBaseline();
        } else {
            theBaseline();
            ok = theRun();
        }
        if (!ok) {
            state.SkipWithError("the run did not move and log every item");
            break;
        }

        // The file operations alone, without the run around them.
        fillDesktop(locations.userDesktop);
        QDir().mkpath(dateFolder);
        const auto shellStart = std::chrono::steady_clock::now();
        for (const auto& item : plan.tasks) {
            const QString folder = item->action == actions::Archive ? dateFolder : target;
            if (!shell.shellMove(item->nativePath(), QFile::encodeName(folder))) {
                std::abort();
            }
        }
        shellSeconds += secondsSince(shellStart);
        clearDestinations();

        state.SetIterationTime(run);
        runSeconds += run;
        ++turn;
    }
    if (renameSeconds > 0) {
        state.counters["rename_ms"] = renameSeconds * 1000 / double(state.iterations());
        state.counters["ratio"] = runSeconds / renameSeconds;
        state.counters["moves_only_ratio"] = shellSeconds / renameSeconds;
        finalRatio() = runSeconds / renameSeconds;
    }
}

} // namespace

BENCHMARK(BM_CleaningRunAgainstRename)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    const double ratio = finalRatio();
    const bool met = ratio >= 0 && ratio <= 1.5;
    std::printf("cleaning run / rename loop = %.3f  goal <= 1.5: %s\n", ratio,
                met ? "met" : "MISSED");
    benchmark::Shutdown();
    return met ? 0 : 1;
}
