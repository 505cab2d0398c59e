#include "platform/autostart.h"

#include "engine/errorcontrol.h"
#include "platform/appid.h"
#include "platform/locations.h"
#include "platform/servicetexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace moravel {

namespace {

// Characters that force an argument into double quotes.
bool isReserved(QChar c) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

// Control characters other than the three that a string value can escape have no way into an
// entry.
bool isUnrepresentable(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7f;
}

QString quoteArgument(const QString& argument) {
    QString quoted;
    const bool needsQuotes =
        argument.isEmpty() || std::any_of(argument.begin(), argument.end(), isReserved);
    if (needsQuotes) {
        quoted += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
                quoted += u'\\';
            }
            quoted += c;
        }
        quoted += u'"';
    } else {
        quoted = argument;
    }
    // A lone percent sign would start a field code.
    quoted.replace(u'%', QStringLiteral("%%"));
    return quoted;
}

// The general escapes of a string value, applied on top of the quoting.
QString escapeValue(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

bool writeAll(QSaveFile& file, const QByteArray& data) {
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = file.write(data.constData() + written, data.size() - written);
        if (n <= 0) {
            return false;
        }
        written += n;
    }
    // QSaveFile buffers: the short write of a full disk may only show at flush time.
    return file.flush() && file.error() == QFileDevice::NoError;
}

} // namespace

QString desktopEntryExec(const QString& program, const QStringList& arguments) {
    QStringList parts;
    parts.reserve(arguments.size() + 1);
    for (const QString& part : QStringList{program} + arguments) {
        if (std::any_of(part.begin(), part.end(), isUnrepresentable)) {
            return {};
        }
        parts << quoteArgument(part);
    }
    return escapeValue(parts.join(u' '));
}

QString startupEntryPath(const Locations& locations) {
    const QString folder = locations.startupFolder();
    if (folder.isEmpty()) {
        return {};
    }
    return QDir(folder).filePath(QString::fromUtf16(startupEntryName));
}

bool createStartupShortcut(const Locations& locations, const QString& target, errorControl& error) {
    const QString path = startupEntryPath(locations);
    if (path.isEmpty()) {
        error.message = texts::noAutostartFolder();
        return false;
    }
    return createShellLink(target, {QString::fromUtf16(startHiddenArgument)}, path, error);
}

bool removeStartupShortcut(const Locations& locations, errorControl& error) {
    const QString path = startupEntryPath(locations);
    if (path.isEmpty()) {
        // Without an autostart folder there is no entry either.
        return true;
    }
    QFile entry(path);
    if (!entry.exists() && !QFileInfo(path).isSymLink()) {
        return true;
    }
    if (!entry.remove()) {
        error.message = texts::autostartNotRemoved(path, entry.errorString());
        return false;
    }
    return true;
}

bool createShellLink(const QString& target, const QStringList& arguments, const QString& linkPath,
                     errorControl& error) {
    const QString exec =
        QDir::isAbsolutePath(target) ? desktopEntryExec(target, arguments) : QString();
    if (exec.isEmpty()) {
        error.message = texts::programPathUnusable(target);
        return false;
    }
    const QString folder = QFileInfo(linkPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        error.message = texts::autostartFolderNotCreated(folder);
        return false;
    }

    // Moravel lives in the tray, and Qt looks for a tray only once, when the program starts:
    // the entry asks each session to start it after the panel (KDE, LXQt) or a little after
    // login (GNOME, whose extensions bring the tray a moment after the session starts).
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Moravel\n"
                       "Comment=%1\n"
                       "Exec=%2\n"
                       "Icon=%3\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n"
                       "X-GNOME-Autostart-Delay=5\n"
                       "X-KDE-autostart-after=panel\n"
                       "X-LXQt-Need-Tray=true\n")
            .arg(escapeValue(texts::autostartComment()), exec, QString::fromUtf16(applicationId));

    QSaveFile file(linkPath);
    if (!file.open(QIODevice::WriteOnly)) {
        error.message = texts::autostartNotWritten(linkPath, file.errorString());
        return false;
    }
    if (!writeAll(file, entry.toUtf8())) {
        error.message = texts::autostartNotWritten(linkPath, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error.message = texts::autostartNotWritten(linkPath, file.errorString());
        return false;
    }
    return true;
}

} // namespace moravel
