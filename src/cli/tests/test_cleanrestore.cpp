#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/terminalprompts.h"
#include "engine/clock.h"
#include "platform/locations.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>

using namespace moravel;

namespace {

// The terminal's prompts, with a hook that runs when a message is shown: the one moment in a
// run where a test can press Ctrl-C.
class HookedPrompts final : public Prompts {
public:
    HookedPrompts(QTextStream& err, QTextStream* answers) : m_terminal(err, answers) {}
    std::function<void()> onMessage;

    void showMessage(const QString& text) override {
        m_terminal.showMessage(text);
        if (onMessage) {
            onMessage();
        }
    }
    void showWarning(const QString& text) override { m_terminal.showWarning(text); }
    bool confirmYesNo(const QString& text) override { return m_terminal.confirmYesNo(text); }
    bool browseForFolder(QString& folder) override { return m_terminal.browseForFolder(folder); }

private:
    TerminalPrompts m_terminal;
};

// moravel-cli run in-process on temporary folders (under HOME, whose trash is the test's own),
// its output caught in buffers; `answers` stands for what the user types.
class Cli {
public:
    explicit Cli(const QString& typed = {}, bool terminal = false)
        : typedText(typed), outStream(&out), errStream(&err), answerStream(&typedText),
          prompts(errStream, terminal ? &answerStream : nullptr),
          env(outStream, errStream, locations, clock, prompts) {
        locations.userDesktop = dir.path() + QStringLiteral("/Desktop");
        locations.commonDesktop = dir.path() + QStringLiteral("/Public");
        locations.data = dir.path() + QStringLiteral("/data");
        locations.documents = dir.path() + QStringLiteral("/Documents");
        for (const QString& folder :
             {locations.userDesktop, locations.commonDesktop, locations.documents}) {
            QDir().mkpath(folder);
        }
        env.stdinIsTerminal = terminal;
        clock.set(QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30)));
    }

    int run(const QStringList& arguments) {
        out.clear();
        err.clear();
        return runCli(env, arguments);
    }

    QString archive() const { return locations.documents + QStringLiteral("/My Desktop Files"); }
    QString desktop(const QString& name) const { return locations.userDesktop + u'/' + name; }

    // A configuration written by hand, with an empty log and the archive folder.
    void writeConfiguration(const QByteArray& rules) const {
        QDir().mkpath(locations.data);
        QDir().mkpath(archive());
        writeFile(locations.data + QStringLiteral("/cfg.mvk"),
                  "<HTML><ITEM name=\"rutaRepositorio\" value=\"" + archive().toUtf8() +
                      "\"/><ITEM name=\"includeFolders\" value=\"1\"/>" + rules + "</HTML>");
        writeFile(locations.data + QStringLiteral("/MVL.log"), {});
    }

    static void writeFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), content.size());
    }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    QTemporaryDir dir{QDir::homePath() + QStringLiteral("/cli-XXXXXX")};
    FixedLocations locations;
    FixedClock clock;
    QString typedText;
    QString out;
    QString err;
    QTextStream outStream;
    QTextStream errStream;
    QTextStream answerStream;
    HookedPrompts prompts;
    CliEnvironment env;
};

const QString yes = QStringLiteral("--yes");
const QString clean = QStringLiteral("clean");
const QString restore = QStringLiteral("restore");

} // namespace

class TestCleanRestore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void clean_yes_firstRunArchivesEverythingAndLogs() {
        Cli cli;
        Cli::writeFile(cli.desktop(QStringLiteral("report.pdf")), "r");
        QDir().mkpath(cli.locations.commonDesktop + QStringLiteral("/Projects"));

        QCOMPARE(cli.run({clean, yes}), 0);

        QCOMPARE(cli.out, QStringLiteral("2 items will be archived\n"));
        QCOMPARE(cli.err, QStringLiteral("Cleaning finished\n"));
        QCOMPARE(Cli::entries(cli.archive() + QStringLiteral("/11-03-07")),
                 QStringList({QStringLiteral("Projects"), QStringLiteral("report.pdf")}));
        QCOMPARE(Cli::entries(cli.locations.userDesktop), QStringList());
        QFile log(cli.locations.data + QStringLiteral("/MVL.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), 2);
    }

    void clean_asksAndGoesAheadOnlyOnYes_data() {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("no terminal: No")
            << false << QString() << 1 << QStringLiteral("Proceed? [y/N] N (no terminal to ask)\n");
        QTest::newRow("Enter: No")
            << true << QStringLiteral("\n") << 1 << QStringLiteral("Proceed? [y/N] ");
        QTest::newRow("n") << true << QStringLiteral("n\n") << 1
                           << QStringLiteral("Proceed? [y/N] ");
        QTest::newRow("y") << true << QStringLiteral("y\n") << 0
                           << QStringLiteral("Proceed? [y/N] Cleaning finished\n");
    }
    void clean_asksAndGoesAheadOnlyOnYes() {
        QFETCH(bool, terminal);
        QFETCH(QString, typed);
        QFETCH(int, status);
        QFETCH(QString, err);
        Cli cli(typed, terminal);
        Cli::writeFile(cli.desktop(QStringLiteral("a.txt")), "a");

        QCOMPARE(cli.run({clean}), status);

        QCOMPARE(cli.out, QStringLiteral("1 items will be archived\n"));
        QCOMPARE(cli.err, err);
        QCOMPARE(QFile::exists(cli.desktop(QStringLiteral("a.txt"))), status != 0);
    }

    void clean_summaryInColourOnATerminal() {
        Cli cli;
        cli.env.stdoutIsTerminal = true;
        cli.writeConfiguration("<RULE action=\"4\"><CONDITION type=\"0\" mask=\"d*\"/></RULE>"
                               "<RULE action=\"3\"><CONDITION type=\"0\" mask=\"r*\"/></RULE>"
                               "<RULE action=\"0\"/>");
        for (const char* name : {"d1", "d2", "r1", "l1"}) {
            Cli::writeFile(cli.desktop(QString::fromLatin1(name)), "x");
        }

        QCOMPARE(cli.run({clean}), 1); // not confirmed: there is no terminal to ask

        QCOMPARE(cli.out, QStringLiteral("\x1b[1;31m2 items will be deleted\x1b[0m\n"
                                         "\x1b[1;31m1 items will be moved to the recycle bin"
                                         "\x1b[0m\n"
                                         "1 items will be left on desktop\n"));
        QCOMPARE(Cli::entries(cli.locations.userDesktop).size(), 4);
    }

    void clean_refusals_data() {
        QTest::addColumn<QByteArray>("rules");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("err");
        QTest::newRow("empty desktop") << QByteArray("<RULE action=\"1\"/>") << QStringList()
                                       << QStringLiteral("There is nothing to clean.\n");
        QTest::newRow("an item planned as Ask")
            << QByteArray("<RULE action=\"5\"/>") << QStringList({QStringLiteral("what.txt")})
            << QStringLiteral("Warning: Please choose what to do with the file: \"what.txt\"\n");
    }
    void clean_refusals() {
        QFETCH(QByteArray, rules);
        QFETCH(QStringList, items);
        QFETCH(QString, err);
        Cli cli;
        cli.writeConfiguration(rules);
        for (const QString& item : items) {
            Cli::writeFile(cli.desktop(item), "x");
        }

        QCOMPARE(cli.run({clean, yes}), 1);

        QCOMPARE(cli.out, QString());
        QCOMPARE(cli.err, err);
        QCOMPARE(Cli::entries(cli.locations.userDesktop), items);
    }

    void clean_failedItem_statusOneAndTheItemStays() {
        Cli cli;
        const QString missing = cli.dir.path() + QStringLiteral("/missing");
        cli.writeConfiguration("<RULE action=\"2\" folder=\"" + missing.toUtf8() +
                               "\"><CONDITION type=\"0\" mask=\"a*\"/></RULE>"
                               "<RULE action=\"4\"/>");
        Cli::writeFile(cli.desktop(QStringLiteral("a.txt")), "a");
        Cli::writeFile(cli.desktop(QStringLiteral("b.txt")), "b");

        QCOMPARE(cli.run({clean, yes}), 1);

        QCOMPARE(Cli::entries(cli.locations.userDesktop), QStringList({QStringLiteral("a.txt")}));
        QVERIFY2(cli.err.contains(QStringLiteral("a.txt")), qPrintable(cli.err));
        QVERIFY(cli.err.endsWith(QStringLiteral("Cleaning finished\n")));
    }

    void clean_ctrlC_stopsBetweenTwoItems() {
        Cli cli;
        const QString missing = cli.dir.path() + QStringLiteral("/missing");
        cli.writeConfiguration("<RULE action=\"2\" folder=\"" + missing.toUtf8() + "\"/>");
        for (int i = 0; i < 5; ++i) {
            Cli::writeFile(cli.desktop(QStringLiteral("item%1").arg(i)), "x");
        }
        // Every item fails; Ctrl-C comes while the first failure is on the screen.
        cli.prompts.onMessage = [] { std::raise(SIGINT); };
        struct sigaction before {};
        QCOMPARE(::sigaction(SIGINT, nullptr, &before), 0);

        QCOMPARE(cli.run({clean, yes}), 1);

        QCOMPARE(cli.err.count(QStringLiteral("Do you want to stop the cleaning process? [y/N] "
                                              "y (--yes)\n")),
                 1);
        QCOMPARE(cli.err.count(missing), 1); // only the first item was tried
        QVERIFY(cli.err.endsWith(QStringLiteral("Cleaning finished\n")));
        QCOMPARE(Cli::entries(cli.locations.userDesktop).size(), 5);
        // The handling of Ctrl-C from before the command is back.
        struct sigaction after {};
        QCOMPARE(::sigaction(SIGINT, nullptr, &after), 0);
        QVERIFY(after.sa_handler == before.sa_handler);
    }

    void clean_progressBarOnATerminal() {
        Cli cli;
        cli.env.stderrIsTerminal = true;
        Cli::writeFile(cli.desktop(QStringLiteral("a.txt")), "a");
        Cli::writeFile(cli.desktop(QStringLiteral("b.txt")), "b");

        QCOMPARE(cli.run({clean, yes}), 0);

        QVERIFY2(cli.err.contains(QStringLiteral("\r[") + QString(30, u'.') +
                                  QStringLiteral("]   0 %  0 / 2")),
                 qPrintable(cli.err));
        QVERIFY(cli.err.contains(QStringLiteral("\r[") + QString(15, u'#') + QString(15, u'.') +
                                 QStringLiteral("]  50 %  1 / 2")));
        // The bar is wiped before the closing message takes the line.
        QVERIFY(QRegularExpression(QStringLiteral("\r +\rCleaning finished\n$"))
                    .match(cli.err)
                    .hasMatch());
    }

    void restore_copiesArchivedAndMovedItemsBack() {
        Cli cli;
        const QString target = cli.dir.path() + QStringLiteral("/Target");
        QDir().mkpath(target);
        cli.writeConfiguration("<RULE action=\"2\" folder=\"" + target.toUtf8() +
                               "\"><CONDITION type=\"0\" mask=\"m*\"/></RULE>"
                               "<RULE action=\"3\"><CONDITION type=\"0\" mask=\"r*\"/></RULE>"
                               "<RULE action=\"1\"/>");
        for (const char* name : {"moved.txt", "recycled.txt", "archived.txt"}) {
            Cli::writeFile(cli.desktop(QString::fromLatin1(name)), name);
        }
        QCOMPARE(cli.run({clean, yes}), 0);
        QCOMPARE(Cli::entries(cli.locations.userDesktop), QStringList());

        QCOMPARE(cli.run({restore, QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}),
                 0);
        QCOMPARE(cli.err, QString()); // the recycled item is passed over without a word
        // What came back is said, in the order of the indexes.
        QCOMPARE(cli.out, QStringLiteral("Restored \"moved.txt\" to the desktop.\n"
                                         "Restored \"archived.txt\" to the desktop.\n"));
        QCOMPARE(Cli::entries(cli.locations.userDesktop),
                 QStringList({QStringLiteral("archived.txt"), QStringLiteral("moved.txt")}));
        QVERIFY(QFile::exists(target + QStringLiteral("/moved.txt")));

        // Once more: the copy comes under a new name.
        QFile log(cli.locations.data + QStringLiteral("/MVL.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> records = log.readAll().split('\n');
        const auto archived = std::find_if(records.begin(), records.end(), [](const QByteArray& r) {
            return r.contains(",archived.txt,");
        });
        QVERIFY(archived != records.end());
        const auto index = QString::number(archived - records.begin());
        QCOMPARE(cli.run({restore, index}), 0);
        QCOMPARE(Cli::entries(cli.locations.userDesktop).size(), 3);
        QCOMPARE(
            cli.out,
            QStringLiteral("Restored \"archived.txt\" to the desktop as \"archived (2).txt\".\n"));
    }

    void restore_missingItem_statusOne() {
        Cli cli;
        cli.writeConfiguration("<RULE action=\"1\"/>");
        Cli::writeFile(cli.desktop(QStringLiteral("gone.txt")), "g");
        Cli::writeFile(cli.desktop(QStringLiteral("here.txt")), "h");
        QCOMPARE(cli.run({clean, yes}), 0);
        QFile::remove(cli.archive() + QStringLiteral("/11-03-07/gone.txt"));

        QCOMPARE(cli.run({restore, QStringLiteral("0"), QStringLiteral("1")}), 1);
        QVERIFY2(cli.err.contains(QStringLiteral("gone.txt")), qPrintable(cli.err));
        QCOMPARE(Cli::entries(cli.locations.userDesktop),
                 QStringList({QStringLiteral("here.txt")}));
    }

    void restore_wrongIndexes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("none") << QStringList() << 2
                              << QStringLiteral("Give the index of at least one log record.");
        QTest::newRow("not a number") << QStringList({QStringLiteral("0"), QStringLiteral("one")})
                                      << 2 << QStringLiteral("'one' is not a log record index.");
        QTest::newRow("negative") << QStringList({QStringLiteral("-1")}) << 2
                                  << QStringLiteral("'-1' is not a log record index.");
        QTest::newRow("negative after --")
            << QStringList({QStringLiteral("--"), QStringLiteral("-1")}) << 2
            << QStringLiteral("'-1' is not a log record index.");
        QTest::newRow("past the end")
            << QStringList({QStringLiteral("0"), QStringLiteral("7")}) << 1
            << QStringLiteral("There is no log record 7: the indexes go from 0 to 0.\n");
    }
    void restore_wrongIndexes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, err);
        Cli cli;
        cli.writeConfiguration("<RULE action=\"1\"/>");
        Cli::writeFile(cli.desktop(QStringLiteral("a.txt")), "a");
        QCOMPARE(cli.run({clean, yes}), 0);

        QCOMPARE(cli.run(QStringList{restore} + arguments), status);
        QVERIFY2(cli.err.contains(err), qPrintable(cli.err));
        if (status == 2) {
            QVERIFY(cli.err.contains(QStringLiteral("Usage: moravel-cli restore INDEX...")));
        }
        QCOMPARE(Cli::entries(cli.locations.userDesktop), QStringList()); // nothing copied
    }

    void restore_noDesktop_statusOne() {
        Cli cli;
        cli.writeConfiguration("<RULE action=\"1\"/>");
        Cli::writeFile(cli.desktop(QStringLiteral("a.txt")), "a");
        QCOMPARE(cli.run({clean, yes}), 0);
        cli.locations.userDesktop.clear();

        QCOMPARE(cli.run({restore, QStringLiteral("0")}), 1);
        QCOMPARE(cli.err,
                 QStringLiteral("Your desktop folder could not be found. Nothing was restored.\n"));
    }
};

QTEST_GUILESS_MAIN(TestCleanRestore)
#include "test_cleanrestore.moc"
