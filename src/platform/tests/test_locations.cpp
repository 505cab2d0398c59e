#include "platform/locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;

// The desktop comes from xdg-user-dirs' file in $XDG_CONFIG_HOME, which the test writes; the
// test's HOME and XDG folders are its own.
class TestLocations : public QObject {
    Q_OBJECT

private:
    static void writeUserDirs(const QByteArray& desktopLine) {
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(!config.isEmpty());
        QDir().mkpath(config);
        QFile file(config + QStringLiteral("/user-dirs.dirs"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("# written by the test\n" + desktopLine + "\n");
    }

private Q_SLOTS:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("Moravel"));
        QCoreApplication::setOrganizationName(QString());
    }
    void cleanup() {
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/user-dirs.dirs"));
    }

    void desktopFolder_data() {
        QTest::addColumn<QByteArray>("userDirsLine");
        QTest::addColumn<QString>("expected"); // relative to HOME; "-" for a failed lookup
        QTest::newRow("default") << QByteArray() << QStringLiteral("Desktop");
        QTest::newRow("xdg-user-dirs") << QByteArray("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"")
                                       << QStringLiteral("Schreibtisch");
        QTest::newRow("trailing slash")
            << QByteArray("XDG_DESKTOP_DIR=\"$HOME/Tidy/\"") << QStringLiteral("Tidy");
        QTest::newRow("home means none")
            << QByteArray("XDG_DESKTOP_DIR=\"$HOME/\"") << QStringLiteral("-");
        QTest::newRow("home without slash")
            << QByteArray("XDG_DESKTOP_DIR=\"$HOME\"") << QStringLiteral("-");
        QTest::newRow("relative") << QByteArray("XDG_DESKTOP_DIR=\"Desktop\"")
                                  << QStringLiteral("-");
    }
    void desktopFolder() {
        QFETCH(QByteArray, userDirsLine);
        QFETCH(QString, expected);
        if (!userDirsLine.isEmpty()) {
            writeUserDirs(userDirsLine);
        }
        const XdgLocations locations;
        const QString home = QDir::homePath();
        QCOMPARE(locations.desktopFolder(false),
                 expected == QLatin1String("-") ? QString() : home + u'/' + expected);
        // Linux has no desktop shared by all users.
        QVERIFY(locations.desktopFolder(true).isEmpty());
    }

    // The guarded lookup resolves the desktop, links included, before it trusts it: a desktop
    // that is really the home folder, a folder above it or one holding the data folder is no
    // desktop at all. The same holds for the shared desktop.
    void guardedDesktop_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("usable");
        QTest::newRow("a folder of its own") << QStringLiteral("folder") << true;
        QTest::newRow("a link to a folder of its own") << QStringLiteral("link to folder") << true;
        QTest::newRow("a link to home") << QStringLiteral("link to home") << false;
        QTest::newRow("home with a trailing dot") << QStringLiteral("home dot") << false;
        QTest::newRow("a link to the root") << QStringLiteral("link to root") << false;
        QTest::newRow("a link to a parent of home") << QStringLiteral("link to parent") << false;
        QTest::newRow("a link to the data folder's parent")
            << QStringLiteral("link to data parent") << false;
        QTest::newRow("the data folder itself") << QStringLiteral("data") << false;
        QTest::newRow("missing") << QStringLiteral("missing") << false;
        QTest::newRow("a file") << QStringLiteral("file") << false;
    }
    void guardedDesktop() {
        QFETCH(QString, kind);
        QFETCH(bool, usable);
        QTemporaryDir root;
        const QString home = QDir::homePath();
        FixedLocations locations;
        locations.data = home + QStringLiteral("/.local/share/Moravel");
        QVERIFY(QDir().mkpath(locations.data));
        const QString own = root.filePath(QStringLiteral("Desktop"));
        QVERIFY(QDir().mkpath(own));
        const QString link = root.filePath(QStringLiteral("link"));
        QString desktop = link;
        if (kind == QStringLiteral("folder")) {
            desktop = own;
        } else if (kind == QStringLiteral("link to folder")) {
            QVERIFY(QFile::link(own, link));
        } else if (kind == QStringLiteral("link to home")) {
            QVERIFY(QFile::link(home, link));
        } else if (kind == QStringLiteral("home dot")) {
            desktop = home + QStringLiteral("/.");
        } else if (kind == QStringLiteral("link to root")) {
            QVERIFY(QFile::link(QStringLiteral("/"), link));
        } else if (kind == QStringLiteral("link to parent")) {
            QVERIFY(QFile::link(QFileInfo(home).path(), link));
        } else if (kind == QStringLiteral("link to data parent")) {
            QVERIFY(QFile::link(QFileInfo(locations.data).path(), link));
        } else if (kind == QStringLiteral("data")) {
            desktop = locations.data;
        } else if (kind == QStringLiteral("missing")) {
            desktop = root.filePath(QStringLiteral("gone"));
        } else {
            desktop = root.filePath(QStringLiteral("file"));
            QFile file(desktop);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        locations.userDesktop = desktop;
        locations.commonDesktop = desktop;
        const QString expected = usable ? QFileInfo(own).canonicalFilePath() : QString();
        QCOMPARE(moravel::desktopFolder(locations, false), expected);
        QCOMPARE(moravel::desktopFolder(locations, true), expected);
    }

    void dataFolder_isMoravelInXdgDataHome() {
        const XdgLocations locations;
        QCOMPARE(locations.dataFolder(),
                 qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Moravel"));
        QCOMPARE(locations.startupFolder(),
                 qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart"));
    }
};

QTEST_GUILESS_MAIN(TestLocations)
#include "test_locations.moc"
