#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "smalldisk.h"
#include "storage/global.h"
#include "storage/localedatetime.h"
#include "storage/logtext.h"

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

logLine record(std::int32_t run, const QByteArray& name, const QString& destination,
               ActionKind action, const QDateTime& at) {
    logLine line;
    line.operationNumber = run;
    line.setItemName(name);
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

QList<QByteArray> namesOnDisk(const global& state) {
    QList<QByteArray> result;
    for (const auto& line : state.logLines) {
        result << line->itemNameBytes();
    }
    return result;
}

// Names that need every part of the quoting rule, some that need none, and names that are not
// UTF-8 (two of which read alike).
const QList<QByteArray>& awkwardNames() {
    static const QList<QByteArray> list = {
        "report.doc",          "with, comma.txt",
        "with blank.txt",      "\"quoted\" at the start",
        "a \"quote\" inside",  "\"\"",
        "tab\there",           " leading and trailing ",
        "ends with comma,",    "Zoë's café ☕ 🎉.png",
        "naïve,\"quote\"",     "ünïcödé-without-blanks",
        "no-blanks-at-all",    "line\nbreak",
        "carriage\r\nreturn",  "caf\xe9.txt",
        "caf\xef\xbf\xbd.txt", "\xff\xfe \"\x80\",x",
    };
    return list;
}

logtext::DateReader datesOf(const Setup& s) {
    return logtext::DateReader(LocaleDateTimeFormat::current(), s.clock.now().date().year(),
                               toDateTimeValue(s.clock.now()));
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
        QTest::addColumn<QByteArray>("bytes"); // the name's bytes, when not those of `name`
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
        QCOMPARE(record(7, name.toUtf8(), destination, actions::Archive, at).toLogText(),
                 line.toUtf8());
    }

    // A name that is not UTF-8 goes into the file as its very bytes, quoted by the same rule.
    void nameBytesAsLine_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("Latin-1") << QByteArray("caf\xe9.txt")
                                 << QByteArray("7,caf\xe9.txt,/a,1,07.03.10");
        QTest::newRow("replacement character itself, valid UTF-8")
            << QByteArray("caf\xef\xbf\xbd.txt")
            << QByteArray("7,caf\xef\xbf\xbd.txt,/a,1,07.03.10");
        QTest::newRow("stray bytes with a quote and a comma")
            << QByteArray("\xff\"\x80,") << QByteArray("7,\"\xff\"\"\x80,\",/a,1,07.03.10");
    }
    void nameBytesAsLine() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, line);
        QLocale::setDefault(QLocale(u"de_DE"_s));
        const logLine written =
            record(7, name, u"/a"_s, actions::Archive, QDateTime(QDate(2010, 3, 7), QTime(0, 0)));
        QCOMPARE(written.itemNameBytes(), name);
        QCOMPARE(written.toLogText(), line);
        Setup s;
        logtext::DateReader dates = datesOf(s);
        logLine read;
        QCOMPARE(logtext::readRecord(line, dates, read), logtext::LineKind::Record);
        QCOMPARE(read.itemNameBytes(), name);
        QCOMPARE(read.itemName, written.itemName);
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
        QTest::newRow("date of other settings")
            << u"7,r,/a,1,\"3/7/10 2:05:09 PM\""_s << true << 7 << u"r"_s << u"/a"_s << 1 << at;
        none("no date", u"7,r,/a,1,\"\""_s);
        none("a date that only reads as one in the future", u"7,r,/a,1,31.02.10"_s);
        none("destination that is not UTF-8", u"7,r,/\u00e9,1,07.03.10"_s);
    }
    void lineAsRecord() {
        QFETCH(QString, line);
        QFETCH(bool, isRecord);
        QLocale::setDefault(QLocale(u"de_DE"_s));
        Setup s;
        logtext::DateReader dates = datesOf(s);
        logLine read;
        QByteArray bytes = line.toUtf8();
        // A destination folder that is not UTF-8 cannot be written as text.
        bytes.replace("/\xc3\xa9", "/\xe9");
        QCOMPARE(logtext::readRecord(bytes, dates, read) == logtext::LineKind::Record, isRecord);
        if (!isRecord) {
            return;
        }
        QFETCH(int, run);
        QFETCH(QString, name);
        QFETCH(QString, destination);
        QFETCH(int, action);
        QFETCH(QDateTime, at);
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
        for (const QByteArray& name : awkwardNames()) {
            QVERIFY(s.state.logAction(name, name.contains(' ') ? u"/my folder/x"_s : QString(),
                                      action));
            action = action == actions::Delete ? actions::Archive : ActionKind(action + 1);
        }
        errorControl error;
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        QByteArray lines;
        for (const auto& line : s.state.logLines) {
            lines += line->toLogText() + "\r\n";
        }
        QCOMPARE(s.readFile(), lines);

        const auto read = s.reread();
        QCOMPARE(read->logLines.size(), s.state.logLines.size());
        QCOMPARE(namesOnDisk(*read), awkwardNames());
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
        line = record(1, "r", u"/a"_s, actions::Archive, {});
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
        QVERIFY(s.state.logAction("a.txt", u"/dest"_s, actions::MoveToFolder));
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
        QVERIFY(s.state.logAction("a.txt", u"/dest"_s, actions::Leave));
        QVERIFY(s.state.logLines.empty());
        QVERIFY(!QFile::exists(s.logPath()));
    }

    void newLogLineAppendsAnEmptyRecord() {
        Setup s;
        s.state.logAction("a", {}, actions::Delete);
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
        s.state.newLogLine() = record(1, "café", u"/a"_s, actions::Archive, midnight);
        s.state.newLogLine() = record(1, "left", u"/a"_s, actions::Leave, midnight);
        s.state.newLogLine() = record(2, "b", {}, actions::Delete, midnight);
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
        QByteArray expected;
        for (const auto& line : s.state.logLines) {
            expected += line->toLogText() + "\r\n";
        }
        QCOMPARE(s.readFile(), expected);
    }

    // The log is never emptied nor rewritten: a write without new records leaves it as it is,
    // and only where there is none does it make an empty one.
    void writeWithoutRecordsKeepsTheFile() {
        Setup s;
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        QVERIFY(QFile::exists(s.logPath()));
        QCOMPARE(s.readFile(), QByteArray());
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(s.logPath()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
        s.writeFile("old contents\r\n");
        global other(s.locations, s.clock);
        QVERIFY(other.writeLog(error));
        QCOMPARE(s.readFile(), QByteArray("old contents\r\n"));
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
        QVERIFY(!state.logAction("a", u"/b"_s, actions::Archive));
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

    // Broken and hand-edited logs: which records come out.
    void fixtures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("empty file") << u"empty.log"_s << QStringList();
        QTest::newRow("blank lines are skipped")
            << u"blank-lines.log"_s << QStringList{u"only.txt"_s};
        // Bad lines cost only themselves, even an open quote that would run into the next line.
        QTest::newRow("good and bad lines mixed")
            << u"mixed.log"_s
            << QStringList{u"first.txt"_s, u"second.txt"_s, u"third.txt"_s,
                           u"fourth, with comma"_s};
        QTest::newRow("binary garbage between records")
            << u"binary.log"_s << QStringList{u"before.bin"_s, u"after.bin"_s};
        // A name holding line ends comes back whole, and what it holds is not taken for a record.
        QTest::newRow("line ends inside names")
            << u"newline-in-name.log"_s
            << QStringList{u"two\nlines.txt"_s, u"x\r\n5,passwd,/etc,2,\"7 Mar 2010\"\r\n"_s,
                           u"plain.txt"_s};
        QTest::newRow("byte order mark, LF and no last line end")
            << u"line-ends.log"_s << QStringList{u"bom.txt"_s, u"lf.txt"_s, u"last.txt"_s};
        QTest::newRow("cut off in the last record")
            << u"truncated.log"_s << QStringList{u"whole.txt"_s};
        // Written by a cron job under other settings than the desktop's: every record reads.
        QTest::newRow("written under other regional settings")
            << u"other-locale.log"_s << QStringList{u"report.doc"_s, u"notes.txt"_s};
    }
    void fixtures() {
        QFETCH(QString, file);
        QFETCH(QStringList, records);
        Setup s;
        s.copyFixture(file);
        errorControl error;
        QVERIFY2(s.state.readLog(error), qPrintable(error.message));
        QCOMPARE(names(s.state), records);
    }

    // Records written under C, en_US and de_DE, in one file, read under each of them: every
    // record reads, with its own date and time.
    void recordsOfEveryLocaleRead_data() {
        QTest::addColumn<QString>("locale");
        for (const char* locale : {"C", "en_US", "de_DE"}) {
            QTest::newRow(locale) << QString::fromLatin1(locale);
        }
    }
    void recordsOfEveryLocaleRead() {
        QFETCH(QString, locale);
        Setup s;
        const QList<QDateTime> moments = {QDateTime(QDate(2010, 3, 7), QTime(14, 5, 9)),
                                          QDateTime(QDate(2024, 11, 3), QTime(0, 0)),
                                          QDateTime(QDate(2025, 1, 12), QTime(9, 30, 1))};
        QList<QDateTime> written;
        int run = 1;
        for (const char* writer : {"C", "en_US", "de_DE"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(writer)));
            for (const QDateTime& at : moments) {
                s.clock.set(at);
                s.state.nroOperacion = run++;
                QVERIFY(s.state.logAction(QByteArray(writer) + ".txt", u"/a"_s, actions::Archive));
                written << at;
            }
        }
        errorControl error;
        QVERIFY(s.state.writeLog(error));
        QLocale::setDefault(QLocale(locale));
        s.clock.set(QDateTime(QDate(2025, 6, 1), QTime(12, 0)));
        const auto read = s.reread();
        QCOMPARE(read->logLines.size(), std::size_t(written.size()));
        for (std::size_t i = 0; i < read->logLines.size(); ++i) {
            QCOMPARE(read->logLines[i]->operationNumber, int(i) + 1);
            QCOMPARE(toQDateTime(read->logLines[i]->cleanedAt), written.at(qsizetype(i)));
        }
    }

    // Lines that are no records, a last line without its line end: a run's records go after
    // them, and not one byte of the file before them changes.
    void aRunAppendsAndLeavesEveryByte_data() {
        QTest::addColumn<QByteArray>("bytes");
        QFile mixed(QStringLiteral(MORAVEL_TEST_DATA "/log/mixed.log"));
        QVERIFY(mixed.open(QIODevice::ReadOnly));
        QTest::newRow("hand-edited lines") << mixed.readAll();
        QTest::newRow("last line without a line end")
            << QByteArray("1,first,/a,1,\"7 Mar 2010\"\r\n2,second,/a,1,\"7 Mar 2010\"");
        QTest::newRow("a line far too long to be a record")
            << QByteArray("1,first,/a,1,\"7 Mar 2010\"\r\n") + QByteArray(3 * 1024 * 1024, 'x');
    }
    void aRunAppendsAndLeavesEveryByte() {
        QFETCH(QByteArray, bytes);
        Setup s;
        s.writeFile(bytes);
        errorControl error;
        QVERIFY(s.state.readLog(error));
        const std::size_t before = s.state.logLines.size();
        s.clock.set(QDateTime(QDate(2010, 3, 11), QTime(0, 0)));
        s.state.nroOperacion = 7;
        QVERIFY(s.state.logAction("new.txt", u"/arch"_s, actions::Archive));
        QVERIFY(s.state.logAction("caf\xe9", {}, actions::Delete));
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));

        QByteArray expected = bytes;
        if (!expected.endsWith('\n')) {
            expected += "\r\n";
        }
        expected += "7,new.txt,/arch,1,\"11 Mar 2010\"\r\n7,caf\xe9,,4,\"11 Mar 2010\"\r\n";
        QCOMPARE(s.readFile(), expected);
        QCOMPARE(s.reread()->logLines.size(), before + 2);
    }

    // Each record is in the file as soon as logAction returns: a process killed after it
    // loses nothing, and writeLog only makes it durable.
    void everyRecordIsInTheFileAtOnce() {
        Setup s;
        s.writeFile("1,old,/a,1,\"7 Mar 2010\"\r\n");
        QVERIFY(s.state.logAction("one", u"/a"_s, actions::Archive));
        QCOMPARE(s.reread()->logLines.size(), std::size_t(2));
        QVERIFY(s.state.logAction("two", u"/a"_s, actions::Archive));
        QCOMPARE(names(*s.reread()), (QStringList{u"old"_s, u"one"_s, u"two"_s}));
    }

    // Two Moravels writing the same log (the lock keeps that from happening, but should it):
    // neither loses the other's records.
    void twoWritersKeepEachOthersRecords() {
        Setup s;
        global other(s.locations, s.clock);
        errorControl error;
        s.state.readLog(error);
        other.readLog(error);
        for (int i = 0; i < 10; ++i) {
            QVERIFY(s.state.logAction("first " + QByteArray::number(i), u"/a"_s, actions::Archive));
            QVERIFY(other.logAction("second " + QByteArray::number(i), u"/b"_s, actions::Archive));
        }
        QVERIFY(s.state.writeLog(error));
        QVERIFY(other.writeLog(error));
        QCOMPARE(s.reread()->logLines.size(), std::size_t(20));
    }

    // A log that could not be read takes no records: a run would clean items that could never
    // be found again. The file stays as it is, and the records wait in memory.
    void unreadLogTakesNoRecords_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read error") << u"read error"_s;
        QTest::newRow("no permission to read") << u"no permission"_s;
        QTest::newRow("named pipe") << u"pipe"_s;
        QTest::newRow("endless device") << u"device"_s;
        QTest::newRow("folder") << u"folder"_s;
    }
    void unreadLogTakesNoRecords() {
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
        error.message.clear();
        QVERIFY(!s.state.openLog(error));
        QVERIFY2(error.message.startsWith(u"The cleaning log \""_s + s.logPath() +
                                          u"\" could not be read: "_s),
                 qPrintable(error.message));
        QVERIFY(!s.state.logAction("new.txt", {}, actions::Recycle));
        QVERIFY(!s.state.writeLog(error));
        QCOMPARE(s.state.unwrittenRecords().size(), std::size_t(1));
        struct stat after {};
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(QDir(s.locations.data)
                     .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{u"MVL.log"_s});
    }

    // What is not a file we may write is refused with its path, and nothing is made in its place.
    void logThatCannotTakeRecordsIsRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link that leads nowhere") << u"dangling"_s;
        QTest::newRow("link to a device") << u"device"_s;
        QTest::newRow("read-only file") << u"read-only"_s;
    }
    void logThatCannotTakeRecordsIsRefused() {
        QFETCH(QString, kind);
        Setup s;
        if (kind == u"dangling") {
            QVERIFY(QFile::link(s.root.filePath(u"gone"_s), s.logPath()));
        } else if (kind == u"device") {
            QVERIFY(QFile::link(u"/dev/null"_s, s.logPath()));
        } else {
            if (::geteuid() == 0) {
                QSKIP("root writes every file");
            }
            s.writeFile("1,r,/a,1,\"7 Mar 2010\"\r\n");
            QVERIFY(QFile::setPermissions(s.logPath(), QFileDevice::ReadOwner));
        }
        errorControl error;
        QVERIFY(!s.state.openLog(error));
        QVERIFY2(error.message.startsWith(u"The cleaning log \""_s + s.logPath() +
                                          u"\" cannot be written: "_s),
                 qPrintable(error.message));
        QVERIFY(!QFileInfo::exists(s.root.filePath(u"gone"_s)));
    }

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
    }

    // Records read before still belong to the log: readLog appends.
    void readingAppends() {
        Setup s;
        s.writeFile("2,b,/a,1,\"7 Mar 2010\"\r\n");
        s.state.newLogLine() = record(1, "a", u"/a"_s, actions::Archive, {});
        errorControl error;
        QVERIFY(s.state.readLog(error));
        QCOMPARE(names(s.state), (QStringList{u"a"_s, u"b"_s}));
    }

    void writeFailureKeepsTheRecords() {
        Setup s(QDir(QTemporaryDir().path()).filePath(u"missing"_s));
        QVERIFY(!s.state.logAction("a", u"/a"_s, actions::Archive));
        errorControl error;
        QVERIFY(!s.state.writeLog(error));
        QVERIFY(!error.message.isEmpty());
        QCOMPARE(s.state.logLines.size(), std::size_t(1));
        QCOMPARE(s.state.unwrittenRecords().size(), std::size_t(1));
    }

    // A disk that fills while records are appended: the record that does not fit leaves no
    // half line behind, it and the ones after it wait in memory, and the next write that has
    // room puts them all in, in order.
    void fullDiskLeavesWholeLines() {
        QString why;
        const QString disk = testing::smallDiskFolder(why);
        if (disk.isEmpty()) {
            QSKIP(qPrintable(why));
        }
        Setup s(disk);
        QVERIFY(testing::leaveFree(disk, 64 * 1024));
        int written = 0;
        for (int i = 0; i < 5000; ++i) {
            if (s.state.logAction("new item number " + QByteArray::number(i) + ".txt",
                                  u"/some/archive/folder"_s, actions::Archive)) {
                ++written;
            }
        }
        QVERIFY(written > 0 && written < 5000);
        errorControl error;
        QVERIFY(!s.state.writeLog(error));
        QVERIFY2(error.message.contains(u"No space left on device"_s), qPrintable(error.message));
        QVERIFY(s.readFile().endsWith("\r\n"));
        const std::size_t waiting = s.state.unwrittenRecords().size();
        QVERIFY(waiting > 0);
        QCOMPARE(s.reread()->logLines.size(), std::size_t(5000) - waiting);

        testing::removeBallast(disk);
        QVERIFY2(s.state.writeLog(error), qPrintable(error.message));
        const auto read = s.reread();
        QCOMPARE(read->logLines.size(), std::size_t(5000));
        QCOMPARE(read->logLines.back()->itemName, u"new item number 4999.txt"_s);
        QVERIFY(s.state.unwrittenRecords().empty());
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
