#include "platform/locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
