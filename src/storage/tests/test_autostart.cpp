#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/appid.h"
#include "platform/autostart.h"
#include "platform/locations.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;

namespace {

QString readEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

// The raw value of `key` in the [Desktop Entry] group, or a null text.
QString rawValue(const QString& entry, const QString& key) {
    for (const QString& line : entry.split(u'\n')) {
        if (line.startsWith(key + u'=')) {
            return line.mid(key.size() + 1);
        }
    }
    return {};
}

// Reads an Exec value back the way a desktop session does: first the escapes of a string value
// (\s \n \t \r \\), then the splitting into arguments with double quotes, inside which a
// backslash takes the next character literally, and last the field code "%%" as "%".
// Returns an empty list for a value the rules do not allow.
QStringList parseExec(const QString& value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            unescaped += value[i];
            continue;
        }
        if (++i == value.size()) {
            return {};
        }
        switch (value[i].unicode()) {
        case u's':
            unescaped += u' ';
            break;
        case u'n':
            unescaped += u'\n';
            break;
        case u't':
            unescaped += u'\t';
            break;
        case u'r':
            unescaped += u'\r';
            break;
        case u'\\':
            unescaped += u'\\';
            break;
        default:
            return {};
        }
    }

    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QStringList arguments;
    qsizetype i = 0;
    while (i < unescaped.size()) {
        if (unescaped[i] == u' ') {
            ++i;
            continue;
        }
        QString argument;
        if (unescaped[i] == u'"') {
            ++i;
            for (;;) {
                if (i == unescaped.size()) {
                    return {}; // unterminated quote
                }
                const QChar c = unescaped[i++];
                if (c == u'"') {
                    break;
                }
                if (c == u'\\') {
                    if (i == unescaped.size()) {
                        return {};
                    }
                    const QChar next = unescaped[i++];
                    if (!QStringLiteral("\"`$\\").contains(next)) {
                        return {};
                    }
                    argument += next;
                    continue;
                }
                if (c == u'"' || c == u'`' || c == u'$') {
                    return {}; // must have been escaped
                }
                argument += c;
            }
            if (i < unescaped.size() && unescaped[i] != u' ') {
                return {};
            }
        } else {
            while (i < unescaped.size() && unescaped[i] != u' ') {
                if (reserved.contains(unescaped[i])) {
                    return {}; // a reserved character outside quotes
                }
                argument += unescaped[i++];
            }
        }
        // Field codes: only "%%" may appear in what we write.
        QString expanded;
        for (qsizetype k = 0; k < argument.size(); ++k) {
            if (argument[k] == u'%') {
                if (k + 1 == argument.size() || argument[k + 1] != u'%') {
                    return {};
                }
                ++k;
            }
            expanded += argument[k];
        }
        arguments << expanded;
    }
    return arguments;
}

} // namespace

class AutostartTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void settingOn_writesValidEntryThatRunsProgramHidden_data();
    void settingOn_writesValidEntryThatRunsProgramHidden();
    void entry_waitsForTheTrayAndShowsTheApplicationIcon();
    void writingTwice_leavesOneEntryForTheLatestProgram();
    void missingAutostartFolder_isCreated();
    void settingOff_removesEntry_andMissingEntryIsNoError();
    void noAutostartFolder_onFailsWithMessage_offDoesNothing();
    void unusableProgramPath_writesNothing();
    void folderCannotBeMade_reportsIt();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FixedLocations m_locations;
    FixedClock m_clock;
    QString entryPath() const { return m_locations.startup + QStringLiteral("/Moravel.desktop"); }
};

void AutostartTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_locations = FixedLocations();
    m_locations.startup = m_dir->filePath(QStringLiteral("config/autostart"));
}

void AutostartTest::cleanup() {
    m_dir.reset();
}

void AutostartTest::settingOn_writesValidEntryThatRunsProgramHidden_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("plain") << QStringLiteral("/usr/bin/moravel");
    QTest::newRow("blanks") << QStringLiteral("/opt/My Programs/Moravel 3/moravel");
    QTest::newRow("quotes and shell characters")
        << QStringLiteral("/opt/it's \"here\"/a$b`c\\d;e&f|g(h)*?#~<>/moravel");
    QTest::newRow("percent sign") << QStringLiteral("/opt/100% tidy/moravel");
    QTest::newRow("tab and line break") << QStringLiteral("/opt/odd\tname\nhere/moravel");
    QTest::newRow("non-ASCII") << QStringLiteral("/home/zoë/Programme/Übersicht/moravel");
    QTest::newRow("equals sign") << QStringLiteral("/opt/a=b/moravel");
}

void AutostartTest::settingOn_writesValidEntryThatRunsProgramHidden() {
    QFETCH(QString, program);
    global state(m_locations, m_clock);
    state.iniciarConWindows = true;
    errorControl error;
    QVERIFY2(state.applyStartWithWindows(program, error), qPrintable(error.message));

    const QString entry = readEntry(entryPath());
    QVERIFY(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    QCOMPARE(rawValue(entry, QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(rawValue(entry, QStringLiteral("Name")), QStringLiteral("Moravel"));
    QVERIFY(!rawValue(entry, QStringLiteral("Icon")).isEmpty());
    QVERIFY(!rawValue(entry, QStringLiteral("Comment")).isEmpty());
    // The working folder of the old shortcut has no meaning for an autostart entry.
    QVERIFY(rawValue(entry, QStringLiteral("Path")).isNull());
    QCOMPARE(parseExec(rawValue(entry, QStringLiteral("Exec"))),
             QStringList({program, QStringLiteral("MIN")}));

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
    }
    QProcess validate;
    validate.start(validator, {entryPath()});
    QVERIFY(validate.waitForFinished());
    const QByteArray output = validate.readAllStandardOutput() + validate.readAllStandardError();
    QVERIFY2(validate.exitCode() == 0 && output.trimmed().isEmpty(), output.constData());
}

void AutostartTest::entry_waitsForTheTrayAndShowsTheApplicationIcon() {
    errorControl error;
    QVERIFY2(createStartupShortcut(m_locations, QStringLiteral("/usr/bin/moravel"), error),
             qPrintable(error.message));
    const QString entry = readEntry(entryPath());
    // The launcher, the dock and the entry show one icon: the application's own.
    QCOMPARE(rawValue(entry, QStringLiteral("Icon")), QString::fromUtf16(applicationId));
    // A tray program started before the panel finds no tray and never looks again.
    QCOMPARE(rawValue(entry, QStringLiteral("X-GNOME-Autostart-enabled")), QStringLiteral("true"));
    QCOMPARE(rawValue(entry, QStringLiteral("X-KDE-autostart-after")), QStringLiteral("panel"));
    QCOMPARE(rawValue(entry, QStringLiteral("X-LXQt-Need-Tray")), QStringLiteral("true"));
    bool isNumber = false;
    const int delay = rawValue(entry, QStringLiteral("X-GNOME-Autostart-Delay")).toInt(&isNumber);
    QVERIFY(isNumber);
    // Long enough for the shell's tray, short enough that the user does not wait for it.
    QVERIFY2(delay >= 1 && delay <= 10, qPrintable(QString::number(delay)));
}

void AutostartTest::writingTwice_leavesOneEntryForTheLatestProgram() {
    global state(m_locations, m_clock);
    state.iniciarConWindows = true;
    errorControl error;
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/old place/moravel"), error));
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/new place/moravel"), error));

    QCOMPARE(QDir(m_locations.startup).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("Moravel.desktop")});
    const QString entry = readEntry(entryPath());
    QCOMPARE(parseExec(rawValue(entry, QStringLiteral("Exec"))),
             QStringList({QStringLiteral("/new place/moravel"), QStringLiteral("MIN")}));
    QCOMPARE(entry.count(QStringLiteral("[Desktop Entry]")), 1);
    QCOMPARE(entry.count(QStringLiteral("\nExec=")), 1);
}

void AutostartTest::missingAutostartFolder_isCreated() {
    QVERIFY(!QDir(m_locations.startup).exists());
    errorControl error;
    QVERIFY(createStartupShortcut(m_locations, QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(QFile::exists(entryPath()));
}

void AutostartTest::settingOff_removesEntry_andMissingEntryIsNoError() {
    global state(m_locations, m_clock);
    errorControl error;
    state.iniciarConWindows = true;
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(QFile::exists(entryPath()));

    state.iniciarConWindows = false;
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(!QFile::exists(entryPath()));
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(error.message.isEmpty());

    // Not even the folder needs to exist.
    QVERIFY(QDir(m_locations.startup).removeRecursively());
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(error.message.isEmpty());
}

void AutostartTest::noAutostartFolder_onFailsWithMessage_offDoesNothing() {
    m_locations.startup.clear();
    global state(m_locations, m_clock);
    errorControl error;
    state.iniciarConWindows = true;
    QVERIFY(!state.applyStartWithWindows(QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(!error.message.isEmpty());

    errorControl offError;
    state.iniciarConWindows = false;
    QVERIFY(state.applyStartWithWindows(QStringLiteral("/usr/bin/moravel"), offError));
    QVERIFY(offError.message.isEmpty());
}

void AutostartTest::unusableProgramPath_writesNothing() {
    const QStringList programs = {QStringLiteral("moravel"), QStringLiteral("bin/moravel"),
                                  QStringLiteral("/opt/bell\a/moravel"), QString()};
    for (const QString& program : programs) {
        errorControl error;
        QVERIFY(!createStartupShortcut(m_locations, program, error));
        QVERIFY2(error.message.contains(program), qPrintable(error.message));
        QVERIFY(!QFile::exists(entryPath()));
    }
}

void AutostartTest::folderCannotBeMade_reportsIt() {
    // A plain file where the config folder should be.
    QFile blocker(m_dir->filePath(QStringLiteral("config")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    errorControl error;
    QVERIFY(!createStartupShortcut(m_locations, QStringLiteral("/usr/bin/moravel"), error));
    QVERIFY(error.message.contains(m_locations.startup));
}

QTEST_GUILESS_MAIN(AutostartTest)
#include "test_autostart.moc"
