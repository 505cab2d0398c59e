#include "engine/actionkind.h"
#include "engine/errorcontrol.h"
#include "executor/doer.h"
#include "executorfixture.h"
#include "platform/shellinfo.h"

#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;
using namespace moravel::testing;

class TestDoer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dateFolderName_data();
    void dateFolderName();
    void allLeave_savesIgnoreListAndTouchesNothing();
    void archive_movesIntoTodaysDateFolderAndReusesIt();
    void sameNameFromBothDesktops_bothLoggedUnderArrivedNames();
    void moveRecycleDelete_loggedWithTheirDestinations();
    void missingArchiveParent_failsBeforeAnything();
    void relativeArchiveFolder_failsBeforeAnything();
    void configurationSaveFailure_touchesNoItem();
    void cancel_data();
    void cancel();
    void failedItem_getsNoRecordAndStaysInTheNextPlan();
    void logThatTakesNoRecords_refusesBeforeAnything();
    void recordThatCannotBeWritten_stopsBeforeTheNextItem();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void namesThatAreNotUtf8_clashInTheArchive();
    void moveIntoItsOwnFolder_staysWithoutRecord();
    void moravelsOwnFolders_neverTaken_data();
    void moravelsOwnFolders_neverTaken();
    void programMustEnd_stopsWithoutAsking();
};

void TestDoer::dateFolderName_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    const QDate march7(2011, 3, 7);
    QTest::newRow("YY-MM-DD") << 0 << march7 << QStringLiteral("11-03-07");
    QTest::newRow("MM-DD-YY") << 1 << march7 << QStringLiteral("03-07-11");
    QTest::newRow("DD-MM-YY") << 2 << march7 << QStringLiteral("07-03-11");
    // Only a hand-edited file gives another value: its items still get a folder of their day.
    QTest::newRow("unknown format") << 7 << march7 << QStringLiteral("11-03-07");
    QTest::newRow("year 2000") << 0 << QDate(2000, 12, 31) << QStringLiteral("00-12-31");
    QTest::newRow("year 2105") << 2 << QDate(2105, 1, 2) << QStringLiteral("02-01-105");
}

void TestDoer::dateFolderName() {
    QFETCH(int, format);
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QCOMPARE(moravel::dateFolderName(static_cast<DateFolderFormat>(format), date), name);
}

void TestDoer::allLeave_savesIgnoreListAndTouchesNothing() {
    ExecutorFixture f;
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("notes.txt"), actions::Leave);
    f.add(plan, DesktopKind::User, QStringLiteral("Ärger-äb.doc"), actions::Leave);
    f.add(plan, DesktopKind::Public, QStringLiteral("notes.txt"), actions::Leave);
    f.state.ignoreList = {QStringLiteral("OLD")};

    errorControl error;
    doer run;
    QVERIFY(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    QVERIFY(!f.exists(f.archive));
    // Only a to z are upper-cased; a name on both desktops is there twice.
    QCOMPARE(f.state.ignoreList,
             QStringList({QStringLiteral("NOTES.TXT"), QStringLiteral("ÄRGER-äB.DOC"),
                          QStringLiteral("NOTES.TXT")}));
    QVERIFY(f.exists(f.locations.data + QStringLiteral("/cfg.mvk")));
    const QList<QPair<int, int>> steps = {{0, 3}, {1, 3}, {2, 3}};
    QCOMPARE(f.progress.steps, steps);
    QCOMPARE(f.progress.shown, 1);
    QCOMPARE(f.progress.hidden, 1);
    QVERIFY(f.state.logLines.empty());
    QCOMPARE(f.entries(f.userDesktop()).size(), 2);
    QCOMPARE(f.entries(f.commonDesktop()).size(), 1);
    QCOMPARE(run.failedItems, 0);
    QVERIFY(f.prompts.everything().isEmpty());
}

void TestDoer::archive_movesIntoTodaysDateFolderAndReusesIt() {
    ExecutorFixture f;
    f.state.nroOperacion = 4;
    taskManager first;
    f.add(first, DesktopKind::User, QStringLiteral("report.doc"), actions::Archive);
    errorControl error;
    QVERIFY(doer().execute(first, f.state, error, f.prompts, f.progress, f.shell));

    const QString dateFolder = f.archive + QStringLiteral("/03-07-11");
    QCOMPARE(f.state.currentArchiveFolder, dateFolder);
    QCOMPARE(f.readFile(dateFolder + QStringLiteral("/report.doc")), QByteArray("report.doc"));
    QVERIFY(!f.exists(f.userDesktop() + QStringLiteral("/report.doc")));
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
    const logLine& record = *f.state.logLines[0];
    QCOMPARE(record.operationNumber, 4);
    QCOMPARE(record.itemName, QStringLiteral("report.doc"));
    QCOMPARE(record.destinationFolder, dateFolder);
    QCOMPARE(record.performedAction, actions::Archive);
    QCOMPARE(toQDateTime(record.cleanedAt), f.clock.now());

    // Later the same day: the same folder.
    f.clock.set(QDateTime(QDate(2011, 3, 7), QTime(23, 59, 0)));
    taskManager second;
    f.add(second, DesktopKind::User, QStringLiteral("later.doc"), actions::Archive);
    QVERIFY(doer().execute(second, f.state, error, f.prompts, f.progress, f.shell));
    QCOMPARE(f.entries(f.archive), QStringList({QStringLiteral("03-07-11")}));
    QCOMPARE(f.entries(dateFolder),
             QStringList({QStringLiteral("later.doc"), QStringLiteral("report.doc")}));
}

void TestDoer::sameNameFromBothDesktops_bothLoggedUnderArrivedNames() {
    ExecutorFixture f;
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Archive);
    f.add(plan, DesktopKind::Public, QStringLiteral("a.txt"), actions::Archive);
    f.add(plan, DesktopKind::User, QStringLiteral("dir"), actions::Archive, {}, true);
    f.add(plan, DesktopKind::Public, QStringLiteral("dir"), actions::Archive, {}, true);
    errorControl error;
    QVERIFY(doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    const QString dateFolder = f.archive + QStringLiteral("/03-07-11");
    QCOMPARE(f.entries(dateFolder),
             QStringList({QStringLiteral("a (2).txt"), QStringLiteral("a.txt"),
                          QStringLiteral("dir"), QStringLiteral("dir (2)")}));
    QStringList logged;
    for (const auto& record : f.state.logLines) {
        logged << record->itemName;
        QCOMPARE(record->destinationFolder, dateFolder);
        // The record finds the very item that was moved.
        QVERIFY(f.exists(dateFolder + u'/' + record->itemName));
    }
    QCOMPARE(logged, QStringList({QStringLiteral("a.txt"), QStringLiteral("a (2).txt"),
                                  QStringLiteral("dir"), QStringLiteral("dir (2)")}));
    QCOMPARE(f.entries(f.userDesktop()), QStringList());
    QCOMPARE(f.entries(f.commonDesktop()), QStringList());
}

void TestDoer::moveRecycleDelete_loggedWithTheirDestinations() {
    ExecutorFixture f;
    QDir(QDir::homePath() + QStringLiteral("/.local/share/Trash")).removeRecursively();
    const QString target = f.root() + QStringLiteral("/Target");
    QDir().mkpath(target);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("moved.txt"), actions::MoveToFolder, target);
    f.add(plan, DesktopKind::User, QStringLiteral("recycled.txt"), actions::Recycle);
    f.add(plan, DesktopKind::Public, QStringLiteral("deleted"), actions::Delete, {}, true);
    f.add(plan, DesktopKind::User, QStringLiteral("kept.txt"), actions::Leave);
    errorControl error;
    QVERIFY(doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    QVERIFY(!f.exists(f.archive)); // nothing archived: the archive folder is never looked at
    QVERIFY(f.exists(target + QStringLiteral("/moved.txt")));
    QCOMPARE(f.entries(f.userDesktop()), QStringList({QStringLiteral("kept.txt")}));
    QCOMPARE(f.entries(f.commonDesktop()), QStringList());
    // In the trash, with where it came from.
    const QString trashed = QDir::homePath() + QStringLiteral("/.local/share/Trash");
    QCOMPARE(f.readFile(trashed + QStringLiteral("/files/recycled.txt")),
             QByteArray("recycled.txt"));
    QVERIFY(f.readFile(trashed + QStringLiteral("/info/recycled.txt.trashinfo"))
                .contains(QFile::encodeName(f.userDesktop()).toPercentEncoding("/")));

    QCOMPARE(f.state.logLines.size(), std::size_t(3));
    QCOMPARE(f.state.logLines[0]->destinationFolder, target);
    QCOMPARE(f.state.logLines[0]->performedAction, actions::MoveToFolder);
    QCOMPARE(f.state.logLines[1]->itemName, QStringLiteral("recycled.txt"));
    QCOMPARE(f.state.logLines[1]->destinationFolder, QString());
    QCOMPARE(f.state.logLines[1]->performedAction, actions::Recycle);
    QCOMPARE(f.state.logLines[2]->itemName, QStringLiteral("deleted"));
    QCOMPARE(f.state.logLines[2]->destinationFolder, QString());
    QCOMPARE(f.state.logLines[2]->performedAction, actions::Delete);
}

void TestDoer::missingArchiveParent_failsBeforeAnything() {
    ExecutorFixture f;
    f.state.rutaRepositorio = f.root() + QStringLiteral("/no such parent/Archive");
    f.state.ignoreList = {QStringLiteral("OLD")};
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Archive);
    f.add(plan, DesktopKind::User, QStringLiteral("b.txt"), actions::Leave);
    errorControl error;
    QVERIFY(!doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    QVERIFY2(error.message.startsWith(QStringLiteral("Fallo creación directorio2 (\"") +
                                      f.state.rutaRepositorio + QStringLiteral("\": ")),
             qPrintable(error.message)); // ENOENT
    QCOMPARE(f.state.ignoreList, QStringList({QStringLiteral("OLD")}));
    QVERIFY(!f.exists(f.locations.data + QStringLiteral("/cfg.mvk")));
    QCOMPARE(f.progress.shown, 0);
    QCOMPARE(f.entries(f.userDesktop()).size(), 2);
}

void TestDoer::relativeArchiveFolder_failsBeforeAnything() {
    ExecutorFixture f;
    f.state.rutaRepositorio = QStringLiteral("Archive");
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Archive);
    errorControl error;
    QVERIFY(!doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QVERIFY(error.message.contains(QStringLiteral("\"Archive\"")));
    QVERIFY(!f.exists(QDir::currentPath() + QStringLiteral("/Archive")));
    QVERIFY(f.exists(f.userDesktop() + QStringLiteral("/a.txt")));
}

void TestDoer::configurationSaveFailure_touchesNoItem() {
    ExecutorFixture f;
    // A folder in the configuration file's place: it cannot be replaced.
    QDir().mkpath(f.locations.data + QStringLiteral("/cfg.mvk/x"));
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Delete);
    f.add(plan, DesktopKind::User, QStringLiteral("b.txt"), actions::Leave);
    errorControl error;
    QVERIFY(!doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    QVERIFY2(error.message.endsWith(QStringLiteral(" when saving settings")),
             qPrintable(error.message));
    QVERIFY(error.message.size() > QStringLiteral(" when saving settings").size());
    // The list in memory has been rebuilt already; the items have not been touched.
    QCOMPARE(f.state.ignoreList, QStringList({QStringLiteral("B.TXT")}));
    QCOMPARE(f.entries(f.userDesktop()).size(), 2);
    QCOMPARE(f.progress.shown, 0);
    QVERIFY(f.state.logLines.empty());
}

void TestDoer::cancel_data() {
    QTest::addColumn<bool>("stop");
    QTest::newRow("answer No: goes on") << false;
    QTest::newRow("answer Yes: stops before that item") << true;
}

void TestDoer::cancel() {
    QFETCH(bool, stop);
    ExecutorFixture f;
    taskManager plan;
    for (const char* name : {"0.txt", "1.txt", "2.txt", "3.txt"}) {
        f.add(plan, DesktopKind::User, QString::fromLatin1(name), actions::Delete);
    }
    f.progress.cancelAt = 2;
    f.prompts.answers = {stop};
    errorControl error;
    doer run;
    QVERIFY(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    QCOMPARE(f.prompts.questions,
             QStringList({QStringLiteral("Do you want to stop the cleaning process?")}));
    QCOMPARE(run.stopped, stop);
    QCOMPARE(f.progress.hidden, 1);
    if (stop) {
        QCOMPARE(f.entries(f.userDesktop()),
                 QStringList({QStringLiteral("2.txt"), QStringLiteral("3.txt")}));
        QCOMPARE(f.state.logLines.size(), std::size_t(2));
        QCOMPARE(f.progress.steps.size(), 3);
    } else {
        QCOMPARE(f.entries(f.userDesktop()), QStringList());
        QCOMPARE(f.state.logLines.size(), std::size_t(4));
        QCOMPARE(f.progress.steps.size(), 4);
        QVERIFY(!f.progress.cancelPressed());
    }
}

void TestDoer::failedItem_getsNoRecordAndStaysInTheNextPlan() {
    ExecutorFixture f;
    const QString target = f.root() + QStringLiteral("/Target");
    QDir().mkpath(target);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("nowhere.txt"), actions::MoveToFolder,
          f.root() + QStringLiteral("/missing folder"));
    f.add(plan, DesktopKind::User, QStringLiteral("vanished.txt"), actions::Archive);
    f.add(plan, DesktopKind::User, QStringLiteral("relative.txt"), actions::MoveToFolder,
          QStringLiteral("Target"));
    f.add(plan, DesktopKind::User, QStringLiteral("no folder.txt"), actions::MoveToFolder);
    f.add(plan, DesktopKind::User, QStringLiteral("fine.txt"), actions::MoveToFolder, target);
    QFile::remove(f.userDesktop() + QStringLiteral("/vanished.txt"));
    errorControl error;
    doer run;
    QVERIFY(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell));

    QCOMPARE(run.failedItems, 4);
    QCOMPARE(f.prompts.messages.size(), 4); // each failure told, naming its item
    QVERIFY(f.prompts.messages[0].contains(QStringLiteral("nowhere.txt")));
    QVERIFY(f.prompts.messages[1].contains(QStringLiteral("vanished.txt")));
    QVERIFY(f.prompts.messages[2].contains(QStringLiteral("relative.txt")));
    QVERIFY(f.prompts.messages[3].contains(QStringLiteral("no folder.txt")));
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
    QCOMPARE(f.state.logLines[0]->itemName, QStringLiteral("fine.txt"));

    taskManager next;
    ShellInfo info;
    QVERIFY(next.scanDesktops(f.state, info, error));
    QStringList names;
    for (const auto& item : next.tasks) {
        names << item->name;
    }
    names.sort();
    QCOMPARE(names, QStringList({QStringLiteral("no folder.txt"), QStringLiteral("nowhere.txt"),
                                 QStringLiteral("relative.txt")}));
}

// A log that cannot take records: nothing is touched, not even the date folder or the ignore
// list, and the reason names the log.
void TestDoer::logThatTakesNoRecords_refusesBeforeAnything() {
    ExecutorFixture f;
    QDir().mkpath(f.locations.data + QStringLiteral("/MVL.log"));
    f.state.ignoreList = QStringList{QStringLiteral("OLD.TXT")};
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Archive);
    f.add(plan, DesktopKind::User, QStringLiteral("b.txt"), actions::Leave);
    errorControl error;
    QVERIFY(!doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QVERIFY2(error.message.startsWith(QStringLiteral("The cleaning log \"") + f.locations.data +
                                      QStringLiteral("/MVL.log\" cannot be written: ")),
             qPrintable(error.message));
    QVERIFY(!f.exists(f.archive));
    QCOMPARE(f.state.ignoreList, QStringList{QStringLiteral("OLD.TXT")});
    QCOMPARE(f.entries(f.userDesktop()),
             QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    QCOMPARE(f.progress.shown, 0);
}

// The disk fills under the log in the middle of a run (here: the process may not make files
// larger): the item whose record did not fit is the last one touched, and the user is told.
void TestDoer::recordThatCannotBeWritten_stopsBeforeTheNextItem() {
    ExecutorFixture f;
    const QString log = f.locations.data + QStringLiteral("/MVL.log");
    f.writeFile(log, QByteArray(2000, 'x') + "\r\n");
    taskManager plan;
    for (const char* name : {"first.txt", "second.txt", "third.txt"}) {
        f.add(plan, DesktopKind::User, QString::fromLatin1(name), actions::Delete);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    QCOMPARE(::sigaction(SIGXFSZ, &ignore, &before), 0);
    rlimit limit{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit unlimited = limit;
    f.progress.onStep = [&](int position) {
        // Room for the first record only, once the configuration has been saved.
        if (position == 0) {
            limit.rlim_cur = 2002 + 45;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
    };
    errorControl error;
    doer run;
    const bool wentAhead = run.execute(plan, f.state, error, f.prompts, f.progress, f.shell);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    ::sigaction(SIGXFSZ, &before, nullptr);

    QVERIFY(wentAhead);
    QVERIFY(run.stopped);
    QCOMPARE(f.entries(f.userDesktop()), QStringList{QStringLiteral("third.txt")});
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages[0].startsWith(
                 QStringLiteral("\"second.txt\" was cleaned, but its record could not be "
                                "written to the log. The cleaning log \"") +
                 log),
             qPrintable(f.prompts.messages[0]));
    QVERIFY(f.readFile(log).contains("first.txt"));
    QVERIFY(f.readFile(log).endsWith("\r\n"));
    QVERIFY(!f.readFile(log).contains("second.txt"));
    QCOMPARE(f.state.unwrittenRecords().size(), std::size_t(1));
    QCOMPARE(f.state.unwrittenRecords().front()->itemName, QStringLiteral("second.txt"));
    // With room again, the waiting record is written.
    QVERIFY2(f.state.writeLog(error), qPrintable(error.message));
    QVERIFY(f.readFile(log).contains("second.txt"));
}

// Two names that read alike, "caf\xe9.txt" (big, the one acted on) and "caf\xef\xbf\xbd.txt"
// (small, left), scanned from a real desktop: each action reaches the one it was planned
// for, the other stays as it was, and the record holds the exact bytes.
void TestDoer::namesThatAreNotUtf8_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("latin1Acts"); // else the other one is acted on
    for (const ActionKind action :
         {actions::Archive, actions::MoveToFolder, actions::Recycle, actions::Delete}) {
        for (const bool latin1 : {true, false}) {
            QTest::newRow(qPrintable(actionName(action) + (latin1 ? QStringLiteral(", Latin-1")
                                                                  : QStringLiteral(", U+FFFD"))))
                << int(action) << latin1;
        }
    }
}

void TestDoer::namesThatAreNotUtf8() {
    QFETCH(int, action);
    QFETCH(bool, latin1Acts);
    ExecutorFixture f;
    const QByteArray desktop = QFile::encodeName(f.userDesktop()) + '/';
    const QByteArray latin1 = "caf\xe9.txt";
    const QByteArray replacement = "caf\xef\xbf\xbd.txt";
    const QByteArray acted = latin1Acts ? latin1 : replacement;
    const QByteArray left = latin1Acts ? replacement : latin1;
    const auto write = [](const QByteArray& path, const QByteArray& data) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, data.constData(), std::size_t(data.size())), ssize_t(data.size()));
        ::close(fd);
    };
    const QByteArray big(2 * 1024 * 1024, 'B');
    write(desktop + acted, big);
    write(desktop + left, "small");
    const QString target = f.root() + QStringLiteral("/Target");
    QDir().mkpath(target);

    taskManager plan;
    ShellInfo info;
    errorControl error;
    QVERIFY(plan.scanDesktops(f.state, info, error));
    QCOMPARE(plan.tasks.size(), std::size_t(2));
    for (const auto& item : plan.tasks) {
        QCOMPARE(item->name, QStringLiteral("caf\ufffd.txt"));
        item->action = item->nameBytes == acted ? ActionKind(action) : actions::Leave;
        item->destination = target;
    }
    doer run;
    QVERIFY(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QCOMPARE(f.prompts.messages, QStringList());
    QCOMPARE(run.failedItems, 0);

    struct stat status {};
    QCOMPARE(::lstat((desktop + acted).constData(), &status), -1);
    QCOMPARE(::lstat((desktop + left).constData(), &status), 0);
    QCOMPARE(status.st_size, off_t(5));
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
    const logLine& record = *f.state.logLines.front();
    QCOMPARE(record.itemNameBytes(), acted);
    if (action == actions::Archive || action == actions::MoveToFolder) {
        const QByteArray arrived = QFile::encodeName(record.destinationFolder) + '/' + acted;
        QCOMPARE(::lstat(arrived.constData(), &status), 0);
        QCOMPARE(status.st_size, off_t(big.size()));
    }
    // The ignore list keeps the name as it reads; the next plan leaves both, never a wrong one.
    QCOMPARE(f.state.ignoreList, QStringList{QStringLiteral("CAF\ufffd.TXT")});

    // The log file holds the very bytes, and a new start reads them back.
    QVERIFY(f.state.writeLog(error));
    global again(f.locations, f.clock);
    QVERIFY(again.readLog(error));
    QCOMPARE(again.logLines.size(), std::size_t(1));
    QCOMPARE(again.logLines.front()->itemNameBytes(), acted);
}

void TestDoer::namesThatAreNotUtf8_clashInTheArchive() {
    ExecutorFixture f;
    taskManager plan;
    const QByteArray name = "caf\xe9.txt";
    for (const DesktopKind desktop : {DesktopKind::User, DesktopKind::Public}) {
        task& item = f.add(plan, desktop, QStringLiteral("placeholder"), actions::Archive);
        const QByteArray from = item.nativePath();
        item.nameBytes = name;
        item.name = QStringLiteral("caf\ufffd.txt");
        QCOMPARE(::rename(from.constData(), item.nativePath().constData()), 0);
    }
    errorControl error;
    QVERIFY(doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QCOMPARE(f.state.logLines.size(), std::size_t(2));
    QCOMPARE(f.state.logLines[0]->itemNameBytes(), name);
    QCOMPARE(f.state.logLines[1]->itemNameBytes(), QByteArray("caf\xe9 (2).txt"));
    const QByteArray folder = QFile::encodeName(f.state.currentArchiveFolder) + '/';
    struct stat status {};
    QCOMPARE(::lstat((folder + name).constData(), &status), 0);
    QCOMPARE(::lstat((folder + "caf\xe9 (2).txt").constData(), &status), 0);
}

// Moving an item into the folder it is in cleans nothing: it stays and gets no record.
void TestDoer::moveIntoItsOwnFolder_staysWithoutRecord() {
    ExecutorFixture f;
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::MoveToFolder, f.userDesktop());
    errorControl error;
    doer run;
    QVERIFY(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QCOMPARE(run.failedItems, 0);
    QVERIFY(f.state.logLines.empty());
    QCOMPARE(f.entries(f.userDesktop()), QStringList{QStringLiteral("a.txt")});
}

// The archive folder, the data folder and what holds them may lie on the desktop; a run
// leaves them there, whatever the plan says, and says why.
void TestDoer::moravelsOwnFolders_neverTaken_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("action");
    QTest::newRow("archive folder, archived") << QStringLiteral("archive") << int(actions::Archive);
    QTest::newRow("archive folder, deleted") << QStringLiteral("archive") << int(actions::Delete);
    QTest::newRow("folder holding the archive, trashed")
        << QStringLiteral("archive parent") << int(actions::Recycle);
    QTest::newRow("folder holding the data folder, moved")
        << QStringLiteral("data parent") << int(actions::MoveToFolder);
}

void TestDoer::moravelsOwnFolders_neverTaken() {
    QFETCH(QString, which);
    QFETCH(int, action);
    ExecutorFixture f;
    const QString target = f.root() + QStringLiteral("/Target");
    QDir().mkpath(target);
    QString item;
    if (which == QStringLiteral("archive")) {
        item = QStringLiteral("Archive");
        f.state.rutaRepositorio = f.userDesktop() + u'/' + item;
    } else if (which == QStringLiteral("archive parent")) {
        item = QStringLiteral("Keep");
        f.state.rutaRepositorio = f.userDesktop() + QStringLiteral("/Keep/deep/Archive");
        QDir().mkpath(f.state.rutaRepositorio);
    } else {
        item = QStringLiteral("Config");
        f.locations.data = f.userDesktop() + QStringLiteral("/Config/Moravel");
        QDir().mkpath(f.locations.data);
    }
    QDir().mkpath(f.userDesktop() + u'/' + item);
    taskManager plan;
    auto entry = std::make_unique<task>();
    entry->sourceFolder = f.userDesktop();
    entry->name = item;
    entry->nameBytes = item.toUtf8();
    entry->isFolder = true;
    entry->action = ActionKind(action);
    entry->destination = target;
    plan.tasks.push_back(std::move(entry));
    f.add(plan, DesktopKind::User, QStringLiteral("other.txt"), actions::Archive);

    errorControl error;
    doer run;
    QVERIFY2(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell),
             qPrintable(error.message));
    QCOMPARE(run.failedItems, 1);
    QCOMPARE(f.prompts.messages,
             QStringList{QStringLiteral("\"%1\" was left where it is: it holds the archive "
                                        "folder or Moravel's own data.")
                             .arg(item)});
    QVERIFY(QFileInfo(f.userDesktop() + u'/' + item).isDir());
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
    QCOMPARE(f.state.logLines[0]->itemName, QStringLiteral("other.txt"));
}

// The session ends (logout, SIGTERM): the run stops before the next item without a question.
void TestDoer::programMustEnd_stopsWithoutAsking() {
    ExecutorFixture f;
    taskManager plan;
    for (const char* name : {"0.txt", "1.txt", "2.txt"}) {
        f.add(plan, DesktopKind::User, QString::fromLatin1(name), actions::Delete);
    }
    f.progress.endAt = 1;
    errorControl error;
    doer run;
    QVERIFY(run.execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QVERIFY(run.stopped);
    QCOMPARE(f.prompts.questions, QStringList());
    QCOMPARE(f.entries(f.userDesktop()),
             QStringList({QStringLiteral("1.txt"), QStringLiteral("2.txt")}));
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestDoer)
#include "test_doer.moc"
