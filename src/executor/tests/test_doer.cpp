#include "engine/errorcontrol.h"
#include "executor/doer.h"
#include "executorfixture.h"
#include "platform/shellinfo.h"

#include <QTest>

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
};

void TestDoer::dateFolderName_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    const QDate march7(2011, 3, 7);
    QTest::newRow("YY-MM-DD") << 0 << march7 << QStringLiteral("11-03-07");
    QTest::newRow("MM-DD-YY") << 1 << march7 << QStringLiteral("03-07-11");
    QTest::newRow("DD-MM-YY") << 2 << march7 << QStringLiteral("07-03-11");
    QTest::newRow("unknown format") << 3 << march7 << QString();
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

    QCOMPARE(error.message, QStringLiteral("Fallo creación directorio2")); // ENOENT
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
    // The data folder lies under a file, so nothing can be written there.
    const QString blocker = f.root() + QStringLiteral("/blocker");
    f.writeFile(blocker, "x");
    f.locations.data = blocker + QStringLiteral("/data");
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

QTEST_GUILESS_MAIN(TestDoer)
#include "test_doer.moc"
