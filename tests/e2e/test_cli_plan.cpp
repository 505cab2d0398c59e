#include "home.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class TestCliPlan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstRun_setsUpAndShowsTheDesktop() {
        Home home;
        home.write(QStringLiteral("Desktop/report.pdf"), "%PDF-1.4");
        home.write(QStringLiteral("Desktop/.hidden"), "h");
        home.mkdir(QStringLiteral("Desktop/Projects"));

        QCOMPARE(home.run({QStringLiteral("plan")}), 0);

        const QString data = home.path(QStringLiteral(".local/share/Moravel"));
        QVERIFY(QFile::exists(data + QStringLiteral("/cfg.mvk")));
        QVERIFY(QFile::exists(data + QStringLiteral("/MVL.log")));
        QVERIFY(QFileInfo(home.path(QStringLiteral("Documents/My Desktop Files"))).isDir());
        for (const char* name : {"report.pdf", ".hidden", "Projects"}) {
            QVERIFY2(home.out.contains(QLatin1String(name)), qPrintable(home.out));
        }
        QVERIFY(home.out.contains(QStringLiteral("Archive: 3\n")));
        QCOMPARE(home.err, QString());
        // A plan only reads: the desktop is as it was.
        QCOMPARE(QDir(home.path(QStringLiteral("Desktop")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                     .size(),
                 3);

        // The second run reads what the first one wrote.
        QCOMPARE(home.run({QStringLiteral("plan"), QStringLiteral("--json")}), 0);
        const QJsonArray items = QJsonDocument::fromJson(home.out.toUtf8()).array();
        QCOMPARE(items.size(), 3);
        for (const QJsonValue& item : items) {
            QCOMPARE(item.toObject().value(QStringLiteral("sourceFolder")).toString(),
                     home.path(QStringLiteral("Desktop")));
        }

        QCOMPARE(home.run({QStringLiteral("log")}), 0);
        QCOMPARE(home.out, QStringLiteral("Name  Action  Cleaning date  Destination\n"));
    }

    void desktopIsTheHomeFolder_nothingIsListed() {
        // xdg-user-dirs' way of saying "no desktop": the home folder must never be tidied.
        Home home("XDG_DESKTOP_DIR=\"$HOME/\"");
        home.write(QStringLiteral("precious.txt"), "p");

        QCOMPARE(home.run({QStringLiteral("plan"), QStringLiteral("--json")}), 0);

        QCOMPARE(QJsonDocument::fromJson(home.out.toUtf8()).array().size(), 0);
    }

    void wrongUsage_exitStatus2() {
        Home home;
        QCOMPARE(home.run({QStringLiteral("plan"), QStringLiteral("--frobnicate")}), 2);
        QVERIFY(home.err.contains(QStringLiteral("Usage: moravel-cli plan")));
        QVERIFY(!QFile::exists(home.path(QStringLiteral(".local/share/Moravel"))));
        QCOMPARE(home.run({QStringLiteral("--help")}), 0);
        QVERIFY(home.out.contains(QStringLiteral("plan [--json]")));
    }
};

QTEST_GUILESS_MAIN(TestCliPlan)
#include "test_cli_plan.moc"
