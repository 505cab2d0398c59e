#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "scriptedprompts.h"
#include "storage/global.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;

namespace {
// Reads the hexadecimal form back into text, two digits a character.
QString fromHex(const QString& hex) {
    return QString::fromLatin1(QByteArray::fromHex(hex.toLatin1()));
}
} // namespace

class TelemetryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void telemetryString_encodesEveryCountInOrder_data();
    void telemetryString_encodesEveryCountInOrder();
    void telemetryString_isBuiltAnewAtEachCall();
    void telemetryString_afterFirstRun_countsTheDefaultRule();
};

void TelemetryTest::telemetryString_encodesEveryCountInOrder_data() {
    QTest::addColumn<qint32>("uniqueId");
    QTest::addColumn<qint32>("runs");
    QTest::addColumn<int>("logRecords");
    QTest::addColumn<int>("ruleCount");
    QTest::addColumn<qint32>("version");
    QTest::addColumn<int>("ignored");
    QTest::addColumn<QString>("hex");

    QTest::newRow("all zero") << 0 << 0 << 0 << 0 << 0 << 0
                              << QStringLiteral("75693D307C6E6F3D307C6C6C3D307C6E723D307C69763D"
                                                "307C69673D307C");
    QTest::newRow("typical")
        << 123456789 << 7 << 2 << 3 << 30 << 1
        << QStringLiteral("75693D3132333435363738397C6E6F3D377C6C6C3D327C6E723D337C69763D3330"
                          "7C69673D317C");
    // Values outside the usual range are written as they are, sign included.
    QTest::newRow("negative") << -5 << -1 << 0 << 0 << 30 << 0
                              << QStringLiteral("75693D2D357C6E6F3D2D317C6C6C3D307C6E723D307C69"
                                                "763D33307C69673D307C");
}

void TelemetryTest::telemetryString_encodesEveryCountInOrder() {
    QFETCH(qint32, uniqueId);
    QFETCH(qint32, runs);
    QFETCH(int, logRecords);
    QFETCH(int, ruleCount);
    QFETCH(qint32, version);
    QFETCH(int, ignored);
    QFETCH(QString, hex);

    FixedLocations locations;
    FixedClock clock;
    global state(locations, clock);
    state.uniqueId = uniqueId;
    state.nroOperacion = runs;
    for (int i = 0; i < logRecords; ++i) {
        state.logLines.push_back(std::make_unique<logLine>());
    }
    for (int i = 0; i < ruleCount; ++i) {
        state.newRule();
    }
    state.versionCode = version;
    for (int i = 0; i < ignored; ++i) {
        state.addIgnored(QStringLiteral("ITEM%1.TXT").arg(i));
    }
    QCOMPARE(state.telemetryString(), hex);
}

void TelemetryTest::telemetryString_isBuiltAnewAtEachCall() {
    FixedLocations locations;
    FixedClock clock;
    global state(locations, clock);
    state.uniqueId = 5;
    state.versionCode = ownVersionCode;
    const QString before = state.telemetryString();
    // Upper-case digits, two a character, starting with the installation id.
    QVERIFY(before.startsWith(QStringLiteral("75693D357C")));
    QCOMPARE(fromHex(before), QStringLiteral("ui=5|no=0|ll=0|nr=0|iv=30|ig=0|"));

    state.logLines.push_back(std::make_unique<logLine>());
    state.nroOperacion = 1;
    QCOMPARE(fromHex(state.telemetryString()), QStringLiteral("ui=5|no=1|ll=1|nr=0|iv=30|ig=0|"));
}

void TelemetryTest::telemetryString_afterFirstRun_countsTheDefaultRule() {
    QTemporaryDir dir;
    FixedLocations locations;
    locations.userDesktop = dir.filePath(QStringLiteral("Desktop"));
    locations.data = dir.filePath(QStringLiteral("Moravel"));
    locations.documents = dir.filePath(QStringLiteral("Documents"));
    locations.startup = dir.filePath(QStringLiteral("autostart"));
    QVERIFY(QDir().mkpath(locations.userDesktop) && QDir().mkpath(locations.documents) &&
            QDir().mkpath(locations.data));
    FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    testing::ScriptedPrompts prompts;
    QVERIFY2(createDefaultConfiguration(locations, clock, prompts),
             qPrintable(prompts.messages.join(u'\n')));

    global state(locations, clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, prompts), 0);
    const QString text = fromHex(state.telemetryString());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^ui=(\\d+)\\|no=0\\|ll=0\\|nr=1\\|iv=30\\|ig=0\\|$"))
            .match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text));
    const qint64 id = match.captured(1).toLongLong();
    QCOMPARE(id, qint64{state.uniqueId});
    QVERIFY(id >= 100 && id <= 1000000099);
}

QTEST_GUILESS_MAIN(TelemetryTest)
#include "test_telemetry.moc"
