#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "smalldisk.h"
#include "storage/global.h"
#include "storage/localedatetime.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

// A data folder of its own and a clock standing still.
struct Setup {
    QTemporaryDir root;
    FixedLocations locations;
    FixedClock clock{QDateTime(QDate(2025, 6, 1), QTime(12, 0))};
    global state{locations, clock};

    explicit Setup(const QString& dataFolder = {}) {
        locations.data = dataFolder.isEmpty() ? root.path() : dataFolder;
    }
    QString logPath() const { return locations.data + u"/MVL.log"_s; }
    void writeFile(const QByteArray& bytes) const {
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QByteArray readFile() const {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void copyFixture(const QString& name) const {
        QFile fixture(QStringLiteral(MORAVEL_TEST_DATA "/log/") + name);
        QVERIFY2(fixture.open(QIODevice::ReadOnly), qPrintable(name));
        writeFile(fixture.readAll());
    }
    // Reads the log file into a fresh state, as a new start of the application would.
    std::unique_ptr<global> reread() {
        auto fresh = std::make_unique<global>(locations, clock);
        errorControl error;
        if (!fresh->readLog(error)) {
            qWarning() << "readLog failed:" << error.message;
        }
        return fresh;
    }
};

logLine record(std::int32_t run, const QString& name, const QString& destination, ActionKind action,
               const QDateTime& at) {
    logLine line;
    line.operationNumber = run;
    line.itemName = name;
    line.destinationFolder = destination;
    line.performedAction = action;
    line.cleanedAt = toDateTimeValue(at);
    return line;
}

QStringList names(const global& state) {
    QStringList result;
    for (const auto& line : state.logLines) {
        result << line->itemName;
    }
    return result;
}

// Names that need every part of the quoting rule, and some that need none.
const QStringList& awkwardNames() {
    static const QStringList list = {
        u"report.doc"_s,         u"with, comma.txt"_s,
        u"with blank.txt"_s,     u"\"quoted\" at the start"_s,
        u"a \"quote\" inside"_s, u"\"\""_s,
        u"tab\there"_s,          u" leading and trailing "_s,
        u"ends with comma,"_s,   u"Zoë's café ☕ 🎉.png"_s,
        u"naïve,\"quote\""_s,    u"ünïcödé-without-blanks"_s,
        u"no-blanks-at-all"_s,   u"line\nbreak"_s,
        u"carriage\r\nreturn"_s,
    };
    return list;
}

} // namespace

class CleaningLogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void recordAsLine_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("line");
        const QDateTime afternoon(QDate(2010, 3, 7), QTime(14, 5, 9));
        const QDateTime midnight(QDate(2010, 3, 7), QTime(0, 0));
        QTest::newRow("example, en_US")
            << u"en_US"_s << u"report.doc"_s << u"C:\\Archive\\10-03-07"_s << afternoon
            << u"7,report.doc,C:\\Archive\\10-03-07,1,\"3/7/10 2:05:09 PM\""_s;
        QTest::newRow("example, de_DE")
            << u"de_DE"_s << u"report.doc"_s << u"/a/10-03-07"_s << afternoon
            << u"7,report.doc,/a/10-03-07,1,\"07.03.10 14:05:09\""_s;
        QTest::newRow("example, C") << u"C"_s << u"report.doc"_s << u"/a"_s << afternoon
                                    << u"7,report.doc,/a,1,\"7 Mar 2010 14:05:09\""_s;
        QTest::newRow("midnight: date alone, bare")
            << u"de_DE"_s << u"r"_s << u"/a"_s << midnight << u"7,r,/a,1,07.03.10"_s;
        QTest::newRow("midnight with a blank in the date")
            << u"C"_s << u"r"_s << u"/a"_s << midnight << u"7,r,/a,1,\"7 Mar 2010\""_s;
        QTest::newRow("empty destination")
            << u"de_DE"_s << u"r"_s << QString() << midnight << u"7,r,,1,07.03.10"_s;
        QTest::newRow("comma") << u"de_DE"_s << u"a,b"_s << u"/a"_s << midnight
                               << u"7,\"a,b\",/a,1,07.03.10"_s;
        QTest::newRow("blank") << u"de_DE"_s << u"a b"_s << u"/my folder"_s << midnight
                               << u"7,\"a b\",\"/my folder\",1,07.03.10"_s;
        QTest::newRow("quote first")
            << u"de_DE"_s << u"\"a"_s << u"/a"_s << midnight << u"7,\"\"\"a\",/a,1,07.03.10"_s;
        QTest::newRow("quote inside")
            << u"de_DE"_s << u"a\"b"_s << u"/a"_s << midnight << u"7,\"a\"\"b\",/a,1,07.03.10"_s;
        QTest::newRow("control character") << u"de_DE"_s << u"a\u0001"_s << u"/a"_s << midnight
                                           << u"7,\"a\u0001\",/a,1,07.03.10"_s;
        QTest::newRow("other characters stay bare") << u"de_DE"_s << u"ä;'|\u00a0"_s << u"/a"_s
                                                    << midnight << u"7,ä;'|\u00a0,/a,1,07.03.10"_s;
    }
    void recordAsLine() {
        QFETCH(QString, locale);
        QFETCH(QString, name);
        QFETCH(QString, destination);
        QFETCH(QDateTime, at);
        QFETCH(QString, line);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(record(7, name, destination, actions::Archive, at).toLogText(), line);
    }

    void lineAsRecord_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isRecord");
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("action");
        QTest::addColumn<QDateTime>("at");
        const QDateTime at(QDate(2010, 3, 7), QTime(14, 5, 9));
        const QDateTime midnight(QDate(2010, 3, 7), QTime(0, 0));
        QTest::newRow("as written") << u"7,r.doc,/a,1,\"07.03.10 14:05:09\""_s << true << 7
                                    << u"r.doc"_s << u"/a"_s << 1 << at;
        QTest::newRow("date alone is midnight")
            << u"7,r,/a,2,07.03.10"_s << true << 7 << u"r"_s << u"/a"_s << 2 << midnight;
        QTest::newRow("blanks around fields") << u"  7 , r ,\t/a , 3 ,07.03.10  "_s << true << 7
                                              << u"r"_s << u"/a"_s << 3 << midnight;
        QTest::newRow("empty destination")
            << u"7,r,,4,07.03.10"_s << true << 7 << u"r"_s << QString() << 4 << midnight;
        QTest::newRow("doubled quotes") << u"7,\"say \"\"hi\"\"\",/a,1,07.03.10"_s << true << 7
                                        << u"say \"hi\""_s << u"/a"_s << 1 << midnight;
        QTest::newRow("negative run")
            << u"-3,r,/a,1,07.03.10"_s << true << -3 << u"r"_s << u"/a"_s << 1 << midnight;
        QTest::newRow("action keeps its low eight bits")
            << u"7,r,/a,258,07.03.10"_s << true << 7 << u"r"_s << u"/a"_s << 2 << midnight;
        QTest::newRow("quoted numbers")
            << u"\"7\",r,/a,\"1\",07.03.10"_s << true << 7 << u"r"_s << u"/a"_s << 1 << midnight;

        const auto none = [&](const char* row, const QString& line) {
            QTest::newRow(row) << line << false << 0 << QString() << QString() << 0 << QDateTime();
        };
        none("empty", QString());
        none("blanks only", u" \t "_s);
        none("four fields", u"7,r,/a,07.03.10"_s);
        none("six fields", u"7,r,/a,1,07.03.10,x"_s);
        none("trailing comma", u"7,r,/a,1,07.03.10,"_s);
        none("unquoted blank", u"7,my file,/a,1,07.03.10"_s);
        none("quote never closed", u"7,\"r,/a,1,07.03.10"_s);
        none("date quote never closed", u"7,r,/a,1,\"07.03.10 14:05:09"_s);
        none("run not a number", u"seven,r,/a,1,07.03.10"_s);
        none("run with letters", u"7x,r,/a,1,07.03.10"_s);
        none("run beyond 32 bits", u"4294967296,r,/a,1,07.03.10"_s);
        none("action not a number", u"7,r,/a,archive,07.03.10"_s);
        none("action empty", u"7,r,/a,,07.03.10"_s);
        none("huge action", u"7,r,/a,99999999999999999999999,07.03.10"_s);
        none("Leave", u"7,r,/a,0,07.03.10"_s);
        none("Leave in the low eight bits", u"7,r,/a,512,07.03.10"_s);
        none("date of other settings", u"7,r,/a,1,\"3/7/10 2:05:09 PM\""_s);
        none("no date", u"7,r,/a,1,\"\""_s);
        none("impossible date", u"7,r,/a,1,31.02.10"_s);
    }
    void lineAsRecord() {
        QFETCH(QString, line);
        QFETCH(bool, isRecord);
        QLocale::setDefault(QLocale(u"de_DE"_s));
        Setup s;
        s.state.parseLogLine(line);
        QCOMPARE(s.state.logLines.size(), std::size_t(isRecord ? 1 : 0));
        if (!isRecord) {
            return;
        }
        QFETCH(int, run);
        QFETCH(QString, name);
        QFETCH(QString, destination);
        QFETCH(int, action);
        QFETCH(QDateTime, at);
        const logLine& read = *s.state.logLines.front();
        QCOMPARE(read.operationNumber, run);
        QCOMPARE(read.itemName, name);
        QCOMPARE(read.destinationFolder, destination);
        QCOMPARE(int(read.performedAction), action);
        QCOMPARE(toQDateTime(read.cleanedAt), at);
    }

    // Written by logAction at the clock's time and read back by a new start: the same records,
    // to the second, under each locale and on both sides of the clock change.
    void roundTrip_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("at");
        const QList<std::pair<QByteArray, QDateTime>> moments = {
            {"summer", QDateTime(QDate(2010, 7, 15), QTime(14, 5, 9, 250))},
            {"winter", QDateTime(QDate(2010, 1, 15), QTime(8, 0, 0, 999))},
            {"midnight", QDateTime(QDate(2010, 3, 7), QTime(0, 0))},
            {"repeated hour in autumn", QDateTime(QDate(2010, 10, 31), QTime(2, 30))},
            {"noon", QDateTime(QDate(2049, 12, 31), QTime(12, 0))},
        };
        // Row names are put together here rather than through addRow's "%s": GCC's optimiser
        // cannot see that the texts are never null and warns in the release build.
        for (const QByteArray& locale :
             {QByteArray("C"), QByteArray("en_US"), QByteArray("de_DE")}) {
            for (const auto& [season, at] : moments) {
                QTest::newRow(locale + ", " + season) << QString::fromLatin1(locale) << at;
            }
        }
    }
    void roundTrip() {
        QFETCH(QString, locale);
        QFETCH(QDateTime, at);
        QLocale::setDefault(QLocale(locale));
        Setup s;
        s.clock.set(at);
        s.state.nroOperacion = 41;
        ActionKind action = actions::Archive;
        for (const QString& name : awkwardNames()) {
            s.state.logAction(name, name.contains(u' ') ? u"/my folder/x"_s : QString(), action);
            action = action == actions::Delete ? actions::Archive : ActionKind(action + 1);
        }
        errorControl error;
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        QString lines;
        for (const auto& line : s.state.logLines) {
            lines += line->toLogText() + u"\r\n"_s;
        }
        QCOMPARE(s.readFile(), lines.toUtf8());

        const auto read = s.reread();
        QCOMPARE(read->logLines.size(), s.state.logLines.size());
        QVERIFY(read->unreadLogLines.empty());
        const QDateTime wholeSeconds = at.addMSecs(-at.time().msec());
        for (std::size_t i = 0; i < read->logLines.size(); ++i) {
            const logLine& written = *s.state.logLines[i];
            const logLine& back = *read->logLines[i];
            QCOMPARE(back.operationNumber, 41);
            QCOMPARE(back.itemName, written.itemName);
            QCOMPARE(back.destinationFolder, written.destinationFolder);
            QCOMPARE(back.performedAction, written.performedAction);
            QCOMPARE(toQDateTime(back.cleanedAt), wholeSeconds);
        }
    }

    // A value in the hour that the spring clock change skips comes from no clock, but it
    // still goes out and comes back unchanged: nothing passes through a local time zone.
    void skippedHourComesBackUnchanged() {
        QLocale::setDefault(QLocale(u"de_DE"_s));
        Setup s;
        logLine& line = s.state.newLogLine();
        line = record(1, u"r"_s, u"/a"_s, actions::Archive, {});
        line.cleanedAt = toDateTimeValue(QDate(2010, 3, 28), QTime(2, 30));
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        QCOMPARE(s.readFile(), QByteArray("1,r,/a,1,\"28.03.10 02:30:00\"\r\n"));
        QCOMPARE(s.reread()->logLines.front()->cleanedAt, line.cleanedAt);
    }

    void logActionStampsRunAndTime() {
        Setup s;
        const QDateTime at(QDate(2010, 3, 7), QTime(14, 5, 9, 123));
        s.clock.set(at);
        s.state.nroOperacion = 12;
        s.state.logAction(u"a.txt"_s, u"/dest"_s, actions::MoveToFolder);
        QCOMPARE(s.state.logLines.size(), std::size_t(1));
        const logLine& line = *s.state.logLines.front();
        QCOMPARE(line.operationNumber, 12);
        QCOMPARE(line.itemName, u"a.txt"_s);
        QCOMPARE(line.destinationFolder, u"/dest"_s);
        QCOMPARE(line.performedAction, actions::MoveToFolder);
        // In memory the time keeps its milliseconds; only the file cuts them.
        QCOMPARE(toQDateTime(line.cleanedAt), at);
    }

    void logActionLeaveAddsNothing() {
        Setup s;
        s.state.logAction(u"a.txt"_s, u"/dest"_s, actions::Leave);
        QVERIFY(s.state.logLines.empty());
    }

    void newLogLineAppendsAnEmptyRecord() {
        Setup s;
        s.state.logAction(u"a"_s, {}, actions::Delete);
        logLine& added = s.state.newLogLine();
        QCOMPARE(s.state.logLines.size(), std::size_t(2));
        QCOMPARE(&added, s.state.logLines.back().get());
        QCOMPARE(added.operationNumber, 0);
        QVERIFY(added.itemName.isEmpty());
        QCOMPARE(added.performedAction, actions::Leave);
        QCOMPARE(added.cleanedAt, 0.0);
    }

    void fileIsUtf8WithCrLfAndWithoutLeaveRecords() {
        Setup s;
        const QDateTime midnight(QDate(2010, 3, 7), QTime(0, 0));
        s.state.newLogLine() = record(1, u"café"_s, u"/a"_s, actions::Archive, midnight);
        s.state.newLogLine() = record(1, u"left"_s, u"/a"_s, actions::Leave, midnight);
        s.state.newLogLine() = record(2, u"b"_s, {}, actions::Delete, midnight);
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        QCOMPARE(s.readFile(), QByteArray("1,caf\xc3\xa9,/a,1,\"7 Mar 2010\"\r\n"
                                          "2,b,,4,\"7 Mar 2010\"\r\n"));
    }

    // The file's writer takes shortcuts (the day's date text kept, UTF-8 written directly):
    // its lines must be toLogText's, whatever the order of days and times.
    void fileHoldsTheLinesOfToLogText_data() {
        QTest::addColumn<QString>("locale");
        for (const char* locale : {"C", "en_US", "de_DE", "ar_EG", "ko_KR"}) {
            QTest::newRow(locale) << QString::fromLatin1(locale);
        }
    }
    void fileHoldsTheLinesOfToLogText() {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        Setup s;
        QRandomGenerator random(7);
        const QDateTime start(QDate(2010, 3, 7), QTime(0, 0));
        DateTimeValue at = toDateTimeValue(start);
        for (int i = 0; i < 300; ++i) {
            // Same second, same day, midnight, next day, far away: in random order.
            switch (random.bounded(5)) {
            case 0:
                break;
            case 1:
                at += random.bounded(1, 3600) / 86400.0;
                break;
            case 2:
                at = std::floor(at);
                break;
            case 3:
                at = std::floor(at) + 1 + random.bounded(86400) / 86400.0;
                break;
            default:
                at = random.bounded(-10000, 60000) + random.bounded(86400) / 86400.0;
                break;
            }
            logLine& line = s.state.newLogLine();
            line = record(i, awkwardNames().at(i % awkwardNames().size()), u"/a b/c"_s,
                          ActionKind(1 + i % 4), {});
            line.cleanedAt = at;
        }
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        QString expected;
        for (const auto& line : s.state.logLines) {
            expected += line->toLogText() + u"\r\n"_s;
        }
        QCOMPARE(s.readFile(), expected.toUtf8());
    }

    void emptyLogWritesEmptyFile() {
        Setup s;
        s.writeFile("old contents\r\n");
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        QVERIFY(QFile::exists(s.logPath()));
        QCOMPARE(s.readFile(), QByteArray());
    }

    void missingFileIsReported() {
        Setup s;
        errorControl error;
        QVERIFY(!s.state.readLog(error));
        QCOMPARE(error.message, u"Log file not found."_s);
        QVERIFY(s.state.logLines.empty());
    }

    // A folder or an endless device where the log should be: reported, never read.
    void logThatIsNoFileIsReported_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder") << QString();
        QTest::newRow("endless device") << u"/dev/zero"_s;
    }
    void logThatIsNoFileIsReported() {
        QFETCH(QString, target);
        Setup s;
        QVERIFY(target.isEmpty() ? QDir().mkdir(s.logPath()) : QFile::link(target, s.logPath()));
        errorControl error;
        QVERIFY(!s.state.readLog(error));
        QCOMPARE(error.message, u"The log is not a file."_s);
        QVERIFY(s.state.logLines.empty());
    }

    void unreadableFileIsReported() {
        if (::geteuid() == 0) {
            QSKIP("root reads every file");
        }
        Setup s;
        s.writeFile("1,r,/a,1,\"7 Mar 2010\"\r\n");
        QVERIFY(QFile::setPermissions(s.logPath(), QFileDevice::WriteOwner));
        errorControl error;
        QVERIFY(!s.state.readLog(error));
        QVERIFY(!error.message.isEmpty());
        QVERIFY(error.message != u"Log file not found."_s);
    }

    // A failed folder lookup must not turn into a path relative to the working folder.
    void noDataFolderTouchesNothing() {
        QTemporaryDir workingFolder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workingFolder.path()));
        QFile stray(u"MVL.log"_s);
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.write("1,r,/a,1,\"7 Mar 2010\"\r\n");
        stray.close();

        FixedLocations nowhere;
        FixedClock clock;
        global state(nowhere, clock);
        state.logAction(u"a"_s, u"/b"_s, actions::Archive);
        errorControl error;
        QVERIFY(!state.readLog(error));
        QCOMPARE(error.message, u"No Data Folder found."_s);
        QCOMPARE(state.logLines.size(), std::size_t(1));
        error.message.clear();
        QVERIFY(!state.writeLog(error));
        QCOMPARE(error.message, u"No Data Folder found."_s);
        QCOMPARE(QDir().entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{u"MVL.log"_s});
        QVERIFY(stray.open(QIODevice::ReadOnly));
        QCOMPARE(stray.readAll(), QByteArray("1,r,/a,1,\"7 Mar 2010\"\r\n"));
        QVERIFY(QDir::setCurrent(previous));
    }

    // Broken and hand-edited logs: which records come out, and how many lines are kept unread.
    void fixtures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<int>("unread");
        QTest::newRow("empty file") << u"empty.log"_s << QStringList() << 0;
        QTest::newRow("blank lines are skipped and dropped")
            << u"blank-lines.log"_s << QStringList{u"only.txt"_s} << 0;
        // Bad lines cost only themselves, even an open quote that would run into the next line.
        QTest::newRow("good and bad lines mixed")
            << u"mixed.log"_s
            << QStringList{u"first.txt"_s, u"second.txt"_s, u"third.txt"_s, u"fourth, with comma"_s}
            << 7;
        QTest::newRow("binary garbage between records")
            << u"binary.log"_s << QStringList{u"before.bin"_s, u"after.bin"_s} << -1;
        // A name holding line ends comes back whole, and what it holds is not taken for a record.
        QTest::newRow("line ends inside names")
            << u"newline-in-name.log"_s
            << QStringList{u"two\nlines.txt"_s, u"x\r\n5,passwd,/etc,2,\"7 Mar 2010\"\r\n"_s,
                           u"plain.txt"_s}
            << 0;
        QTest::newRow("byte order mark, LF and no last line end")
            << u"line-ends.log"_s << QStringList{u"bom.txt"_s, u"lf.txt"_s, u"last.txt"_s} << 0;
        QTest::newRow("cut off in the last record")
            << u"truncated.log"_s << QStringList{u"whole.txt"_s} << 1;
        QTest::newRow("written under other regional settings")
            << u"other-locale.log"_s << QStringList() << 2;
    }
    void fixtures() {
        QFETCH(QString, file);
        QFETCH(QStringList, records);
        QFETCH(int, unread);
        Setup s;
        s.copyFixture(file);
        errorControl error;
        QVERIFY2(s.state.readLog(error), qPrintable(error.message));
        QCOMPARE(names(s.state), records);
        if (unread >= 0) {
            QCOMPARE(int(s.state.unreadLogLines.size()), unread);
        }
    }

    // What could not be read goes back into the file in its place, byte for byte, so that a
    // change of regional settings or a hand edit never costs the user the log.
    void unreadLinesAreWrittenBackInPlace() {
        Setup s;
        s.copyFixture(u"mixed.log"_s);
        const QByteArray before = s.readFile();
        errorControl error;
        QVERIFY(s.state.readLog(error));
        s.clock.set(QDateTime(QDate(2010, 3, 11), QTime(0, 0)));
        s.state.nroOperacion = 7;
        s.state.logAction(u"new.txt"_s, u"/arch"_s, actions::Archive);
        QVERIFY(s.state.writeLog(error));

        QByteArray expected = before;
        expected.replace("\r\n\r\n", "\r\n");    // the empty line
        expected.replace("\r\n   \r\n", "\r\n"); // the blank one
        expected += "7,new.txt,/arch,1,\"11 Mar 2010\"\r\n";
        QCOMPARE(s.readFile(), expected);
    }

    void otherSettingsLogSurvivesARun() {
        Setup s;
        s.copyFixture(u"other-locale.log"_s);
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QVERIFY(s.state.logLines.empty());
        s.clock.set(QDateTime(QDate(2010, 3, 11), QTime(0, 0)));
        s.state.logAction(u"new.txt"_s, {}, actions::Recycle);
        QVERIFY(s.state.writeLog(error));
        QCOMPARE(s.readFile(), QByteArray("7,report.doc,/arch/10-03-07,1,\"3/7/10 2:05:09 PM\"\r\n"
                                          "8,notes.txt,,3,3/8/10\r\n"
                                          "0,new.txt,,3,\"11 Mar 2010\"\r\n"));
        // Back under the settings it was written in, all of it reads.
        QLocale::setDefault(QLocale(u"en_US"_s));
        QCOMPARE(names(*s.reread()), (QStringList{u"report.doc"_s, u"notes.txt"_s}));
    }

    void overlongLineIsPassedOver() {
        Setup s;
        QByteArray bytes = "1,first,/a,1,\"7 Mar 2010\"\r\n";
        bytes += QByteArray(3 * 1024 * 1024, 'x');
        bytes += "\r\n2,\"";
        bytes += QByteArray(2 * 1024 * 1024, 'y'); // an open quote as long as that
        bytes += "\r\n3,last,/a,1,\"7 Mar 2010\"\r\n";
        s.writeFile(bytes);
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QCOMPARE(names(s.state), (QStringList{u"first"_s, u"last"_s}));
        QVERIFY(s.state.unreadLogLines.empty());
    }

    // Lines too long to be read stay in the file: every later write puts the new records after
    // the file as it is, each record once, rather than rewriting it from what was read.
    void overlongLineSurvivesWrites_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("records");
        const QByteArray first = "1,first,/a,1,\"7 Mar 2010\"\r\n";
        const QByteArray overlong(3 * 1024 * 1024, 'x');
        QTest::newRow("between records") << first + overlong + "\r\n3,last,/a,1,\"7 Mar 2010\"\r\n"
                                         << QStringList{u"first"_s, u"last"_s};
        QTest::newRow("last, without a line end") << first + overlong << QStringList{u"first"_s};
    }
    void overlongLineSurvivesWrites() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, records);
        Setup s;
        s.writeFile(bytes);
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QCOMPARE(names(s.state), records);
        s.clock.set(QDateTime(QDate(2010, 3, 11), QTime(0, 0)));
        s.state.logAction(u"one.txt"_s, {}, actions::Recycle);
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        s.state.logAction(u"two.txt"_s, {}, actions::Delete);
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));

        QByteArray expected = bytes;
        if (!expected.endsWith('\n')) {
            expected += "\r\n";
        }
        expected += "0,one.txt,,3,\"11 Mar 2010\"\r\n0,two.txt,,4,\"11 Mar 2010\"\r\n";
        QCOMPARE(s.readFile(), expected);
        QCOMPARE(names(*s.reread()), records + QStringList({u"one.txt"_s, u"two.txt"_s}));
    }

    // Once the partly read file is gone, memory holds all there is of the log.
    void partlyReadLogThatIsGoneIsWrittenFromMemory() {
        Setup s;
        s.writeFile("1,first,/a,1,\"7 Mar 2010\"\r\n" + QByteArray(3 * 1024 * 1024, 'x'));
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QVERIFY(QFile::remove(s.logPath()));
        s.state.logAction(u"new.txt"_s, {}, actions::Recycle);
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        QCOMPARE(names(*s.reread()), (QStringList{u"first"_s, u"new.txt"_s}));
    }

    // A log that could not be read is never replaced by the records of this session alone:
    // the write fails and says why, the log stays, and the records wait in memory. Once a
    // readable file is in its place, they are written after what it holds.
    void unreadLogIsNeverReplaced_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read error") << u"read error"_s;
        QTest::newRow("no permission to read") << u"no permission"_s;
        QTest::newRow("named pipe") << u"pipe"_s;
        QTest::newRow("endless device") << u"device"_s;
        QTest::newRow("folder") << u"folder"_s;
    }
    void unreadLogIsNeverReplaced() {
        QFETCH(QString, kind);
        Setup s;
        const QByteArray path = QFile::encodeName(s.logPath());
        if (kind == u"read error") {
            // Reading the start of a process's own memory fails with an I/O error.
            QVERIFY(QFile::link(u"/proc/self/mem"_s, s.logPath()));
        } else if (kind == u"no permission") {
            if (::geteuid() == 0) {
                QSKIP("root reads every file");
            }
            s.writeFile("1,r,/a,1,\"7 Mar 2010\"\r\n");
            QVERIFY(QFile::setPermissions(s.logPath(), QFileDevice::WriteOwner));
        } else if (kind == u"pipe") {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        } else if (kind == u"device") {
            QVERIFY(QFile::link(u"/dev/zero"_s, s.logPath()));
        } else {
            QVERIFY(QDir().mkdir(s.logPath()));
        }
        struct stat before {};
        QCOMPARE(::lstat(path.constData(), &before), 0);

        errorControl error;
        QVERIFY(!s.state.readLog(error));
        QVERIFY(!error.message.isEmpty());
        QVERIFY(error.message != u"Log file not found."_s);
        s.clock.set(QDateTime(QDate(2010, 3, 11), QTime(0, 0)));
        s.state.logAction(u"new.txt"_s, {}, actions::Recycle);
        error.message.clear();
        QVERIFY(!s.state.writeLog(error));
        QVERIFY2(error.message.startsWith(
                     u"The log file could not be read in full and was left as it is: "_s),
                 qPrintable(error.message));
        struct stat after {};
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(s.state.logLines.size(), std::size_t(1));
        QCOMPARE(QDir(s.locations.data)
                     .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{u"MVL.log"_s});

        // The log replaced by a readable one, as a restore from a backup would.
        QVERIFY(kind == u"folder" ? QDir().rmdir(s.logPath()) : QFile::remove(s.logPath()));
        s.writeFile("1,old,/a,1,\"7 Mar 2010\"\r\n");
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        QCOMPARE(s.readFile(),
                 QByteArray("1,old,/a,1,\"7 Mar 2010\"\r\n0,new.txt,,3,\"11 Mar 2010\"\r\n"));
    }

    // An open quote may not swallow what follows: the lines after it are read one by one.
    void openQuoteCostsOneLine() {
        Setup s;
        QByteArray bytes = "1,\"open\r\n";
        for (int i = 0; i < 1000; ++i) {
            bytes += "2,r" + QByteArray::number(i) + ",/a,1,\"7 Mar 2010 10:00:00\"\r\n";
        }
        s.writeFile(bytes);
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QCOMPARE(s.state.logLines.size(), std::size_t(1000));
        QCOMPARE(s.state.unreadLogLines.size(), std::size_t(1));
    }

    // Records read before still belong to the log: readLog appends.
    void readingAppends() {
        Setup s;
        s.writeFile("2,b,/a,1,\"7 Mar 2010\"\r\n");
        s.state.logAction(u"a"_s, u"/a"_s, actions::Archive);
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QCOMPARE(names(s.state), (QStringList{u"a"_s, u"b"_s}));
    }

    void writeFailureKeepsTheRecords() {
        Setup s(QDir(QTemporaryDir().path()).filePath(u"missing"_s));
        s.state.logAction(u"a"_s, u"/a"_s, actions::Archive);
        errorControl error;
        QVERIFY(!s.state.writeLog(error));
        QVERIFY(!error.message.isEmpty());
        QCOMPARE(s.state.logLines.size(), std::size_t(1));
    }

    // A disk that fills while the log is written: the old log stays whole, the error is
    // reported, and the records are written by the next write that has room.
    void fullDiskKeepsOldFile() {
        QString why;
        const QString disk = testing::smallDiskFolder(why);
        if (disk.isEmpty()) {
            QSKIP(qPrintable(why));
        }
        Setup s(disk);
        for (int i = 0; i < 10; ++i) {
            s.state.logAction(u"old %1"_s.arg(i), u"/a"_s, actions::Archive);
        }
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        const QByteArray old = s.readFile();
        for (int i = 0; i < 20000; ++i) {
            s.state.logAction(u"new item number %1.txt"_s.arg(i), u"/some/archive/folder"_s,
                              actions::Archive);
        }
        QVERIFY(testing::leaveFree(disk, 64 * 1024));
        QVERIFY(!s.state.writeLog(error));
        QVERIFY(!error.message.isEmpty());
        QCOMPARE(s.readFile(), old);
        QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{u"MVL.log"_s, u"ballast"_s}));

        testing::removeBallast(disk);
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        QCOMPARE(s.reread()->logLines.size(), std::size_t(20010));
        QFile::remove(s.logPath());
    }
};

int main(int argc, char** argv) {
    const int onSmallDisk = testing::runOnSmallDisk(argv);
    if (onSmallDisk >= 0) {
        return onSmallDisk;
    }
    QCoreApplication app(argc, argv);
    CleaningLogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cleaninglog.moc"
