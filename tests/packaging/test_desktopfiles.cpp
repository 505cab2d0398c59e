#include "engine/maskmatcher.h"
#include "packagingchecks.h"

#include <QDate>
#include <QDomDocument>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace packaging;

namespace {

QString sourcePath(const QString& relative) {
    return QStringLiteral(MORAVEL_SOURCE_DIR "/") + relative;
}

QString buildPath(const QString& relative) {
    return QStringLiteral(MORAVEL_BINARY_DIR "/") + relative;
}

// The lines of a validator's report that say something: errors, warnings, infos, pedantic
// notes.
QStringList reportedIssues(const QString& report) {
    static const QRegularExpression issue(QStringLiteral("^[EWIP]: .*$"),
                                          QRegularExpression::MultilineOption);
    QStringList issues;
    for (auto it = issue.globalMatch(report); it.hasNext();) {
        issues << it.next().captured();
    }
    return issues;
}

QString collapseBlanks(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

QString htmlText(QString html) {
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return collapseBlanks(html);
}

// The texts of the <code> elements in `html`, in order.
QStringList codeTexts(const QString& html) {
    static const QRegularExpression code(QStringLiteral("<code>(.*?)</code>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QStringList texts;
    for (auto it = code.globalMatch(html); it.hasNext();) {
        texts << htmlText(it.next().captured(1));
    }
    return texts;
}

// The inner HTML of each `tag` element in `html`.
QStringList elements(const QString& html, const QString& tag) {
    const QRegularExpression element(QStringLiteral("<%1[^>]*>(.*?)</%1>").arg(tag),
                                     QRegularExpression::DotMatchesEverythingOption);
    QStringList found;
    for (auto it = element.globalMatch(html); it.hasNext();) {
        found << it.next().captured(1);
    }
    return found;
}

QDomDocument readXml(const QString& path) {
    QDomDocument document;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        document.setContent(&file);
    }
    return document;
}

QStringList childTexts(const QDomElement& parent, const QString& tag) {
    QStringList texts;
    for (QDomElement child = parent.firstChildElement(tag); !child.isNull();
         child = child.nextSiblingElement(tag)) {
        texts << child.text().trimmed();
    }
    return texts;
}

} // namespace

class DesktopFilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void desktopEntry_validatesAndNamesTheApplication();
    void metainfo_validatesAndDescribesBothPrograms();
    void versionDateAndLicence_agreeInEveryFile();
    void helpPages_workOfflineAndEveryLinkResolves_data();
    void helpPages_workOfflineAndEveryLinkResolves();
    void helpPages_maskExamplesAreWhatTheMatcherDoes();
    void helpAndManPage_coverEveryCommandAndOptionOfTheCli();
    void manPages_renderWithoutWarnings_data();
    void manPages_renderWithoutWarnings();
    void icons_drawingsAreSelfContainedSquares_data();
    void icons_drawingsAreSelfContainedSquares();
    void icons_renderedAtEverySize_data();
    void icons_renderedAtEverySize();
};

void DesktopFilesTest::desktopEntry_validatesAndNamesTheApplication() {
    const QString path =
        sourcePath(QStringLiteral("packaging/") + appId() + QStringLiteral(".desktop"));
    const DesktopEntry entry = readDesktopEntry(path);
    const auto main = entry.value(QStringLiteral("Desktop Entry"));
    QCOMPARE(main.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(main.value(QStringLiteral("Name")), QStringLiteral("Moravel"));
    // Launchers, docks and Wayland compositors find the icon and the window by the id.
    QCOMPARE(main.value(QStringLiteral("Icon")), appId());
    QCOMPARE(main.value(QStringLiteral("Exec")), QStringLiteral("moravel"));
    QCOMPARE(main.value(QStringLiteral("Categories")), QStringLiteral("Utility;FileTools;"));
    QCOMPARE(main.value(QStringLiteral("StartupNotify")), QStringLiteral("true"));
    for (const char* key : {"GenericName", "Comment", "Keywords"}) {
        QVERIFY2(!main.value(QString::fromLatin1(key)).isEmpty(), key);
    }
    const QStringList actions =
        main.value(QStringLiteral("Actions")).split(u';', Qt::SkipEmptyParts);
    QVERIFY(!actions.isEmpty());
    for (const QString& action : actions) {
        const auto group = entry.value(QStringLiteral("Desktop Action ") + action);
        QVERIFY2(!group.value(QStringLiteral("Name")).isEmpty(), qPrintable(action));
        QCOMPARE(group.value(QStringLiteral("Exec")), QStringLiteral("moravel"));
    }

    MORAVEL_REQUIRE_TOOL(validator, "desktop-file-validate", "desktop-file-utils");
    const ToolResult result = runTool(validator, {path});
    QVERIFY2(result.exitCode == 0 && (result.output + result.errors).trimmed().isEmpty(),
             qPrintable(result.output + result.errors));
}

void DesktopFilesTest::metainfo_validatesAndDescribesBothPrograms() {
    const QString path =
        sourcePath(QStringLiteral("packaging/") + appId() + QStringLiteral(".metainfo.xml"));
    const QDomElement component = readXml(path).documentElement();
    QCOMPARE(component.tagName(), QStringLiteral("component"));
    QCOMPARE(component.attribute(QStringLiteral("type")), QStringLiteral("desktop-application"));
    QCOMPARE(childTexts(component, QStringLiteral("id")), QStringList{appId()});
    QCOMPARE(childTexts(component, QStringLiteral("name")), QStringList{QStringLiteral("Moravel")});
    QCOMPARE(childTexts(component, QStringLiteral("launchable")),
             QStringList{appId() + QStringLiteral(".desktop")});
    QCOMPARE(childTexts(component, QStringLiteral("metadata_license")),
             QStringList{QStringLiteral("CC0-1.0")});
    QCOMPARE(childTexts(component.firstChildElement(QStringLiteral("provides")),
                        QStringLiteral("binary")),
             (QStringList{QStringLiteral("moravel"), QStringLiteral("moravel-cli")}));
    QVERIFY(!component.firstChildElement(QStringLiteral("content_rating")).isNull());
    QVERIFY(component.firstChildElement(QStringLiteral("description"))
                .text()
                .contains(QStringLiteral("desktop")));
    const QDomElement release = component.firstChildElement(QStringLiteral("releases"))
                                    .firstChildElement(QStringLiteral("release"));
    QCOMPARE(release.attribute(QStringLiteral("version")), QStringLiteral(MORAVEL_VERSION));
    // Software centres fetch the screenshots from the repository.
    const QStringList images = childTexts(component.firstChildElement(QStringLiteral("screenshots"))
                                              .firstChildElement(QStringLiteral("screenshot")),
                                          QStringLiteral("image"));
    QCOMPARE(images.size(), 1);
    QVERIFY2(images.first().startsWith(QStringLiteral("https://")) &&
                 images.first().contains(QStringLiteral("/data/screenshots/")) &&
                 images.first().endsWith(QStringLiteral(".png")),
             qPrintable(images.first()));

    MORAVEL_REQUIRE_TOOL(appstreamcli, "appstreamcli", "appstream");
    const ToolResult result =
        runTool(appstreamcli, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                               QStringLiteral("--pedantic"), QStringLiteral("--no-color"), path});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output + result.errors));
    QCOMPARE(reportedIssues(result.output + result.errors), QStringList());
}

void DesktopFilesTest::versionDateAndLicence_agreeInEveryFile() {
    // The Debian changelog's newest entry: "moravel (3.0-1) ..." and its date.
    const QString changelog = readText(sourcePath(QStringLiteral("packaging/changelog")));
    const QRegularExpressionMatch head =
        QRegularExpression(
            QStringLiteral("^moravel \\(([^-)]+)-(\\d+)\\) unstable; urgency=\\w+\\n"))
            .match(changelog);
    QVERIFY2(head.hasMatch(), qPrintable(changelog.section(u'\n', 0, 0)));
    QCOMPARE(head.captured(1), QStringLiteral(MORAVEL_VERSION));
    const QRegularExpressionMatch trailer =
        QRegularExpression(
            QStringLiteral("\\n -- (.+) <(\\S+@\\S+)>  \\w{3}, (\\d+ \\w{3} \\d{4}) "))
            .match(changelog);
    QVERIFY(trailer.hasMatch());
    const QDate changed = QLocale::c().toDate(trailer.captured(3), QStringLiteral("d MMM yyyy"));
    QVERIFY(changed.isValid());

    const QDomElement component = readXml(sourcePath(QStringLiteral("packaging/") + appId() +
                                                     QStringLiteral(".metainfo.xml")))
                                      .documentElement();
    const QDomElement release = component.firstChildElement(QStringLiteral("releases"))
                                    .firstChildElement(QStringLiteral("release"));
    QCOMPARE(release.attribute(QStringLiteral("date")), changed.toString(Qt::ISODate));
    QCOMPARE(childTexts(component, QStringLiteral("project_license")),
             QStringList{QStringLiteral("MIT")});

    // The package's copyright file is machine-readable and carries the text of LICENSE.
    const QString copyright = readText(sourcePath(QStringLiteral("packaging/copyright")));
    QVERIFY(copyright.startsWith(QStringLiteral(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")));
    QVERIFY(copyright.contains(QStringLiteral("\n\nFiles: *\nCopyright: ")));
    QVERIFY(
        QRegularExpression(QStringLiteral("\\nFiles: \\*\\n(?:[A-Z][^\\n]*\\n)*License: MIT\\n"))
            .match(copyright)
            .hasMatch());
    const qsizetype text = copyright.indexOf(QStringLiteral("\nLicense: MIT\n "));
    QVERIFY(text > 0);
    QString licenceInCopyright;
    for (const QString& line : copyright.mid(text + 14).split(u'\n')) {
        if (!line.startsWith(u' ')) {
            break;
        }
        licenceInCopyright += line == QStringLiteral(" .") ? QStringLiteral("\n") : line;
    }
    const QString licence = readText(sourcePath(QStringLiteral("LICENSE")));
    QVERIFY(licence.startsWith(QStringLiteral("MIT License\n")));
    QCOMPARE(collapseBlanks(licenceInCopyright),
             collapseBlanks(licence.mid(licence.indexOf(QStringLiteral("Permission")))));
}

void DesktopFilesTest::helpPages_workOfflineAndEveryLinkResolves_data() {
    QTest::addColumn<QString>("page");
    QTest::newRow("index") << QStringLiteral("index.html");
    QTest::newRow("getting started") << QStringLiteral("getting-started.html");
}

void DesktopFilesTest::helpPages_workOfflineAndEveryLinkResolves() {
    QFETCH(QString, page);
    const QDir help(sourcePath(QStringLiteral("help")));
    const QString html = readText(help.filePath(page));
    QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">")));
    QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY(!elements(html, QStringLiteral("title")).value(0).isEmpty());
    QVERIFY(!elements(html, QStringLiteral("h1")).value(0).isEmpty());
    // No scripts, and one small stylesheet shared by the pages.
    QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    QVERIFY(!QRegularExpression(QStringLiteral("\\son[a-z]+="),
                                QRegularExpression::CaseInsensitiveOption)
                 .match(html)
                 .hasMatch());
    QCOMPARE(html.count(QStringLiteral("<link ")), 1);
    QVERIFY(html.contains(QStringLiteral("<link rel=\"stylesheet\" href=\"moravel.css\">")));

    static const QRegularExpression idAttribute(QStringLiteral("\\sid=\"([^\"]+)\""));
    QSet<QString> ids;
    for (auto it = idAttribute.globalMatch(html); it.hasNext();) {
        const QString id = it.next().captured(1);
        QVERIFY2(!ids.contains(id), qPrintable(QStringLiteral("two elements are #") + id));
        ids.insert(id);
    }

    static const QRegularExpression link(QStringLiteral("\\s(?:href|src)=\"([^\"]*)\""));
    int links = 0;
    for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
        const QString target = it.next().captured(1);
        // The pages are read offline, from the installed folder or the source tree.
        QVERIFY2(!target.contains(u':') && !target.startsWith(u'/'), qPrintable(target));
        const QString file = target.section(u'#', 0, 0);
        const QString fragment = target.section(u'#', 1);
        QVERIFY2(file.isEmpty() || QFileInfo(help.filePath(file)).isFile(), qPrintable(target));
        if (!fragment.isEmpty()) {
            const QString targetHtml = file.isEmpty() ? html : readText(help.filePath(file));
            QVERIFY2(targetHtml.contains(QStringLiteral(" id=\"%1\"").arg(fragment)),
                     qPrintable(target));
        }
    }
    QVERIFY(links > 2);
}

void DesktopFilesTest::helpPages_maskExamplesAreWhatTheMatcherDoes() {
    const QString html = readText(sourcePath(QStringLiteral("help/index.html")));
    int checked = 0;

    // The examples of the mask help window: the mask, then names it selects.
    const QString list = html.section(QStringLiteral("<ul class=\"mask-examples\">"), 1)
                             .section(QStringLiteral("</ul>"), 0, 0);
    const QStringList items = elements(list, QStringLiteral("li"));
    QCOMPARE(items.size(), 3);
    for (const QString& item : items) {
        const QStringList codes = codeTexts(item);
        QVERIFY2(codes.size() >= 2, qPrintable(item));
        for (const QString& name : codes.mid(1)) {
            QVERIFY2(moravel::matchesMask(name, codes.first()),
                     qPrintable(codes.first() + QStringLiteral(" / ") + name));
            ++checked;
        }
    }

    // The table of examples: mask, names it matches, names it does not match.
    const QString table = html.section(QStringLiteral("<table class=\"mask-examples\">"), 1)
                              .section(QStringLiteral("</table>"), 0, 0);
    const QStringList rows =
        elements(table.section(QStringLiteral("<tbody>"), 1), QStringLiteral("tr"));
    QVERIFY(rows.size() >= 4);
    for (const QString& row : rows) {
        const QStringList cells = elements(row, QStringLiteral("td"));
        QCOMPARE(cells.size(), 3);
        const QString mask = codeTexts(cells[0]).value(0);
        QVERIFY(!mask.isEmpty());
        for (const QString& name : codeTexts(cells[1])) {
            QVERIFY2(moravel::matchesMask(name, mask),
                     qPrintable(mask + QStringLiteral(" / ") + name));
            ++checked;
        }
        for (const QString& name : codeTexts(cells[2])) {
            QVERIFY2(!moravel::matchesMask(name, mask),
                     qPrintable(mask + QStringLiteral(" / ") + name));
            ++checked;
        }
    }
    QVERIFY(checked >= 15);

    // The example of the message for a mask that cannot be read is the one the user sees.
    const QString message = htmlText(html.section(QStringLiteral("<q class=\"mask-error\">"), 1)
                                         .section(QStringLiteral("</q>"), 0, 0));
    const QString mask = message.section(u'\'', 1, 1);
    try {
        moravel::matchesMask(QStringLiteral("name"), mask);
        QFAIL(qPrintable(mask + QStringLiteral(" was read as a mask")));
    } catch (const moravel::InvalidMask& invalid) {
        QCOMPARE(message, invalid.text());
    }
}

void DesktopFilesTest::helpAndManPage_coverEveryCommandAndOptionOfTheCli() {
    const ToolResult help = runTool(QStringLiteral(MORAVEL_CLI), {QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    static const QRegularExpression commandLine(QStringLiteral("^  ([a-z]+)(?: |$)"),
                                                QRegularExpression::MultilineOption);
    static const QRegularExpression optionName(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
    QStringList commands;
    for (auto it = commandLine.globalMatch(help.output); it.hasNext();) {
        commands << it.next().captured(1);
    }
    QSet<QString> options;
    for (auto it = optionName.globalMatch(help.output); it.hasNext();) {
        options.insert(it.next().captured());
    }
    QVERIFY2(commands.size() >= 4, qPrintable(help.output));
    QVERIFY(options.contains(QStringLiteral("--json")));

    // groff writes a minus sign as "\-".
    const QString manPage = readText(sourcePath(QStringLiteral("packaging/man/moravel-cli.1.in")))
                                .replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const QString guide = readText(sourcePath(QStringLiteral("help/index.html")));
    for (const QString& command : std::as_const(commands)) {
        QVERIFY2(manPage.contains(QStringLiteral(".B moravel-cli ") + command + u'\n'),
                 qPrintable(command));
        QVERIFY2(manPage.contains(QStringLiteral("\n.B ") + command + u'\n'), qPrintable(command));
        QVERIFY2(guide.contains(QStringLiteral("<code>moravel-cli ") + command),
                 qPrintable(command));
    }
    for (const QString& option : std::as_const(options)) {
        // Each option is an item of OPTIONS: ".B --json" or ".BI --mask " MASK".
        const QRegularExpression item(
            QStringLiteral("^\\.TP\n\\.BI? %1(?: |$)").arg(QRegularExpression::escape(option)),
            QRegularExpression::MultilineOption);
        QVERIFY2(item.match(manPage).hasMatch(), qPrintable(option));
    }
}

void DesktopFilesTest::manPages_renderWithoutWarnings_data() {
    QTest::addColumn<QString>("page");
    QTest::newRow("moravel") << QStringLiteral("moravel.1");
    QTest::newRow("moravel-cli") << QStringLiteral("moravel-cli.1");
}

void DesktopFilesTest::manPages_renderWithoutWarnings() {
    QFETCH(QString, page);
    const QString path = buildPath(QStringLiteral("packaging/man/") + page);
    const QString source = readText(path);
    // Configured for this build: no placeholder is left.
    QVERIFY2(!source.contains(u'@'), qPrintable(source.section(u'\n', 0, 0)));
    QVERIFY(source.startsWith(
        QStringLiteral(".TH %1 1 ")
            .arg(page.section(u'.', 0, 0).toUpper().replace(u'-', QStringLiteral("\\-")))));
    QVERIFY(source.contains(QStringLiteral("\"Moravel " MORAVEL_VERSION "\"")));
    for (const char* section :
         {".SH NAME\n", ".SH SYNOPSIS\n", ".SH DESCRIPTION\n", ".SH FILES\n", ".SH SEE ALSO\n"}) {
        QVERIFY2(source.contains(QString::fromLatin1(section)), section);
    }

    MORAVEL_REQUIRE_TOOL(man, "man", "man-db");
    // As lintian renders them.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    const ToolResult result =
        runTool(man,
                {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"),
                 QStringLiteral("-l"), QStringLiteral("-Tutf8"), QStringLiteral("-Z"), path},
                60000, environment);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.errors, QString());
    QVERIFY(result.output.size() > 1000);
}

void DesktopFilesTest::icons_drawingsAreSelfContainedSquares_data() {
    QTest::addColumn<QString>("drawing");
    QTest::newRow("full") << appId() + QStringLiteral(".svg");
    QTest::newRow("16 pixels") << appId() + QStringLiteral("-16.svg");
}

void DesktopFilesTest::icons_drawingsAreSelfContainedSquares() {
    QFETCH(QString, drawing);
    const QString path = sourcePath(QStringLiteral("data/icons/") + drawing);
    const QDomElement svg = readXml(path).documentElement();
    QCOMPARE(svg.tagName(), QStringLiteral("svg"));
    const QString width = svg.attribute(QStringLiteral("width"));
    QCOMPARE(svg.attribute(QStringLiteral("height")), width);
    QCOMPARE(svg.attribute(QStringLiteral("viewBox")), QStringLiteral("0 0 %1 %1").arg(width));
    // An icon theme copies the file alone: nothing may point outside it.
    const QString text = readText(path);
    QVERIFY(!text.contains(QStringLiteral("<image")));
    QVERIFY(!text.contains(QStringLiteral("href=")));
    QVERIFY(!text.contains(QStringLiteral("<text")));
}

void DesktopFilesTest::icons_renderedAtEverySize_data() {
    QTest::addColumn<int>("size");
    for (const int size : iconSizes()) {
        QTest::newRow(qPrintable(QStringLiteral("%1x%1").arg(size))) << size;
    }
}

void DesktopFilesTest::icons_renderedAtEverySize() {
    QFETCH(int, size);
    if (findTool(QStringLiteral("rsvg-convert")).isEmpty()) {
        QSKIP("rsvg-convert is not installed (Debian package librsvg2-bin; scripts/setup installs "
              "it), so the build made no PNG icons");
    }
    const QString path = buildPath(
        QStringLiteral("packaging/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(appId()));
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // A broom, not a speck and not a square: it covers a good part of the icon and leaves
    // the corners free.
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    int covered = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            covered += qAlpha(pixels.pixel(x, y)) > 128 ? 1 : 0;
        }
    }
    const double coverage = double(covered) / (size * size);
    QVERIFY2(coverage > 0.15 && coverage < 0.7, qPrintable(QString::number(coverage)));
    QCOMPARE(qAlpha(pixels.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(pixels.pixel(size - 1, size - 1)), 0);
}

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "test_desktopfiles.moc"
