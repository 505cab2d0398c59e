#include "engine/errorcontrol.h"
#include "executor/doer.h"
#include "executor/restore.h"
#include "executorfixture.h"

#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace moravel;
using namespace moravel::testing;

namespace {

logLine& addRecord(global& state, const QString& name, const QString& folder, ActionKind action) {
    logLine& record = state.newLogLine();
    record.operationNumber = 1;
    record.setItemName(name.toUtf8());
    record.destinationFolder = folder;
    record.performedAction = action;
    return record;
}

QList<RestoreRow> selected(const QList<int>& indexes) {
    QList<RestoreRow> rows;
    for (int index : indexes) {
        rows.append({index, true});
    }
    return rows;
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void twice_secondCopyGetsANewName();
    void mixedActions_onlyArchivedAndMovedComeBack();
    void progressWalksEveryRow_copiesOnlySelected();
    void cancel_endsBeforeTheNextRowWithoutAQuestion();
    void hostileItemName_data();
    void hostileItemName();
    void noDesktop_copiesNothing();
    void missingItem_toldAndTheNextRowFollows();
    void nameThatIsNotUtf8_comesBackAsItself();
};

void TestRestore::twice_secondCopyGetsANewName() {
    ExecutorFixture f;
    // Cleaned from the shared desktop; it comes back to the user's own.
    taskManager plan;
    f.add(plan, DesktopKind::Public, QStringLiteral("report.doc"), actions::Archive);
    errorControl error;
    QVERIFY(doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QCOMPARE(f.state.logLines.size(), std::size_t(1));

    for (int round = 0; round < 2; ++round) {
        const RestoreResult result =
            restoreToDesktop(selected({0}), f.state, f.prompts, f.progress, f.shell);
        QCOMPARE(result.copied, 1);
        QCOMPARE(result.failed, 0);
    }
    QCOMPARE(f.entries(f.userDesktop()),
             QStringList({QStringLiteral("report (2).doc"), QStringLiteral("report.doc")}));
    QCOMPARE(f.readFile(f.userDesktop() + QStringLiteral("/report (2).doc")),
             QByteArray("report.doc"));
    QVERIFY(f.exists(f.state.currentArchiveFolder + QStringLiteral("/report.doc")));
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
    QCOMPARE(f.entries(f.commonDesktop()), QStringList());
}

void TestRestore::mixedActions_onlyArchivedAndMovedComeBack() {
    ExecutorFixture f;
    const QString target = f.root() + QStringLiteral("/Target");
    QDir().mkpath(target);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("archived.txt"), actions::Archive);
    f.add(plan, DesktopKind::User, QStringLiteral("moved"), actions::MoveToFolder, target, true);
    f.add(plan, DesktopKind::User, QStringLiteral("recycled.txt"), actions::Recycle);
    f.add(plan, DesktopKind::User, QStringLiteral("deleted.txt"), actions::Delete);
    errorControl error;
    QVERIFY(doer().execute(plan, f.state, error, f.prompts, f.progress, f.shell));
    QCOMPARE(f.state.logLines.size(), std::size_t(4));

    const RestoreResult result =
        restoreToDesktop(selected({0, 1, 2, 3}), f.state, f.prompts, f.progress, f.shell);
    QCOMPARE(result.copied, 2);
    QCOMPARE(result.failed, 0);
    QVERIFY(f.prompts.everything().isEmpty()); // recycled and deleted pass over silently
    QCOMPARE(f.entries(f.userDesktop()),
             QStringList({QStringLiteral("archived.txt"), QStringLiteral("moved")}));
    QCOMPARE(f.readFile(f.userDesktop() + QStringLiteral("/moved/inside.txt")),
             QByteArray("moved"));
    QVERIFY(f.exists(target + QStringLiteral("/moved/inside.txt")));
}

void TestRestore::progressWalksEveryRow_copiesOnlySelected() {
    ExecutorFixture f;
    const QString folder = f.root() + QStringLiteral("/Target");
    QDir().mkpath(folder);
    QList<RestoreRow> rows;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("item%1.txt").arg(i);
        f.writeFile(folder + u'/' + name, name.toUtf8());
        addRecord(f.state, name, folder, actions::MoveToFolder);
        rows.append({i, i == 3 || i == 7});
    }
    const RestoreResult result = restoreToDesktop(rows, f.state, f.prompts, f.progress, f.shell);

    QCOMPARE(result.copied, 2);
    QList<QPair<int, int>> steps;
    for (int i = 0; i < 10; ++i) {
        steps.append({i, 10});
    }
    QCOMPARE(f.progress.steps, steps);
    QCOMPARE(f.progress.shown, 1);
    QCOMPARE(f.progress.hidden, 1);
    QCOMPARE(f.entries(f.userDesktop()),
             QStringList({QStringLiteral("item3.txt"), QStringLiteral("item7.txt")}));
}

void TestRestore::cancel_endsBeforeTheNextRowWithoutAQuestion() {
    ExecutorFixture f;
    const QString folder = f.root() + QStringLiteral("/Target");
    QDir().mkpath(folder);
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("item%1.txt").arg(i);
        f.writeFile(folder + u'/' + name, name.toUtf8());
        addRecord(f.state, name, folder, actions::MoveToFolder);
    }
    f.progress.cancelAt = 1; // pressed while row 1 is under way
    const RestoreResult result =
        restoreToDesktop(selected({0, 1, 2, 3}), f.state, f.prompts, f.progress, f.shell);

    QVERIFY(result.cancelled);
    QCOMPARE(result.copied, 2);
    QVERIFY(f.prompts.everything().isEmpty());
    QCOMPARE(f.progress.hidden, 1);
    QCOMPARE(f.entries(f.userDesktop()),
             QStringList({QStringLiteral("item0.txt"), QStringLiteral("item1.txt")}));
}

void TestRestore::hostileItemName_data() {
    QTest::addColumn<QString>("itemName");
    QTest::newRow("parent folder") << QStringLiteral("..");
    QTest::newRow("the folder itself") << QStringLiteral(".");
    QTest::newRow("empty") << QString();
    QTest::newRow("climbs out") << QStringLiteral("../secret");
    QTest::newRow("absolute") << QStringLiteral("/etc/hostname");
    QTest::newRow("sub-folder") << QStringLiteral("sub/inner.txt");
}

void TestRestore::hostileItemName() {
    QFETCH(QString, itemName);
    ExecutorFixture f;
    const QString folder = f.root() + QStringLiteral("/Archive/03-07-11");
    QDir().mkpath(folder + QStringLiteral("/sub"));
    f.writeFile(folder + QStringLiteral("/sub/inner.txt"), "inner");
    f.writeFile(f.root() + QStringLiteral("/Archive/secret"), "secret");
    addRecord(f.state, itemName, folder, actions::Archive);
    addRecord(f.state, QStringLiteral("inner.txt"), folder + QStringLiteral("/sub"),
              actions::Archive);

    const RestoreResult result =
        restoreToDesktop(selected({0, 1}), f.state, f.prompts, f.progress, f.shell);
    QCOMPARE(result.failed, 1);
    QCOMPARE(result.copied, 1); // the row after it still follows
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY(f.prompts.messages[0].contains(QStringLiteral("was not restored")));
    QCOMPARE(f.entries(f.userDesktop()), QStringList({QStringLiteral("inner.txt")}));
}

void TestRestore::noDesktop_copiesNothing() {
    ExecutorFixture f;
    const QString folder = f.root() + QStringLiteral("/Target");
    QDir().mkpath(folder);
    f.writeFile(folder + QStringLiteral("/a.txt"), "a");
    addRecord(f.state, QStringLiteral("a.txt"), folder, actions::MoveToFolder);
    f.locations.userDesktop.clear();

    const RestoreResult result =
        restoreToDesktop(selected({0}), f.state, f.prompts, f.progress, f.shell);
    QVERIFY(result.noDesktop);
    QCOMPARE(result.copied, 0);
    QCOMPARE(f.prompts.messages,
             QStringList({QStringLiteral(
                 "Your desktop folder could not be found. Nothing was restored.")}));
    QCOMPARE(f.progress.shown, 0);
    QCOMPARE(f.entries(QDir::currentPath()).contains(QStringLiteral("a.txt")), false);
}

void TestRestore::missingItem_toldAndTheNextRowFollows() {
    ExecutorFixture f;
    const QString folder = f.root() + QStringLiteral("/Target");
    QDir().mkpath(folder);
    f.writeFile(folder + QStringLiteral("/here.txt"), "here");
    addRecord(f.state, QStringLiteral("gone.txt"), folder, actions::MoveToFolder);
    addRecord(f.state, QStringLiteral("here.txt"), folder, actions::MoveToFolder);

    const RestoreResult result =
        restoreToDesktop(selected({0, 1}), f.state, f.prompts, f.progress, f.shell);
    QCOMPARE(result.failed, 1);
    QCOMPARE(result.copied, 1);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY(f.prompts.messages[0].contains(QStringLiteral("gone.txt")));
    QCOMPARE(f.entries(f.userDesktop()), QStringList({QStringLiteral("here.txt")}));
}

// Of two items whose names read alike, the record's very bytes bring back the one it names.
void TestRestore::nameThatIsNotUtf8_comesBackAsItself() {
    ExecutorFixture f;
    const QString folder = f.root() + QStringLiteral("/Target");
    QDir().mkpath(folder);
    const QByteArray native = QFile::encodeName(folder) + '/';
    for (const auto& [name, content] :
         {std::pair<QByteArray, QByteArray>{"caf\xe9.txt", "latin-1"},
          std::pair<QByteArray, QByteArray>{"caf\xef\xbf\xbd.txt", "replacement"}}) {
        const int fd = ::open((native + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, content.constData(), std::size_t(content.size())),
                 ssize_t(content.size()));
        ::close(fd);
    }
    logLine& record = f.state.newLogLine();
    record.setItemName("caf\xe9.txt");
    record.destinationFolder = folder;
    record.performedAction = actions::MoveToFolder;

    const RestoreResult result =
        restoreToDesktop(selected({0}), f.state, f.prompts, f.progress, f.shell);
    QCOMPARE(result.copied, 1);
    QCOMPARE(result.restored.size(), std::size_t(1));
    const QByteArray back = QFile::encodeName(f.userDesktop()) + "/caf\xe9.txt";
    const int fd = ::open(back.constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    char buffer[32] = {};
    QCOMPARE(::read(fd, buffer, sizeof buffer), ssize_t(7));
    ::close(fd);
    QCOMPARE(QByteArray(buffer), QByteArray("latin-1"));
    // Nothing else came: QDir leaves out names that are not UTF-8, readdir does not.
    DIR* dir = ::opendir(QFile::encodeName(f.userDesktop()).constData());
    QVERIFY(dir != nullptr);
    int entries = 0;
    while (const dirent* entry = ::readdir(dir)) {
        entries += entry->d_name[0] != '.' ? 1 : 0;
    }
    ::closedir(dir);
    QCOMPARE(entries, 1);
}

QTEST_GUILESS_MAIN(TestRestore)
#include "test_restore.moc"
