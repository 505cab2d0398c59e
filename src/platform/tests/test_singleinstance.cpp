#include "platform/locations.h"
#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/stat.h>
#include <thread>

using namespace moravel;

namespace {
// The child mode of this very program: takes the lock in the given folder, says so on stdout
// and then waits to be killed.
constexpr char holdLockSwitch[] = "--hold-lock";

int holdLock(const char* folder) {
    SingleInstance instance(QString::fromLocal8Bit(folder));
    const bool first = instance.checkSingleInstance();
    std::fputs(first && instance.holdsLock() ? "held\n" : "refused\n", stdout);
    std::fflush(stdout);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}
} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lock_livesInTheDataFolder_madeWhenMissing();
    void firstCopy_getsTheLock();
    void secondCopyInSameSession_isRefused();
    void afterFirstCopyEnds_nextCopyRuns();
    void otherProcessHoldsLock_isRefused_thenKilled_lockTakenOver();
    void unusableFolder_countsAsFirstCopy();
    void lockOfDeadProcessLeftOnDisk_isTakenOver();
};

// The lock guards the configuration and the log, so it lies beside them whatever runtime
// folder a copy was started with; a fresh account's data folder is made for it, owner-only.
void SingleInstanceTest::lock_livesInTheDataFolder_madeWhenMissing() {
    QTemporaryDir dir;
    FixedLocations locations;
    locations.data = dir.filePath(QStringLiteral("share/Moravel"));
    SingleInstance instance(locations);
    QCOMPARE(instance.lockPath(), locations.data + QStringLiteral("/Moravel.lock"));
    QVERIFY(!instance.holdsLock());
    QVERIFY(instance.checkSingleInstance());
    QVERIFY(QFile::exists(instance.lockPath()));
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(locations.data).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0700));
    QVERIFY(!SingleInstance(locations).checkSingleInstance());
}

void SingleInstanceTest::firstCopy_getsTheLock() {
    QTemporaryDir dir;
    SingleInstance instance(dir.path());
    QVERIFY(instance.checkSingleInstance());
    QVERIFY(instance.holdsLock());
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Moravel.lock"))));
    // Asking again keeps the lock and the answer.
    QVERIFY(instance.checkSingleInstance());
}

void SingleInstanceTest::secondCopyInSameSession_isRefused() {
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QVERIFY(first.checkSingleInstance());
    SingleInstance second(dir.path());
    QVERIFY(!second.checkSingleInstance());
    QVERIFY(!second.holdsLock());
    QVERIFY(first.holdsLock());
}

void SingleInstanceTest::afterFirstCopyEnds_nextCopyRuns() {
    QTemporaryDir dir;
    {
        SingleInstance first(dir.path());
        QVERIFY(first.checkSingleInstance());
    }
    SingleInstance next(dir.path());
    QVERIFY(next.checkSingleInstance());
}

void SingleInstanceTest::otherProcessHoldsLock_isRefused_thenKilled_lockTakenOver() {
    QTemporaryDir dir;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(holdLockSwitch), dir.path()});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(60000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("held"));

    SingleInstance second(dir.path());
    QVERIFY(!second.checkSingleInstance());

    child.kill(); // SIGKILL: the holder gets no chance to clean up
    QVERIFY(child.waitForFinished());
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Moravel.lock"))));

    SingleInstance third(dir.path());
    QVERIFY(third.checkSingleInstance());
    QVERIFY(third.holdsLock());
}

void SingleInstanceTest::unusableFolder_countsAsFirstCopy() {
    QTemporaryDir dir;
    // A plain file where the folder should be: the lock cannot be made at all.
    const QString notAFolder = dir.filePath(QStringLiteral("file"));
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    SingleInstance instance(notAFolder);
    QVERIFY(instance.checkSingleInstance());

    SingleInstance noFolder{QString()};
    QVERIFY(noFolder.checkSingleInstance());
}

void SingleInstanceTest::lockOfDeadProcessLeftOnDisk_isTakenOver() {
    QTemporaryDir dir;
    // A lock file as a crashed copy leaves it, naming a process id that no longer runs.
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"));
    QVERIFY(gone.waitForFinished());
    const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
    QFile lock(dir.filePath(QStringLiteral("Moravel.lock")));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadPid) + "\nmoravel\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    SingleInstance instance(dir.path());
    QVERIFY(instance.checkSingleInstance());
    QVERIFY(instance.holdsLock());
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], holdLockSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return holdLock(argv[2]);
    }
    QCoreApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_singleinstance.moc"
