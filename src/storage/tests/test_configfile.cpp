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

// A data folder and a documents folder of their own, a clock standing still, scripted answers.
struct Setup {
    QTemporaryDir root;
    FixedLocations locations;
    FixedClock clock{QDateTime(QDate(2024, 6, 9), QTime(10, 0))}; // a Sunday
    ScriptedPrompts prompts;

    Setup() {
        locations.data = root.filePath(QStringLiteral("data/Moravel"));
        locations.documents = root.filePath(QStringLiteral("Documents"));
        QDir().mkpath(locations.data);
    }
    QString dataFile(const QString& name) const { return locations.data + u'/' + name; }
    QString configPath() const { return dataFile(QStringLiteral("cfg.mvk")); }
    QString logPath() const { return dataFile(QStringLiteral("MVL.log")); }
    void writeConfig(const QByteArray& bytes) const { write(configPath(), bytes); }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Loads into a fresh state; an empty log file spares every load the missing-log message.
    int load(global& state, errorControl& error) {
        if (!QFileInfo::exists(logPath())) {
            write(logPath(), {});
        }
        return state.loadConfiguration(error, prompts);
    }
};

QByteArray wrap(const QByteArray& body) {
    return "<HTML>" + body + "</HTML>";
}

// The value that the file written by a save holds for `key`.
QString savedValue(const QByteArray& file, const QString& key) {
    const QString text = QString::fromUtf8(file);
    const QString start = QStringLiteral("<ITEM name=\"%1\" value=\"").arg(key);
    const qsizetype at = text.indexOf(start);
    if (at < 0) {
        return QStringLiteral("<absent>");
    }
    const qsizetype from = at + start.size();
    return text.mid(from, text.indexOf(u'"', from) - from);
}

} // namespace

class ConfigFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void save_writesExactBytes();
    void save_thenLoad_givesTheSameState();
    void save_keepsAwkwardTextsExactly_data();
    void save_keepsAwkwardTextsExactly();
    void save_upperCasesIgnoreEntriesInAsciiOnly();
    void save_dropsFolderOfRulesThatDoNotMove();
    void save_refusesTextXmlCannotHold_keepsOldFile();
    void save_skipsIgnoreEntryXmlCannotHold();
    void save_failsWithoutDataFolder();
    void save_failure_keepsOldFileAndState();

    void load_onlyRootElement_keepsDefaultsAndAddsArchiveRule();
    void load_itemValues_data();
    void load_itemValues();
    void load_missingUniqueId_getsNewIdThatReachesTheNextSave();
    void load_rulesAndConditions();
    void load_ignoreEntries();
    void load_findsElementsAtAnyDepthUnderAnyRoot();
    void load_readsLogAndReportsItsFailure();
    void load_setsNextReminder();
    void load_noFile_returns2_andReadsNothing();
    void load_brokenFile_returns1_appliesNothing_leavesFileAlone();
    void load_failedDataFolderLookup_touchesNothing_data();
    void load_failedDataFolderLookup_touchesNothing();
    void load_createsDataFolderAndMissingParents();
    void load_dataFolderCannotBeCreated();

    void migration_onlyOldFile_becomesTheConfiguration();
    void migration_bothFiles_oldOneArrivesBesideAndTheNewOneIsRead();
    void migration_failedCopy_keepsTheOldFile();

    void firstRun_writesDefaultsLogAndArchiveFolder();
    void firstRun_keepsAnExistingLog();
    void firstRun_withoutDocumentsFolder_writesNothing_data();
    void firstRun_withoutDocumentsFolder_writesNothing();
    void firstRun_withoutDataFolder_reportsIt();
};

void ConfigFileTest::save_writesExactBytes() {
    Setup setup;
    global state(setup.locations, setup.clock);
    state.reglaCreacionCarpeta = datefolder::MmDdYy;
    state.rutaRepositorio = QStringLiteral("/home/ana/Documents/My Desktop Files");
    state.opcionRecordatorio = reminder::EveryMonday;
    state.mesesEnLog = 6;
    state.nroOperacion = -3;
    state.iniciarConWindows = true;
    state.includeFolders = false;
    state.shortcutChoice = 1;
    state.folderChoice = 255;
    state.bigFileChoice = 2;
    state.chkForUpdates = true;
    state.uniqueId = 123456789;
    rule& move = state.newRule();
    move.action = actions::MoveToFolder;
    move.folder = QStringLiteral("/home/ana/Pictures");
    move.addCondition().mask = QStringLiteral("*.jpg");
    ruleCondition& size = move.addCondition();
    size.type = conditions::SizeAbove;
    size.size = 10;
    size.mask = QStringLiteral("not written");
    ruleCondition& modified = move.addCondition();
    modified.type = conditions::ModifiedBefore;
    modified.time = 30;
    ruleCondition& accessed = move.addCondition();
    accessed.type = conditions::AccessedBefore;
    accessed.time = 7;
    ruleCondition& folder = move.addCondition();
    folder.type = conditions::IsFolder;
    folder.size = 99;
    rule& archive = state.newRule();
    archive.action = actions::Archive;
    archive.folder = QStringLiteral("/not/written");
    state.newRule(); // action not chosen yet
    state.addIgnored(QStringLiteral("NOTES.TXT"));
    state.addIgnored(QStringLiteral("Report.doc"));

    errorControl error;
    QVERIFY2(state.saveConfiguration(error), qPrintable(error.message));

    const QByteArray expected = "<HTML>\n"
                                "  <ITEM name=\"reglaCreacionCarpeta\" value=\"1\"/>\n"
                                "  <ITEM name=\"rutaRepositorio\" "
                                "value=\"/home/ana/Documents/My Desktop Files\"/>\n"
                                "  <ITEM name=\"opcionRecordatorio\" value=\"2\"/>\n"
                                "  <ITEM name=\"mesesEnLog\" value=\"6\"/>\n"
                                "  <ITEM name=\"nroOperacion\" value=\"-3\"/>\n"
                                "  <ITEM name=\"iniciarConWindows\" value=\"1\"/>\n"
                                "  <ITEM name=\"includeFolders\" value=\"0\"/>\n"
                                "  <ITEM name=\"shortcutChoice\" value=\"1\"/>\n"
                                "  <ITEM name=\"folderChoice\" value=\"255\"/>\n"
                                "  <ITEM name=\"bigFileChoice\" value=\"2\"/>\n"
                                "  <ITEM name=\"chkForUpdates\" value=\"1\"/>\n"
                                "  <ITEM name=\"uniqueId\" value=\"123456789\"/>\n"
                                "  <RULE action=\"2\" folder=\"/home/ana/Pictures\">\n"
                                "    <CONDITION type=\"0\" mask=\"*.jpg\"/>\n"
                                "    <CONDITION type=\"1\" size=\"10\"/>\n"
                                "    <CONDITION type=\"2\" time=\"30\"/>\n"
                                "    <CONDITION type=\"3\" time=\"7\"/>\n"
                                "    <CONDITION type=\"4\"/>\n"
                                "  </RULE>\n"
                                "  <RULE action=\"1\"/>\n"
                                "  <RULE action=\"255\"/>\n"
                                "  <IGNORE file=\"NOTES.TXT\"/>\n"
                                "  <IGNORE file=\"REPORT.DOC\"/>\n"
                                "</HTML>\n";
    QCOMPARE(Setup::read(setup.configPath()), expected);
}

void ConfigFileTest::save_thenLoad_givesTheSameState() {
    Setup setup;
    global saved(setup.locations, setup.clock);
    saved.reglaCreacionCarpeta = datefolder::DdMmYy;
    saved.rutaRepositorio = QStringLiteral("/srv/archive");
    saved.opcionRecordatorio = reminder::FirstOfMonth;
    saved.mesesEnLog = 12;
    saved.nroOperacion = 41;
    saved.iniciarConWindows = false;
    saved.includeFolders = true;
    saved.shortcutChoice = 3;
    saved.folderChoice = 4;
    saved.bigFileChoice = 5;
    saved.chkForUpdates = false;
    saved.uniqueId = 1000000099;
    rule& first = saved.newRule();
    first.action = actions::MoveToFolder;
    first.folder = QStringLiteral("/srv/pictures");
    first.addCondition().mask = QStringLiteral("[a-c]*.P?G");
    ruleCondition& big = first.addCondition();
    big.type = conditions::SizeAbove;
    big.size = 2147483647;
    rule& second = saved.newRule();
    second.action = actions::Delete;
    ruleCondition& old = second.addCondition();
    old.type = conditions::AccessedBefore;
    old.time = -1;
    ruleCondition& broken = second.addCondition();
    broken.type = conditions::Broken;
    saved.newRule().action = actions::Ask;
    saved.addIgnored(QStringLiteral("A.TXT"));
    saved.addIgnored(QStringLiteral("FOLDER WITH SPACE"));
    errorControl error;
    QVERIFY2(saved.saveConfiguration(error), qPrintable(error.message));

    global loaded(setup.locations, setup.clock);
    QCOMPARE(setup.load(loaded, error), 0);
    QCOMPARE(loaded.reglaCreacionCarpeta, saved.reglaCreacionCarpeta);
    QCOMPARE(loaded.rutaRepositorio, saved.rutaRepositorio);
    QCOMPARE(loaded.opcionRecordatorio, saved.opcionRecordatorio);
    QCOMPARE(loaded.mesesEnLog, saved.mesesEnLog);
    QCOMPARE(loaded.nroOperacion, saved.nroOperacion);
    QCOMPARE(loaded.iniciarConWindows, saved.iniciarConWindows);
    QCOMPARE(loaded.includeFolders, saved.includeFolders);
    QCOMPARE(loaded.shortcutChoice, saved.shortcutChoice);
    QCOMPARE(loaded.folderChoice, saved.folderChoice);
    QCOMPARE(loaded.bigFileChoice, saved.bigFileChoice);
    QCOMPARE(loaded.chkForUpdates, saved.chkForUpdates);
    QCOMPARE(loaded.uniqueId, saved.uniqueId);
    QCOMPARE(loaded.versionCode, 30);
    QCOMPARE(loaded.ignoreList, saved.ignoreList);
    QCOMPARE(loaded.rules.size(), saved.rules.size());
    for (std::size_t i = 0; i < saved.rules.size(); ++i) {
        const rule& a = *saved.rules[i];
        const rule& b = *loaded.rules[i];
        QCOMPARE(b.action, a.action);
        QCOMPARE(b.folder, a.folder);
        QCOMPARE(b.conditions.size(), a.conditions.size());
        for (std::size_t c = 0; c < a.conditions.size(); ++c) {
            QCOMPARE(b.conditions[c]->type, a.conditions[c]->type);
            QCOMPARE(b.conditions[c]->mask, a.conditions[c]->mask);
            QCOMPARE(b.conditions[c]->size, a.conditions[c]->size);
            QCOMPARE(b.conditions[c]->time, a.conditions[c]->time);
        }
    }
    // Loading changes nothing on disk, and saving what was loaded writes the same bytes.
    const QByteArray first_bytes = Setup::read(setup.configPath());
    QVERIFY(loaded.saveConfiguration(error));
    QCOMPARE(Setup::read(setup.configPath()), first_bytes);
}

void ConfigFileTest::save_keepsAwkwardTextsExactly_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("markup characters") << QStringLiteral("/a/<b> & \"c\" 'd'");
    QTest::newRow("line ends and tab") << QStringLiteral("/a\nb\r\nc\td");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  /a b  ");
    QTest::newRow("beyond the basic plane") << QString::fromUtf8("/fotos/🐈 résumé 日本");
    QTest::newRow("entity lookalike") << QStringLiteral("/a/&amp;/&#10;");
    QTest::newRow("empty") << QString();
}

void ConfigFileTest::save_keepsAwkwardTextsExactly() {
    QFETCH(QString, text);
    Setup setup;
    global saved(setup.locations, setup.clock);
    saved.rutaRepositorio = text;
    rule& r = saved.newRule();
    r.action = actions::MoveToFolder;
    r.folder = text;
    r.addCondition().mask = text;
    saved.addIgnored(text.toUpper());
    errorControl error;
    QVERIFY2(saved.saveConfiguration(error), qPrintable(error.message));

    global loaded(setup.locations, setup.clock);
    QCOMPARE(setup.load(loaded, error), 0);
    QCOMPARE(loaded.rutaRepositorio, text);
    QCOMPARE(loaded.rules.at(0)->folder, text);
    QCOMPARE(loaded.rules.at(0)->conditions.at(0)->mask, text);
    QCOMPARE(loaded.ignoreList, QStringList{text.toUpper()});
}

void ConfigFileTest::save_upperCasesIgnoreEntriesInAsciiOnly() {
    Setup setup;
    global state(setup.locations, setup.clock);
    state.addIgnored(QStringLiteral("Report.doc"));
    state.addIgnored(QString::fromUtf8("résumé.txt"));
    state.addIgnored(QString::fromUtf8("straße ǆ.md"));
    errorControl error;
    QVERIFY(state.saveConfiguration(error));
    const QString file = QString::fromUtf8(Setup::read(setup.configPath()));
    QVERIFY(file.contains(QStringLiteral("<IGNORE file=\"REPORT.DOC\"/>")));
    QVERIFY(file.contains(QString::fromUtf8("<IGNORE file=\"RéSUMé.TXT\"/>")));
    QVERIFY(file.contains(QString::fromUtf8("<IGNORE file=\"STRAßE ǆ.MD\"/>")));
    // Memory keeps the entries as they were.
    QCOMPARE(state.ignoreList.at(0), QStringLiteral("Report.doc"));
}

void ConfigFileTest::save_dropsFolderOfRulesThatDoNotMove() {
    Setup setup;
    global saved(setup.locations, setup.clock);
    for (ActionKind action :
         {actions::Leave, actions::Archive, actions::MoveToFolder, actions::Recycle,
          actions::Delete, actions::Ask, actions::NotChosen}) {
        rule& r = saved.newRule();
        r.action = action;
        r.folder = QStringLiteral("/somewhere");
    }
    errorControl error;
    QVERIFY(saved.saveConfiguration(error));
    global loaded(setup.locations, setup.clock);
    QCOMPARE(setup.load(loaded, error), 0);
    QCOMPARE(loaded.rules.size(), std::size_t(7));
    for (const auto& r : loaded.rules) {
        QCOMPARE(r->folder,
                 r->action == actions::MoveToFolder ? QStringLiteral("/somewhere") : QString());
    }
}

void ConfigFileTest::save_refusesTextXmlCannotHold_keepsOldFile() {
    Setup setup;
    setup.writeConfig("<HTML/>");
    QString unpaired = QStringLiteral("/a");
    unpaired.append(QChar(0xD800));
    const QStringList unstorable{QStringLiteral("/a\x01z"), unpaired,
                                 QStringLiteral("/a") + QChar(0xFFFE)};
    for (const QString& text : unstorable) {
        for (int where = 0; where < 3; ++where) {
            global state(setup.locations, setup.clock);
            rule& r = state.newRule();
            r.action = actions::MoveToFolder;
            r.addCondition().mask = QStringLiteral("*");
            (where == 0   ? state.rutaRepositorio
             : where == 1 ? r.folder
                          : r.conditions[0]->mask) = text;
            errorControl error;
            QVERIFY(!state.saveConfiguration(error));
            QVERIFY2(error.message.contains(QStringLiteral("cannot store")),
                     qPrintable(error.message));
            QCOMPARE(Setup::read(setup.configPath()), QByteArray("<HTML/>"));
        }
    }
}

void ConfigFileTest::save_skipsIgnoreEntryXmlCannotHold() {
    // Linux allows control characters in names; such an item is simply not remembered.
    Setup setup;
    global state(setup.locations, setup.clock);
    state.addIgnored(QStringLiteral("A.TXT"));
    state.addIgnored(QStringLiteral("BELL\x07.TXT"));
    state.addIgnored(QStringLiteral("B.TXT"));
    errorControl error;
    QVERIFY2(state.saveConfiguration(error), qPrintable(error.message));
    global loaded(setup.locations, setup.clock);
    QCOMPARE(setup.load(loaded, error), 0);
    QCOMPARE(loaded.ignoreList, QStringList({QStringLiteral("A.TXT"), QStringLiteral("B.TXT")}));
}

void ConfigFileTest::save_failsWithoutDataFolder() {
    Setup setup;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(setup.root.path()));
    setup.locations.data.clear();
    global state(setup.locations, setup.clock);
    errorControl error;
    const bool saved = state.saveConfiguration(error);
    const QStringList left =
        QDir(setup.root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    QDir::setCurrent(previous);
    QVERIFY(!saved);
    QCOMPARE(error.message, QStringLiteral("No Data Folder found."));
    QCOMPARE(left, QStringList{QStringLiteral("data")});
}

void ConfigFileTest::save_failure_keepsOldFileAndState() {
    // The data folder is gone: the save fails with the system's reason and changes nothing.
    Setup setup;
    global state(setup.locations, setup.clock);
    state.uniqueId = 7;
    state.addIgnored(QStringLiteral("x"));
    QVERIFY(QDir(setup.locations.data).removeRecursively());
    errorControl error;
    QVERIFY(!state.saveConfiguration(error));
    QVERIFY(!error.message.isEmpty());
    QVERIFY(!QFileInfo::exists(setup.locations.data));
    QCOMPARE(state.uniqueId, 7);
    QCOMPARE(state.ignoreList, QStringList{QStringLiteral("x")});
}

void ConfigFileTest::load_onlyRootElement_keepsDefaultsAndAddsArchiveRule() {
    Setup setup;
    setup.writeConfig("<HTML/>");
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.versionCode, 30);
    QCOMPARE(state.chkForUpdates, true);
    QCOMPARE(state.reglaCreacionCarpeta, 0);
    QCOMPARE(state.rutaRepositorio, QString());
    QCOMPARE(state.opcionRecordatorio, 0);
    QCOMPARE(state.mesesEnLog, 0);
    QCOMPARE(state.nroOperacion, 0);
    QCOMPARE(state.iniciarConWindows, false);
    QCOMPARE(state.includeFolders, false);
    QCOMPARE(state.shortcutChoice, 0);
    QCOMPARE(state.folderChoice, 0);
    QCOMPARE(state.bigFileChoice, 0);
    QCOMPARE(state.nextReminder, 0.0);
    QVERIFY(state.uniqueId >= 100 && state.uniqueId <= 1000000099);
    QCOMPARE(state.rules.size(), std::size_t(1));
    QCOMPARE(state.rules[0]->action, actions::Archive);
    QVERIFY(state.rules[0]->conditions.empty());
    QVERIFY(state.ignoreList.isEmpty());
    QCOMPARE(Setup::read(setup.configPath()), QByteArray("<HTML/>"));

    // The fallback rule reaches the file at the next save.
    QVERIFY(state.saveConfiguration(error));
    QVERIFY(Setup::read(setup.configPath()).contains("<RULE action=\"1\"/>"));
}

void ConfigFileTest::load_itemValues_data() {
    QTest::addColumn<QByteArray>("items");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("saved"); // the value the next save writes for the key

    const auto item = [](const char* name, const char* value) {
        return QByteArray("<ITEM name=\"") + name + "\" value=\"" + value + "\"/>";
    };
    QTest::newRow("8 bits: low byte kept")
        << item("opcionRecordatorio", "257") << QStringLiteral("opcionRecordatorio") << "1";
    QTest::newRow("8 bits: negative")
        << item("reglaCreacionCarpeta", "-1") << QStringLiteral("reglaCreacionCarpeta") << "255";
    QTest::newRow("8 bits: choice carried")
        << item("bigFileChoice", "77") << QStringLiteral("bigFileChoice") << "77";
    QTest::newRow("boolean 2 is true")
        << item("includeFolders", "2") << QStringLiteral("includeFolders") << "1";
    QTest::newRow("boolean 256 is false: low byte 0")
        << item("iniciarConWindows", "256") << QStringLiteral("iniciarConWindows") << "0";
    QTest::newRow("boolean 0 turns updates off")
        << item("chkForUpdates", "0") << QStringLiteral("chkForUpdates") << "0";
    QTest::newRow("32 bits: largest")
        << item("nroOperacion", "2147483647") << QStringLiteral("nroOperacion") << "2147483647";
    QTest::newRow("32 bits: negative")
        << item("mesesEnLog", "-12") << QStringLiteral("mesesEnLog") << "-12";
    QTest::newRow("32 bits: too large keeps the field")
        << item("nroOperacion", "2147483648") << QStringLiteral("nroOperacion") << "0";
    QTest::newRow("not a number keeps the field")
        << item("mesesEnLog", "six") << QStringLiteral("mesesEnLog") << "0";
    QTest::newRow("not a number keeps the update default")
        << item("chkForUpdates", "yes") << QStringLiteral("chkForUpdates") << "1";
    QTest::newRow("fraction keeps the field")
        << item("mesesEnLog", "6.5") << QStringLiteral("mesesEnLog") << "0";
    QTest::newRow("missing value keeps the field")
        << QByteArray("<ITEM name=\"mesesEnLog\"/>") << QStringLiteral("mesesEnLog") << "0";
    QTest::newRow("missing value keeps the archive folder")
        << QByteArray("<ITEM name=\"rutaRepositorio\" value=\"/a\"/>"
                      "<ITEM name=\"rutaRepositorio\"/>")
        << QStringLiteral("rutaRepositorio") << "/a";
    QTest::newRow("archive folder taken as text")
        << item("rutaRepositorio", " 12 ") << QStringLiteral("rutaRepositorio") << " 12 ";
    QTest::newRow("empty archive folder")
        << item("rutaRepositorio", "") << QStringLiteral("rutaRepositorio") << "";
    QTest::newRow("name differing in case is ignored")
        << item("MesesEnLog", "6") << QStringLiteral("mesesEnLog") << "0";
    QTest::newRow("unknown name is ignored")
        << item("colour", "6") << QStringLiteral("mesesEnLog") << "0";
    QTest::newRow("missing name is ignored")
        << QByteArray("<ITEM value=\"6\"/>") << QStringLiteral("mesesEnLog") << "0";
    QTest::newRow("last one wins")
        << item("mesesEnLog", "3") + item("mesesEnLog", "9") << QStringLiteral("mesesEnLog") << "9";
    QTest::newRow("value before name") << QByteArray("<ITEM value=\"4\" name=\"mesesEnLog\"/>")
                                       << QStringLiteral("mesesEnLog") << "4";
    QTest::newRow("item with content and children")
        << QByteArray("<ITEM name=\"mesesEnLog\" value=\"5\">text<x/></ITEM>")
        << QStringLiteral("mesesEnLog") << "5";
}

void ConfigFileTest::load_itemValues() {
    QFETCH(QByteArray, items);
    QFETCH(QString, key);
    QFETCH(QString, saved);
    Setup setup;
    setup.writeConfig(wrap(items));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QVERIFY2(state.saveConfiguration(error), qPrintable(error.message));
    QCOMPARE(savedValue(Setup::read(setup.configPath()), key), saved);
}

void ConfigFileTest::load_missingUniqueId_getsNewIdThatReachesTheNextSave() {
    for (const QByteArray& items :
         {QByteArray(), QByteArray("<ITEM name=\"uniqueId\" value=\"0\"/>"),
          QByteArray("<ITEM name=\"uniqueId\" value=\"none\"/>")}) {
        Setup setup;
        setup.writeConfig(wrap(items));
        global state(setup.locations, setup.clock);
        errorControl error;
        QCOMPARE(setup.load(state, error), 0);
        QVERIFY(state.uniqueId >= 100 && state.uniqueId <= 1000000099);
        QCOMPARE(Setup::read(setup.configPath()), wrap(items)); // not saved by the load
        QVERIFY(state.saveConfiguration(error));
        QCOMPARE(savedValue(Setup::read(setup.configPath()), QStringLiteral("uniqueId")),
                 QString::number(state.uniqueId));
    }
    // A present id is kept, also a negative one.
    Setup setup;
    setup.writeConfig(wrap("<ITEM name=\"uniqueId\" value=\"-5\"/>"));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.uniqueId, -5);
}

void ConfigFileTest::load_rulesAndConditions() {
    Setup setup;
    setup.writeConfig(wrap(
        // No action: unchosen. Text, comments and instructions between conditions are not
        // conditions; any element is, whatever its name.
        "<RULE folder=\"/kept/in/memory\">\n"
        "  <!-- a comment --> text <?pi x?>\n"
        "  <CONDITION type=\"0\"/>\n"
        "  <CONDITION type=\"1\"/>\n"
        "  <CONDITION type=\"2\" time=\"x\"/>\n"
        "  <CONDITION type=\"3\" time=\"14\" mask=\"ignored\" size=\"5\"/>\n"
        "  <CONDITION type=\"4\" mask=\"*.x\"/>\n"
        "  <OTHER type=\"1\" size=\"3\"/>\n"
        "  <CONDITION/>\n"
        "  <CONDITION type=\"nine\"/>\n"
        "  <CONDITION type=\"260\" size=\"8\"/>\n"
        "</RULE>\n"
        "<RULE action=\"move\"/>\n"
        "<RULE action=\"258\" folder=\"/dest\"/>\n"
        "<RULE action=\"-1\"/>\n"
        // Low bytes 4 (Delete): read as anything but unchosen, every item would be deleted.
        "<RULE action=\"260\"/>\n"
        "<RULE action=\"-252\"/>\n"
        "<RULE action=\"2\" folder=\"/dest\"/>\n"));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.rules.size(), std::size_t(7)); // no fallback rule: the file has rules

    const rule& first = *state.rules[0];
    QCOMPARE(first.action, actions::NotChosen);
    QCOMPARE(first.folder, QStringLiteral("/kept/in/memory"));
    QCOMPARE(first.conditions.size(), std::size_t(9));
    const auto& c = first.conditions;
    QCOMPARE(c[0]->type, conditions::NameMask);
    QCOMPARE(c[0]->mask, QStringLiteral("*.*"));
    QCOMPARE(c[1]->type, conditions::SizeAbove);
    QCOMPARE(c[1]->size, 0);
    QCOMPARE(c[2]->type, conditions::ModifiedBefore);
    QCOMPARE(c[2]->time, 0);
    QCOMPARE(c[3]->type, conditions::AccessedBefore);
    QCOMPARE(c[3]->time, 14);
    QCOMPARE(c[3]->mask, QString()); // what a new condition holds
    QCOMPARE(c[3]->size, 0);
    QCOMPARE(c[4]->type, conditions::IsFolder);
    QCOMPARE(c[4]->mask, QString());
    QCOMPARE(c[5]->type, conditions::SizeAbove);
    QCOMPARE(c[5]->size, 3);
    QCOMPARE(c[6]->type, conditions::Broken);
    QCOMPARE(c[7]->type, conditions::Broken);
    QCOMPARE(c[8]->type, conditions::Broken); // not its low byte, 4 (is folder)
    QCOMPARE(c[8]->size, 0);

    for (const std::size_t unchosen : {1, 2, 3, 4, 5}) {
        QCOMPARE(state.rules[unchosen]->action, actions::NotChosen);
    }
    QCOMPARE(state.rules[6]->action, actions::MoveToFolder);
    QCOMPARE(state.rules[6]->folder, QStringLiteral("/dest"));

    // Broken rules and conditions stay in the file.
    QVERIFY(state.saveConfiguration(error));
    const QByteArray saved = Setup::read(setup.configPath());
    QVERIFY(saved.contains("<RULE action=\"255\">\n"));
    QCOMPARE(saved.count("<CONDITION type=\"255\"/>"), 3);
    QVERIFY(!saved.contains("/kept/in/memory"));
}

void ConfigFileTest::load_ignoreEntries() {
    Setup setup;
    setup.writeConfig(wrap("<IGNORE file=\"Mixed Case.txt\"/>"
                           "<IGNORE/>"
                           "<IGNORE name=\"x\"/>"
                           "<IGNORE file=\"\"/>"
                           "<IGNORE file=\"B\">child text</IGNORE>"));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.ignoreList,
             QStringList({QStringLiteral("Mixed Case.txt"), QString(), QStringLiteral("B")}));
}

void ConfigFileTest::load_findsElementsAtAnyDepthUnderAnyRoot() {
    Setup setup;
    setup.writeConfig("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!-- hand edited -->\n"
                      "<settings><group><ITEM name=\"mesesEnLog\" value=\"3\"/>"
                      "<deeper><RULE action=\"4\"/><IGNORE file=\"A\"/></deeper></group>"
                      "<RULE action=\"3\"/></settings>");
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.mesesEnLog, 3);
    QCOMPARE(state.rules.size(), std::size_t(2));
    QCOMPARE(state.rules[0]->action, actions::Delete);
    QCOMPARE(state.rules[1]->action, actions::Recycle);
    QCOMPARE(state.ignoreList, QStringList{QStringLiteral("A")});
}

void ConfigFileTest::load_readsLogAndReportsItsFailure() {
    Setup setup;
    {
        global writer(setup.locations, setup.clock);
        writer.logAction("a.txt", QStringLiteral("/archive"), actions::Archive);
        writer.logAction("b.txt", QString(), actions::Delete);
        errorControl error;
        QVERIFY2(writer.writeLog(error), qPrintable(error.message));
    }
    setup.writeConfig("<HTML/>");
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 0);
    QCOMPARE(state.logLines.size(), std::size_t(2));
    QVERIFY(setup.prompts.messages.isEmpty());

    // Without a log the load still succeeds, after telling why the log is missing.
    QVERIFY(QFile::remove(setup.logPath()));
    global again(setup.locations, setup.clock);
    QCOMPARE(again.loadConfiguration(error, setup.prompts), 0);
    QCOMPARE(setup.prompts.messages,
             QStringList{QStringLiteral("Error while reading log. Log file not found.")});
    QVERIFY(again.logLines.empty());
}

void ConfigFileTest::load_setsNextReminder() {
    Setup setup;
    setup.writeConfig(wrap("<ITEM name=\"opcionRecordatorio\" value=\"2\"/>"));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.nextReminder, toDateTimeValue(QDate(2024, 6, 10)));

    // Never leaves whatever value was there.
    setup.writeConfig(wrap("<ITEM name=\"opcionRecordatorio\" value=\"0\"/>"));
    global never(setup.locations, setup.clock);
    never.nextReminder = 5.5;
    QCOMPARE(setup.load(never, error), 0);
    QCOMPARE(never.nextReminder, 5.5);
}

void ConfigFileTest::load_noFile_returns2_andReadsNothing() {
    Setup setup;
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 2);
    QVERIFY(setup.prompts.messages.isEmpty()); // the log is not read
    QVERIFY(state.rules.empty());
    QCOMPARE(state.versionCode, 30);
    QCOMPARE(state.chkForUpdates, true);
    QVERIFY(!QFileInfo::exists(setup.configPath()));
}

void ConfigFileTest::load_brokenFile_returns1_appliesNothing_leavesFileAlone() {
    Setup setup;
    const QByteArray broken = "<HTML>\n"
                              "  <ITEM name=\"mesesEnLog\" value=\"3\"/>\n"
                              "  <RULE action=\"1\">\n"
                              "  <IGNORE file=\"A\"/>\n"
                              "</HTML>\n";
    setup.writeConfig(broken);
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 1);
    // The offending line, then where and why, then which file.
    QVERIFY2(error.message.startsWith(QStringLiteral("Error al abrir archivo XML</HTML>: ")),
             qPrintable(error.message));
    QVERIFY2(error.message.endsWith(QStringLiteral("(line 5, column 7) in \"") +
                                    setup.configPath() + u'"'),
             qPrintable(error.message));
    QCOMPARE(state.mesesEnLog, 0);
    QVERIFY(state.rules.empty());
    QVERIFY(state.ignoreList.isEmpty());
    QCOMPARE(state.uniqueId, 0);
    QVERIFY(setup.prompts.messages.isEmpty()); // the log is not read
    QCOMPARE(Setup::read(setup.configPath()), broken);
}

void ConfigFileTest::load_failedDataFolderLookup_touchesNothing_data() {
    QTest::addColumn<QString>("dataFolder");
    QTest::newRow("failed lookup") << QString();
    QTest::newRow("relative path") << QStringLiteral("data/Moravel");
}

void ConfigFileTest::load_failedDataFolderLookup_touchesNothing() {
    QFETCH(QString, dataFolder);
    Setup setup;
    // Configurations reachable from the working directory must not be taken for ours.
    Setup::write(setup.root.filePath(QStringLiteral("cfg.mvk")), "<HTML/>");
    const QString ours = setup.configPath();
    Setup::write(ours, "<HTML/>");
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(setup.root.path()));
    setup.locations.data = dataFolder;
    global state(setup.locations, setup.clock);
    errorControl error;
    const int result = state.loadConfiguration(error, setup.prompts);
    errorControl saveError;
    const bool saved = state.saveConfiguration(saveError);
    const QStringList left =
        QDir(setup.root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    QDir::setCurrent(previous);
    QCOMPARE(result, 1);
    QCOMPARE(error.message, QStringLiteral("No Data Folder found."));
    QVERIFY(!saved);
    QCOMPARE(saveError.message, QStringLiteral("No Data Folder found."));
    QVERIFY(state.rules.empty());
    QCOMPARE(left, QStringList({QStringLiteral("cfg.mvk"), QStringLiteral("data")}));
    QCOMPARE(Setup::read(ours), QByteArray("<HTML/>"));
}

void ConfigFileTest::load_createsDataFolderAndMissingParents() {
    Setup setup;
    setup.locations.data = setup.root.filePath(QStringLiteral("home/.local/share/Moravel"));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 2);
    QVERIFY(QFileInfo(setup.locations.data).isDir());
    struct stat status {};
    QCOMPARE(
        ::stat(QFile::encodeName(setup.root.filePath(QStringLiteral("home/.local"))).constData(),
               &status),
        0);
    QCOMPARE(status.st_mode & 0777, 0700u);
}

void ConfigFileTest::load_dataFolderCannotBeCreated() {
    Setup setup;
    Setup::write(setup.root.filePath(QStringLiteral("blocker")), "a file");
    setup.locations.data = setup.root.filePath(QStringLiteral("blocker/Moravel"));
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 1);
    QVERIFY2(error.message.startsWith(QStringLiteral("Fallo creación directorio20 (\"") +
                                      setup.locations.data),
             qPrintable(error.message)); // ENOTDIR
}

void ConfigFileTest::migration_onlyOldFile_becomesTheConfiguration() {
    Setup setup;
    const QByteArray old = wrap("<ITEM name=\"mesesEnLog\" value=\"4\"/>");
    Setup::write(setup.dataFile(QStringLiteral("cfg.xml")), old);
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.mesesEnLog, 4);
    QCOMPARE(Setup::read(setup.configPath()), old);
    QVERIFY(!QFileInfo::exists(setup.dataFile(QStringLiteral("cfg.xml"))));
}

void ConfigFileTest::migration_bothFiles_oldOneArrivesBesideAndTheNewOneIsRead() {
    Setup setup;
    const QByteArray old = wrap("<ITEM name=\"mesesEnLog\" value=\"4\"/>");
    const QByteArray current = wrap("<ITEM name=\"mesesEnLog\" value=\"9\"/>");
    Setup::write(setup.dataFile(QStringLiteral("cfg.xml")), old);
    setup.writeConfig(current);
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(setup.load(state, error), 0);
    QCOMPARE(state.mesesEnLog, 9);
    QCOMPARE(Setup::read(setup.configPath()), current);
    QCOMPARE(Setup::read(setup.dataFile(QStringLiteral("cfg (2).mvk"))), old);
    QVERIFY(!QFileInfo::exists(setup.dataFile(QStringLiteral("cfg.xml"))));
    QVERIFY(setup.prompts.messages.isEmpty());
}

void ConfigFileTest::migration_failedCopy_keepsTheOldFile() {
    // "cfg.xml" is a folder here, which the single-file copy refuses: the copy reports its
    // failure and nothing is deleted.
    Setup setup;
    const QString old = setup.dataFile(QStringLiteral("cfg.xml"));
    QVERIFY(QDir().mkdir(old));
    Setup::write(old + QStringLiteral("/inside"), "data");
    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 2);
    QCOMPARE(setup.prompts.messages.size(), 1);
    QCOMPARE(Setup::read(old + QStringLiteral("/inside")), QByteArray("data"));
    QVERIFY(!QFileInfo::exists(setup.configPath()));
}

void ConfigFileTest::firstRun_writesDefaultsLogAndArchiveFolder() {
    Setup setup; // the documents folder does not exist yet
    QVERIFY(createDefaultConfiguration(setup.locations, setup.clock, setup.prompts));
    QVERIFY(setup.prompts.messages.isEmpty());
    const QString archive = setup.locations.documents + QStringLiteral("/My Desktop Files");
    QVERIFY(QFileInfo(archive).isDir());
    QVERIFY(QFileInfo::exists(setup.logPath()));
    QCOMPARE(QFileInfo(setup.logPath()).size(), 0);

    global state(setup.locations, setup.clock);
    errorControl error;
    QCOMPARE(state.loadConfiguration(error, setup.prompts), 0);
    QVERIFY(setup.prompts.messages.isEmpty());
    QCOMPARE(state.reglaCreacionCarpeta, datefolder::YyMmDd);
    QCOMPARE(state.rutaRepositorio, archive);
    QCOMPARE(state.opcionRecordatorio, reminder::Never);
    QCOMPARE(state.mesesEnLog, 6);
    QCOMPARE(state.nroOperacion, 0);
    QCOMPARE(state.iniciarConWindows, true);
    QCOMPARE(state.includeFolders, true);
    QCOMPARE(state.shortcutChoice, 1);
    QCOMPARE(state.folderChoice, 1);
    QCOMPARE(state.bigFileChoice, 2);
    QCOMPARE(state.chkForUpdates, true);
    QVERIFY(state.uniqueId >= 100 && state.uniqueId <= 1000000099);
    QCOMPARE(state.rules.size(), std::size_t(1));
    QCOMPARE(state.rules[0]->action, actions::Archive);
    QVERIFY(state.rules[0]->conditions.empty());
    QVERIFY(state.ignoreList.isEmpty());
    QVERIFY(state.logLines.empty());
    // The id was written by the set-up, not made by the load.
    QCOMPARE(savedValue(Setup::read(setup.configPath()), QStringLiteral("uniqueId")),
             QString::number(state.uniqueId));
}

void ConfigFileTest::firstRun_keepsAnExistingLog() {
    Setup setup;
    const QByteArray log = "1,\"a.txt\",\"/archive\",1,01/02/2024,10:00:00\r\n";
    Setup::write(setup.logPath(), log);
    const QString archive = setup.locations.documents + QStringLiteral("/My Desktop Files");
    QVERIFY(QDir().mkpath(archive));
    Setup::write(archive + QStringLiteral("/kept"), "kept");
    QVERIFY(createDefaultConfiguration(setup.locations, setup.clock, setup.prompts));
    QCOMPARE(Setup::read(setup.logPath()), log);
    QCOMPARE(Setup::read(archive + QStringLiteral("/kept")), QByteArray("kept"));
}

void ConfigFileTest::firstRun_withoutDocumentsFolder_writesNothing_data() {
    QTest::addColumn<QString>("documents");
    QTest::newRow("failed lookup") << QString();
    QTest::newRow("relative path") << QStringLiteral("Documents");
}

void ConfigFileTest::firstRun_withoutDocumentsFolder_writesNothing() {
    QFETCH(QString, documents);
    Setup setup;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(setup.root.path()));
    setup.locations.documents = documents;
    const bool created = createDefaultConfiguration(setup.locations, setup.clock, setup.prompts);
    const QStringList left =
        QDir(setup.root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    QDir::setCurrent(previous);
    QVERIFY(!created);
    QCOMPARE(setup.prompts.messages, QStringList{QStringLiteral("No Documents Folder found.")});
    QCOMPARE(left, QStringList{QStringLiteral("data")});
    QVERIFY(QDir(setup.locations.data).isEmpty());
}

void ConfigFileTest::firstRun_withoutDataFolder_reportsIt() {
    Setup setup;
    setup.locations.data.clear();
    QVERIFY(!createDefaultConfiguration(setup.locations, setup.clock, setup.prompts));
    QCOMPARE(setup.prompts.messages,
             QStringList{
                 QStringLiteral("Error while writing configuration file: No Data Folder found.")});
    QVERIFY(!QFileInfo::exists(setup.locations.documents));
}

QTEST_GUILESS_MAIN(ConfigFileTest)
#include "test_configfile.moc"
