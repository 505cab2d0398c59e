#include "platform/shelloperations.h"
#include "platform/shelltexts.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;
using moravel::testing::ScriptedPrompts;

namespace {

// The operations take the file system's bytes; most tests here name their files as text, which
// for these names is the same thing.
class TextShell {
public:
    explicit TextShell(Prompts& prompts) : m_shell(prompts) {}
    bool shellMove(const QString& source, const QString& folder, QString* arrived = nullptr) {
        Arrival arrival;
        const bool moved =
            m_shell.shellMove(QFile::encodeName(source), QFile::encodeName(folder), &arrival);
        if (moved && arrived != nullptr) {
            *arrived = QFile::decodeName(arrival.name);
        }
        return moved;
    }
    bool shellCopy(const QString& source, const QString& destination, QString* arrived = nullptr) {
        QByteArray name;
        const bool copied =
            m_shell.shellCopy(QFile::encodeName(source), QFile::encodeName(destination), &name);
        if (copied && arrived != nullptr) {
            *arrived = QFile::decodeName(name);
        }
        return copied;
    }
    bool shellDelete(const QString& path, bool recycle) {
        return m_shell.shellDelete(QFile::encodeName(path), recycle);
    }
    ShellOperations& bytes() { return m_shell; }

private:
    ShellOperations m_shell;
};

// A fixed, odd modification time, so that a copy that drops times is caught.
constexpr time_t oldTime = 1262304061;

void makeFile(const QString& path, const QByteArray& data, mode_t mode = 0640) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::NewOnly), qPrintable(path));
    QCOMPARE(file.write(data), data.size());
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
    const timespec times[2] = {{oldTime - 3600, 0}, {oldTime, 123456789}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

void makeFolder(const QString& path, mode_t mode = 0750) {
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void makeLink(const QString& path, const QString& target) {
    const QByteArray native = QFile::encodeName(path);
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), native.constData()), 0);
    const timespec times[2] = {{oldTime - 1800, 0}, {oldTime - 30, 7}};
    QCOMPARE(::utimensat(AT_FDCWD, native.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Gives folders their times last, as making their entries changes them.
void ageFolder(const QString& path) {
    const timespec times[2] = {{oldTime - 7200, 0}, {oldTime - 60, 5}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

QString linkTarget(const QString& path) {
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(target, static_cast<int>(n)));
}

bool exists(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// One line per entry of the tree (the root included): its relative path, type, permissions,
// modification time, and its contents or link target. Two equal snapshots mean an intact copy.
QStringList snapshot(const QString& root) {
    QStringList lines;
    const auto describe = [&](const QString& path, const QString& relative) {
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
            lines << relative + QStringLiteral(" missing");
            return;
        }
        QString line = QStringLiteral("%1 %2 %3 %4:%5 %6.%7 ")
                           .arg(relative)
                           .arg(status.st_mode & S_IFMT, 0, 8)
                           .arg(status.st_mode & 07777, 0, 8)
                           .arg(status.st_uid)
                           .arg(status.st_gid)
                           .arg(status.st_mtim.tv_sec)
                           .arg(status.st_mtim.tv_nsec);
        if (S_ISLNK(status.st_mode)) {
            line += linkTarget(path);
        } else if (S_ISREG(status.st_mode)) {
            line += QString::fromLatin1(contents(path).toHex());
        }
        lines << line;
    };
    describe(root, QStringLiteral("."));
    if (QFileInfo(root).isSymLink()) {
        return lines;
    }
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        describe(path, QDir(root).relativeFilePath(path));
    }
    lines.sort();
    return lines;
}

QStringList entries(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// A folder tree with what a desktop folder may hold: hidden files, odd permissions, a folder
// we may not write, an empty folder, a link to a folder outside the tree and a dangling link.
void makeTree(const QString& root, const QString& outside) {
    makeFolder(root, 0750);
    makeFile(root + u"/a.txt"_qs, "alpha", 0644);
    makeFile(root + u"/.hidden"_qs, "secret", 0600);
    makeFolder(root + u"/sub"_qs, 0755);
    makeFile(root + u"/sub/run.sh"_qs, "#!/bin/sh\nexit 0\n", 0755);
    makeFolder(root + u"/sub/readonly"_qs, 0755);
    makeFile(root + u"/sub/readonly/kept.txt"_qs, QByteArray(70000, 'k'), 0400);
    // Only root may empty a folder without write permission; for anyone else such a tree could
    // be neither moved across file systems nor deleted, rightly.
    const mode_t readonly = ::geteuid() == 0 ? 0555 : 0755;
    QCOMPARE(::chmod(QFile::encodeName(root + u"/sub/readonly"_qs).constData(), readonly), 0);
    makeFolder(root + u"/empty"_qs, 0700);
    makeLink(root + u"/outside"_qs, outside);
    makeLink(root + u"/dangling"_qs, u"no such file"_qs);
    if (::geteuid() == 0) {
        // Entries of another user keep their owner too.
        for (const QString& entry : {u"/a.txt"_qs, u"/dangling"_qs}) {
            QCOMPARE(::lchown(QFile::encodeName(root + entry).constData(), 65534, 65534), 0);
        }
    }
    ageFolder(root + u"/sub/readonly"_qs);
    ageFolder(root + u"/sub"_qs);
    ageFolder(root + u"/empty"_qs);
    ageFolder(root);
}

// A folder with a file, outside every tree that is moved, copied or deleted: links point here.
void makeLinkTarget(const QString& folder) {
    makeFolder(folder, 0755);
    makeFile(folder + u"/precious.txt"_qs, "do not touch");
}

// The item named `kind` ("file", "tree", "link") at `path`.
void makeItem(const QString& kind, const QString& path, const QString& outside) {
    if (kind == u"file") {
        makeFile(path, QByteArray(300000, 'f'), 0604);
    } else if (kind == u"tree") {
        makeTree(path, outside);
    } else {
        makeLink(path, outside);
    }
}

struct HelperRun {
    int status = -1;
    QStringList lines; // standard output
    QString errors;    // standard error, for the failure report
};

// Runs a program, feeding it `input`, and collects its output lines.
HelperRun run(const QString& program, const QStringList& arguments,
              const QByteArray& input = QByteArray()) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    HelperRun result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitCode();
    result.lines =
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}

bool haveTool(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

dev_t deviceOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_dev : 0;
}

// /dev/shm is a tmpfs of its own, so moving between it and the temporary folder crosses file
// systems. Empty when this machine has no such pair.
QString otherFileSystem() {
    const QString shm = u"/dev/shm"_qs;
    if (!QFileInfo(shm).isDir() || !QFileInfo(shm).isWritable() ||
        deviceOf(shm) == deviceOf(QDir::tempPath())) {
        return {};
    }
    return shm;
}

// chattr +i for the life of the object; the file system must allow it (not every one does).
class Immutable {
public:
    explicit Immutable(const QString& path) : m_path(path) {
        m_set = run(u"chattr"_qs, {u"+i"_qs, m_path}).status == 0;
    }
    ~Immutable() {
        if (m_set) {
            run(u"chattr"_qs, {u"-i"_qs, m_path});
        }
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool isSet() const { return m_set; }

private:
    QString m_path;
    bool m_set = false;
};

void makeTraversable(const QString& path) {
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0755), 0);
}

} // namespace

class TestShellOperations : public QObject {
    Q_OBJECT

private:
    // Nothing is ever overwritten: a name taken in the folder gives the arriving item a new one.
    static void clashRows() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << u"notes.txt"_qs << false << QStringList{} << u"notes.txt"_qs;
        QTest::newRow("file clash")
            << u"notes.txt"_qs << false << QStringList{u"notes.txt"_qs} << u"notes (2).txt"_qs;
        QTest::newRow("dotfile clash")
            << u".bashrc"_qs << false << QStringList{u".bashrc"_qs} << u".bashrc (2)"_qs;
        QTest::newRow("folder clash")
            << u"v1.0"_qs << true << QStringList{u"v1.0"_qs, u"v1.0 (2)"_qs} << u"v1.0 (3)"_qs;
        QTest::newRow("name with (2)")
            << u"a (2).txt"_qs << false << QStringList{u"a (2).txt"_qs} << u"a (2) (2).txt"_qs;
        QTest::newRow("last dot") << u"a.tar.gz"_qs << false << QStringList{u"a.tar.gz"_qs}
                                  << u"a.tar (2).gz"_qs;
        QTest::newRow("no extension")
            << u"README"_qs << false << QStringList{u"README"_qs} << u"README (2)"_qs;
        QTest::newRow("dotfile with extension")
            << u".config.bak"_qs << false << QStringList{u".config.bak"_qs}
            << u".config (2).bak"_qs;
        QTest::newRow("folder with a dot")
            << u"photos.2010"_qs << true << QStringList{u"photos.2010"_qs} << u"photos.2010 (2)"_qs;
        QTest::newRow("dangling link takes its name")
            << u"gone"_qs << false << QStringList{u"@gone"_qs} << u"gone (2)"_qs;
        // At the file system's longest name, the stem gives way to the number, and a character
        // of two bytes is never cut in half.
        const QString longStem(251, u'a');
        QTest::newRow("longest name")
            << longStem + u".txt"_qs << false << QStringList{longStem + u".txt"_qs}
            << QString(247, u'a') + u" (2).txt"_qs;
        const QString wideStem = u"ab"_qs + QString(123, u'é'); // 248 bytes
        QTest::newRow("longest name, two-byte characters")
            << wideStem + u".png"_qs << false << QStringList{wideStem + u".png"_qs}
            << u"ab"_qs + QString(122, u'é') + u" (2).png"_qs;
        QTest::newRow("longest folder name")
            << QString(255, u'f') << true << QStringList{QString(255, u'f')}
            << QString(251, u'f') + u" (2)"_qs;
    }

    static void makeTaken(const QString& folder, const QStringList& taken) {
        for (const QString& entry : taken) {
            if (entry.startsWith(u'@')) {
                makeLink(folder + u'/' + entry.mid(1), folder + u"/nowhere"_qs);
            } else {
                makeFile(folder + u'/' + entry, "old " + entry.toUtf8());
            }
        }
    }
    static void checkTaken(const QString& folder, const QStringList& taken) {
        for (const QString& entry : taken) {
            if (!entry.startsWith(u'@')) {
                QCOMPARE(contents(folder + u'/' + entry), "old " + entry.toUtf8());
            }
        }
        QCOMPARE(entries(folder).size(), taken.size() + 1);
    }

private Q_SLOTS:
    void copy_singleFileUnderNewName() {
        QTemporaryDir dir;
        makeFile(dir.filePath(u"cfg.xml"_qs), "<HTML/>", 0600);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QString arrived;
        QVERIFY(
            shell.shellCopy(dir.filePath(u"cfg.xml"_qs), dir.filePath(u"cfg.mvk"_qs), &arrived));
        QCOMPARE(arrived, u"cfg.mvk"_qs);
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(contents(dir.filePath(u"cfg.mvk"_qs)), QByteArray("<HTML/>"));
        QCOMPARE(snapshot(dir.filePath(u"cfg.mvk"_qs)).constFirst().section(u' ', 1),
                 snapshot(dir.filePath(u"cfg.xml"_qs)).constFirst().section(u' ', 1));
        QCOMPARE(entries(dir.path()), (QStringList{u"cfg.mvk"_qs, u"cfg.xml"_qs}));
    }

    void copy_intoFolder_data() { clashRows(); }
    void copy_intoFolder() {
        QFETCH(QString, name);
        QFETCH(bool, isFolder);
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        QTemporaryDir from;
        QTemporaryDir to;
        const QString source = from.filePath(name);
        if (isFolder) {
            makeFolder(source);
            makeFile(source + u"/inner.txt"_qs, "inner");
            ageFolder(source);
        } else {
            makeFile(source, "new");
        }
        makeTaken(to.path(), taken);
        const QStringList before = snapshot(source);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QString arrived;
        QVERIFY(shell.shellCopy(source, to.path(), &arrived));
        QCOMPARE(arrived, expected);
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(snapshot(to.filePath(expected)), before);
        QCOMPARE(snapshot(source), before);
        checkTaken(to.path(), taken);
    }

    void move_sameFileSystem_data() { clashRows(); }
    void move_sameFileSystem() {
        QFETCH(QString, name);
        QFETCH(bool, isFolder);
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        QTemporaryDir from;
        QTemporaryDir to;
        const QString source = from.filePath(name);
        if (isFolder) {
            makeTree(source, to.filePath(u"elsewhere"_qs));
        } else {
            makeFile(source, "new");
        }
        makeTaken(to.path(), taken);
        const QStringList before = snapshot(source);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QString arrived;
        QVERIFY(shell.shellMove(source, to.path(), &arrived));
        QCOMPARE(arrived, expected);
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(snapshot(to.filePath(expected)), before);
        QVERIFY(!exists(source));
        checkTaken(to.path(), taken);
    }

    void move_intoItsOwnFolder_staysAndSaysSo() {
        QTemporaryDir dir;
        makeFile(dir.filePath(u"a.txt"_qs), "a");
        ScriptedPrompts prompts;
        ShellOperations shell(prompts);
        Arrival arrival;
        QVERIFY(shell.shellMove(QFile::encodeName(dir.filePath(u"a.txt"_qs)),
                                QFile::encodeName(dir.path() + u'/'), &arrival));
        QCOMPARE(arrival.name, QByteArray("a.txt"));
        QVERIFY(arrival.alreadyThere);
        QCOMPARE(entries(dir.path()), QStringList{u"a.txt"_qs});
        QCOMPARE(prompts.messages, QStringList());
    }

    // A name is bytes: two names that read alike ("caf\xe9" and "caf\xef\xbf\xbd", both
    // "caf\ufffd" as text) are two items, and each operation reaches the one it was given.
    void namesThatAreNotUtf8_reachTheirOwnItem() {
        QTemporaryDir from;
        QTemporaryDir to;
        const QByteArray folder = QFile::encodeName(from.path()) + '/';
        const QByteArray latin1 = "caf\xe9.txt";
        const QByteArray replacement = "caf\xef\xbf\xbd.txt";
        const auto write = [](const QByteArray& path, const QByteArray& data) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, data.constData(), size_t(data.size())), ssize_t(data.size()));
            ::close(fd);
        };
        const auto read = [](const QByteArray& path) {
            const int fd = ::open(path.constData(), O_RDONLY);
            char buffer[64] = {};
            const ssize_t n = fd < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
            if (fd >= 0) {
                ::close(fd);
            }
            return n < 0 ? QByteArray("<missing>") : QByteArray(buffer, n);
        };
        write(folder + latin1, "latin-1");
        write(folder + replacement, "replacement");
        ScriptedPrompts prompts;
        ShellOperations shell(prompts);
        const QByteArray target = QFile::encodeName(to.path());

        // Moving one leaves the other, and a second item of the same bytes gets "(2)".
        Arrival arrival;
        QVERIFY(shell.shellMove(folder + latin1, target, &arrival));
        QCOMPARE(arrival.name, latin1);
        QCOMPARE(read(target + '/' + latin1), QByteArray("latin-1"));
        QCOMPARE(read(folder + replacement), QByteArray("replacement"));
        write(folder + latin1, "second");
        QVERIFY(shell.shellMove(folder + latin1, target, &arrival));
        QCOMPARE(arrival.name, QByteArray("caf\xe9 (2).txt"));
        QCOMPARE(read(target + "/caf\xe9 (2).txt"), QByteArray("second"));

        // Copied back, then deleted: the other one is untouched throughout.
        QByteArray copied;
        QVERIFY(shell.shellCopy(target + '/' + latin1, folder.chopped(1), &copied));
        QCOMPARE(copied, latin1);
        QCOMPARE(read(folder + latin1), QByteArray("latin-1"));
        QVERIFY(shell.shellDelete(folder + latin1, false));
        QCOMPARE(read(folder + latin1), QByteArray("<missing>"));
        QCOMPARE(read(folder + replacement), QByteArray("replacement"));
        QCOMPARE(prompts.messages, QStringList());
    }

    // Across file systems the item is copied whole (links as links), put in place, and only
    // then removed; what arrives is identical to what left, times and permissions included.
    void move_acrossFileSystems_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file") << u"file"_qs << u"report.pdf"_qs << false << u"report.pdf"_qs;
        QTest::newRow("folder tree") << u"tree"_qs << u"Project"_qs << false << u"Project"_qs;
        QTest::newRow("link to a folder")
            << u"link"_qs << u"shortcut"_qs << false << u"shortcut"_qs;
        QTest::newRow("file, name taken")
            << u"file"_qs << u"report.pdf"_qs << true << u"report (2).pdf"_qs;
        QTest::newRow("folder tree, name taken")
            << u"tree"_qs << u"v2.0"_qs << true << u"v2.0 (2)"_qs;
    }
    void move_acrossFileSystems() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(bool, taken);
        QFETCH(QString, expected);
        const QString other = otherFileSystem();
        if (other.isEmpty()) {
            QSKIP("needs /dev/shm on a file system apart from the temporary folder");
        }
        QTemporaryDir from(other + u"/moravel-test-XXXXXX"_qs);
        QTemporaryDir to;
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(u"target"_qs);
        makeLinkTarget(target);
        const QStringList targetBefore = snapshot(target);
        const QString source = from.filePath(name);
        makeItem(kind, source, target);
        QStringList expectedEntries{expected};
        if (taken) {
            makeFile(to.filePath(name), "taken");
            expectedEntries << name;
        }
        expectedEntries.sort();
        const QStringList before = snapshot(source);

        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QString arrived;
        QVERIFY(shell.shellMove(source, to.path(), &arrived));
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(arrived, expected);
        QCOMPARE(snapshot(to.filePath(arrived)), before);
        QVERIFY(!exists(source));
        QCOMPARE(entries(to.path()), expectedEntries); // no temporary copy left behind
        QCOMPARE(snapshot(target), targetBefore);
        if (taken) {
            QCOMPARE(contents(to.filePath(name)), QByteArray("taken"));
        }
    }

    // A full disk halfway through: the source stays as it was and no partial copy is left.
    void move_acrossFileSystems_fullDisk_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << u"file"_qs;
        QTest::newRow("folder tree") << u"tree"_qs;
    }
    void move_acrossFileSystems_fullDisk() {
        QFETCH(QString, kind);
        if (::geteuid() != 0) {
            QSKIP("needs root to mount a small file system in a private mount namespace");
        }
        if (!haveTool(u"unshare"_qs) || run(u"unshare"_qs, {u"-m"_qs, u"true"_qs}).status != 0) {
            QSKIP("needs unshare -m");
        }
        QTemporaryDir from;
        QTemporaryDir mountPoint;
        QString source;
        if (kind == u"file") {
            source = from.filePath(u"disk.img"_qs);
            makeFile(source, QByteArray(2 << 20, 'd'));
        } else {
            source = from.filePath(u"Photos"_qs);
            makeFolder(source);
            for (const QString& photo : {u"1.jpg"_qs, u"2.jpg"_qs, u"3.jpg"_qs}) {
                makeFile(source + u'/' + photo, QByteArray(600 << 10, 'p'));
            }
            ageFolder(source);
        }
        const QStringList before = snapshot(source);
        // The mount lives only in the namespace of this shell; what is left on the full disk is
        // listed from inside it.
        const QString script = uR"sh(mount -t tmpfs -o size=1m none "$1" || exit 3
"$2" move "$3" "$1"; status=$?
echo "left:$(ls -A "$1")"
exit $status)sh"_qs;
        const HelperRun result =
            run(u"unshare"_qs, {u"-m"_qs, u"sh"_qs, u"-c"_qs, script, u"sh"_qs, mountPoint.path(),
                                QStringLiteral(SHELL_HELPER), source});
        if (result.status == 3) {
            QSKIP("cannot mount a tmpfs here");
        }
        QVERIFY2(result.status == 1, qPrintable(result.errors));
        QCOMPARE(result.lines.size(), 2);
        QVERIFY2(result.lines[0].startsWith(
                     shelltexts::moveFailed().arg(source, mountPoint.path(), QString()).chopped(1)),
                 qPrintable(result.lines[0]));
        QVERIFY2(result.lines[0].contains(qt_error_string(ENOSPC)), qPrintable(result.lines[0]));
        QCOMPARE(result.lines[1], u"left:"_qs);
        QCOMPARE(snapshot(source), before);
    }

    void move_vanishedSource() {
        QTemporaryDir from;
        QTemporaryDir to;
        const QString source = from.filePath(u"scanned earlier.txt"_qs);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QString arrived = u"unchanged"_qs;
        QVERIFY(!shell.shellMove(source, to.path(), &arrived));
        QCOMPARE(prompts.messages, QStringList{shelltexts::moveFailed().arg(
                                       source, to.path(), qt_error_string(ENOENT))});
        QCOMPARE(arrived, u"unchanged"_qs);
        QCOMPARE(entries(to.path()), QStringList());
    }

    // A destination that is not an existing folder is never made up: no folder is created and
    // the item never becomes a file of the folder's name.
    void badDestination_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("destination"); // relative to the destination's temp folder
        QTest::addColumn<QString>("reason");
        for (const QString& operation : {u"move"_qs, u"copy"_qs}) {
            QTest::addRow("%s a file into a missing folder", qPrintable(operation))
                << operation << false << u"Archive/2024"_qs << shelltexts::noSuchFolder();
            QTest::addRow("%s a folder into a missing folder", qPrintable(operation))
                << operation << true << u"Archive"_qs << shelltexts::noSuchFolder();
            QTest::addRow("%s a folder into a file", qPrintable(operation))
                << operation << true << u"existing.txt"_qs << shelltexts::notAFolder();
        }
        QTest::newRow("move a file into a file")
            << u"move"_qs << false << u"existing.txt"_qs << shelltexts::notAFolder();
    }
    void badDestination() {
        QFETCH(QString, operation);
        QFETCH(bool, isFolder);
        QFETCH(QString, destination);
        QFETCH(QString, reason);
        QTemporaryDir from;
        QTemporaryDir to;
        const QString source = from.filePath(u"item"_qs);
        if (isFolder) {
            makeTree(source, to.path());
        } else {
            makeFile(source, "item");
        }
        makeFile(to.filePath(u"existing.txt"_qs), "existing");
        const QStringList before = snapshot(source);
        const QString target = to.filePath(destination);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        const bool done = operation == u"move" ? shell.shellMove(source, target)
                                               : shell.shellCopy(source, target);
        QVERIFY(!done);
        const QString text =
            operation == u"move" ? shelltexts::moveFailed() : shelltexts::copyFailed();
        QCOMPARE(prompts.messages, QStringList{text.arg(source, target, reason)});
        QCOMPARE(snapshot(source), before);
        QCOMPARE(entries(to.path()), QStringList{u"existing.txt"_qs});
        QCOMPARE(contents(to.filePath(u"existing.txt"_qs)), QByteArray("existing"));
    }

    void intoItself_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("move") << u"move"_qs;
        QTest::newRow("copy") << u"copy"_qs;
    }
    void intoItself() {
        QFETCH(QString, operation);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"Work"_qs);
        makeFolder(folder);
        makeFolder(folder + u"/inner"_qs);
        makeFile(folder + u"/inner/a.txt"_qs, "a");
        const QStringList before = snapshot(folder);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        const QString target = folder + u"/inner"_qs;
        const bool done = operation == u"move" ? shell.shellMove(folder, target)
                                               : shell.shellCopy(folder, target);
        QVERIFY(!done);
        const QString text =
            operation == u"move" ? shelltexts::moveFailed() : shelltexts::copyFailed();
        QCOMPARE(prompts.messages,
                 QStringList{text.arg(folder, target, shelltexts::insideItself())});
        QCOMPARE(snapshot(folder), before);
    }

    // An entry that cannot be changed (chattr +i): the move fails before anything is copied,
    // the delete stops at it; either way the user is told which entry and why.
    void immutable_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("locked"); // relative to the item
        QTest::newRow("move across, inner file") << u"move across"_qs << u"sub/run.sh"_qs;
        QTest::newRow("move across, the item") << u"move across"_qs << QString();
        QTest::newRow("move, the item") << u"move"_qs << QString();
        QTest::newRow("delete, inner file") << u"delete"_qs << u"sub/run.sh"_qs;
    }
    void immutable() {
        QFETCH(QString, operation);
        QFETCH(QString, locked);
        if (::geteuid() != 0 || !haveTool(u"chattr"_qs)) {
            QSKIP("needs root and chattr");
        }
        const QString other = otherFileSystem();
        if (operation == u"move across" && other.isEmpty()) {
            QSKIP("needs /dev/shm on a file system apart from the temporary folder");
        }
        QTemporaryDir from;
        QTemporaryDir to(operation == u"move across" ? other + u"/moravel-test-XXXXXX"_qs
                                                     : QDir::tempPath() + u"/test-XXXXXX"_qs);
        QTemporaryDir elsewhere;
        const QString item = from.filePath(u"Project"_qs);
        makeTree(item, elsewhere.path());
        const QString lockedPath = locked.isEmpty() ? item : item + u'/' + locked;
        const QStringList before = snapshot(item);
        const Immutable guard(lockedPath);
        if (!guard.isSet()) {
            QSKIP("the temporary folder's file system does not take chattr +i");
        }
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        const bool done = operation == u"delete" ? shell.shellDelete(item, false)
                                                 : shell.shellMove(item, to.path());
        QVERIFY(!done);
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY2(prompts.messages[0].contains(u'"' + item + u'"'), qPrintable(prompts.messages[0]));
        QVERIFY2(prompts.messages[0].contains(qt_error_string(EPERM)),
                 qPrintable(prompts.messages[0]));
        QVERIFY(exists(lockedPath));
        if (operation != u"delete") {
            QCOMPARE(snapshot(item), before);
            QCOMPARE(entries(to.path()), QStringList());
        }
    }

    // Run as an unprivileged user against folders owned by root.
    void permissionDenied_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("move across, out of a folder we may not change") << u"move across"_qs;
        QTest::newRow("move, out of a folder we may not change") << u"move"_qs;
        QTest::newRow("copy, into a folder we may not change") << u"copy"_qs;
    }
    void permissionDenied() {
        QFETCH(QString, operation);
        if (::geteuid() != 0 || !haveTool(u"setpriv"_qs)) {
            QSKIP("needs root and setpriv to run as another user");
        }
        const QString other = otherFileSystem();
        if (operation == u"move across" && other.isEmpty()) {
            QSKIP("needs /dev/shm on a file system apart from the temporary folder");
        }
        QTemporaryDir from;
        QTemporaryDir to(operation == u"move across" ? other + u"/moravel-test-XXXXXX"_qs
                                                     : QDir::tempPath() + u"/test-XXXXXX"_qs);
        makeTraversable(from.path());
        makeTraversable(to.path());
        if (operation != u"copy") {
            QCOMPARE(::chmod(QFile::encodeName(to.path()).constData(), 0777), 0);
        }
        const QString source = from.filePath(u"note.txt"_qs);
        makeFile(source, "note", 0644);
        const QStringList before = snapshot(source);
        const HelperRun result =
            run(u"setpriv"_qs, {u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs,
                                QStringLiteral(SHELL_HELPER),
                                operation == u"copy" ? u"copy"_qs : u"move"_qs, source, to.path()});
        QVERIFY2(result.status == 1, qPrintable(result.errors));
        QCOMPARE(result.lines.size(), 1);
        QVERIFY2(result.lines[0].contains(u'"' + source + u'"'), qPrintable(result.lines[0]));
        QVERIFY2(result.lines[0].contains(qt_error_string(EACCES)), qPrintable(result.lines[0]));
        QCOMPARE(snapshot(source), before);
        QCOMPARE(entries(to.path()), QStringList());
    }

    // Deleting for good never follows a link: a link goes alone, and a folder that holds a link
    // to another folder goes without touching that folder.
    void deleteForGood_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << u"file"_qs;
        QTest::newRow("link to a folder") << u"link"_qs;
        QTest::newRow("folder holding a link to a folder") << u"tree"_qs;
    }
    void deleteForGood() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(u"target"_qs);
        makeLinkTarget(target);
        const QStringList targetBefore = snapshot(target);
        const QString item = dir.filePath(u"item"_qs);
        makeItem(kind, item, target);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QVERIFY(shell.shellDelete(item, false));
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(entries(dir.path()), QStringList());
        QCOMPARE(snapshot(target), targetBefore);
    }

    void deleteOrTrash_missingItem_data() {
        QTest::addColumn<bool>("recycle");
        QTest::newRow("delete") << false;
        QTest::newRow("trash") << true;
    }
    void deleteOrTrash_missingItem() {
        QFETCH(bool, recycle);
        QTemporaryDir dir;
        const QString item = dir.filePath(u"gone"_qs);
        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QVERIFY(!shell.shellDelete(item, recycle));
        const QString text = recycle ? shelltexts::trashFailed() : shelltexts::deleteFailed();
        QCOMPARE(prompts.messages, QStringList{text.arg(item, qt_error_string(ENOENT))});
    }

    // The trash is the freedesktop.org one: other tools list the item under its original path
    // and put it back intact.
    void trash_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("file with an odd name") << u"file"_qs << u"100% sure #1 \u00fc.txt"_qs;
        QTest::newRow("folder tree") << u"tree"_qs << u"Old Project"_qs;
        QTest::newRow("link to a folder") << u"link"_qs << u"shortcut"_qs;
    }
    void trash() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        if (!haveTool(u"trash-list"_qs) || !haveTool(u"trash-restore"_qs)) {
            QSKIP("needs trash-cli");
        }
        // Start without ~/.local/share, which the trash must create for itself. The test's
        // HOME is its own, inside the build folder.
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (!dataHome.startsWith(QStringLiteral(MORAVEL_BINARY_DIR) + u'/')) {
            QSKIP("needs the private HOME and XDG_DATA_HOME that the test runner sets");
        }
        QVERIFY(QDir(dataHome).removeRecursively());
        QTemporaryDir dir(QDir::homePath() + u"/trash-test-XXXXXX"_qs);
        QTemporaryDir elsewhere(QDir::homePath() + u"/target-XXXXXX"_qs);
        const QString target = elsewhere.filePath(u"target"_qs);
        makeLinkTarget(target);
        const QStringList targetBefore = snapshot(target);
        const QString item = dir.filePath(name);
        makeItem(kind, item, target);
        const QStringList before = snapshot(item);

        ScriptedPrompts prompts;
        TextShell shell(prompts);
        QVERIFY(shell.shellDelete(item, true));
        QCOMPARE(prompts.messages, QStringList());
        QVERIFY(!exists(item));
        QCOMPARE(snapshot(target), targetBefore);

        const HelperRun listed = run(u"trash-list"_qs, {});
        QVERIFY2(listed.status == 0, qPrintable(listed.errors));
        QCOMPARE(listed.lines.filter(u' ' + item).size(), 1);

        const HelperRun restored = run(u"trash-restore"_qs, {item}, "0\n");
        QVERIFY2(restored.status == 0, qPrintable(restored.errors));
        QCOMPARE(snapshot(item), before);
        QCOMPARE(snapshot(target), targetBefore);
    }
};

QTEST_GUILESS_MAIN(TestShellOperations)
#include "test_shelloperations.moc"
