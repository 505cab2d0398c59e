#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/terminalprompts.h"
#include "engine/clock.h"
#include "httpserver.h"
#include "platform/locations.h"
#include "platform/singleinstance.h"
#include "platform/updateservice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace moravel;
using namespace std::chrono_literals;
using moravel::testing::HttpServer;
using moravel::testing::RecordingUrlOpener;

namespace {

const QString anotherMoravelRuns =
    QStringLiteral("Another Moravel is running. Close it first, then try again.\n");
const QString updateQuestion =
    QStringLiteral("There is a newer version of Moravel. Do you want to download it it?");

// moravel-cli run in-process on a fresh account under the test's HOME, with one file on the
// desktop; the update service is the test's own server.
class Cli {
public:
    explicit Cli(const QString& typed = {}, bool terminal = false)
        : typedText(typed), outStream(&out), errStream(&err), answerStream(&typedText),
          prompts(errStream, terminal ? &answerStream : nullptr),
          env(outStream, errStream, locations, clock, prompts), service(server.root(), 5s) {
        locations.userDesktop = dir.path() + QStringLiteral("/Desktop");
        locations.data = dir.path() + QStringLiteral("/data");
        locations.documents = dir.path() + QStringLiteral("/Documents");
        QDir().mkpath(locations.userDesktop);
        QDir().mkpath(locations.documents);
        QFile item(desktopItem());
        if (item.open(QIODevice::WriteOnly)) {
            item.write("x");
        }
        env.stdinIsTerminal = terminal;
        env.updateService = &service;
        env.urlOpener = &opener;
        clock.set(QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30)));
        server.body = "30";
    }

    int run(const QStringList& arguments) {
        out.clear();
        err.clear();
        const int status = runCli(env, arguments);
        outStream.flush();
        errStream.flush();
        return status;
    }

    QString desktopItem() const { return locations.userDesktop + QStringLiteral("/a.txt"); }

    QTemporaryDir dir{QDir::homePath() + QStringLiteral("/cli-XXXXXX")};
    FixedLocations locations;
    FixedClock clock;
    QString typedText;
    QString out;
    QString err;
    QTextStream outStream;
    QTextStream errStream;
    QTextStream answerStream;
    TerminalPrompts prompts;
    CliEnvironment env;
    HttpServer server;
    UpdateService service;
    RecordingUrlOpener opener;
};

const QString clean = QStringLiteral("clean");
const QString yes = QStringLiteral("--yes");

} // namespace

class TestCliLockAndUpdate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void whileAnotherMoravelRuns_changingCommandsRefuse_readingCommandsRun_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("refused");
        QTest::newRow("clean") << QStringList({clean, yes}) << true;
        QTest::newRow("restore") << QStringList({QStringLiteral("restore"), QStringLiteral("0")})
                                 << true;
        QTest::newRow("plan") << QStringList({QStringLiteral("plan")}) << false;
        QTest::newRow("log") << QStringList({QStringLiteral("log")}) << false;
    }
    void whileAnotherMoravelRuns_changingCommandsRefuse_readingCommandsRun() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, refused);
        Cli cli;
        SingleInstance window(cli.locations);
        QVERIFY(window.checkSingleInstance());

        const int status = cli.run(arguments);

        if (refused) {
            QCOMPARE(status, 1);
            QCOMPARE(cli.err, anotherMoravelRuns);
            QVERIFY(cli.out.isEmpty());
            // Nothing was read or written: not even the first-run configuration. The data
            // folder holds the window's lock alone.
            QCOMPARE(QDir(cli.locations.data)
                         .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                     QStringList{QStringLiteral("Moravel.lock")});
            QVERIFY(cli.server.requestTargets.isEmpty());
        } else {
            QCOMPARE(status, 0);
            QVERIFY(!cli.err.contains(anotherMoravelRuns));
        }
        QVERIFY(QFile::exists(cli.desktopItem()));
    }

    void clean_holdsTheLockToItsEnd_thenReleasesIt() {
        Cli cli;
        // The update request is the last step of a clean: the lock must still be held then.
        std::optional<bool> secondCopyRan;
        cli.server.onRequest = [&] {
            secondCopyRan = SingleInstance(cli.locations).checkSingleInstance();
        };

        QCOMPARE(cli.run({clean, yes}), 0);

        QCOMPARE(secondCopyRan, std::optional<bool>(false));
        QVERIFY(SingleInstance(cli.locations).checkSingleInstance());
    }

    void clean_updateCheck_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("opened");

        // The first answer goes to "Proceed?", the second to the download question.
        QTest::newRow("newer, yes") << QByteArray("31") << QStringList{clean} << true
                                    << QStringLiteral("y\ny\n") << true << true;
        QTest::newRow("newer, no") << QByteArray("31") << QStringList{clean} << true
                                   << QStringLiteral("y\nn\n") << true << false;
        QTest::newRow("same version") << QByteArray("30") << QStringList{clean} << true
                                      << QStringLiteral("y\n") << false << false;
        // --yes answers "Proceed?" only; the download question is still the user's.
        QTest::newRow("--yes, the user says no") << QByteArray("31") << QStringList({clean, yes})
                                                 << true << QStringLiteral("n\n") << true << false;
        QTest::newRow("--yes, the user says yes") << QByteArray("31") << QStringList({clean, yes})
                                                  << true << QStringLiteral("y\n") << true << true;
        QTest::newRow("--yes, no terminal: no")
            << QByteArray("31") << QStringList({clean, yes}) << false << QString() << true << false;
    }
    void clean_updateCheck() {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, arguments);
        QFETCH(bool, terminal);
        QFETCH(QString, typed);
        QFETCH(bool, asked);
        QFETCH(bool, opened);
        Cli cli(typed, terminal);
        cli.server.body = reply;

        QCOMPARE(cli.run(arguments), 0);

        QCOMPARE(cli.server.requestTargets.size(), 1);
        QCOMPARE(cli.err.contains(updateQuestion), asked);
        QVERIFY(!cli.err.contains(updateQuestion + QStringLiteral(" [y/N] y (--yes)")));
        if (opened) {
            // The download page carries the telemetry of the run just made: one run, one record.
            QCOMPARE(cli.opener.opened.size(), 1);
            const QUrl page = cli.opener.opened.first();
            QVERIFY(page.toString().startsWith(cli.server.root() +
                                               QStringLiteral("update.aspx?hbase=")));
            const QString telemetry =
                QString::fromLatin1(QByteArray::fromHex(page.query().section(u'=', 1).toLatin1()));
            QVERIFY2(telemetry.contains(QStringLiteral("|no=1|ll=1|")), qPrintable(telemetry));
        } else {
            QVERIFY(cli.opener.opened.isEmpty());
        }
    }

    void clean_replyNotANumber_isReported_runStillSucceeds() {
        Cli cli;
        cli.server.body = "31\n";
        QCOMPARE(cli.run({clean, yes}), 0);
        QVERIFY(cli.err.contains(QStringLiteral("''31\n'' is not a valid integer value\n")));
        QVERIFY(!cli.err.contains(updateQuestion));
    }
};

QTEST_GUILESS_MAIN(TestCliLockAndUpdate)
#include "test_cli_lockandupdate.moc"
