#include "platform/shelloperations.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;
using moravel::testing::ScriptedPrompts;

namespace {

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
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()),
             0);
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

[[maybe_unused]] bool exists(const QString& path) {
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
        QString line = QStringLiteral("%1 %2 %3 %4.%5 ")
                           .arg(relative)
                           .arg(status.st_mode & S_IFMT, 0, 8)
                           .arg(status.st_mode & 07777, 0, 8)
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

} // namespace

class TestShellOperations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freeNameIn_data() {
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << QStringList{} << u"a.txt"_qs << false << u"a.txt"_qs;
        QTest::newRow("file") << QStringList{u"a.txt"_qs} << u"a.txt"_qs << false
                              << u"a (2).txt"_qs;
        QTest::newRow("third") << QStringList{u"a.txt"_qs, u"a (2).txt"_qs} << u"a.txt"_qs << false
                               << u"a (3).txt"_qs;
        QTest::newRow("last dot") << QStringList{u"a.tar.gz"_qs} << u"a.tar.gz"_qs << false
                                  << u"a.tar (2).gz"_qs;
        QTest::newRow("no extension")
            << QStringList{u"README"_qs} << u"README"_qs << false << u"README (2)"_qs;
        QTest::newRow("dotfile") << QStringList{u".profile"_qs} << u".profile"_qs << false
                                 << u".profile (2)"_qs;
        QTest::newRow("dotfile with extension")
            << QStringList{u".config.bak"_qs} << u".config.bak"_qs << false
            << u".config (2).bak"_qs;
        QTest::newRow("folder with a dot")
            << QStringList{u"photos.2010"_qs} << u"photos.2010"_qs << true << u"photos.2010 (2)"_qs;
        QTest::newRow("already (2)")
            << QStringList{u"b (2).txt"_qs} << u"b (2).txt"_qs << false << u"b (2) (2).txt"_qs;
        QTest::newRow("dangling link takes its name")
            << QStringList{u"@gone"_qs} << u"gone"_qs << false << u"gone (2)"_qs;
    }
    void freeNameIn() {
        QFETCH(QStringList, taken);
        QFETCH(QString, name);
        QFETCH(bool, isFolder);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& entry : taken) {
            if (entry.startsWith(u'@')) {
                makeLink(dir.filePath(entry.mid(1)), dir.filePath(u"nowhere"_qs));
            } else {
                makeFile(dir.filePath(entry), "x");
            }
        }
        QCOMPARE(moravel::freeNameIn(dir.path(), name, isFolder), expected);
    }

    void copy_singleFileUnderNewName() {
        QTemporaryDir dir;
        makeFile(dir.filePath(u"cfg.xml"_qs), "<HTML/>", 0600);
        ScriptedPrompts prompts;
        ShellOperations shell(prompts);
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

    // Nothing is ever overwritten: a name taken in the folder gives the copy a new one.
    void copy_intoFolder_data() {
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
    }
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
        for (const QString& entry : taken) {
            makeFile(to.filePath(entry), "old " + entry.toUtf8());
        }
        const QStringList before = snapshot(source);
        ScriptedPrompts prompts;
        ShellOperations shell(prompts);
        QString arrived;
        QVERIFY(shell.shellCopy(source, to.path(), &arrived));
        QCOMPARE(arrived, expected);
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(snapshot(to.filePath(expected)), before);
        QCOMPARE(snapshot(source), before);
        for (const QString& entry : taken) {
            QCOMPARE(contents(to.filePath(entry)), "old " + entry.toUtf8());
        }
        QCOMPARE(entries(to.path()).size(), taken.size() + 1);
    }
};

QTEST_GUILESS_MAIN(TestShellOperations)
#include "test_shelloperations.moc"
