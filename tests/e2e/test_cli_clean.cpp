#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

// moravel-cli clean and restore as a person runs them, in a home folder of its own.
class Home {
public:
    Home() {
        for (const char* folder : {".config", "Desktop", "Documents"}) {
            QDir().mkpath(path(QString::fromLatin1(folder)));
        }
        write(QStringLiteral(".config/user-dirs.dirs"),
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    }

    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    void write(const QString& relative, const QByteArray& content) const {
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }
    QByteArray read(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList entries(const QString& relative) const {
        return QDir(path(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    // Runs moravel-cli without a terminal; gives its exit status, standard output in `out`,
    // standard error in `err`.
    int run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral(".config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral(".local/share")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral(".cache")));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(MORAVEL_CLI), arguments);
        if (!process.waitForFinished(120000)) {
            process.kill();
            return -1;
        }
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir dir;
    QString out;
    QString err;
};

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
