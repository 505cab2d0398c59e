// The cleaning log of 100,000 records under the C, en_US and de_DE locales.
//
// Reading (goal: ratio at most 3): readLog against reading the same file's lines without
// parsing them, the same way readLog reads them (blocks, lines split, UTF-8 decoded). A second
// counter compares with the everyday way of reading lines, QFile::readLine and fromUtf8.
// Writing (goal: ratio at most 2): the records of a run appended as the run makes them, each in
// one write of its line at the end of the file, and made durable at the end (logAction, then
// writeLog), against writing the same lines the same way: one write() each to a file opened
// for appending, one fdatasync.
// In each iteration both sides are timed, taking turns at going first. Each benchmark ends by
// saying whether its goal was met.
//
// BM_DateText* give the cost of one date-time text: QLocale's own parser and formatter against
// the compiled ones.

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"
#include "storage/linereader.h"
#include "storage/localedatetime.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace moravel;

namespace {

constexpr int recordCount = 100000;
const char* const localeNames[] = {"C", "en_US", "de_DE"};

// Each benchmark's ratio and its goal (at most), to be judged at the end.
std::map<std::string, std::pair<double, double>>& results() {
    static std::map<std::string, std::pair<double, double>> all;
    return all;
}

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
        static const char* const stems[] = {"report",
                                            "Screenshot from 2024-05-01 10-11-12",
                                            "invoice, May",
                                            "photo \"best\"",
                                            "notes",
                                            "Ünïcödé café",
                                            "r\xe9sum\xe9 latin-1"};
        static const char* const extensions[] = {".pdf", ".png", ".txt", ".docx", "", ".tar.gz"};
        const QDateTime start(QDate(2010, 3, 7), QTime(9, 0));
        for (int i = 0; i < recordCount; ++i) {
            logLine& line = state.newLogLine();
            line.operationNumber = i / 40 + 1;
            line.setItemName(QByteArray(stems[i % 7]) + ' ' + QByteArray::number(i) +
                             extensions[i % 5]);
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
    results()[std::string("read ") + localeNames[state.range(0)]] = {ours / lines, 3.0};
}

// The records of `folder`'s log as logAction takes them.
struct Appended {
    QByteArray name;
    QString destination;
    ActionKind action;
};

void BM_AppendLog(benchmark::State& state) {
    LogFolder& folder = folderFor(static_cast<int>(state.range(0)));
    state.SetLabel(localeNames[state.range(0)]);
    std::vector<Appended> records;
    {
        global read(folder.locations, folder.clock);
        errorControl error;
        read.readLog(error);
        for (const auto& line : read.logLines) {
            records.push_back(
                {line->itemNameBytes(), line->destinationFolder, line->performedAction});
        }
    }
    double ours = 0;
    double same = 0;
    int turn = 0;
    bool written = records.size() == recordCount;
    QByteArray bytes;
    for (auto _ : state) {
        QTemporaryDir dir;
        FixedLocations locations;
        locations.data = dir.filePath(QStringLiteral("ours"));
        QDir().mkpath(locations.data);
        const QByteArray samePath = QFile::encodeName(dir.filePath(QStringLiteral("same.log")));
        const auto baseline = [&] {
            same += seconds([&] {
                const int fd = ::open(samePath.constData(),
                                      O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
                qsizetype from = 0;
                for (qsizetype end; (end = bytes.indexOf('\n', from)) >= 0; from = end + 1) {
                    written = ::write(fd, bytes.constData() + from,
                                      static_cast<std::size_t>(end + 1 - from)) == end + 1 - from &&
                              written;
                }
                written = ::fdatasync(fd) == 0 && ::close(fd) == 0 && written;
            });
        };
        if (turn % 2 == 1 && !bytes.isEmpty()) {
            baseline();
        }
        global log(locations, folder.clock);
        const double lap = seconds([&] {
            for (const Appended& record : records) {
                written = log.logAction(record.name, record.destination, record.action) && written;
            }
            errorControl error;
            written = log.writeLog(error) && written;
        });
        ours += lap;
        state.SetIterationTime(lap);
        if (bytes.isEmpty()) {
            QFile file(locations.data + QStringLiteral("/MVL.log"));
            file.open(QIODevice::ReadOnly);
            bytes = file.readAll();
            baseline();
        } else if (turn % 2 == 0) {
            baseline();
        }
        ++turn;
    }
    if (!written) {
        state.SkipWithError("a write failed");
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["ns_per_record"] = ours / turn / recordCount * 1e9;
    state.counters["same_lines_ms"] = same / turn * 1e3;
    state.counters["ratio"] = ours / same;
    results()[std::string("append ") + localeNames[state.range(0)]] = {ours / same, 2.0};
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
BENCHMARK(BM_AppendLog)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DateTextReadByQLocale)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DateTextReadCompiled)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DateTextWriteByQLocale)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DateTextWriteCompiled)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    int status = 0;
    for (const auto& [name, result] : results()) {
        const auto [ratio, goal] = result;
        const bool met = ratio <= goal;
        std::printf("%-14s ratio %.2f  goal <= %.1f: %s\n", name.c_str(), ratio, goal,
                    met ? "met" : "MISSED");
        status |= met ? 0 : 1;
    }
    benchmark::Shutdown();
    return status;
}
