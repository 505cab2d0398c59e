#include "packagingchecks.h"

#include <QDomDocument>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <memory>

using namespace packaging;

namespace {

QString sourcePath(const QString& relative) {
    return QStringLiteral(MORAVEL_SOURCE_DIR "/") + relative;
}

// A program the test started, ended when the test is over, however it ends.
struct RunningProgram {
    QProcess process;
    ~RunningProgram() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

// A home folder with a desktop and a documents folder, as a person has it.
struct Home {
    QTemporaryDir dir;
    Home() {
        for (const char* folder : {".config", "Desktop", "Documents", "runtime"}) {
            QDir().mkpath(path(QString::fromLatin1(folder)));
        }
        QFile(path(QStringLiteral("runtime")))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
        write(QStringLiteral(".config/user-dirs.dirs"),
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }
    void write(const QString& relative, const QByteArray& content) const {
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(content);
        }
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral(".config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral(".local/share")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral(".cache")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        return environment;
    }
};

// The fields of a package's control file; a field of several lines keeps its line breaks.
QMap<QString, QString> controlFields(const QString& control) {
    QMap<QString, QString> fields;
    QString field;
    for (const QString& line : control.split(u'\n')) {
        if (line.startsWith(u' ') && !field.isEmpty()) {
            fields[field] += u'\n' + line.mid(1);
        } else if (line.contains(u':')) {
            field = line.section(u':', 0, 0);
            fields[field] = line.section(u':', 1).trimmed();
        }
    }
    return fields;
}

} // namespace

class PackageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lintian_reportsNothingButTheFirstUpload();
    void control_describesThePackageAndItsDependencies();
    void contents_listEveryInstalledFileAndNothingElse();
    void unpackedTree_passesTheDesktopValidators();
    void icons_haveTheSizeTheirFolderSays();
    void cli_runsFromTheUnpackedTree();
    void window_findsItsHelpAndIconInTheUnpackedTree();

private:
    QTemporaryDir m_dir;
    QString m_deb;
    QString m_root;
    QString m_usr;
};

void PackageTest::initTestCase() {
    MORAVEL_REQUIRE_TOOL(dpkgDeb, "dpkg-deb", "dpkg");
    QVERIFY(m_dir.isValid());
    const QString output = m_dir.filePath(QStringLiteral("out"));
    // A release build of its own: several minutes on a fresh tree, seconds after that.
    const ToolResult package = runTool(sourcePath(QStringLiteral("scripts/package")),
                                       {QStringLiteral("--output"), output}, 25 * 60 * 1000);
    QVERIFY2(package.exitCode == 0,
             qPrintable(package.output.right(4000) + package.errors.right(4000)));
    const QStringList debs = QDir(output).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = QDir(output).filePath(debs.first());
    QVERIFY2(package.output.trimmed().endsWith(m_deb), qPrintable(package.output.right(500)));

    m_root = m_dir.filePath(QStringLiteral("root"));
    m_usr = m_root + QStringLiteral("/usr/");
    const ToolResult unpack =
        runTool(QStringLiteral("dpkg"), {QStringLiteral("-x"), m_deb, m_root});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.errors));
}

void PackageTest::lintian_reportsNothingButTheFirstUpload() {
    MORAVEL_REQUIRE_TOOL(lintian, "lintian", "lintian");
    const ToolResult result =
        runTool(lintian,
                {QStringLiteral("-I"), QStringLiteral("-E"), QStringLiteral("--pedantic"),
                 QStringLiteral("--tag-display-limit"), QStringLiteral("0"), m_deb},
                10 * 60 * 1000);
    QVERIFY2(result.exitCode == 0, qPrintable(result.output + result.errors));
    // A package whose changelog closes no bug report is what a first upload looks like.
    static const QRegularExpression tagLine(QStringLiteral("^[EWIPXCO]: moravel: (\\S+)"));
    QStringList unexpected;
    bool sawFirstUpload = false;
    for (const QString& line : result.output.split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch tag = tagLine.match(line);
        if (tag.hasMatch() && tag.captured(1) == QStringLiteral("initial-upload-closes-no-bugs")) {
            sawFirstUpload = true;
        } else {
            unexpected << line;
        }
    }
    QCOMPARE(unexpected, QStringList());
    QVERIFY2(sawFirstUpload, "lintian ran no checks of the changelog");
}

void PackageTest::control_describesThePackageAndItsDependencies() {
    const ToolResult control = runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb});
    QCOMPARE(control.exitCode, 0);
    const QMap<QString, QString> fields = controlFields(control.output);

    const QString changelog = readText(sourcePath(QStringLiteral("packaging/changelog")));
    const QRegularExpressionMatch entry =
        QRegularExpression(QStringLiteral("^moravel \\(([^)]+)\\)")).match(changelog);
    QVERIFY(entry.hasMatch());
    QCOMPARE(fields.value(QStringLiteral("Package")), QStringLiteral("moravel"));
    QCOMPARE(fields.value(QStringLiteral("Version")), entry.captured(1));
    QVERIFY(
        fields.value(QStringLiteral("Version")).startsWith(QStringLiteral(MORAVEL_VERSION "-")));
    const ToolResult architecture =
        runTool(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
    QCOMPARE(fields.value(QStringLiteral("Architecture")), architecture.output.trimmed());
    QCOMPARE(fields.value(QStringLiteral("Section")), QStringLiteral("utils"));
    QCOMPARE(fields.value(QStringLiteral("Priority")), QStringLiteral("optional"));

    // A maintainer with a name, the one who signs the changelog.
    const QString maintainer = fields.value(QStringLiteral("Maintainer"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\w[^<]* <[^@\\s<>]+@[^@\\s<>]+\\.[a-z]+>$"))
                 .match(maintainer)
                 .hasMatch(),
             qPrintable(maintainer));
    QVERIFY(changelog.contains(QStringLiteral("\n -- ") + maintainer + QStringLiteral("  ")));

    // The libraries the programs link, found by dpkg-shlibdeps, and the platform plugins that
    // Qt loads at run time.
    const QStringList depends = fields.value(QStringLiteral("Depends")).split(QStringLiteral(", "));
    QStringList packages;
    for (const QString& dependency : depends) {
        packages << dependency.section(u' ', 0, 0);
    }
    for (const char* needed : {"qt6-qpa-plugins", "libqt6core6", "libqt6widgets6", "libqt6xml6",
                               "libqt6network6", "libglib2.0-0", "libc6", "libstdc++6"}) {
        QVERIFY2(packages.contains(QString::fromLatin1(needed)), needed);
    }
    QVERIFY(
        depends.filter(QRegularExpression(QStringLiteral("^libqt6core6 \\(>= 6\\.\\d"))).size() ==
        1);
    QCOMPARE(fields.value(QStringLiteral("Recommends")), QStringLiteral("xdg-utils"));

    // A summary, then an extended description of several lines.
    const QStringList description = fields.value(QStringLiteral("Description")).split(u'\n');
    QVERIFY(!description.first().isEmpty() && description.first().size() <= 80);
    QVERIFY(!description.first().startsWith(QStringLiteral("moravel"), Qt::CaseInsensitive));
    QVERIFY(description.size() >= 6);

    const QDomDocument metainfo = [this] {
        QDomDocument document;
        QFile file(m_usr + QStringLiteral("share/metainfo/") + appId() +
                   QStringLiteral(".metainfo.xml"));
        if (file.open(QIODevice::ReadOnly)) {
            document.setContent(&file);
        }
        return document;
    }();
    QString homepage;
    for (QDomElement url = metainfo.documentElement().firstChildElement(QStringLiteral("url"));
         !url.isNull(); url = url.nextSiblingElement(QStringLiteral("url"))) {
        if (url.attribute(QStringLiteral("type")) == QStringLiteral("homepage")) {
            homepage = url.text().trimmed();
        }
    }
    QCOMPARE(fields.value(QStringLiteral("Homepage")), homepage);
}

void PackageTest::contents_listEveryInstalledFileAndNothingElse() {
    const ToolResult listing = runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
    QCOMPARE(listing.exitCode, 0);
    QStringList files;
    QStringList links;
    for (const QString& line : listing.output.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columns.size() >= 6, qPrintable(line));
        const QString mode = columns[0];
        const QString path = columns[5].mid(2); // "./usr/..."
        QCOMPARE(columns[1], QStringLiteral("root/root"));
        if (mode.startsWith(u'd')) {
            QCOMPARE(mode, QStringLiteral("drwxr-xr-x"));
        } else if (mode.startsWith(u'l')) {
            QCOMPARE(columns.value(6), QStringLiteral("->"));
            links << path + QStringLiteral(" -> ") + columns.value(7);
        } else {
            const bool program = path.startsWith(QStringLiteral("usr/bin/"));
            QCOMPARE(mode, program ? QStringLiteral("-rwxr-xr-x") : QStringLiteral("-rw-r--r--"));
            files << path;
        }
    }
    QStringList expected;
    for (const QString& file : installedFiles()) {
        expected << QStringLiteral("usr/") + file;
    }
    files.sort();
    expected.sort();
    QCOMPARE(files, expected);
    QCOMPARE(links, QStringList{QStringLiteral("usr/") + helpLink() + QStringLiteral(" -> ") +
                                helpLinkTarget()});

    // Where the window looks for its pages, beside the program.
    for (const char* page : {"index.html", "getting-started.html", "moravel.css", "moravel.svg"}) {
        const QString path = m_usr + helpLink() + u'/' + QString::fromLatin1(page);
        QVERIFY2(QFileInfo(path).isFile() && QFileInfo(path).size() > 0, qPrintable(path));
    }
}

void PackageTest::unpackedTree_passesTheDesktopValidators() {
    MORAVEL_REQUIRE_TOOL(desktopValidator, "desktop-file-validate", "desktop-file-utils");
    const ToolResult entry =
        runTool(desktopValidator, {m_usr + QStringLiteral("share/applications/") + appId() +
                                   QStringLiteral(".desktop")});
    QVERIFY2(entry.exitCode == 0 && (entry.output + entry.errors).trimmed().isEmpty(),
             qPrintable(entry.output + entry.errors));

    MORAVEL_REQUIRE_TOOL(appstreamcli, "appstreamcli", "appstream");
    const ToolResult metainfo = runTool(
        appstreamcli,
        {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--no-color"),
         m_usr + QStringLiteral("share/metainfo/") + appId() + QStringLiteral(".metainfo.xml")});
    QVERIFY2(metainfo.exitCode == 0, qPrintable(metainfo.output + metainfo.errors));
    // The tree as a software centre sees it: the metainfo, its desktop entry and its icons.
    const ToolResult tree =
        runTool(appstreamcli, {QStringLiteral("validate-tree"), QStringLiteral("--no-net"),
                               QStringLiteral("--no-color"), m_root});
    QVERIFY2(tree.exitCode == 0, qPrintable(tree.output + tree.errors));
    static const QRegularExpression issue(QStringLiteral("^[EW]: "),
                                          QRegularExpression::MultilineOption);
    QVERIFY2(!issue.match(metainfo.output + tree.output).hasMatch(),
             qPrintable(metainfo.output + tree.output));
}

void PackageTest::icons_haveTheSizeTheirFolderSays() {
    for (const int size : iconSizes()) {
        const QString path =
            m_usr + QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(appId());
        QCOMPARE(QImage(path).size(), QSize(size, size));
    }
    QDomDocument svg;
    QFile file(m_usr + QStringLiteral("share/icons/hicolor/scalable/apps/") + appId() +
               QStringLiteral(".svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(svg.setContent(&file));
    QCOMPARE(svg.documentElement().tagName(), QStringLiteral("svg"));
}

void PackageTest::cli_runsFromTheUnpackedTree() {
    const QString cli = m_usr + QStringLiteral("bin/moravel-cli");
    Home home;
    const ToolResult help = runTool(cli, {QStringLiteral("--help")}, 60000, home.environment());
    QVERIFY2(help.exitCode == 0, qPrintable(help.errors));
    for (const char* command : {"plan", "log", "clean", "restore"}) {
        QVERIFY2(help.output.contains(QStringLiteral("\n  ") + QString::fromLatin1(command)),
                 command);
    }

    // The stripped program of the package does a real job.
    home.write(QStringLiteral("Desktop/report.pdf"), "%PDF-1.4");
    home.write(QStringLiteral("Desktop/notes.txt"), "n");
    const ToolResult plan =
        runTool(cli, {QStringLiteral("plan"), QStringLiteral("--json")}, 60000, home.environment());
    QVERIFY2(plan.exitCode == 0, qPrintable(plan.errors));
    QStringList names;
    for (const QJsonValue& item : QJsonDocument::fromJson(plan.output.toUtf8()).array()) {
        names << item.toObject().value(QStringLiteral("name")).toString();
    }
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("notes.txt"), QStringLiteral("report.pdf")}));
}

void PackageTest::window_findsItsHelpAndIconInTheUnpackedTree() {
    MORAVEL_REQUIRE_TOOL(xvfb, "Xvfb", "xvfb");
    MORAVEL_REQUIRE_TOOL(xwininfo, "xwininfo", "x11-utils");
    MORAVEL_REQUIRE_TOOL(xprop, "xprop", "x11-utils");

    RunningProgram server;
    server.process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
    QByteArray displayNumber;
    QElapsedTimer waited;
    waited.start();
    while (!displayNumber.endsWith('\n') && waited.elapsed() < 20000) {
        server.process.waitForReadyRead(1000);
        displayNumber += server.process.readAllStandardOutput();
    }
    QVERIFY2(displayNumber.endsWith('\n'), "Xvfb did not start");
    const QString display = u':' + QString::fromLatin1(displayNumber.trimmed());

    // The browser is the outside world: a stand-in for xdg-open notes the pages it is asked
    // to open.
    Home home;
    const QString opened = home.path(QStringLiteral("opened.txt"));
    QDir().mkpath(home.path(QStringLiteral("bin")));
    home.write(QStringLiteral("bin/xdg-open"),
               "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$MORAVEL_TEST_OPENED\"\n");
    QFile(home.path(QStringLiteral("bin/xdg-open")))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment environment = home.environment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), m_usr + QStringLiteral("share:/usr/share"));
    environment.insert(QStringLiteral("PATH"), home.path(QStringLiteral("bin")) + u':' +
                                                   environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("MORAVEL_TEST_OPENED"), opened);
    QProcessEnvironment xEnvironment = QProcessEnvironment::systemEnvironment();
    xEnvironment.insert(QStringLiteral("DISPLAY"), display);

    RunningProgram moravel;
    moravel.process.setProcessEnvironment(environment);
    moravel.process.start(m_usr + QStringLiteral("bin/moravel"), QStringList());
    QVERIFY2(moravel.process.waitForStarted(), qPrintable(moravel.process.errorString()));

    // The window titled "Moravel" with a class: Qt's group leader has the title but no class.
    static const QRegularExpression windowLine(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"Moravel\": \\(\""),
        QRegularExpression::MultilineOption);
    QString window;
    waited.restart();
    while (window.isEmpty() && waited.elapsed() < 30000) {
        const ToolResult tree = runTool(
            xwininfo, {QStringLiteral("-root"), QStringLiteral("-tree")}, 10000, xEnvironment);
        window = windowLine.match(tree.output).captured(1);
        // Waiting on the process is what notices that it ended.
        if (window.isEmpty() && moravel.process.waitForFinished(250)) {
            break;
        }
    }
    if (window.isEmpty()) {
        QVERIFY2(moravel.process.state() == QProcess::NotRunning,
                 "moravel runs, but no window \"Moravel\" appeared within 30 seconds");
        const QString said = QString::fromUtf8(moravel.process.readAllStandardError()).trimmed();
        QVERIFY2(moravel.process.exitStatus() == QProcess::NormalExit &&
                     moravel.process.exitCode() == 0,
                 qPrintable(QStringLiteral("moravel failed: ") + said));
        // Until the main window exists, the program ends at once and points to moravel-cli.
        QSKIP(
            qPrintable(QStringLiteral("moravel has no window yet: it ended at once with status 0, "
                                      "saying \"%1\"; the window's checks wait for it")
                           .arg(said)));
    }

    // The class of the window is what the desktop entry tells launchers and docks to expect.
    const DesktopEntry entry = readDesktopEntry(m_usr + QStringLiteral("share/applications/") +
                                                appId() + QStringLiteral(".desktop"));
    const ToolResult windowClass = runTool(
        xprop, {QStringLiteral("-id"), window, QStringLiteral("WM_CLASS")}, 10000, xEnvironment);
    QVERIFY2(
        windowClass.output.trimmed().endsWith(
            u'"' +
            entry.value(QStringLiteral("Desktop Entry")).value(QStringLiteral("StartupWMClass")) +
            u'"'),
        qPrintable(windowClass.output));
    const ToolResult icon =
        runTool(xprop, {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_ICON")}, 10000,
                xEnvironment);
    QVERIFY2(icon.output.startsWith(QStringLiteral("_NET_WM_ICON(CARDINAL) =")),
             qPrintable(icon.output.left(200)));

    // The first start opens the getting-started page, found beside the unpacked program.
    waited.restart();
    while (readText(opened).isEmpty() && waited.elapsed() < 15000) {
        QThread::msleep(250);
    }
    const QString url = readText(opened).section(u'\n', 0, 0);
    const QString page = QUrl(url).toLocalFile();
    QVERIFY2(!page.isEmpty(), qPrintable(url));
    QCOMPARE(QFileInfo(page).canonicalFilePath(),
             QFileInfo(m_usr + QStringLiteral("share/help/C/moravel/getting-started.html"))
                 .canonicalFilePath());

    // A session that ends tells the program so; it ends by itself.
    moravel.process.terminate();
    QVERIFY(moravel.process.waitForFinished(15000));
}

QTEST_GUILESS_MAIN(PackageTest)
#include "test_package.moc"
