// Copies of sparse files (disk images, virtual machines' disks, databases) keep their holes: a
// file of 1 GiB that holds a few MiB takes a few MiB at the destination too, on another file
// system as on the same one.
#include "platform/shelloperations.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;
using moravel::testing::ScriptedPrompts;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr off_t MiB = off_t{1} << 20;
constexpr off_t apparentSize = 1024 * MiB;

// A stretch of data in the file; all the rest is a hole.
struct Extent {
    off_t start;
    off_t length;
};
using Layout = QList<Extent>;

// Bytes that tell their offset apart, and never zero, so that a segment copied to the wrong
// place or left out shows.
char patternAt(off_t offset) {
    return static_cast<char>((offset * 7 + offset / 4096) % 251 + 1);
}

QByteArray pattern(off_t start, off_t length) {
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    for (off_t i = 0; i < length; ++i) {
        bytes[static_cast<qsizetype>(i)] = patternAt(start + i);
    }
    return bytes;
}

off_t dataBytes(const Layout& layout) {
    off_t total = 0;
    for (const Extent& extent : layout) {
        total += extent.length;
    }
    return total;
}

struct stat statOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        status.st_size = -1;
    }
    return status;
}

off_t allocated(const QString& path) {
    return statOf(path).st_blocks * 512;
}

dev_t deviceOf(const QString& path) {
    return statOf(path).st_dev;
}

bool makeSparseFile(const QString& path, const Layout& layout) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !file.resize(apparentSize)) {
        return false;
    }
    for (const Extent& extent : layout) {
        const QByteArray bytes = pattern(extent.start, extent.length);
        if (!file.seek(extent.start) || file.write(bytes) != bytes.size()) {
            return false;
        }
    }
    return true;
}

QByteArray readAt(int fd, off_t start, off_t length) {
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done),
                                  start + done);
        if (n <= 0) {
            return bytes.left(done);
        }
        done += n;
    }
    return bytes;
}

// Whether files in `folder` keep a hole: a file of 64 MiB with one block written at its end
// must take far less than 64 MiB.
bool folderKeepsHoles(const QString& folder) {
    const QString probe = folder + u"/hole probe"_s;
    bool keeps = false;
    {
        QFile file(probe);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.resize(64 * MiB) &&
            file.seek(64 * MiB - 4096) && file.write(QByteArray(4096, 'x')) == 4096) {
            file.flush();
            keeps = allocated(probe) < 16 * MiB;
        }
    }
    QFile::remove(probe);
    return keeps;
}

// /dev/shm is a tmpfs of its own: copying between it and the temporary folder crosses file
// systems. Empty when this machine has no such pair.
QString otherFileSystem() {
    const QString shm = u"/dev/shm"_s;
    if (!QFileInfo(shm).isDir() || !QFileInfo(shm).isWritable() ||
        deviceOf(shm) == deviceOf(QDir::tempPath())) {
        return {};
    }
    return shm;
}

} // namespace

class TestSparseCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsHoles_data() {
        QTest::addColumn<bool>("move");
        QTest::addColumn<QString>("from"); // "disk" (the temporary folder) or "shm"
        QTest::addColumn<QString>("to");
        QTest::addColumn<Layout>("layout");
        // Data at the start, at an odd offset in the middle and up to the very end.
        const Layout ends = {{0, 3 * MiB}, {512 * MiB + 12345, 3 * MiB}, {1021 * MiB, 3 * MiB}};
        // The last data long before the end: only the size makes the hole at the end.
        const Layout trailingHole = {{0, 2 * MiB}, {300 * MiB, 4 * MiB}};
        const Layout holeOnly;
        const struct {
            const char* name;
            bool move;
            const char* from;
            const char* to;
        } routes[] = {
            {"move shm to disk", true, "shm", "disk"},
            {"copy shm to disk", false, "shm", "disk"},
            {"copy disk to shm", false, "disk", "shm"},
            {"copy disk to disk", false, "disk", "disk"},
        };
        for (const auto& route : routes) {
            for (const auto& [layoutName, layout] :
                 {std::pair{"data at both ends", ends}, std::pair{"hole at the end", trailingHole},
                  std::pair{"only a hole", holeOnly}}) {
                QTest::addRow("%s, %s", route.name, layoutName)
                    << route.move << QString::fromLatin1(route.from)
                    << QString::fromLatin1(route.to) << layout;
            }
        }
    }
    void keepsHoles() {
        QFETCH(bool, move);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(Layout, layout);
        const QString shm = otherFileSystem();
        if ((from == u"shm" || to == u"shm") && shm.isEmpty()) {
            QSKIP("needs /dev/shm on a file system apart from the temporary folder");
        }
        const auto folderOn = [&](const QString& where) {
            return where == u"shm" ? shm + u"/moravel-test-XXXXXX"_s
                                   : QDir::tempPath() + u"/moravel-test-XXXXXX"_s;
        };
        QTemporaryDir source(folderOn(from));
        QTemporaryDir destination(folderOn(to));
        QVERIFY(source.isValid() && destination.isValid());
        for (const QTemporaryDir* dir : {&source, &destination}) {
            if (!folderKeepsHoles(dir->path())) {
                QSKIP(qPrintable(u"the file system of %1 does not keep holes"_s.arg(dir->path())));
            }
        }
        const QString original = source.filePath(u"disk.img"_s);
        QVERIFY(makeSparseFile(original, layout));
        const off_t data = dataBytes(layout);
        // Pages and blocks that the data only partly fills, and a file system's bookkeeping.
        const off_t room = data + 2 * MiB;
        QVERIFY2(allocated(original) <= room, qPrintable(QString::number(allocated(original))));

        ScriptedPrompts prompts;
        ShellOperations shell(prompts);
        Arrival arrival;
        QVERIFY(move ? shell.shellMove(QFile::encodeName(original),
                                       QFile::encodeName(destination.path()), &arrival)
                     : shell.shellCopy(QFile::encodeName(original),
                                       QFile::encodeName(destination.path()), &arrival.name));
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(arrival.name, QByteArray("disk.img"));
        QCOMPARE(QFileInfo::exists(original), !move);
        const QString copy = destination.filePath(QFile::decodeName(arrival.name));

        QCOMPARE(statOf(copy).st_size, apparentSize);
        QVERIFY2(
            allocated(copy) <= room,
            qPrintable(u"%1 bytes on disk for %2 bytes of data"_s.arg(allocated(copy)).arg(data)));
        const int fd = ::open(QFile::encodeName(copy).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        const auto closeFd = qScopeGuard([fd] { ::close(fd); });
        // Each stretch of data where it was, and zeros on both sides of it.
        constexpr off_t margin = 64 * 1024;
        for (const Extent& extent : layout) {
            QVERIFY(readAt(fd, extent.start, extent.length) ==
                    pattern(extent.start, extent.length));
            const bool dataBefore = std::any_of(layout.begin(), layout.end(), [&](const Extent& e) {
                return e.start < extent.start && e.start + e.length + margin > extent.start;
            });
            if (extent.start >= margin && !dataBefore) {
                QVERIFY(readAt(fd, extent.start - margin, margin) == QByteArray(margin, '\0'));
            }
            const off_t end = extent.start + extent.length;
            if (end + margin <= apparentSize) {
                QVERIFY(readAt(fd, end, margin) == QByteArray(margin, '\0'));
            }
        }
        if (layout.isEmpty()) {
            QVERIFY(readAt(fd, apparentSize / 2, margin) == QByteArray(margin, '\0'));
        }
        if (!move) {
            QVERIFY(allocated(original) <= room);
        }
    }
};

QTEST_GUILESS_MAIN(TestSparseCopy)
#include "test_sparsecopy.moc"
