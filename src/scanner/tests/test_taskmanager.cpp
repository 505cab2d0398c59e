#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "engine/rule.h"
#include "platform/locations.h"
#include "platform/shellinfo.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace moravel;

namespace {

// Two real desktop folders and the state a scan reads.
class Desktops {
public:
    Desktops() : state(locations, clock) {
        locations.userDesktop = dir.path() + QStringLiteral("/Desktop");
        locations.commonDesktop = dir.path() + QStringLiteral("/Public");
        QDir().mkpath(locations.userDesktop);
        QDir().mkpath(locations.commonDesktop);
        clock.set(QDateTime(QDate(2011, 3, 7), QTime(10, 15, 30)));
        state.includeFolders = true;
    }

    QString user(const QString& name) const { return locations.userDesktop + u'/' + name; }
    QString common(const QString& name) const { return locations.commonDesktop + u'/' + name; }

    static void write(const QString& path, const QByteArray& content = "x") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    rule& addRule(ActionKind kind, const QString& mask = {}, const QString& folder = {}) {
        rule& added = state.newRule();
        added.action = kind;
        added.folder = folder;
        if (!mask.isNull()) {
            ruleCondition& condition = added.addCondition();
            condition.type = conditions::NameMask;
            condition.mask = mask;
        }
        return added;
    }

    // Scans into a fresh plan; the scan must succeed.
    taskManager scan() {
        taskManager plan;
        errorControl error;
        const bool scanned = plan.scanDesktops(state, shellInfo, error);
        if (!scanned) {
            qWarning() << error.message;
        }
        return plan;
    }

    QTemporaryDir dir;
    FixedLocations locations;
    FixedClock clock;
    global state;
    ShellInfo shellInfo;
};

const task* find(const taskManager& plan, const QString& name, DesktopKind desktop) {
    for (const auto& item : plan.tasks) {
        if (item->name == name && item->desktop == desktop) {
            return item.get();
        }
    }
    return nullptr;
}

QStringList names(const taskManager& plan) {
    QStringList result;
    for (const auto& item : plan.tasks) {
        result << item->name;
    }
    return result;
}

void setTimes(const QString& path, const QDateTime& accessed, const QDateTime& modified) {
    const auto toSpec = [](const QDateTime& t) {
        timespec spec{};
        const qint64 ms = t.toMSecsSinceEpoch();
        spec.tv_sec = static_cast<time_t>(ms / 1000);
        spec.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
        return spec;
    };
    const timespec times[2] = {toSpec(accessed), toSpec(modified)};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW),
             0);
}

} // namespace

class TestTaskManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scan_takesEveryEntryOfBothDesktops_userFirst() {
        Desktops d;
        Desktops::write(d.user(QStringLiteral("report.pdf")), QByteArray(3000, 'r'));
        Desktops::write(d.user(QStringLiteral(".directory")));
        QDir().mkpath(d.user(QStringLiteral("Projects")));
        Desktops::write(d.common(QStringLiteral("shared.txt")));

        const taskManager plan = d.scan();

        QCOMPARE(plan.taskCount(), 4);
        const QStringList scanned = names(plan);
        QCOMPARE(QSet<QString>(scanned.cbegin(), scanned.cbegin() + 3),
                 QSet<QString>({QStringLiteral("report.pdf"), QStringLiteral(".directory"),
                                QStringLiteral("Projects")}));
        QCOMPARE(plan.tasks.back()->name, QStringLiteral("shared.txt"));
        QCOMPARE(plan.tasks.back()->desktop, DesktopKind::Public);
        QCOMPARE(plan.tasks.back()->sourceFolder, d.locations.commonDesktop);

        const task* report = find(plan, QStringLiteral("report.pdf"), DesktopKind::User);
        QVERIFY(report);
        QCOMPARE(report->sourceFolder, d.locations.userDesktop);
        QCOMPARE(report->size, 3000);
        QVERIFY(!report->isFolder);
        QCOMPARE(report->typeName, QStringLiteral("PDF document"));
        QVERIFY(report->iconIndex >= 0);
        QVERIFY(report->destination.isEmpty());

        const task* folder = find(plan, QStringLiteral("Projects"), DesktopKind::User);
        QVERIFY(folder);
        QVERIFY(folder->isFolder);
        QCOMPARE(folder->size, 0);
        QCOMPARE(folder->typeName, d.shellInfo.typeAndIcon(QStringLiteral("x"), true).typeName);
    }

    void scan_readsLastWriteAndAccessAsLocalTime() {
        // Berlin: UTC+1 in winter, UTC+2 in summer; each time gets the offset of its own day.
        Desktops d;
        const QString path = d.user(QStringLiteral("times.txt"));
        Desktops::write(path);
        setTimes(path, QDateTime(QDate(2010, 7, 1), QTime(10, 0, 0), Qt::UTC),
                 QDateTime(QDate(2010, 3, 7), QTime(13, 5, 9, 250), Qt::UTC));

        const taskManager plan = d.scan();

        QCOMPARE(plan.taskCount(), 1);
        const task& item = *plan.tasks.front();
        QCOMPARE(toQDateTime(item.modified), QDateTime(QDate(2010, 3, 7), QTime(14, 5, 9, 250)));
        QCOMPARE(toQDateTime(item.accessed), QDateTime(QDate(2010, 7, 1), QTime(12, 0, 0)));
    }

    void scan_linkIsAnItemOfItsOwn_neverFollowed_data() {
        QTest::addColumn<bool>("includeFolders");
        QTest::newRow("folders included") << true;
        QTest::newRow("folders left out") << false;
    }
    void scan_linkIsAnItemOfItsOwn_neverFollowed() {
        QFETCH(bool, includeFolders);
        Desktops d;
        d.state.includeFolders = includeFolders;
        const QString target = d.dir.path() + QStringLiteral("/Elsewhere");
        QDir().mkpath(target);
        Desktops::write(target + QStringLiteral("/inside.txt"));
        QVERIFY(QFile::link(target, d.user(QStringLiteral("Elsewhere link"))));
        QVERIFY(QFile::link(d.dir.path() + QStringLiteral("/missing"),
                            d.user(QStringLiteral("dangling"))));

        const taskManager plan = d.scan();

        QCOMPARE(plan.taskCount(), 2);
        const task* link = find(plan, QStringLiteral("Elsewhere link"), DesktopKind::User);
        QVERIFY(link);
        QVERIFY(!link->isFolder);
        QCOMPARE(link->size, QFile::encodeName(target).size());
        QVERIFY(find(plan, QStringLiteral("dangling"), DesktopKind::User));
        QVERIFY(!find(plan, QStringLiteral("inside.txt"), DesktopKind::User));
    }

    void scan_foldersLeftOutWhenNotIncluded() {
        Desktops d;
        d.state.includeFolders = false;
        QDir().mkpath(d.user(QStringLiteral("Projects")));
        QDir().mkpath(d.common(QStringLiteral("Shared")));
        Desktops::write(d.user(QStringLiteral("note.txt")));
        d.addRule(actions::Delete);

        const taskManager plan = d.scan();

        QCOMPARE(names(plan), QStringList{QStringLiteral("note.txt")});
    }

    void scan_missingOrFailedDesktop_givesNoItems_data() {
        QTest::addColumn<QString>("userDesktop");
        QTest::addColumn<QString>("commonDesktop");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("both missing")
            << QStringLiteral("/missing-user") << QStringLiteral("/gone") << QStringList{};
        QTest::newRow("both lookups failed") << QString() << QString() << QStringList{};
        QTest::newRow("user missing") << QStringLiteral("/missing-user") << QStringLiteral("Public")
                                      << QStringList{QStringLiteral("shared.txt")};
        QTest::newRow("public lookup failed")
            << QStringLiteral("Desktop") << QString() << QStringList{QStringLiteral("mine.txt")};
        QTest::newRow("relative path")
            << QStringLiteral("relative/Desktop") << QString() << QStringList{};
    }
    void scan_missingOrFailedDesktop_givesNoItems() {
        QFETCH(QString, userDesktop);
        QFETCH(QString, commonDesktop);
        QFETCH(QStringList, expected);
        Desktops d;
        Desktops::write(d.user(QStringLiteral("mine.txt")));
        Desktops::write(d.common(QStringLiteral("shared.txt")));
        // Names of the fixture's own folders stand for them; anything else is used as it is.
        const auto resolve = [&d](const QString& folder) {
            return folder == QLatin1String("Desktop") || folder == QLatin1String("Public")
                       ? d.dir.path() + u'/' + folder
                       : folder;
        };
        d.locations.userDesktop = resolve(userDesktop);
        d.locations.commonDesktop = resolve(commonDesktop);
        // A relative lookup must not be read relative to the working folder either.
        const QString previous = QDir::currentPath();
        QDir().mkpath(d.dir.path() + QStringLiteral("/relative/Desktop"));
        Desktops::write(d.dir.path() + QStringLiteral("/relative/Desktop/cwd.txt"));
        QVERIFY(QDir::setCurrent(d.dir.path()));

        const taskManager plan = d.scan();

        QDir::setCurrent(previous);
        QCOMPARE(names(plan), expected);
    }

    void plan_firstMatchingRuleDecides() {
        Desktops d;
        d.addRule(actions::MoveToFolder, QStringLiteral("*.txt"), QStringLiteral("/srv/Texts"));
        d.addRule(actions::Archive);
        d.addRule(actions::Delete, QStringLiteral("*.doc"));
        Desktops::write(d.user(QStringLiteral("a.txt")));
        Desktops::write(d.user(QStringLiteral("b.doc")));

        const taskManager plan = d.scan();

        const task* text = find(plan, QStringLiteral("a.txt"), DesktopKind::User);
        QCOMPARE(text->action, actions::MoveToFolder);
        QCOMPARE(text->destination, QStringLiteral("/srv/Texts"));
        // The rule without conditions decides before the Delete rule is ever consulted.
        const task* doc = find(plan, QStringLiteral("b.doc"), DesktopKind::User);
        QCOMPARE(doc->action, actions::Archive);
    }

    void plan_noMatchingRule_leaves() {
        Desktops d;
        d.addRule(actions::Delete, QStringLiteral("*.tmp"));
        Desktops::write(d.user(QStringLiteral("keep.txt")));

        const taskManager plan = d.scan();

        QCOMPARE(plan.tasks.front()->action, actions::Leave);
        QVERIFY(plan.tasks.front()->destination.isEmpty());
    }

    void plan_rulesWithUnknownActionArePassedOver() {
        Desktops d;
        d.addRule(actions::NotChosen);
        d.addRule(9, QStringLiteral("*"));
        // Passed over entirely: even its malformed mask is never looked at.
        d.addRule(actions::NotChosen, QStringLiteral("[abc"));
        d.addRule(actions::Delete, QStringLiteral("*.tmp"));
        Desktops::write(d.user(QStringLiteral("x.tmp")));
        Desktops::write(d.user(QStringLiteral("y.txt")));

        taskManager plan;
        errorControl error;
        QVERIFY(plan.scanDesktops(d.state, d.shellInfo, error));

        QCOMPARE(find(plan, QStringLiteral("x.tmp"), DesktopKind::User)->action, actions::Delete);
        QCOMPARE(find(plan, QStringLiteral("y.txt"), DesktopKind::User)->action, actions::Leave);
        QCOMPARE(d.state.rules.size(), 4u);
    }

    void plan_ignoreListLeavesItemsOnBothDesktops_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expectedDestination");
        // Upper case, as a cleaning run writes it: planning never asks the rules.
        QTest::newRow("upper case") << QStringLiteral("SAME NAME.TXT") << QString();
        // Written by hand in lower case: the rules plan the item, the final pass still leaves
        // it, and the rule's folder stays.
        QTest::newRow("lower case")
            << QStringLiteral("same name.txt") << QStringLiteral("/srv/Texts");
    }
    void plan_ignoreListLeavesItemsOnBothDesktops() {
        QFETCH(QString, entry);
        QFETCH(QString, expectedDestination);
        Desktops d;
        d.addRule(actions::MoveToFolder, QStringLiteral("*.txt"), QStringLiteral("/srv/Texts"));
        d.state.addIgnored(entry);
        Desktops::write(d.user(QStringLiteral("Same Name.txt")));
        Desktops::write(d.common(QStringLiteral("Same Name.txt")));
        Desktops::write(d.user(QStringLiteral("other.txt")));

        const taskManager plan = d.scan();

        for (const DesktopKind desktop : {DesktopKind::User, DesktopKind::Public}) {
            const task* item = find(plan, QStringLiteral("Same Name.txt"), desktop);
            QVERIFY(item);
            QCOMPARE(item->action, actions::Leave);
            QCOMPARE(item->destination, expectedDestination);
        }
        QCOMPARE(find(plan, QStringLiteral("other.txt"), DesktopKind::User)->action,
                 actions::MoveToFolder);
        QVERIFY(plan.isIgnored(d.state, QStringLiteral("SAME name.TXT")));
        QVERIFY(!plan.isIgnored(d.state, QStringLiteral("other.txt")));
    }

    void scan_malformedMaskEndsTheScan() {
        Desktops d;
        d.addRule(actions::Delete, QStringLiteral("[abc"));
        Desktops::write(d.user(QStringLiteral("a.txt")));
        Desktops::write(d.common(QStringLiteral("b.txt")));

        taskManager plan;
        errorControl error;
        QVERIFY(!plan.scanDesktops(d.state, d.shellInfo, error));

        QVERIFY2(error.message.startsWith(QStringLiteral("'[abc' is an invalid mask at (")),
                 qPrintable(error.message));
        // Nothing of a plan that failed half-way may be cleaned.
        QCOMPARE(plan.taskCount(), 0);
    }

    void countByAction_countsExactValues() {
        Desktops d;
        d.addRule(actions::Delete, QStringLiteral("*.tmp"));
        d.addRule(actions::Ask, QStringLiteral("*.doc"));
        d.addRule(actions::Archive);
        for (const char* name : {"1.tmp", "2.tmp", "3.tmp", "a.doc", "b.pdf"}) {
            Desktops::write(d.user(QString::fromLatin1(name)));
        }
        Desktops::write(d.common(QStringLiteral("c.pdf")));

        const taskManager plan = d.scan();

        QCOMPARE(plan.countByAction(actions::Delete), 3);
        QCOMPARE(plan.countByAction(actions::Ask), 1);
        QCOMPARE(plan.countByAction(actions::Archive), 2);
        QCOMPARE(plan.countByAction(actions::Leave), 0);
        QCOMPARE(plan.countByAction(actions::NotChosen), 0);
    }

    void destinations_collectRulesThenLogThenPlan_once() {
        Desktops d;
        d.addRule(actions::MoveToFolder, QStringLiteral("*.txt"), QStringLiteral("/srv/Texts"));
        d.addRule(actions::Archive, QStringLiteral("*.zip"), QStringLiteral("/srv/not offered"));
        d.addRule(actions::MoveToFolder, QStringLiteral("*.odt"), QStringLiteral("/srv/texts"));
        const auto log = [&d](ActionKind kind, const QString& folder) {
            logLine& record = d.state.newLogLine();
            record.performedAction = kind;
            record.destinationFolder = folder;
        };
        log(actions::MoveToFolder, QStringLiteral("/srv/Photos"));
        log(actions::Archive, QStringLiteral("/srv/Archive/11-03-07"));
        log(actions::MoveToFolder, QStringLiteral("/SRV/TEXTS"));
        Desktops::write(d.user(QStringLiteral("a.txt")));
        Desktops::write(d.user(QStringLiteral("b.pdf")));
        taskManager plan = d.scan();
        QVERIFY(plan.destinations.empty());
        for (const auto& item : plan.tasks) {
            if (item->name == QLatin1String("b.pdf")) {
                item->action = actions::MoveToFolder;
                item->destination = QStringLiteral("/home/me/Picked");
            }
        }

        plan.collectDestinations(d.state);

        QStringList paths;
        for (const auto& entry : plan.destinations) {
            QCOMPARE(entry->kind, actions::MoveToFolder);
            paths << entry->path;
        }
        // Letter case makes another folder: "/srv/texts" and "/SRV/TEXTS" are offered too.
        QCOMPARE(paths, (QStringList{QStringLiteral("/srv/Texts"), QStringLiteral("/srv/texts"),
                                     QStringLiteral("/srv/Photos"), QStringLiteral("/SRV/TEXTS"),
                                     QStringLiteral("/home/me/Picked")}));
        QVERIFY(plan.hasDestination(QStringLiteral("/srv/Photos")));
        QVERIFY(!plan.hasDestination(QStringLiteral("/srv/photos")));
        QVERIFY(!plan.hasDestination(QStringLiteral("/srv/not offered")));

        // Collecting again starts afresh.
        d.state.rules.clear();
        d.state.logLines.clear();
        plan.tasks.clear();
        plan.collectDestinations(d.state);
        QVERIFY(plan.destinations.empty());
    }

    void addDestination_keepsEachFolderAsSpelledOnce_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("listed");
        const QString folder = QStringLiteral("/data/Ärger");
        QTest::newRow("the same text twice") << QStringList{folder, folder} << QStringList{folder};
        QTest::newRow("another spelling of the same folder")
            << QStringList{folder, QStringLiteral("/data//Ärger/"),
                           QStringLiteral("/data/./x/../Ärger")}
            << QStringList{folder};
        QTest::newRow("letter case makes other folders")
            << QStringList{folder, QStringLiteral("/Data/ärger"), QStringLiteral("/DATA/ÄRGER")}
            << QStringList{folder, QStringLiteral("/Data/ärger"), QStringLiteral("/DATA/ÄRGER")};
        QTest::newRow("the first spelling is kept")
            << QStringList{QStringLiteral("/data/Ärger/"), folder}
            << QStringList{QStringLiteral("/data/Ärger/")};
        QTest::newRow("no folder is no destination") << QStringList{QString()} << QStringList{};
    }

    void addDestination_keepsEachFolderAsSpelledOnce() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, listed);
        taskManager plan;
        for (const QString& folder : added) {
            plan.addDestination(folder);
        }
        QStringList paths;
        for (const auto& entry : plan.destinations) {
            paths << entry->path;
        }
        QCOMPARE(paths, listed);
    }
};

QTEST_GUILESS_MAIN(TestTaskManager)
#include "test_taskmanager.moc"
