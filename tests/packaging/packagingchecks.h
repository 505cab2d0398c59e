#pragma once

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTest>

// What the packaging tests share: the names the desktop integration installs, and running the
// Debian and freedesktop tools that check them.
namespace packaging {

inline QString appId() {
    return QStringLiteral("org.moravel.moravel");
}

inline QList<int> iconSizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

// Every file an installation holds, relative to its prefix (/usr for the package).
inline QStringList installedFiles() {
    const QString id = appId();
    QStringList files = {
        QStringLiteral("bin/moravel"),
        QStringLiteral("bin/moravel-cli"),
        QStringLiteral("share/applications/") + id + QStringLiteral(".desktop"),
        QStringLiteral("share/metainfo/") + id + QStringLiteral(".metainfo.xml"),
        QStringLiteral("share/icons/hicolor/scalable/apps/") + id + QStringLiteral(".svg"),
        QStringLiteral("share/help/C/moravel/index.html"),
        QStringLiteral("share/help/C/moravel/getting-started.html"),
        QStringLiteral("share/help/C/moravel/moravel.css"),
        QStringLiteral("share/help/C/moravel/moravel.svg"),
        QStringLiteral("share/man/man1/moravel.1.gz"),
        QStringLiteral("share/man/man1/moravel-cli.1.gz"),
        QStringLiteral("share/doc/moravel/copyright"),
        QStringLiteral("share/doc/moravel/changelog.Debian.gz"),
        QStringLiteral("share/lintian/overrides/moravel"),
    };
    for (const int size : iconSizes()) {
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
    }
    return files;
}

// The folder of help pages where the window looks for them: a link to the desktop's help.
inline QString helpLink() {
    return QStringLiteral("share/moravel/help");
}
inline QString helpLinkTarget() {
    return QStringLiteral("../help/C/moravel");
}

struct ToolResult {
    // -1 when the tool did not start, crashed or ran out of time.
    int exitCode = -1;
    // Standard output and standard error, in that order.
    QString output;
    QString errors;
};

inline ToolResult
runTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted()) {
        result.errors = process.errorString();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.errors =
            QStringLiteral("%1 did not finish within %2 s").arg(program).arg(timeoutMs / 1000);
        return result;
    }
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errors = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    return result;
}

// The full path of a tool, or an empty text when it is not installed.
inline QString findTool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

inline QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A desktop entry's groups, each with its keys and their raw values.
using DesktopEntry = QMap<QString, QMap<QString, QString>>;

inline DesktopEntry readDesktopEntry(const QString& path) {
    DesktopEntry entry;
    QString group;
    for (const QString& line : readText(path).split(u'\n')) {
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            entry[group];
        } else if (!line.startsWith(u'#') && line.contains(u'=') && !group.isEmpty()) {
            const qsizetype equals = line.indexOf(u'=');
            entry[group][line.left(equals)] = line.mid(equals + 1);
        }
    }
    return entry;
}

} // namespace packaging

// Skips the test when a tool is missing: scripts/setup installs every one of them, so in CI
// they all run.
#define MORAVEL_REQUIRE_TOOL(variable, name, package)                                              \
    const QString variable = packaging::findTool(QStringLiteral(name));                            \
    if (variable.isEmpty()) {                                                                      \
        QSKIP(name " is not installed (Debian package " package "; scripts/setup installs it)");   \
    }
