#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "httpserver.h"
#include "platform/locations.h"
#include "platform/updateservice.h"
#include "platform/urlopener.h"
#include "platform/xdgurlopener.h"
#include "scriptedprompts.h"
#include "storage/global.h"
#include "storage/updatecheck.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;
using namespace std::chrono_literals;
using moravel::testing::HttpServer;
using moravel::testing::ScriptedPrompts;
using RecordingOpener = moravel::testing::RecordingUrlOpener;

class UpdateCheckTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void latestVersionCode_readsServiceAnswer_data();
    void latestVersionCode_readsServiceAnswer();
    void latestVersionCode_longReply_isShownCutShort();
    void latestVersionCode_sendsTelemetryFreshFromTheServer();
    void latestVersionCode_unreachable_givesZero_data();
    void latestVersionCode_unreachable_givesZero();
    void latestVersionCode_noHost_sendsNothing();

    void checkForUpdate_sameVersion_asksNothing();
    void checkForUpdate_newerVersion_no_keepsRunning();
    void checkForUpdate_newerVersion_yes_opensDownloadPageWithFreshTelemetry_andEnds();
    void checkForUpdate_noticesOff_stillSendsTelemetry_butAsksNothing();
    void checkForUpdate_replyNotAnInteger_showsErrorAndAsksNothing();
    void checkForUpdate_noBrowser_showsAddress_andKeepsRunning();
    void checkForUpdate_noHost_doesNothing();

    void feedback_opensSiteRootWithTelemetry_data();
    void feedback_opensSiteRootWithTelemetry();
    void feedback_noHost_tellsUser();

    void xdgOpener_handsAddressToXdgOpen();

private:
    std::unique_ptr<HttpServer> m_server;
    FixedLocations m_locations;
    FixedClock m_clock;
    std::unique_ptr<global> m_state;
    ScriptedPrompts m_prompts;
    RecordingOpener m_opener;
};

void UpdateCheckTest::init() {
    m_server = std::make_unique<HttpServer>();
    QVERIFY(m_server->isListening());
    m_state = std::make_unique<global>(m_locations, m_clock);
    m_state->uniqueId = 4711;
    m_state->versionCode = ownVersionCode;
    m_state->chkForUpdates = true;
    m_state->newRule();
    m_prompts = ScriptedPrompts();
    m_opener = RecordingOpener();
}

void UpdateCheckTest::cleanup() {
    m_state.reset();
    m_server.reset();
}

void UpdateCheckTest::latestVersionCode_readsServiceAnswer_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("isInteger");
    QTest::addColumn<qint32>("version");

    QTest::newRow("30") << 200 << QByteArray("30") << true << 30;
    QTest::newRow("31") << 200 << QByteArray("31") << true << 31;
    QTest::newRow("leading blanks and sign") << 200 << QByteArray("  +31") << true << 31;
    QTest::newRow("hexadecimal") << 200 << QByteArray("$1F") << true << 31;
    QTest::newRow("negative") << 200 << QByteArray("-1") << true << -1;
    QTest::newRow("exactly 64 KiB") << 200 << QByteArray(64 * 1024 - 2, ' ') + "31" << true << 31;
    QTest::newRow("line break after number") << 200 << QByteArray("31\n") << false << 0;
    QTest::newRow("empty body") << 200 << QByteArray() << false << 0;
    QTest::newRow("text") << 200 << QByteArray("version 31") << false << 0;
    QTest::newRow("too big for 32 bits") << 200 << QByteArray("2147483648") << false << 0;
    QTest::newRow("404 page") << 404 << QByteArray("<html><body>Not Found</body></html>") << false
                              << 0;
}

void UpdateCheckTest::latestVersionCode_readsServiceAnswer() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, isInteger);
    QFETCH(qint32, version);
    m_server->status = status;
    m_server->body = body;

    const UpdateService service(m_server->root(), 5s);
    std::int32_t latest = -99;
    errorControl error;
    QCOMPARE(service.latestVersionCode(QStringLiteral("616263"), latest, error), isInteger);
    QCOMPARE(latest, version);
    if (isInteger) {
        QVERIFY(error.message.isEmpty());
    } else {
        QCOMPARE(
            error.message,
            QStringLiteral("''%1'' is not a valid integer value").arg(QString::fromUtf8(body)));
    }
}

void UpdateCheckTest::latestVersionCode_longReply_isShownCutShort() {
    // An error page must not make a message box taller than the screen.
    m_server->body = QByteArray(150, 'a') + QByteArray(5000, 'b');
    const UpdateService service(m_server->root(), 5s);
    std::int32_t latest = -99;
    errorControl error;
    QVERIFY(!service.latestVersionCode(QStringLiteral("616263"), latest, error));
    QCOMPARE(latest, 0);
    QCOMPARE(error.message, QStringLiteral("''%1%2\u2026'' is not a valid integer value")
                                .arg(QString(150, u'a'), QString(50, u'b')));
}

void UpdateCheckTest::latestVersionCode_sendsTelemetryFreshFromTheServer() {
    m_server->body = "30";
    const UpdateService service(m_server->root(), 5s);
    std::int32_t latest = 0;
    errorControl error;
    QVERIFY(service.latestVersionCode(QStringLiteral("616263"), latest, error));
    QVERIFY(service.latestVersionCode(QStringLiteral("616263"), latest, error));
    // Two requests reach the server: nothing comes from a cache.
    QCOMPARE(m_server->requestTargets,
             QList<QByteArray>({"/getVerCode.aspx?hbase=616263", "/getVerCode.aspx?hbase=616263"}));
}

void UpdateCheckTest::latestVersionCode_unreachable_givesZero_data() {
    QTest::addColumn<QString>("situation");
    QTest::newRow("10 MB body") << QStringLiteral("big");
    QTest::newRow("10 MB body without length") << QStringLiteral("big stream");
    QTest::newRow("64 KiB and one byte") << QStringLiteral("just too big");
    QTest::newRow("server never answers") << QStringLiteral("silent");
    QTest::newRow("closed port") << QStringLiteral("closed");
    QTest::newRow("unknown host") << QStringLiteral("unknown host");
}

void UpdateCheckTest::latestVersionCode_unreachable_givesZero() {
    QFETCH(QString, situation);
    QString root = m_server->root();
    std::chrono::milliseconds timeout = 10s;
    if (situation.startsWith(QStringLiteral("big"))) {
        m_server->body = QByteArray(10 * 1024 * 1024, '1');
        if (situation.endsWith(QStringLiteral("stream"))) {
            m_server->mode = HttpServer::Mode::CloseDelimited;
        }
    } else if (situation == QStringLiteral("just too big")) {
        m_server->body = QByteArray(64 * 1024 - 1, ' ') + "31";
    } else if (situation == QStringLiteral("silent")) {
        m_server->mode = HttpServer::Mode::Silent;
        timeout = 300ms;
    } else if (situation == QStringLiteral("closed")) {
        root = QStringLiteral("http://127.0.0.1:%1/").arg(HttpServer::closedPort());
    } else {
        root = QStringLiteral("http://no-such-host.invalid/");
    }

    const UpdateService service(root, timeout);
    std::int32_t latest = -99;
    errorControl error;
    QVERIFY(service.latestVersionCode(QStringLiteral("616263"), latest, error));
    QCOMPARE(latest, 0);
    QVERIFY(error.message.isEmpty());
}

void UpdateCheckTest::latestVersionCode_noHost_sendsNothing() {
    const UpdateService service(QString(), 5s);
    QVERIFY(service.versionQueryUrl(QStringLiteral("616263")).isEmpty());
    std::int32_t latest = -99;
    errorControl error;
    QVERIFY(service.latestVersionCode(QStringLiteral("616263"), latest, error));
    QCOMPARE(latest, 0);
}

void UpdateCheckTest::checkForUpdate_sameVersion_asksNothing() {
    m_server->body = "30";
    const UpdateService service(m_server->root(), 5s);
    QVERIFY(!checkForUpdate(*m_state, m_prompts, m_opener, service));
    QCOMPARE(m_server->requestTargets.size(), 1);
    QVERIFY(m_prompts.everything().isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
}

void UpdateCheckTest::checkForUpdate_newerVersion_no_keepsRunning() {
    m_server->body = "31";
    m_prompts.answers = {false};
    const UpdateService service(m_server->root(), 5s);
    QVERIFY(!checkForUpdate(*m_state, m_prompts, m_opener, service));
    QCOMPARE(m_prompts.questions,
             QStringList{QStringLiteral(
                 "There is a newer version of Moravel. Do you want to download it it?")});
    QVERIFY(m_prompts.messages.isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
}

void UpdateCheckTest::
    checkForUpdate_newerVersion_yes_opensDownloadPageWithFreshTelemetry_andEnds() {
    m_server->body = "31";
    const QString sentTelemetry = m_state->telemetryString();
    // The state moves on while the request is under way; the download page gets the new state.
    m_server->onRequest = [this] { m_state->logLines.push_back(std::make_unique<logLine>()); };
    m_prompts.answers = {true};
    const UpdateService service(m_server->root(), 5s);
    QVERIFY(checkForUpdate(*m_state, m_prompts, m_opener, service));

    QCOMPARE(m_server->requestTargets,
             QList<QByteArray>{"/getVerCode.aspx?hbase=" + sentTelemetry.toLatin1()});
    const QString laterTelemetry = m_state->telemetryString();
    QVERIFY(laterTelemetry != sentTelemetry);
    QCOMPARE(m_opener.opened,
             QList<QUrl>{
                 QUrl(m_server->root() + QStringLiteral("update.aspx?hbase=") + laterTelemetry)});
    QCOMPARE(m_prompts.questions.size(), 1);
}

void UpdateCheckTest::checkForUpdate_noticesOff_stillSendsTelemetry_butAsksNothing() {
    m_state->chkForUpdates = false;
    m_server->body = "31";
    const UpdateService service(m_server->root(), 5s);
    QVERIFY(!checkForUpdate(*m_state, m_prompts, m_opener, service));
    QCOMPARE(m_server->requestTargets,
             QList<QByteArray>{"/getVerCode.aspx?hbase=" + m_state->telemetryString().toLatin1()});
    QVERIFY(m_prompts.everything().isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
}

void UpdateCheckTest::checkForUpdate_replyNotAnInteger_showsErrorAndAsksNothing() {
    m_server->body = "31\n";
    const UpdateService service(m_server->root(), 5s);
    QVERIFY(!checkForUpdate(*m_state, m_prompts, m_opener, service));
    QCOMPARE(m_prompts.messages,
             QStringList{QStringLiteral("''31\n'' is not a valid integer value")});
    QVERIFY(m_prompts.questions.isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
}

void UpdateCheckTest::checkForUpdate_noBrowser_showsAddress_andKeepsRunning() {
    m_server->body = "31";
    m_opener.works = false;
    const UpdateService service(m_server->root(), 5s);
    QVERIFY(!checkForUpdate(*m_state, m_prompts, m_opener, service));
    QCOMPARE(m_opener.opened.size(), 1);
    QCOMPARE(m_prompts.messages.size(), 1);
    QVERIFY(m_prompts.messages.first().contains(m_opener.opened.first().toString()));
}

void UpdateCheckTest::checkForUpdate_noHost_doesNothing() {
    const UpdateService service(QString(), 5s);
    QVERIFY(!checkForUpdate(*m_state, m_prompts, m_opener, service));
    QVERIFY(m_prompts.everything().isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
}

void UpdateCheckTest::feedback_opensSiteRootWithTelemetry_data() {
    QTest::addColumn<QString>("host");
    QTest::newRow("site root") << QStringLiteral("http://support.example.org/");
    QTest::newRow("without the final slash") << QStringLiteral("http://support.example.org");
}

void UpdateCheckTest::feedback_opensSiteRootWithTelemetry() {
    QFETCH(QString, host);
    openFeedbackSite(*m_state, host, m_prompts, m_opener);
    QCOMPARE(m_opener.opened,
             QList<QUrl>{QUrl(QStringLiteral("http://support.example.org/?hbase=") +
                              m_state->telemetryString())});
    QVERIFY(m_prompts.everything().isEmpty());
}

void UpdateCheckTest::feedback_noHost_tellsUser() {
    openFeedbackSite(*m_state, QString(), m_prompts, m_opener);
    QVERIFY(m_opener.opened.isEmpty());
    QCOMPARE(m_prompts.messages.size(), 1);
    QVERIFY(m_prompts.messages.first().contains(QStringLiteral("no support site")));
}

void UpdateCheckTest::xdgOpener_handsAddressToXdgOpen() {
    // A stand-in for xdg-open, found first on the PATH, that writes down what it was given.
    QTemporaryDir bin;
    const QString received = bin.filePath(QStringLiteral("received"));
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + received.toLocal8Bit() +
                 ".part' && /bin/mv '" + received.toLocal8Bit() + ".part' '" +
                 received.toLocal8Bit() + "'\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QByteArray path = qgetenv("PATH");
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
    const QUrl page(QStringLiteral("http://127.0.0.1:1/update.aspx?hbase=616263"));
    XdgUrlOpener opener;

    qputenv("PATH", bin.path().toLocal8Bit());
    QVERIFY(opener.openUrl(page));
    QTRY_VERIFY(QFile::exists(received));
    QFile result(received);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), page.toEncoded());

    QTemporaryDir empty;
    qputenv("PATH", empty.path().toLocal8Bit());
    QVERIFY(!opener.openUrl(page));
}

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "test_updatecheck.moc"
