#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

// A home folder of its own with the usual XDG folders, in which the end-to-end tests run
// moravel-cli as a person runs it.
class Home {
public:
    explicit Home(const QByteArray& desktopLine = "XDG_DESKTOP_DIR=\"$HOME/Desktop\"") {
        mkdir(QStringLiteral(".config"));
        mkdir(QStringLiteral("Desktop"));
        mkdir(QStringLiteral("Documents"));
        write(QStringLiteral(".config/user-dirs.dirs"),
              desktopLine + "\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    }

    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    void mkdir(const QString& relative) const { QDir().mkpath(path(relative)); }
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

    // Runs moravel-cli without a terminal (a question is answered No rather than waited on);
    // gives its exit status, standard output in `out`, standard error in `err`.
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
