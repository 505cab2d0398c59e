#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/terminalprompts.h"
#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;

namespace {

// moravel-cli run in-process on temporary folders, its output caught in buffers.
class Cli {
public:
    Cli()
        : outStream(&out), errStream(&err), prompts(errStream, nullptr),
          env(outStream, errStream, locations, clock, prompts) {
        locations.userDesktop = dir.path() + QStringLiteral("/Desktop");
        locations.commonDesktop = dir.path() + QStringLiteral("/Public");
        locations.data = dir.path() + QStringLiteral("/data");
        locations.documents = dir.path() + QStringLiteral("/Documents");
        for (const QString& folder :
             {locations.userDesktop, locations.commonDesktop, locations.documents}) {
            QDir().mkpath(folder);
        }
        clock.set(QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30)));
    }

    int run(const QStringList& arguments) {
        out.clear();
        err.clear();
        return runCli(env, arguments);
    }

    QString dataFile(const QString& name) const { return locations.data + u'/' + name; }

    // A configuration written by hand, and an empty log beside it.
    void writeConfiguration(const QByteArray& xml) const {
        QDir().mkpath(locations.data);
        writeFile(dataFile(QStringLiteral("cfg.mvk")), xml);
        writeFile(dataFile(QStringLiteral("MVL.log")), QByteArray());
    }

    // The first-run configuration, then a log of `records` written by the log's own writer.
    void writeLog(const std::function<void(global&)>& records) {
        QDir().mkpath(locations.data);
        QVERIFY2(createDefaultConfiguration(locations, clock, prompts), qPrintable(err));
        global state(locations, clock);
        records(state);
        errorControl error;
        QVERIFY2(state.writeLog(error), qPrintable(error.message));
    }

    static void writeFile(const QString& path, const QByteArray& content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), content.size());
    }

    QJsonArray json() const {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !document.isArray()) {
            qWarning() << "not a JSON array:" << out;
        }
        return document.array();
    }

    QTemporaryDir dir;
    FixedLocations locations;
    FixedClock clock;
    QString out;
    QString err;
    QTextStream outStream;
    QTextStream errStream;
    TerminalPrompts prompts;
    CliEnvironment env;
};

void setModified(const QString& path, const QDateTime& local) {
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(local.toSecsSinceEpoch());
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

void addRecord(global& state, int operation, const QString& name, const QString& folder,
               ActionKind kind, const QDateTime& at) {
    logLine& record = state.newLogLine();
    record.operationNumber = operation;
    record.setItemName(name.toUtf8());
    record.destinationFolder = folder;
    record.performedAction = kind;
    record.cleanedAt = toDateTimeValue(at);
}

const QDateTime march7(QDate(2010, 3, 7), QTime(14, 5, 9));
const QDateTime march8(QDate(2010, 3, 8), QTime(9, 0, 0));

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plan_firstRun_setsUpAndPrintsTheTable() {
        Cli cli;
        Cli::writeFile(cli.locations.userDesktop + QStringLiteral("/report.pdf"),
                       QByteArray(3000, 'r'));
        setModified(cli.locations.userDesktop + QStringLiteral("/report.pdf"), march7);
        const QString folder = cli.locations.commonDesktop + QStringLiteral("/Projects");
        QDir().mkpath(folder);
        setModified(folder, QDateTime(QDate(2011, 2, 1), QTime(0, 0)));

        QCOMPARE(cli.run({QStringLiteral("plan")}), 0);

        QVERIFY(QFile::exists(cli.dataFile(QStringLiteral("cfg.mvk"))));
        QVERIFY(QFile::exists(cli.dataFile(QStringLiteral("MVL.log"))));
        QVERIFY(QFileInfo(cli.locations.documents + QStringLiteral("/My Desktop Files")).isDir());
        // The first-run rule archives everything, folders included.
        QCOMPARE(cli.out,
                 QStringLiteral("Name        Type          Size  Modified             Desktop  "
                                "Action   Destination\n"
                                "report.pdf  PDF document  3 KB  7 Mar 2010 14:05:09  User     "
                                "Archive\n"
                                "Projects    folder        -     1 Feb 2011           Public   "
                                "Archive\n"
                                "\n"
                                "Leave on Desktop: 0\n"
                                "Archive: 2\n"
                                "Move to Folder: 0\n"
                                "Move to Recycle Bin: 0\n"
                                "Delete: 0\n"
                                "? Ask what to do: 0\n"));
        QCOMPARE(cli.err, QString());
    }

    void plan_text_controlCharactersInNamesAreShownAsQuestionMarks() {
        Cli cli;
        Cli::writeFile(cli.locations.userDesktop + QStringLiteral("/evil\x1b[2J\nname.txt"), "x");

        QCOMPARE(cli.run({QStringLiteral("plan")}), 0);

        QVERIFY2(cli.out.contains(QStringLiteral("evil?[2J?name.txt  ")), qPrintable(cli.out));
        QVERIFY(!cli.out.contains(QChar(0x1b)));
        // JSON carries the name as it is.
        QCOMPARE(cli.run({QStringLiteral("plan"), QStringLiteral("--json")}), 0);
        QCOMPARE(cli.json().at(0).toObject().value(QStringLiteral("name")).toString(),
                 QStringLiteral("evil\x1b[2J\nname.txt"));
    }

    // Controls that turn the direction of text could make "txt.exe" read as "exe.txt";
    // wide characters take two columns, and the columns after them still line up.
    void plan_text_directionControlsShownAndWideCharactersAligned() {
        Cli cli;
        Cli::writeFile(cli.locations.userDesktop + QStringLiteral("/pay\u202Etxt.exe"), "x");
        Cli::writeFile(cli.locations.userDesktop + QStringLiteral("/\u8acb\u6c42\u66f8.pdf"), "x");

        QCOMPARE(cli.run({QStringLiteral("plan")}), 0);

        QVERIFY(!cli.out.contains(QChar(0x202E)));
        QVERIFY2(cli.out.contains(QStringLiteral("pay?txt.exe  ")), qPrintable(cli.out));
        // "請求書.pdf" is 10 columns wide, "pay?txt.exe" 11: one blank more after the former.
        QVERIFY2(cli.out.contains(QStringLiteral("\u8acb\u6c42\u66f8.pdf   ")),
                 qPrintable(cli.out));
    }

    // A name that is not UTF-8 shows as its reading, and JSON gives its bytes in hexadecimal.
    void plan_json_nameThatIsNotUtf8_carriesItsBytes() {
        Cli cli;
        const QByteArray name = "caf\xe9.txt";
        const QByteArray path = QFile::encodeName(cli.locations.userDesktop) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        Cli::writeFile(cli.locations.userDesktop + QStringLiteral("/plain.txt"), "x");

        QCOMPARE(cli.run({QStringLiteral("plan"), QStringLiteral("--json")}), 0);
        const QJsonArray items = cli.json();
        QCOMPARE(items.size(), 2);
        for (const QJsonValue& value : items) {
            const QJsonObject item = value.toObject();
            if (item.value(QStringLiteral("name")).toString() == QStringLiteral("plain.txt")) {
                QVERIFY(!item.contains(QStringLiteral("nameBytes")));
            } else {
                QCOMPARE(item.value(QStringLiteral("name")).toString(),
                         QStringLiteral("caf\ufffd.txt"));
                QCOMPARE(item.value(QStringLiteral("nameBytes")).toString(),
                         QString::fromLatin1(name.toHex()));
            }
        }
    }

    void plan_json() {
        Cli cli;
        cli.writeConfiguration(R"(<HTML>
            <ITEM name="includeFolders" value="1"/>
            <RULE action="2" folder="/srv/Texts"><CONDITION type="0" mask="*.txt"/></RULE>
            <IGNORE file="KEEP.TXT"/>
        </HTML>)");
        const QString note = cli.locations.userDesktop + QStringLiteral("/note \"1\".txt");
        Cli::writeFile(note, "12345");
        setModified(note, march7);
        Cli::writeFile(cli.locations.commonDesktop + QStringLiteral("/keep.txt"), "k");

        QCOMPARE(cli.run({QStringLiteral("plan"), QStringLiteral("--json")}), 0);

        const QJsonArray items = cli.json();
        QCOMPARE(items.size(), 2);
        const QJsonObject first = items.at(0).toObject();
        QCOMPARE(first.value(QStringLiteral("index")).toInt(), 0);
        QCOMPARE(first.value(QStringLiteral("name")).toString(), QStringLiteral("note \"1\".txt"));
        QCOMPARE(first.value(QStringLiteral("desktop")).toString(), QStringLiteral("User"));
        QCOMPARE(first.value(QStringLiteral("sourceFolder")).toString(), cli.locations.userDesktop);
        QCOMPARE(first.value(QStringLiteral("isFolder")).toBool(), false);
        QCOMPARE(first.value(QStringLiteral("size")).toInteger(), 5);
        QCOMPARE(first.value(QStringLiteral("modified")).toString(),
                 QStringLiteral("2010-03-07T14:05:09"));
        QVERIFY(
            QDateTime::fromString(first.value(QStringLiteral("accessed")).toString(), Qt::ISODate)
                .isValid());
        QCOMPARE(first.value(QStringLiteral("typeName")).toString(),
                 QStringLiteral("plain text document"));
        QCOMPARE(first.value(QStringLiteral("action")).toInt(), 2);
        QCOMPARE(first.value(QStringLiteral("actionName")).toString(),
                 QStringLiteral("Move to Folder"));
        QCOMPARE(first.value(QStringLiteral("destination")).toString(),
                 QStringLiteral("/srv/Texts"));
        const QJsonObject second = items.at(1).toObject();
        QCOMPARE(second.value(QStringLiteral("index")).toInt(), 1);
        QCOMPARE(second.value(QStringLiteral("desktop")).toString(), QStringLiteral("Public"));
        QCOMPARE(second.value(QStringLiteral("action")).toInt(), 0);
        QCOMPARE(second.value(QStringLiteral("actionName")).toString(),
                 QStringLiteral("Leave on Desktop"));
    }

    void plan_malformedMask_failsWithItsText() {
        Cli cli;
        cli.writeConfiguration(
            "<HTML><RULE action=\"4\"><CONDITION type=\"0\" mask=\"[abc\"/></RULE></HTML>");
        Cli::writeFile(cli.locations.userDesktop + QStringLiteral("/a.txt"), "a");

        QCOMPARE(cli.run({QStringLiteral("plan"), QStringLiteral("--json")}), 1);

        QVERIFY2(cli.err.startsWith(QStringLiteral("'[abc' is an invalid mask at (")),
                 qPrintable(cli.err));
        QCOMPARE(cli.out, QString());
    }

    void unreadableConfiguration_fails_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("plan") << QStringLiteral("plan");
        QTest::newRow("log") << QStringLiteral("log");
    }
    void unreadableConfiguration_fails() {
        QFETCH(QString, command);
        Cli cli;
        cli.writeConfiguration("<HTML><RULE action=");

        QCOMPARE(cli.run({command}), 1);

        QVERIFY2(cli.err.startsWith(QStringLiteral("Error while reading configuration file. ")),
                 qPrintable(cli.err));
        QCOMPARE(cli.out, QString());
        // The broken file is left for the user to mend, never replaced.
        QFile file(cli.dataFile(QStringLiteral("cfg.mvk")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("<HTML><RULE action="));
    }

    void wrongUsage_printsUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("No command given.");
        QTest::newRow("unknown command")
            << QStringList{QStringLiteral("tidy")} << QStringLiteral("Unknown command 'tidy'.");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("plan"), QStringLiteral("--yes")}
            << QStringLiteral("Unknown option 'yes'.");
        QTest::newRow("argument") << QStringList{QStringLiteral("log"), QStringLiteral("x")}
                                  << QStringLiteral("Unexpected argument 'x'.");
        QTest::newRow("missing value")
            << QStringList{QStringLiteral("log"), QStringLiteral("--mask")}
            << QStringLiteral("Missing value after '--mask'.");
        QTest::newRow("help of unknown command")
            << QStringList{QStringLiteral("help"), QStringLiteral("tidy")}
            << QStringLiteral("Unknown command 'tidy'.");
    }
    void wrongUsage_printsUsage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        Cli cli;

        QCOMPARE(cli.run(arguments), 2);

        QVERIFY2(cli.err.startsWith(QStringLiteral("moravel-cli: ") + problem + u'\n'),
                 qPrintable(cli.err));
        QVERIFY(cli.err.contains(QStringLiteral("Usage: moravel-cli ")));
        QCOMPARE(cli.out, QString());
        // Wrong usage touches nothing.
        QVERIFY(!QFile::exists(cli.locations.data));
    }

    void help_describesEveryCommand() {
        Cli cli;
        QCOMPARE(cli.run({QStringLiteral("--help")}), 0);
        const QString help = cli.out;
        for (const auto& command : allCommands()) {
            QVERIFY2(help.contains(command->synopsis()), qPrintable(command->name()));
            QVERIFY(help.contains(command->description().section(u'\n', 0, 0)));
        }
        for (const char* option : {"--json", "--mask MASK", "--date DATE", "--all"}) {
            QVERIFY2(help.contains(QLatin1String(option)), option);
        }
        QVERIFY(help.contains(QStringLiteral("Exit status")));

        QCOMPARE(cli.run({QStringLiteral("log"), QStringLiteral("--help")}), 0);
        QVERIFY(cli.out.startsWith(QStringLiteral("log [--json] [--mask MASK] [--date DATE] "
                                                  "[--all]\n")));
        const QString logHelp = cli.out;
        QCOMPARE(cli.run({QStringLiteral("help"), QStringLiteral("log")}), 0);
        QCOMPARE(cli.out, logHelp);
        QVERIFY(!QFile::exists(cli.locations.data));
    }

    void log_text_newestFiftyInNameOrder() {
        Cli cli;
        cli.writeLog([](global& state) {
            for (int i = 1; i <= 120; ++i) {
                addRecord(state, 1, QStringLiteral("item%1.txt").arg(i, 3, 10, QLatin1Char('0')),
                          QStringLiteral("/arch/10-03-07"), actions::Archive, march7);
            }
        });

        QCOMPARE(cli.run({QStringLiteral("log")}), 0);

        const QStringList lines = cli.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + 50 + 1);
        QCOMPARE(lines.at(0), QStringLiteral("Name         Action   Cleaning date  Destination"));
        QCOMPARE(lines.at(1),
                 QStringLiteral("item071.txt  Archive  7 Mar 2010     /arch/10-03-07"));
        QVERIFY(lines.at(50).startsWith(QStringLiteral("item120.txt  ")));
        QCOMPARE(lines.at(51),
                 QStringLiteral("Showing first 50 items, run again with --all to show all"));

        QCOMPARE(cli.run({QStringLiteral("log"), QStringLiteral("--all")}), 0);
        QCOMPARE(cli.out.count(u'\n'), 1 + 120);
        QVERIFY(!cli.out.contains(QStringLiteral("Showing first")));
    }

    void log_json_records() {
        Cli cli;
        cli.writeLog([](global& state) {
            addRecord(state, 7, QStringLiteral("report, final.doc"), QStringLiteral("/arch/x"),
                      actions::Archive, march7);
            addRecord(state, 8, QStringLiteral("b.txt"), QString(), actions::Recycle, march8);
            addRecord(state, 8, QStringLiteral("A.txt"), QStringLiteral("/srv/Texts"),
                      actions::MoveToFolder, march8);
        });

        QCOMPARE(cli.run({QStringLiteral("log"), QStringLiteral("--json")}), 0);

        const QJsonArray records = cli.json();
        QCOMPARE(records.size(), 3);
        QStringList order;
        for (const QJsonValue& value : records) {
            order << value.toObject().value(QStringLiteral("itemName")).toString();
        }
        // Name order, "A" and "b" compared without regard to case.
        QCOMPARE(order, (QStringList{QStringLiteral("A.txt"), QStringLiteral("b.txt"),
                                     QStringLiteral("report, final.doc")}));
        const QJsonObject report = records.at(2).toObject();
        QCOMPARE(report.value(QStringLiteral("index")).toInt(), 0);
        QCOMPARE(report.value(QStringLiteral("operationNumber")).toInt(), 7);
        QCOMPARE(report.value(QStringLiteral("destinationFolder")).toString(),
                 QStringLiteral("/arch/x"));
        QCOMPARE(report.value(QStringLiteral("performedAction")).toInt(), 1);
        QCOMPARE(report.value(QStringLiteral("actionName")).toString(), QStringLiteral("Archive"));
        QCOMPARE(report.value(QStringLiteral("cleanedAt")).toString(),
                 QStringLiteral("2010-03-07T14:05:09"));
        const QJsonObject recycled = records.at(1).toObject();
        QCOMPARE(recycled.value(QStringLiteral("index")).toInt(), 1);
        QCOMPARE(recycled.value(QStringLiteral("destinationFolder")).toString(), QString());
        QCOMPARE(recycled.value(QStringLiteral("actionName")).toString(),
                 QStringLiteral("Move to Recycle Bin"));
        QCOMPARE(cli.err, QString());
    }

    void log_selection_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("names");
        const QStringList everything{QStringLiteral("Old Report.txt"), QStringLiteral("rep.txt"),
                                     QStringLiteral("Report.DOC"), QStringLiteral("zeta.doc")};
        QTest::newRow("no mask") << QStringList{} << everything;
        QTest::newRow("empty mask")
            << QStringList{QStringLiteral("--mask"), QString()} << everything;
        QTest::newRow("word is enclosed in stars")
            << QStringList{QStringLiteral("--mask"), QStringLiteral("report")}
            << QStringList{QStringLiteral("Old Report.txt"), QStringLiteral("Report.DOC")};
        QTest::newRow("question mark without star")
            << QStringList{QStringLiteral("--mask"), QStringLiteral("r?p")}
            << QStringList{QStringLiteral("Old Report.txt"), QStringLiteral("rep.txt"),
                           QStringLiteral("Report.DOC")};
        QTest::newRow("mask with star")
            << QStringList{QStringLiteral("--mask"), QStringLiteral("*.doc")}
            << QStringList{QStringLiteral("Report.DOC"), QStringLiteral("zeta.doc")};
        QTest::newRow("date") << QStringList{QStringLiteral("--date"), QStringLiteral("8 Mar 2010")}
                              << QStringList{QStringLiteral("rep.txt"), QStringLiteral("zeta.doc")};
        QTest::newRow("date and mask")
            << QStringList{QStringLiteral("--date"), QStringLiteral("8 Mar 2010"),
                           QStringLiteral("--mask"), QStringLiteral("*.doc")}
            << QStringList{QStringLiteral("zeta.doc")};
        QTest::newRow("date without records")
            << QStringList{QStringLiteral("--date"), QStringLiteral("2010-03-08")} << QStringList{};
    }
    void log_selection() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, names);
        Cli cli;
        cli.writeLog([](global& state) {
            addRecord(state, 1, QStringLiteral("Report.DOC"), QStringLiteral("/a"),
                      actions::Archive, march7);
            addRecord(state, 1, QStringLiteral("Old Report.txt"), QStringLiteral("/a"),
                      actions::Archive, march7);
            addRecord(state, 2, QStringLiteral("rep.txt"), QString(), actions::Delete, march8);
            addRecord(state, 2, QStringLiteral("zeta.doc"), QString(), actions::Delete, march8);
        });

        QCOMPARE(cli.run(QStringList{QStringLiteral("log"), QStringLiteral("--json")} + options),
                 0);

        QStringList found;
        for (const QJsonValue& value : cli.json()) {
            found << value.toObject().value(QStringLiteral("itemName")).toString();
        }
        QCOMPARE(found, names);
    }

    void log_date_inTheUsersShortDateFormat() {
        // The date texts follow the user's regional formats, here German ones.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Cli cli;
        cli.writeLog([](global& state) {
            addRecord(state, 1, QStringLiteral("a.txt"), QString(), actions::Delete, march7);
            addRecord(state, 2, QStringLiteral("b.txt"), QString(), actions::Delete, march8);
        });

        const int status =
            cli.run({QStringLiteral("log"), QStringLiteral("--date"), QStringLiteral("08.03.10")});
        QLocale::setDefault(QLocale::c());

        QCOMPARE(status, 0);
        QCOMPARE(cli.out, QStringLiteral("Name   Action  Cleaning date  Destination\n"
                                         "b.txt  Delete  08.03.10\n"));
    }

    void log_capHint_data() {
        QTest::addColumn<int>("matching");
        QTest::addColumn<int>("olderOthers");
        QTest::addColumn<bool>("hint");
        QTest::newRow("50 and nothing older") << 50 << 0 << false;
        // The cap is met before the older records are looked at.
        QTest::newRow("50 and older that do not match") << 50 << 3 << true;
        QTest::newRow("49 and older that do not match") << 49 << 3 << false;
    }
    void log_capHint() {
        QFETCH(int, matching);
        QFETCH(int, olderOthers);
        QFETCH(bool, hint);
        Cli cli;
        cli.writeLog([&](global& state) {
            for (int i = 0; i < olderOthers; ++i) {
                addRecord(state, 1, QStringLiteral("other%1.png").arg(i), QString(),
                          actions::Delete, march7);
            }
            for (int i = 0; i < matching; ++i) {
                addRecord(state, 2, QStringLiteral("doc%1.txt").arg(i), QString(), actions::Delete,
                          march8);
            }
        });

        QCOMPARE(cli.run({QStringLiteral("log"), QStringLiteral("--json"), QStringLiteral("--mask"),
                          QStringLiteral("*.txt")}),
                 0);

        QCOMPARE(cli.json().size(), matching);
        // With --json the hint goes to stderr, so that stdout stays one document.
        QCOMPARE(cli.err.contains(QStringLiteral("--all")), hint);
    }

    void log_malformedMask_failsWithItsText() {
        Cli cli;
        cli.writeLog([](global& state) {
            addRecord(state, 1, QStringLiteral("a.txt"), QString(), actions::Delete, march7);
        });

        QCOMPARE(cli.run({QStringLiteral("log"), QStringLiteral("--mask"), QStringLiteral("*[a")}),
                 1);

        QVERIFY2(cli.err.startsWith(QStringLiteral("'*[a' is an invalid mask at (")),
                 qPrintable(cli.err));
        QCOMPARE(cli.out, QString());
    }

    // The message quotes the mask as the user typed it, not as enclosed in stars, at the
    // position in what the user typed; too many stars say how many a mask may hold.
    void log_malformedMask_quotesTheTypedMask_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("message");
        QTest::newRow("enclosed in stars")
            << QStringLiteral("[a") << QStringLiteral("'[a' is an invalid mask at (3)\n");
        QTest::newRow("typed with a star")
            << QStringLiteral("*[") << QStringLiteral("'*[' is an invalid mask at (3)\n");
        const QString stars = QStringLiteral("a*").repeated(31);
        QTest::newRow("31 stars") << stars
                                  << QStringLiteral(
                                         "'%1' is an invalid mask at (63): a mask may hold "
                                         "at most 30 stars\n")
                                         .arg(stars);
    }
    void log_malformedMask_quotesTheTypedMask() {
        QFETCH(QString, mask);
        QFETCH(QString, message);
        Cli cli;
        cli.writeLog([](global& state) {
            addRecord(state, 1, QStringLiteral("a.txt"), QString(), actions::Delete, march7);
        });
        QCOMPARE(cli.run({QStringLiteral("log"), QStringLiteral("--mask"), mask}), 1);
        QCOMPARE(cli.err, message);
    }

    void terminalPrompts_answers_data() {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("yes");
        QTest::newRow("no terminal") << false << QStringLiteral("y\n") << false;
        QTest::newRow("y") << true << QStringLiteral("y\n") << true;
        QTest::newRow("YES") << true << QStringLiteral(" YES \n") << true;
        QTest::newRow("enter") << true << QStringLiteral("\n") << false;
        QTest::newRow("n") << true << QStringLiteral("n\n") << false;
        QTest::newRow("end of input") << true << QString() << false;
    }
    void terminalPrompts_answers() {
        QFETCH(bool, terminal);
        QFETCH(QString, typed);
        QFETCH(bool, yes);
        QString messages;
        QTextStream messageStream(&messages);
        QTextStream answers(&typed);
        TerminalPrompts prompts(messageStream, terminal ? &answers : nullptr);

        QCOMPARE(prompts.confirmYesNo(QStringLiteral("Proceed?")), yes);
        QVERIFY(messages.startsWith(QStringLiteral("Proceed? [y/N] ")));

        QString folder = QStringLiteral("/start");
        QVERIFY(!prompts.browseForFolder(folder));
        QCOMPARE(folder, QStringLiteral("/start"));
        messages.clear();
        prompts.showWarning(QStringLiteral("Nothing to clean"));
        prompts.showMessage(QStringLiteral("Cleaning finished"));
        QCOMPARE(messages, QStringLiteral("Warning: Nothing to clean\nCleaning finished\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
