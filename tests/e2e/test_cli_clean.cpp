#include "home.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class TestCliClean : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanThenRestore() {
        Home home;
        home.write(QStringLiteral("Desktop/report.txt"), "the report");
        home.write(QStringLiteral("Desktop/.hidden"), "h");
        QDir().mkpath(home.path(QStringLiteral("Desktop/Projects")));
        home.write(QStringLiteral("Desktop/Projects/notes.txt"), "notes");

        // Without a terminal to ask, nothing happens without --yes.
        QCOMPARE(home.run({QStringLiteral("clean")}), 1);
        QCOMPARE(home.out, QStringLiteral("3 items will be archived\n"));
        QVERIFY2(home.err.startsWith(QStringLiteral("Proceed? [y/N] ")), qPrintable(home.err));
        QCOMPARE(home.entries(QStringLiteral("Desktop")).size(), 3);

        QCOMPARE(home.run({QStringLiteral("clean"), QStringLiteral("--yes")}), 0);
        QCOMPARE(home.out, QStringLiteral("3 items will be archived\n"));
        QCOMPARE(home.err, QStringLiteral("Cleaning finished\n"));
        QCOMPARE(home.entries(QStringLiteral("Desktop")), QStringList());
        const QString archive = QStringLiteral("Documents/My Desktop Files");
        const QStringList days = home.entries(archive);
        QCOMPARE(days.size(), 1);
        const QString day = archive + u'/' + days.first();
        QCOMPARE(home.entries(day),
                 QStringList({QStringLiteral(".hidden"), QStringLiteral("Projects"),
                              QStringLiteral("report.txt")}));

        QCOMPARE(home.run({QStringLiteral("log"), QStringLiteral("--json"),
                           QStringLiteral("--mask"), QStringLiteral("report")}),
                 0);
        const QJsonArray records = QJsonDocument::fromJson(home.out.toUtf8()).array();
        QCOMPARE(records.size(), 1);
        const QString index =
            QString::number(records.at(0).toObject().value(QStringLiteral("index")).toInt());

        QCOMPARE(home.run({QStringLiteral("restore"), index}), 0);
        QCOMPARE(home.err, QString());
        QCOMPARE(home.read(QStringLiteral("Desktop/report.txt")), QByteArray("the report"));
        QCOMPARE(home.read(day + QStringLiteral("/report.txt")), QByteArray("the report"));

        // The restored item is planned again; a second clean of the day reuses the folder.
        QCOMPARE(home.run({QStringLiteral("clean"), QStringLiteral("--yes")}), 0);
        QCOMPARE(home.entries(archive), days);
        QCOMPARE(home.entries(day).size(), 4);
        QCOMPARE(home.run({QStringLiteral("log"), QStringLiteral("--json"), QStringLiteral("--all"),
                           QStringLiteral("--mask"), QStringLiteral("*")}),
                 0);
        QCOMPARE(QJsonDocument::fromJson(home.out.toUtf8()).array().size(), 4);
    }

    void emptyDesktop_refused() {
        Home home;
        QCOMPARE(home.run({QStringLiteral("clean"), QStringLiteral("--yes")}), 1);
        QCOMPARE(home.out, QString());
        QCOMPARE(home.err, QStringLiteral("There is nothing to clean.\n"));
    }

    void restoreOfAnUnknownRecord_refused() {
        Home home;
        QCOMPARE(home.run({QStringLiteral("restore"), QStringLiteral("0")}), 1);
        QCOMPARE(home.err, QStringLiteral("There is no log record 0: the log is empty.\n"));
        QCOMPARE(home.run({QStringLiteral("restore")}), 2);
        QVERIFY(home.err.contains(QStringLiteral("Usage: moravel-cli restore INDEX...")));
    }
};

QTEST_GUILESS_MAIN(TestCliClean)
#include "test_cli_clean.moc"
