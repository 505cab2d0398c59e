// Log lines and log files mutated at random (with fixed seeds, so that a failure repeats), run
// under the sanitizers of the dev build: nothing may crash, every record that comes out must be
// one that writes and reads back as itself, and a run's records go after the file's bytes
// without changing one of them.

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"
#include "storage/localedatetime.h"
#include "storage/logtext.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime now(QDate(2025, 6, 1), QTime(12, 0));

struct Setup {
    QTemporaryDir root;
    FixedLocations locations;
    FixedClock clock{now};

    Setup() { locations.data = root.path(); }
    QString logPath() const { return locations.data + u"/MVL.log"_s; }
};

// Lines as the writer makes them, with every kind of field, names that are not UTF-8 among them.
QList<QByteArray> seedLines() {
    const QList<QByteArray> names = {"report.doc", "a, b",      "\"q\"", "x y",
                                     "tab\tz",     "line\nend", "é☕",    "caf\xe9.txt",
                                     "\xff\"\xfe", QByteArray()};
    const QList<QDateTime> moments = {QDateTime(QDate(2010, 3, 7), QTime(14, 5, 9)),
                                      QDateTime(QDate(2010, 3, 7), QTime(0, 0)),
                                      QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))};
    QList<QByteArray> lines;
    int run = 1;
    for (const QByteArray& name : names) {
        for (const QDateTime& at : moments) {
            logLine line;
            line.operationNumber = run++;
            line.setItemName(name);
            line.destinationFolder = name.isEmpty() ? QString() : u"/arch/"_s + line.itemName;
            line.performedAction = static_cast<ActionKind>(1 + run % 4);
            line.cleanedAt = toDateTimeValue(at);
            lines << line.toLogText();
        }
    }
    return lines;
}

QByteArray mutate(QByteArray text, QRandomGenerator& random) {
    static constexpr char bytes[] = "\",  \t\0\r\n09-/.:P\xe9\xef\xbf\xbd\xff\x80";
    static const QByteArray interesting(bytes, sizeof(bytes) - 1);
    for (int steps = random.bounded(1, 5); steps > 0; --steps) {
        const qsizetype at = text.isEmpty() ? 0 : random.bounded(text.size() + 1);
        switch (random.bounded(6)) {
        case 0: // replace
            if (at < text.size()) {
                text[at] = interesting.at(random.bounded(interesting.size()));
            }
            break;
        case 1: // insert
            text.insert(at, interesting.at(random.bounded(interesting.size())));
            break;
        case 2: // delete a run
            text.remove(at, random.bounded(1, 4));
            break;
        case 3: // duplicate a piece
            text.insert(at, text.mid(random.bounded(text.size() + 1), random.bounded(1, 12)));
            break;
        case 4: // cut off
            text.truncate(at);
            break;
        default: // swap in a random byte
            if (at < text.size()) {
                text[at] = static_cast<char>(random.bounded(1, 256));
            }
            break;
        }
    }
    return text;
}

bool sameRecord(const logLine& a, const logLine& b) {
    return a.operationNumber == b.operationNumber && a.itemNameBytes() == b.itemNameBytes() &&
           a.itemName == b.itemName && a.destinationFolder == b.destinationFolder &&
           a.performedAction == b.performedAction && a.cleanedAt == b.cleanedAt;
}

logtext::DateReader currentDates() {
    return logtext::DateReader(LocaleDateTimeFormat::current(), now.date().year(),
                               toDateTimeValue(now));
}

} // namespace

class CleaningLogMutationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void mutatedLinesGiveOnlySoundRecords_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("C") << u"C"_s << 1u;
        QTest::newRow("en_US") << u"en_US"_s << 2u;
        QTest::newRow("de_DE") << u"de_DE"_s << 3u;
        QTest::newRow("ar_EG") << u"ar_EG"_s << 4u;
    }
    void mutatedLinesGiveOnlySoundRecords() {
        QFETCH(QString, locale);
        QFETCH(quint32, seed);
        QLocale::setDefault(QLocale(locale));
        const QList<QByteArray> seeds = seedLines();
        QRandomGenerator random(seed);
        logtext::DateReader dates = currentDates();
        int records = 0;
        for (int round = 0; round < 20000; ++round) {
            const QByteArray line = mutate(seeds.at(random.bounded(seeds.size())), random);
            logLine first;
            if (logtext::readRecord(line, dates, first) != logtext::LineKind::Record) {
                continue;
            }
            ++records;
            const QByteArray written = first.toLogText();
            logLine second;
            const QByteArray context = line.toHex(' ') + " -> " + written.toHex(' ');
            QVERIFY2(logtext::readRecord(written, dates, second) == logtext::LineKind::Record,
                     context.constData());
            QVERIFY2(sameRecord(second, first), context.constData());
        }
        // The mutations must leave enough lines whole for the check to mean something.
        QVERIFY(records > 1000);
    }

    // Whole files: mutated lines, raw bytes, odd line ends. Read, log a run, read again: the
    // file's old bytes stay as they were, the new records come after them, and every record
    // read the first time is read again.
    void mutatedFilesKeepEverythingOverARun() {
        const QList<QByteArray> seeds = seedLines();
        QRandomGenerator random(20100307);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes;
            for (int i = random.bounded(1, 40); i > 0; --i) {
                const QByteArray& seed = seeds.at(random.bounded(seeds.size()));
                bytes += random.bounded(3) == 0 ? seed : mutate(seed, random);
                const int end = random.bounded(10);
                bytes += end == 0 ? "\n" : end == 1 ? "" : end == 2 ? "\r" : "\r\n";
            }
            Setup s;
            QFile file(s.logPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.close();

            global first(s.locations, s.clock);
            errorControl error;
            QVERIFY(first.readLog(error));
            const std::size_t read = first.logLines.size();
            QVERIFY(first.logAction("new \xe9.txt", u"/arch"_s, actions::Archive));
            QVERIFY2(first.writeLog(error), qPrintable(error.message));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray after = file.readAll();
            file.close();
            const QString context = u"round %1"_s.arg(round);
            QVERIFY2(after.startsWith(bytes), qPrintable(context));

            global second(s.locations, s.clock);
            QVERIFY(second.readLog(error));
            QVERIFY2(second.logLines.size() == read + 1, qPrintable(context));
            for (std::size_t i = 0; i <= read; ++i) {
                QVERIFY2(sameRecord(*second.logLines[i], *first.logLines[i]), qPrintable(context));
            }
        }
    }
};

QTEST_GUILESS_MAIN(CleaningLogMutationTest)
#include "test_cleaninglog_mutation.moc"
