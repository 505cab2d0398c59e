#include "engine/errorcontrol.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

using namespace moravel;

class DataLocationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createFolder_existingFolder_isLeftUntouched();
    void createFolder_makesOneLevel();
    void createFolder_fails_data();
    void createFolder_fails();
    void createFolder_neverWorksInTheWorkingDirectory_data();
    void createFolder_neverWorksInTheWorkingDirectory();
};

void DataLocationsTest::createFolder_existingFolder_isLeftUntouched() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Archive"));
    QVERIFY(QDir().mkdir(folder));
    QFile inside(folder + QStringLiteral("/kept.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("kept");
    inside.close();

    errorControl error;
    error.message = QStringLiteral("earlier");
    QVERIFY(createFolder(folder, error));
    QCOMPARE(error.message, QStringLiteral("earlier"));
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("kept.txt")});
}

void DataLocationsTest::createFolder_makesOneLevel() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("My Desktop Files"));
    errorControl error;
    QVERIFY(createFolder(folder, error));
    QVERIFY(QFileInfo(folder).isDir());
}

void DataLocationsTest::createFolder_fails_data() {
    QTest::addColumn<QString>("relative"); // inside a fresh temporary folder
    QTest::addColumn<int>("code");
    QTest::newRow("parent missing") << QStringLiteral("missing/child") << ENOENT;
    QTest::newRow("a file is in the way") << QStringLiteral("file") << EEXIST;
    QTest::newRow("parent is a file") << QStringLiteral("file/child") << ENOTDIR;
}

void DataLocationsTest::createFolder_fails() {
    QFETCH(QString, relative);
    QFETCH(int, code);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    errorControl error;
    QVERIFY(!createFolder(dir.filePath(relative), error));
    // The code, then the folder and the system's words for it.
    QCOMPARE(error.message, QStringLiteral("Fallo creación directorio%1 (\"%2\": %3)")
                                .arg(QString::number(code), dir.filePath(relative),
                                     QString::fromLocal8Bit(std::strerror(code))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

void DataLocationsTest::createFolder_neverWorksInTheWorkingDirectory_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("failed lookup") << QString();
    QTest::newRow("relative") << QStringLiteral("My Desktop Files");
    QTest::newRow("relative with dot") << QStringLiteral("./Moravel");
}

void DataLocationsTest::createFolder_neverWorksInTheWorkingDirectory() {
    QFETCH(QString, path);
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    errorControl error;
    const bool created = createFolder(path, error);
    const QStringList left = QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    QDir::setCurrent(previous);

    QVERIFY(!created);
    QCOMPARE(error.message,
             QStringLiteral("Fallo creación directorio") + QString::number(ENOENT) +
                 (path.isEmpty() ? QStringLiteral(" (no folder is set)")
                                 : QStringLiteral(" (\"%1\" is not a full path)").arg(path)));
    QVERIFY(left.isEmpty());
}

QTEST_GUILESS_MAIN(DataLocationsTest)
#include "test_datalocations.moc"
