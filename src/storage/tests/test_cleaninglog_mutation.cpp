// Log lines and log files mutated at random (with fixed seeds, so that a failure repeats), run
// under the sanitizers of the dev build: nothing may crash, every record that comes out must be
// one that writes and reads back as itself, and reading, writing and reading again must keep
// every record and every unread line.

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

struct Setup {
    QTemporaryDir root;
    FixedLocations locations;
    FixedClock clock{QDateTime(QDate(2025, 6, 1), QTime(12, 0))};

    Setup() { locations.data = root.path(); }
    QString logPath() const { return locations.data + u"/MVL.log"_s; }
};

// Lines as the writer makes them, with every kind of field.
QStringList seedLines() {
    FixedLocations nowhere;
    FixedClock clock;
    global state(nowhere, clock);
    const QStringList names = {u"report.doc"_s, u"a, b"_s,      u"\"q\""_s, u"x y"_s,
                               u"tab\tz"_s,     u"line\nend"_s, u"é☕"_s,    QString()};
    const QList<QDateTime> moments = {QDateTime(QDate(2010, 3, 7), QTime(14, 5, 9)),
                                      QDateTime(QDate(2010, 3, 7), QTime(0, 0)),
                                      QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))};
    QStringList lines;
    int run = 1;
    for (const QString& name : names) {
        for (const QDateTime& at : moments) {
            logLine line;
            line.operationNumber = run++;
            line.itemName = name;
            line.destinationFolder = name.isEmpty() ? QString() : u"/arch/"_s + name;
            line.performedAction = static_cast<ActionKind>(1 + run % 4);
            line.cleanedAt = toDateTimeValue(at);
            lines << line.toLogText();
        }
    }
    return lines;
}

QString mutate(QString text, QRandomGenerator& random) {
    static const QList<QChar> interesting = {
        u'"',  u',',          u' ',          u'\t',         QChar(0),      u'\r',
        u'\n', QChar(0xfffd), QChar(0x202f), QChar(0xd800), QChar(0xdc00), u'0',
        u'9',  u'-',          u'/',          u'.',          u':',          u'P',
    };
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
        default: // swap in a random character
            if (at < text.size()) {
                text[at] = QChar(static_cast<char16_t>(random.bounded(1, 0x3000)));
            }
            break;
        }
    }
    return text;
}

bool sameRecord(const logLine& a, const logLine& b) {
    return a.operationNumber == b.operationNumber && a.itemName == b.itemName &&
           a.destinationFolder == b.destinationFolder && a.performedAction == b.performedAction &&
           a.cleanedAt == b.cleanedAt;
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
        const QStringList seeds = seedLines();
        QRandomGenerator random(seed);
        FixedLocations nowhere;
        FixedClock clock(QDateTime(QDate(2025, 6, 1), QTime(12, 0)));
        global state(nowhere, clock);
        int records = 0;
        for (int round = 0; round < 20000; ++round) {
            const QString line = mutate(seeds.at(random.bounded(seeds.size())), random);
            state.logLines.clear();
            state.parseLogLine(line);
            if (state.logLines.empty()) {
                continue;
            }
            ++records;
            const logLine first = *state.logLines.front();
            const QString written = first.toLogText();
            state.logLines.clear();
            state.parseLogLine(written);
            QVERIFY2(state.logLines.size() == 1, qPrintable(line + u" -> "_s + written));
            QVERIFY2(sameRecord(*state.logLines.front(), first),
                     qPrintable(line + u" -> "_s + written));
        }
        // The mutations must leave enough lines whole for the check to mean something.
        QVERIFY(records > 1000);
    }

    // Whole files: mutated lines, raw bytes, odd line ends. Read, write, read again: the same
    // records and the same unread lines, in the same places.
    void mutatedFilesKeepEverythingOverARewrite() {
        const QStringList seeds = seedLines();
        QRandomGenerator random(20100307);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes;
            for (int i = random.bounded(1, 40); i > 0; --i) {
                const QString& seed = seeds.at(random.bounded(seeds.size()));
                QByteArray line = (random.bounded(3) == 0 ? seed : mutate(seed, random)).toUtf8();
                if (random.bounded(10) == 0 && !line.isEmpty()) {
                    line[random.bounded(line.size())] = static_cast<char>(random.bounded(256));
                }
                bytes += line;
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
            QVERIFY2(first.writeLog(error), qPrintable(error.message));
            global second(s.locations, s.clock);
            QVERIFY(second.readLog(error));

            const QString context = u"round %1"_s.arg(round);
            QVERIFY2(second.logLines.size() == first.logLines.size(), qPrintable(context));
            for (std::size_t i = 0; i < first.logLines.size(); ++i) {
                QVERIFY2(sameRecord(*second.logLines[i], *first.logLines[i]), qPrintable(context));
            }
            QVERIFY2(second.unreadLogLines.size() == first.unreadLogLines.size(),
                     qPrintable(context));
            for (std::size_t i = 0; i < first.unreadLogLines.size(); ++i) {
                QCOMPARE(second.unreadLogLines[i].text, first.unreadLogLines[i].text);
                QCOMPARE(second.unreadLogLines[i].recordsBefore,
                         first.unreadLogLines[i].recordsBefore);
            }
        }
    }
};

QTEST_GUILESS_MAIN(CleaningLogMutationTest)
#include "test_cleaninglog_mutation.moc"
