// The cleaning log of 100,000 records under the C, en_US and de_DE locales.
//
// Reading (goal: ratio at most 3): readLog against reading the same file's lines without
// parsing them, the same way readLog reads them (blocks, lines split, UTF-8 decoded). A second
// counter compares with the everyday way of reading lines, QFile::readLine and fromUtf8.
// Writing (goal: ratio at most 2): writeLog against writing the same bytes the same way
// (writeFileAtomically: a temporary file, fsync, rename). A second counter compares with a
// plain QFile write without fsync.
// In each iteration both sides are timed, taking turns at going first.
//
// BM_DateText* give the cost of one date-time text: QLocale's own parser and formatter against
// the compiled ones.

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/atomicfile.h"
#include "storage/global.h"
#include "storage/linereader.h"
#include "storage/localedatetime.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <memory>

using namespace moravel;

namespace {

constexpr int recordCount = 100000;
const char* const localeNames[] = {"C", "en_US", "de_DE"};

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A data folder with a log of many runs: archived, moved, recycled and deleted items with names
// of every shape, at times spread over fifteen years.
struct LogFolder {
    QTemporaryDir dir;
    FixedLocations locations;
    FixedClock clock{QDateTime(QDate(2025, 6, 1), QTime(12, 0))};

    explicit LogFolder(const char* localeName) {
        QLocale::setDefault(QLocale(QString::fromLatin1(localeName)));
        locations.data = dir.path();
        global state(locations, clock);
        fill(state);
        errorControl error;
        if (!state.writeLog(error)) {
            qFatal("cannot write the log: %s", qPrintable(error.message));
        }
    }
    QString logPath() const { return dir.path() + QStringLiteral("/MVL.log"); }

    static void fill(global& state) {
        static const char* const stems[] = {"report",       "Screenshot from 2024-05-01 10-11-12",
                                            "invoice, May", "photo \"best\"",
                                            "notes",        "Ünïcödé café"};
        static const char* const extensions[] = {".pdf", ".png", ".txt", ".docx", "", ".tar.gz"};
        const QDateTime start(QDate(2010, 3, 7), QTime(9, 0));
        for (int i = 0; i < recordCount; ++i) {
            logLine& line = state.newLogLine();
            line.operationNumber = i / 40 + 1;
            line.itemName = QString::fromUtf8(stems[i % 6]) + QStringLiteral(" %1").arg(i) +
                            QLatin1String(extensions[i % 5]);
            line.performedAction = static_cast<ActionKind>(1 + i % 4);
            if (line.performedAction <= actions::MoveToFolder) {
                line.destinationFolder = line.performedAction == actions::Archive
                                             ? QStringLiteral("/home/ana/Documents/My Desktop "
                                                              "Files/10-03-%1")
                                                   .arg(i % 28 + 1)
                                             : QStringLiteral("/home/ana/Pictures");
            }
            // Every run on its own day, its items seconds apart; some exactly at midnight.
            line.cleanedAt = toDateTimeValue(
                start.addDays(i / 40 * 2).addSecs(i % 7 == 0 ? -9 * 3600 : (i % 40) * 7));
        }
    }
};

LogFolder& folderFor(int locale) {
    static std::unique_ptr<LogFolder> folders[3];
    if (!folders[locale]) {
        folders[locale] = std::make_unique<LogFolder>(localeNames[locale]);
    }
    QLocale::setDefault(QLocale(QString::fromLatin1(localeNames[locale])));
    return *folders[locale];
}

// The lines of the file as readLog gets them, decoded, and nothing more.
qint64 readLinesAsReadLogDoes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    LineReader reader(file, 1024 * 1024);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text(4096, Qt::Uninitialized);
    QByteArrayView line;
    QByteArrayView lineEnd;
    qint64 total = 0;
    while (reader.next(line, lineEnd)) {
        if (text.size() < line.size()) {
            text.resize(line.size());
        }
        const QChar* end = decoder.appendToBuffer(text.data(), line);
        total += end - text.constData();
    }
    return total;
}

qint64 readLinesWithQFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    qint64 total = 0;
    while (!file.atEnd()) {
        total += QString::fromUtf8(file.readLine()).size();
    }
    return total;
}

void BM_ReadLog(benchmark::State& state) {
    LogFolder& folder = folderFor(static_cast<int>(state.range(0)));
    state.SetLabel(localeNames[state.range(0)]);
    double ours = 0;
    double lines = 0;
    double qfileLines = 0;
    std::size_t records = 0;
    int turn = 0;
    for (auto _ : state) {
        const auto baseline = [&] {
            lines += seconds(
                [&] { benchmark::DoNotOptimize(readLinesAsReadLogDoes(folder.logPath())); });
            qfileLines +=
                seconds([&] { benchmark::DoNotOptimize(readLinesWithQFile(folder.logPath())); });
        };
        if (turn % 2 == 1) {
            baseline();
        }
        // The records are freed after the clock stops: that is the end of the program's life,
        // not part of reading.
        auto read = std::make_unique<global>(folder.locations, folder.clock);
        const double lap = seconds([&] {
            errorControl error;
            benchmark::DoNotOptimize(read->readLog(error));
        });
        records = read->logLines.size();
        ours += lap;
        state.SetIterationTime(lap);
        if (turn % 2 == 0) {
            baseline();
        }
        read.reset();
        // glibc merges the many small blocks just freed only at the next allocation of a
        // kilobyte or more: that work is part of the freeing, and is done here rather than in
        // the next lap, whichever side's it would be.
        benchmark::DoNotOptimize(std::make_unique<char[]>(4096));
        ++turn;
    }
    if (records != recordCount) {
        state.SkipWithError("not every record came back");
    }
    state.counters["records"] = static_cast<double>(records);
    state.counters["ns_per_record"] = ours / turn / recordCount * 1e9;
    state.counters["lines_ms"] = lines / turn * 1e3;
    state.counters["ratio"] = ours / lines;
    state.counters["ratio_qfile_readline"] = ours / qfileLines;
}

void BM_WriteLog(benchmark::State& state) {
    LogFolder& folder = folderFor(static_cast<int>(state.range(0)));
    state.SetLabel(localeNames[state.range(0)]);
    global log(folder.locations, folder.clock);
    LogFolder::fill(log);
    QByteArray bytes;
    {
        QFile file(folder.logPath());
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.readAll();
        }
    }
    const QString samePath = folder.dir.filePath(QStringLiteral("same-bytes.log"));
    const QString plainPath = folder.dir.filePath(QStringLiteral("plain.log"));
    double ours = 0;
    double same = 0;
    double plain = 0;
    int turn = 0;
    bool written = true;
    for (auto _ : state) {
        const auto baseline = [&] {
            same += seconds([&] {
                errorControl error;
                written = writeFileAtomically(samePath, bytes, error) && written;
            });
            plain += seconds([&] {
                QFile file(plainPath);
                written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                          file.write(bytes) == bytes.size() && written;
            });
        };
        if (turn % 2 == 1) {
            baseline();
        }
        const double lap = seconds([&] {
            errorControl error;
            written = log.writeLog(error) && written;
        });
        ours += lap;
        state.SetIterationTime(lap);
        if (turn % 2 == 0) {
            baseline();
        }
        ++turn;
    }
    if (!written) {
        state.SkipWithError("a write failed");
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["ns_per_record"] = ours / turn / recordCount * 1e9;
    state.counters["same_bytes_ms"] = same / turn * 1e3;
    state.counters["ratio"] = ours / same;
    state.counters["ratio_plain_write"] = ours / plain;
}

QStringList sampleTexts(const LocaleDateTimeFormat& format) {
    QStringList texts;
    const DateTimeValue start = toDateTimeValue(QDate(2010, 3, 7), QTime(9, 0, 1));
    for (int i = 0; i < 1000; ++i) {
        texts << format.dateTimeText(start + i * 1.37);
    }
    return texts;
}

void BM_DateTextReadByQLocale(benchmark::State& state) {
    const QLocale locale(QString::fromLatin1(localeNames[state.range(0)]));
    state.SetLabel(localeNames[state.range(0)]);
    const LocaleDateTimeFormat format(locale);
    const QStringList texts = sampleTexts(format);
    const QString pattern = format.dateFormat() + u' ' + format.timeFormat();
    for (auto _ : state) {
        for (const QString& text : texts) {
            benchmark::DoNotOptimize(locale.toDateTime(text, pattern));
        }
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
}

void BM_DateTextReadCompiled(benchmark::State& state) {
    const QLocale locale(QString::fromLatin1(localeNames[state.range(0)]));
    state.SetLabel(localeNames[state.range(0)]);
    const LocaleDateTimeFormat format(locale);
    const QStringList texts = sampleTexts(format);
    for (auto _ : state) {
        for (const QString& text : texts) {
            DateTimeValue value = 0;
            benchmark::DoNotOptimize(format.readDateTime(text, 2025, value));
        }
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
}

void BM_DateTextWriteByQLocale(benchmark::State& state) {
    const QLocale locale(QString::fromLatin1(localeNames[state.range(0)]));
    state.SetLabel(localeNames[state.range(0)]);
    const LocaleDateTimeFormat format(locale);
    const QString pattern = format.dateFormat() + u' ' + format.timeFormat();
    const QDateTime start(QDate(2010, 3, 7), QTime(9, 0, 1));
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            benchmark::DoNotOptimize(locale.toString(start.addSecs(i * 118368), pattern));
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_DateTextWriteCompiled(benchmark::State& state) {
    const QLocale locale(QString::fromLatin1(localeNames[state.range(0)]));
    state.SetLabel(localeNames[state.range(0)]);
    const LocaleDateTimeFormat format(locale);
    const DateTimeValue start = toDateTimeValue(QDate(2010, 3, 7), QTime(9, 0, 1));
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            benchmark::DoNotOptimize(format.dateTimeText(start + i * 1.37));
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

} // namespace

BENCHMARK(BM_ReadLog)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLog)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DateTextReadByQLocale)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DateTextReadCompiled)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DateTextWriteByQLocale)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DateTextWriteCompiled)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
