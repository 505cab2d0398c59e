#include "engine/errorcontrol.h"
#include "smalldisk.h"
#include "storage/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

QByteArray pattern(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 26);
    }
    return bytes;
}

} // namespace

class AtomicFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replacesAndCreates_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("new file") << false << QByteArray("hello\r\n");
        QTest::newRow("replaces") << true << QByteArray("hello\r\n");
        QTest::newRow("empties") << true << QByteArray();
        QTest::newRow("larger than any buffer") << true << pattern(5 * 1024 * 1024 + 3);
    }
    void replacesAndCreates() {
        QFETCH(bool, existing);
        QFETCH(QByteArray, data);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"file.txt"_s);
        if (existing) {
            put(path, "old contents");
        }
        errorControl error;
        QVERIFY2(writeFileAtomically(path, data, error), qPrintable(error.message));
        QCOMPARE(contents(path), data);
        QCOMPARE(entries(dir.path()), QStringList{u"file.txt"_s});
    }

    void missingFolderIsReported() {
        QTemporaryDir dir;
        errorControl error;
        QVERIFY(!writeFileAtomically(dir.filePath(u"no/such/file"_s), "x", error));
        // The message names the file, so that the user knows where to look.
        QVERIFY2(error.message.startsWith(u"\""_s + dir.filePath(u"no/such/file"_s) +
                                          u"\" could not be written: "_s),
                 qPrintable(error.message));
        QVERIFY(entries(dir.path()).isEmpty());
    }

    // A disk that fills up part-way: the old file stays as it was, nothing is left behind, and
    // the error is reported. Sizes from one page to far more than the room left, so that the
    // failure comes in a single large write, in a later write, or only when the buffer is
    // flushed.
    void fullDiskKeepsOldFile_data() {
        QTest::addColumn<qint64>("room");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("existing");
        QTest::newRow("one big write") << qint64(64 * 1024) << qsizetype(1024 * 1024) << true;
        QTest::newRow("just too big") << qint64(64 * 1024) << qsizetype(72 * 1024) << true;
        QTest::newRow("buffered small write, no room") << qint64(0) << qsizetype(4 * 1024) << true;
        QTest::newRow("no old file") << qint64(64 * 1024) << qsizetype(1024 * 1024) << false;
    }
    void fullDiskKeepsOldFile() {
        QFETCH(qint64, room);
        QFETCH(qsizetype, size);
        QFETCH(bool, existing);
        QString why;
        const QString disk = testing::smallDiskFolder(why);
        if (disk.isEmpty()) {
            QSKIP(qPrintable(why));
        }
        const QString path = disk + u"/file.txt"_s;
        const QByteArray old = pattern(10000);
        if (existing) {
            put(path, old);
        }
        QVERIFY(testing::leaveFree(disk, room));

        errorControl error;
        QVERIFY(!writeFileAtomically(path, pattern(size), error));
        QVERIFY(!error.message.isEmpty());
        QCOMPARE(contents(path), existing ? old : QByteArray("(missing)"));
        QStringList expected{u"ballast"_s};
        if (existing) {
            expected << u"file.txt"_s;
        }
        QCOMPARE(entries(disk), expected);

        // With room again, the same write goes through.
        testing::removeBallast(disk);
        QVERIFY2(writeFileAtomically(path, pattern(size), error), qPrintable(error.message));
        QCOMPARE(contents(path), pattern(size));
        QFile::remove(path);
    }
};

int main(int argc, char** argv) {
    const int onSmallDisk = testing::runOnSmallDisk(argv);
    if (onSmallDisk >= 0) {
        return onSmallDisk;
    }
    QCoreApplication app(argc, argv);
    AtomicFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_atomicfile.moc"
