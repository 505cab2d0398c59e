#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "scriptedprompts.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace moravel;
using moravel::testing::ScriptedPrompts;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Loads `bytes` as the configuration file of a fresh state and checks that the load changed
// nothing on disk and, when it failed, nothing in memory.
struct Loaded {
    int result = -1;
    QString message;
    QString rutaRepositorio;
    std::int32_t mesesEnLog = 0;
    std::size_t rules = 0;
    QStringList ignoreList;
};

Loaded load(const QByteArray& bytes) {
    Loaded loaded;
    QTemporaryDir dir;
    FixedLocations locations;
    locations.data = dir.filePath(QStringLiteral("Moravel"));
    locations.documents = dir.path();
    FixedClock clock(QDateTime(QDate(2024, 6, 9), QTime(10, 0)));
    ScriptedPrompts prompts;
    QDir().mkpath(locations.data);
    const QString path = locations.data + QStringLiteral("/cfg.mvk");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            QTest::qFail("cannot write the test file", __FILE__, __LINE__);
            return loaded;
        }
        QFile log(locations.data + QStringLiteral("/MVL.log"));
        log.open(QIODevice::WriteOnly);
    }
    global state(locations, clock);
    errorControl error;
    loaded.result = state.loadConfiguration(error, prompts);
    loaded.message = error.message;
    // Every refusal names the file it refused, last.
    const QString inFile = QStringLiteral(" in \"%1\"").arg(path);
    if (loaded.result == 1) {
        if (!loaded.message.endsWith(inFile)) {
            QTest::qFail(qPrintable(loaded.message + QStringLiteral(" does not name the file")),
                         __FILE__, __LINE__);
        }
        loaded.message.chop(inFile.size());
    }
    loaded.rutaRepositorio = state.rutaRepositorio;
    loaded.mesesEnLog = state.mesesEnLog;
    loaded.rules = state.rules.size();
    loaded.ignoreList = state.ignoreList;
    if (readAll(path) != bytes) {
        QTest::qFail("the load changed the file", __FILE__, __LINE__);
    }
    if (loaded.result != 0 &&
        (!state.rules.empty() || !state.ignoreList.isEmpty() || state.mesesEnLog != 0 ||
         !state.rutaRepositorio.isEmpty() || !prompts.messages.isEmpty())) {
        QTest::qFail("a failed load applied something or read the log", __FILE__, __LINE__);
    }
    return loaded;
}

const QString prefix = QStringLiteral("Error al abrir archivo XML");

} // namespace

class ConfigFileHostileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fixture_isRefusedWithItsLine_data();
    void fixture_isRefusedWithItsLine();
    void fixture_isAccepted_data();
    void fixture_isAccepted();
    void generated_isRefused_data();
    void generated_isRefused();
    void notARegularFile_isRefusedWithoutWaiting();
    void hugeAttribute_isRead();
    void manyEntries_areRead();
};

void ConfigFileHostileTest::fixture_isRefusedWithItsLine_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("message");

    // The message quotes the line the parser stopped at; where that line is empty, the
    // parser's reason and position stand in its place.
    QTest::newRow("empty") << QStringLiteral("empty.mvk")
                           << prefix +
                                  QStringLiteral(": Premature end of document. (line 1, column 0)");
    QTest::newRow("blanks only") << QStringLiteral("whitespace-only.mvk")
                                 << prefix + QStringLiteral(
                                                 ": Premature end of document. (line 4, column 0)");
    QTest::newRow("truncated") << QStringLiteral("truncated.mvk")
                               << prefix + QStringLiteral("  <ITEM name=\"rutaRepositorio\" val");
    QTest::newRow("binary") << QStringLiteral("binary.mvk") << QString();
    QTest::newRow("binary after the root") << QStringLiteral("binary-after-root.mvk") << QString();
    QTest::newRow("mismatched tags")
        << QStringLiteral("mismatched-tags.mvk") << prefix + QStringLiteral("  </CONDITION>");
    QTest::newRow("two roots") << QStringLiteral("two-roots.mvk")
                               << prefix + QStringLiteral("<HTML/>");
    QTest::newRow("plain text") << QStringLiteral("text-only.mvk")
                                << prefix + QStringLiteral("mesesEnLog=7");
    QTest::newRow("undeclared entity")
        << QStringLiteral("undeclared-entity.mvk")
        << prefix + QStringLiteral("  <ITEM name=\"rutaRepositorio\" value=\"/a&nbsp;b\"/>");
    QTest::newRow("invalid character reference")
        << QStringLiteral("invalid-character-reference.mvk")
        << prefix + QStringLiteral("  <IGNORE file=\"A&#1;B\"/>");
    QTest::newRow("duplicate attribute")
        << QStringLiteral("duplicate-attribute.mvk")
        << prefix + QStringLiteral("  <ITEM name=\"mesesEnLog\" name=\"x\" value=\"7\"/>");
    QTest::newRow("unsupported encoding")
        << QStringLiteral("unsupported-encoding.mvk") << QString();
    // Entity declarations are refused before anything is expanded or looked up.
    const QString declarations =
        prefix +
        QStringLiteral(": a document type with declarations of its own (line %1, column 1)");
    QTest::newRow("billion laughs") << QStringLiteral("billion-laughs.mvk") << declarations.arg(2);
    QTest::newRow("external entity")
        << QStringLiteral("external-entity.mvk") << declarations.arg(1);
    QTest::newRow("recursive entity")
        << QStringLiteral("recursive-entity.mvk") << declarations.arg(1);
    QTest::newRow("parameter entity")
        << QStringLiteral("parameter-entity.mvk") << declarations.arg(1);
}

void ConfigFileHostileTest::fixture_isRefusedWithItsLine() {
    QFETCH(QString, fixture);
    QFETCH(QString, message);
    const QByteArray bytes = readAll(QStringLiteral(MORAVEL_TEST_DATA "/config/") + fixture);
    QVERIFY(!bytes.isEmpty() || fixture == QStringLiteral("empty.mvk"));
    const Loaded loaded = load(bytes);
    QCOMPARE(loaded.result, 1);
    if (message.isEmpty()) {
        QVERIFY2(loaded.message.startsWith(prefix) && loaded.message.size() > prefix.size() &&
                     loaded.message.size() < prefix.size() + 400,
                 qPrintable(loaded.message));
        for (QChar c : loaded.message) {
            QVERIFY2(c.unicode() >= 0x20, "control characters in the message");
        }
    } else {
        // The line first; then where in it and why.
        QVERIFY2(loaded.message.startsWith(message), qPrintable(loaded.message));
        QVERIFY2(loaded.message == message || loaded.message.contains(QStringLiteral("(line ")),
                 qPrintable(loaded.message));
    }
}

void ConfigFileHostileTest::fixture_isAccepted_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<std::int32_t>("mesesEnLog");
    QTest::addColumn<QStringList>("ignoreList");

    const QStringList one{QStringLiteral("A.TXT")};
    QTest::newRow("hand edited") << QStringLiteral("hand-edited.mvk") << 7 << one;
    QTest::newRow("document type without declarations")
        << QStringLiteral("doctype-without-declarations.mvk") << 7 << one;
    QTest::newRow("UTF-8 with byte order mark") << QStringLiteral("utf8-bom.mvk") << 7 << one;
    QTest::newRow("UTF-16 little endian") << QStringLiteral("utf16le-bom.mvk") << 7 << one;
    QTest::newRow("UTF-16 big endian") << QStringLiteral("utf16be-bom.mvk") << 7 << one;
    QTest::newRow("declared Latin-1") << QStringLiteral("latin1-declared.mvk") << 7 << one;
    QTest::newRow("any root name") << QStringLiteral("other-root.mvk") << 7 << one;
    QTest::newRow("root with a namespace prefix") << QStringLiteral("namespaced.mvk") << 7 << one;
    QTest::newRow("broken values") << QStringLiteral("broken-values.mvk") << 7 << one;
}

void ConfigFileHostileTest::fixture_isAccepted() {
    QFETCH(QString, fixture);
    QFETCH(std::int32_t, mesesEnLog);
    QFETCH(QStringList, ignoreList);
    const Loaded loaded = load(readAll(QStringLiteral(MORAVEL_TEST_DATA "/config/") + fixture));
    QCOMPARE(loaded.message, QString());
    QCOMPARE(loaded.result, 0);
    QCOMPARE(loaded.mesesEnLog, mesesEnLog);
    QCOMPARE(loaded.rutaRepositorio, QString::fromUtf8("/home/josé/Archive"));
    QCOMPARE(loaded.rules, std::size_t(1));
    QCOMPARE(loaded.ignoreList, ignoreList);
}

void ConfigFileHostileTest::generated_isRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const int levels = 100000;
    QTest::newRow("nested 100,000 deep")
        << "<HTML>" + QByteArray("<a>").repeated(levels) + QByteArray("</a>").repeated(levels) +
               "</HTML>"
        << prefix + QStringLiteral(": elements nested deeper than 256 levels (line 1, column 772)");
    QTest::newRow("opened 100,000 deep, never closed")
        << "<HTML>\n" + QByteArray("<a>\n").repeated(levels)
        << prefix + QStringLiteral(": elements nested deeper than 256 levels (line 257, column 1)");
    QByteArray attributes = "<HTML";
    for (int i = 0; i < 200000; ++i) {
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    }
    QTest::newRow("200,000 attributes")
        << attributes + "/>"
        << prefix + QStringLiteral(": an element with more than 256 attributes (line 1, column 1)");
    QTest::newRow("2,000,000 elements")
        << "<HTML>" + QByteArray("<a/>").repeated(2000000) + "</HTML>"
        << prefix + QStringLiteral(": more than 1000000 elements (line 1, column 4000003)");
    QTest::newRow("larger than 16 MiB")
        << "<HTML a=\"" + QByteArray(17 * 1024 * 1024, 'x') + "\"/>"
        << prefix + QStringLiteral(": the file is larger than 16777216 bytes");
    QTest::newRow("long name with a prefix")
        << "<HTML><" + QByteArray(40000, 'a') + ":b/></HTML>" << QString();
    QTest::newRow("UTF-16 nested deep")
        << QByteArray("\xff\xfe", 2) +
               QByteArray::fromRawData(
                   reinterpret_cast<const char*>(
                       (QStringLiteral("<HTML>") + QStringLiteral("<a>").repeated(levels)).utf16()),
                   (6 + 3 * levels) * 2)
        << prefix + QStringLiteral(": elements nested deeper than 256 levels (line 1, column 772)");
    // Markup in another encoding than the bytes seem to be in at first is still seen.
    QTest::newRow("declared UTF-16 without byte order mark, nested deep")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>") +
               QByteArray::fromRawData(
                   reinterpret_cast<const char*>(QStringLiteral("<a>").repeated(levels).utf16()),
                   3 * levels * 2)
        << QString();
}

void ConfigFileHostileTest::generated_isRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const Loaded loaded = load(bytes);
    QCOMPARE(loaded.result, 1);
    if (message.isEmpty()) {
        QVERIFY2(loaded.message.startsWith(prefix) && loaded.message.size() < prefix.size() + 400,
                 qPrintable(loaded.message));
    } else {
        // The line first; then where in it and why.
        QVERIFY2(loaded.message.startsWith(message), qPrintable(loaded.message));
        QVERIFY2(loaded.message == message || loaded.message.contains(QStringLiteral("(line ")),
                 qPrintable(loaded.message));
    }
}

void ConfigFileHostileTest::notARegularFile_isRefusedWithoutWaiting() {
    for (const bool pipe : {false, true}) {
        QTemporaryDir dir;
        FixedLocations locations;
        locations.data = dir.path();
        FixedClock clock;
        ScriptedPrompts prompts;
        const QString path = dir.filePath(QStringLiteral("cfg.mvk"));
        if (pipe) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QVERIFY(QDir().mkdir(path));
        }
        global state(locations, clock);
        errorControl error;
        QCOMPARE(state.loadConfiguration(error, prompts), 1);
        QCOMPARE(error.message,
                 prefix + QStringLiteral(": it is not a regular file in \"%1\"").arg(path));
        QVERIFY(QFileInfo::exists(path));
    }
}

void ConfigFileHostileTest::hugeAttribute_isRead() {
    // Large, but within what the reader takes: read in full.
    const QByteArray path(10 * 1024 * 1024, 'p');
    const Loaded loaded =
        load("<HTML><ITEM name=\"rutaRepositorio\" value=\"/" + path + "\"/></HTML>");
    QCOMPARE(loaded.result, 0);
    QCOMPARE(loaded.rutaRepositorio.size(), path.size() + 1);
}

void ConfigFileHostileTest::manyEntries_areRead() {
    QByteArray bytes = "<HTML>";
    for (int i = 0; i < 100000; ++i) {
        bytes += "<IGNORE file=\"" + QByteArray::number(i) + "\"/>";
    }
    bytes +=
        QByteArray("<RULE action=\"1\"><CONDITION type=\"0\" mask=\"*\"/></RULE>").repeated(256);
    bytes += "</HTML>";
    const Loaded loaded = load(bytes);
    QCOMPARE(loaded.result, 0);
    QCOMPARE(loaded.ignoreList.size(), 100000);
    QCOMPARE(loaded.ignoreList.last(), QStringLiteral("99999"));
    QCOMPARE(loaded.rules, std::size_t(256));
}

QTEST_GUILESS_MAIN(ConfigFileHostileTest)
#include "test_configfile_hostile.moc"
