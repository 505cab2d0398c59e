#include "platform/shellinfo.h"

#include <QTest>

using namespace moravel;

class TestShellInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typeAndIcon_byName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QString>("iconName");
        QTest::newRow("pdf") << QStringLiteral("report.pdf") << false
                             << QStringLiteral("PDF document") << QStringLiteral("application-pdf");
        QTest::newRow("upper-case extension")
            << QStringLiteral("SCAN.PDF") << false << QStringLiteral("PDF document")
            << QStringLiteral("application-pdf");
        QTest::newRow("last extension counts")
            << QStringLiteral("backup.tar.gz") << false << QStringLiteral("Gzip archive")
            << QStringLiteral("application-gzip");
        QTest::newRow("dots inside the name")
            << QStringLiteral("my.report.pdf") << false << QStringLiteral("PDF document")
            << QStringLiteral("application-pdf");
        QTest::newRow("backup of a text")
            << QStringLiteral("notes.txt~") << false << QStringLiteral("backup file")
            << QStringLiteral("application-x-trash");
        // Typed by the extension alone, as the shell does: a well-known name without one is of
        // the unknown type too.
        QTest::newRow("name without extension")
            << QStringLiteral("Makefile") << false << QStringLiteral("unknown")
            << QStringLiteral("application-octet-stream");
        QTest::newRow("dot file") << QStringLiteral(".profile") << false
                                  << QStringLiteral("unknown")
                                  << QStringLiteral("application-octet-stream");
        QTest::newRow("folder with extension")
            << QStringLiteral("photos.pdf") << true << QStringLiteral("folder")
            << QStringLiteral("inode-directory");
    }
    void typeAndIcon_byName() {
        QFETCH(QString, name);
        QFETCH(bool, isFolder);
        QFETCH(QString, typeName);
        QFETCH(QString, iconName);
        ShellInfo shell;
        const TypeAndIcon answer = shell.typeAndIcon(name, isFolder);
        QCOMPARE(answer.typeName, typeName);
        QCOMPARE(shell.iconName(answer.iconIndex), iconName);
    }

    void iconIndex_oneIndexPerIconName() {
        ShellInfo shell;
        const int pdf = shell.typeAndIcon(QStringLiteral("a.pdf"), false).iconIndex;
        const int folder = shell.typeAndIcon(QStringLiteral("a"), true).iconIndex;
        QVERIFY(pdf >= 0);
        QVERIFY(folder >= 0);
        QVERIFY(pdf != folder);
        QCOMPARE(shell.typeAndIcon(QStringLiteral("other.PDF"), false).iconIndex, pdf);
        QCOMPARE(shell.typeAndIcon(QStringLiteral("b"), true).iconIndex, folder);
        QCOMPARE(shell.iconName(pdf), QStringLiteral("application-pdf"));
        QVERIFY(shell.iconName(-1).isEmpty());
        QVERIFY(shell.iconName(1000).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShellInfo)
#include "test_shellinfo.moc"
