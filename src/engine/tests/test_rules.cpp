#include "engine/clock.h"
#include "engine/maskmatcher.h"
#include "engine/rule.h"
#include "engine/task.h"

#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

// The tests' "now": a Tuesday morning in summer time.
const QDate today(2021, 6, 15);
const QDateTime now(today, QTime(10, 30));

DateTimeValue at(int daysFromToday, const QTime& time) {
    return toDateTimeValue(today.addDays(daysFromToday), time);
}

task fileItem(const QString& name, qint64 size = 0) {
    task item;
    item.name = name;
    item.sourceFolder = u"/home/user/Desktop"_s;
    item.size = size;
    item.modified = at(-10, QTime(9, 0));
    item.accessed = at(-10, QTime(9, 0));
    return item;
}

task folderItem(const QString& name) {
    task item = fileItem(name);
    item.isFolder = true;
    return item;
}

task changedAt(DateTimeValue modified) {
    task item = fileItem(u"notes.txt"_s);
    item.modified = modified;
    item.accessed = at(0, QTime(0, 0)); // a different time, so only `modified` decides
    return item;
}

task accessedAt(DateTimeValue accessed) {
    task item = fileItem(u"notes.txt"_s);
    item.accessed = accessed;
    item.modified = at(0, QTime(0, 0));
    return item;
}

ruleCondition condition(ConditionKind type, const QString& mask = {}, int size = 0, int time = 0) {
    ruleCondition c;
    c.type = type;
    c.mask = mask;
    c.size = size;
    c.time = time;
    return c;
}

} // namespace

Q_DECLARE_METATYPE(moravel::task)
Q_DECLARE_METATYPE(moravel::ruleCondition)

class tst_rules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conditionHolds_data();
    void conditionHolds();
    void dateCondition_usesLocalDateOfNow();
    void dateCondition_withoutNow_neverHolds();
    void conditionDescribe_data();
    void conditionDescribe();
    void conditionClone_copiesAllFields();
    void ruleMatches_data();
    void ruleMatches();
    void ruleMatches_malformedMaskFails();
    void ruleDescribe_data();
    void ruleDescribe();
    void ruleClone_isIndependent();
    void addCondition_appendsDefault();
    void actionName_data();
    void actionName();
    void actionName_unknownLeavesText();
    void isShortcut_data();
    void isShortcut();
};

void tst_rules::conditionHolds_data() {
    QTest::addColumn<ruleCondition>("condition");
    QTest::addColumn<task>("item");
    QTest::addColumn<bool>("expected");

    using namespace conditions;
    QTest::newRow("mask matches") << condition(NameMask, u"*.TXT"_s) << fileItem(u"a.txt"_s)
                                  << true;
    QTest::newRow("mask misses") << condition(NameMask, u"*.pdf"_s) << fileItem(u"a.txt"_s)
                                 << false;
    QTest::newRow("empty mask") << condition(NameMask) << fileItem(u"a.txt"_s) << false;
    QTest::newRow("mask on a folder")
        << condition(NameMask, u"Proj*"_s) << folderItem(u"Projects"_s) << true;

    QTest::newRow("size exactly 5 MB")
        << condition(SizeAbove, {}, 5) << fileItem(u"a.iso"_s, 5242880) << false;
    QTest::newRow("size one byte above 5 MB")
        << condition(SizeAbove, {}, 5) << fileItem(u"a.iso"_s, 5242881) << true;
    QTest::newRow("size above 0, folder")
        << condition(SizeAbove, {}, 0) << folderItem(u"f"_s) << false;
    QTest::newRow("size above 0, one byte")
        << condition(SizeAbove, {}, 0) << fileItem(u"a"_s, 1) << true;
    QTest::newRow("size beyond 2 GB")
        << condition(SizeAbove, {}, 4096) << fileItem(u"a.img"_s, qint64(5) << 30) << true;

    QTest::newRow("changed today 00:00:00, 0 days")
        << condition(ModifiedBefore, {}, 0, 0) << changedAt(at(0, QTime(0, 0))) << false;
    QTest::newRow("changed today 00:00:01, 0 days")
        << condition(ModifiedBefore, {}, 0, 0) << changedAt(at(0, QTime(0, 0, 1))) << true;
    QTest::newRow("changed earlier today, 0 days")
        << condition(ModifiedBefore, {}, 0, 0) << changedAt(at(0, QTime(9, 0))) << true;
    QTest::newRow("changed yesterday 23:00, 1 day")
        << condition(ModifiedBefore, {}, 0, 1) << changedAt(at(-1, QTime(23, 0))) << false;
    QTest::newRow("changed yesterday 00:00, 1 day")
        << condition(ModifiedBefore, {}, 0, 1) << changedAt(at(-1, QTime(0, 0))) << false;
    QTest::newRow("changed two days ago 12:00, 1 day")
        << condition(ModifiedBefore, {}, 0, 1) << changedAt(at(-2, QTime(12, 0))) << true;
    // A time after now is not old, however far ahead it lies.
    QTest::newRow("changed later today, 0 days")
        << condition(ModifiedBefore, {}, 0, 0) << changedAt(at(0, QTime(18, 0))) << false;
    QTest::newRow("changed tomorrow 12:00, 1 day")
        << condition(ModifiedBefore, {}, 0, 1) << changedAt(at(1, QTime(12, 0))) << false;
    QTest::newRow("changed in 2030, 30 days")
        << condition(ModifiedBefore, {}, 0, 30) << changedAt(toDateTimeValue(QDate(2030, 1, 1)))
        << false;
    QTest::newRow("accessed in 2030, 30 days")
        << condition(AccessedBefore, {}, 0, 30) << accessedAt(toDateTimeValue(QDate(2030, 1, 1)))
        << false;

    QTest::newRow("accessed today 00:00:00, 0 days")
        << condition(AccessedBefore, {}, 0, 0) << accessedAt(at(0, QTime(0, 0))) << false;
    QTest::newRow("accessed yesterday 23:00, 1 day")
        << condition(AccessedBefore, {}, 0, 1) << accessedAt(at(-1, QTime(23, 0))) << false;
    QTest::newRow("accessed two days ago 12:00, 1 day")
        << condition(AccessedBefore, {}, 0, 1) << accessedAt(at(-2, QTime(12, 0))) << true;

    QTest::newRow("folder is folder") << condition(IsFolder) << folderItem(u"f"_s) << true;
    QTest::newRow("file is not folder") << condition(IsFolder) << fileItem(u"f"_s) << false;

    // A type only a hand-edited file can hold never lets an item through.
    QTest::newRow("type 5") << condition(5, u"*"_s) << folderItem(u"f"_s) << false;
    QTest::newRow("type 255") << condition(Broken, u"*"_s, -1, -1) << folderItem(u"f"_s) << false;
}

void tst_rules::conditionHolds() {
    QFETCH(ruleCondition, condition);
    QFETCH(task, item);
    QFETCH(bool, expected);
    const FixedClock clock(now);
    QCOMPARE(condition.matches(item, clock), expected);
}

void tst_rules::dateCondition_usesLocalDateOfNow() {
    // 22:30 UTC on 14 June is already 15 June in Berlin.
    const FixedClock clock(QDateTime(QDate(2021, 6, 14), QTime(22, 30), Qt::UTC));
    const ruleCondition changedBefore = condition(conditions::ModifiedBefore, {}, 0, 0);
    QVERIFY(!changedBefore.matches(changedAt(at(0, QTime(0, 0))), clock));
    QVERIFY(changedBefore.matches(changedAt(at(-1, QTime(0, 0))), clock));
}

void tst_rules::dateCondition_withoutNow_neverHolds() {
    const FixedClock unset;
    const task old = changedAt(at(-1000, QTime(12, 0)));
    QVERIFY(!condition(conditions::ModifiedBefore, {}, 0, 1).matches(old, unset));
    QVERIFY(
        !condition(conditions::AccessedBefore, {}, 0, 1).matches(accessedAt(old.modified), unset));
}

void tst_rules::conditionDescribe_data() {
    QTest::addColumn<ruleCondition>("condition");
    QTest::addColumn<QString>("expected");

    using namespace conditions;
    QTest::newRow("mask") << condition(NameMask, u"*.txt"_s) << u"name like *.txt"_s;
    QTest::newRow("empty mask") << condition(NameMask) << u"name like "_s;
    QTest::newRow("size") << condition(SizeAbove, u"*.txt"_s, 12, 3) << u"size>12 MB"_s;
    QTest::newRow("changed") << condition(ModifiedBefore, {}, 12, 30)
                             << u"last change before 30 days ago"_s;
    QTest::newRow("accessed") << condition(AccessedBefore, {}, 12, 7)
                              << u"last access before 7 days ago"_s;
    QTest::newRow("folder") << condition(IsFolder, u"*.txt"_s) << u"is folder"_s;
    QTest::newRow("type 5") << condition(5, u"*.txt"_s) << QString();
    QTest::newRow("type 255") << condition(Broken) << QString();
}

void tst_rules::conditionDescribe() {
    QFETCH(ruleCondition, condition);
    QFETCH(QString, expected);
    QCOMPARE(condition.describe(), expected);
}

void tst_rules::conditionClone_copiesAllFields() {
    const ruleCondition original = condition(conditions::AccessedBefore, u"*.doc"_s, 7, 40);
    const auto copy = original.clone();
    QVERIFY(copy.get() != &original);
    QCOMPARE(copy->type, original.type);
    QCOMPARE(copy->mask, original.mask);
    QCOMPARE(copy->size, original.size);
    QCOMPARE(copy->time, original.time);
}

void tst_rules::ruleMatches_data() {
    QTest::addColumn<QList<ruleCondition>>("conditionList");
    QTest::addColumn<task>("item");
    QTest::addColumn<bool>("expected");

    using namespace conditions;
    const QList<ruleCondition> textOver1Mb{condition(NameMask, u"*.txt"_s),
                                           condition(SizeAbove, {}, 1)};
    QTest::newRow("no conditions, file") << QList<ruleCondition>() << fileItem(u"a.txt"_s) << true;
    QTest::newRow("no conditions, folder") << QList<ruleCondition>() << folderItem(u"f"_s) << true;
    QTest::newRow("all hold") << textOver1Mb << fileItem(u"a.txt"_s, 2 << 20) << true;
    QTest::newRow("first fails") << textOver1Mb << fileItem(u"a.pdf"_s, 2 << 20) << false;
    QTest::newRow("last fails") << textOver1Mb << fileItem(u"a.txt"_s, 1 << 20) << false;
    QTest::newRow("broken condition narrows")
        << QList<ruleCondition>{condition(NameMask, u"*"_s), condition(Broken)}
        << fileItem(u"a.txt"_s) << false;
    // The test ends at the first condition that fails, so a later bad mask is never read.
    QTest::newRow("failure before a bad mask")
        << QList<ruleCondition>{condition(IsFolder), condition(NameMask, u"[x"_s)}
        << fileItem(u"a.txt"_s) << false;
}

void tst_rules::ruleMatches() {
    QFETCH(QList<ruleCondition>, conditionList);
    QFETCH(task, item);
    QFETCH(bool, expected);
    rule r;
    for (const ruleCondition& c : conditionList) {
        r.conditions.push_back(c.clone());
    }
    QCOMPARE(r.matches(item, FixedClock(now)), expected);
}

void tst_rules::ruleMatches_malformedMaskFails() {
    rule r;
    r.addCondition().mask = u"*.[txt"_s;
    QVERIFY_THROWS_EXCEPTION(InvalidMask, r.matches(fileItem(u"a.txt"_s), FixedClock(now)));
}

void tst_rules::ruleDescribe_data() {
    QTest::addColumn<QList<ruleCondition>>("conditionList");
    QTest::addColumn<QString>("expected");

    using namespace conditions;
    QTest::newRow("none") << QList<ruleCondition>() << u"All items"_s;
    QTest::newRow("one") << QList<ruleCondition>{condition(IsFolder)} << u"is folder"_s;
    QTest::newRow("three") << QList<ruleCondition>{condition(NameMask, u"*.iso"_s),
                                                   condition(SizeAbove, {}, 700),
                                                   condition(ModifiedBefore, {}, 0, 90)}
                           << u"name like *.iso and size>700 MB and last change before 90 days "
                              u"ago"_s;
    QTest::newRow("broken in the middle")
        << QList<ruleCondition>{condition(IsFolder), condition(Broken), condition(IsFolder)}
        << u"is folder and  and is folder"_s;
}

void tst_rules::ruleDescribe() {
    QFETCH(QList<ruleCondition>, conditionList);
    QFETCH(QString, expected);
    rule r;
    for (const ruleCondition& c : conditionList) {
        r.conditions.push_back(c.clone());
    }
    QCOMPARE(r.describe(), expected);
}

void tst_rules::ruleClone_isIndependent() {
    rule original;
    original.action = actions::MoveToFolder;
    original.folder = u"/home/user/Documents/ISOs"_s;
    original.addCondition().mask = u"*.iso"_s;
    ruleCondition& size = original.addCondition();
    size.type = conditions::SizeAbove;
    size.size = 700;

    const auto copy = original.clone();
    QCOMPARE(copy->action, original.action);
    QCOMPARE(copy->folder, original.folder);
    QCOMPARE(copy->describe(), original.describe());

    copy->conditions[0]->mask = u"*.img"_s;
    copy->conditions[1]->size = 1;
    copy->addCondition();
    copy->action = actions::Delete;
    copy->folder.clear();
    QCOMPARE(original.conditions.size(), std::size_t(2));
    QCOMPARE(original.conditions[0]->mask, u"*.iso"_s);
    QCOMPARE(original.conditions[1]->size, 700);
    QCOMPARE(original.action, actions::MoveToFolder);
    QCOMPARE(original.folder, u"/home/user/Documents/ISOs"_s);
}

void tst_rules::addCondition_appendsDefault() {
    rule r;
    r.addCondition().type = conditions::IsFolder;
    ruleCondition& added = r.addCondition();
    QCOMPARE(r.conditions.size(), std::size_t(2));
    QCOMPARE(&added, r.conditions.back().get());
    QCOMPARE(added.type, conditions::NameMask);
    QCOMPARE(added.mask, QString());
    QCOMPARE(added.size, 0);
    QCOMPARE(added.time, 0);
    QCOMPARE(r.conditions.front()->type, conditions::IsFolder);
}

void tst_rules::actionName_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0") << 0 << u"Leave on Desktop"_s;
    QTest::newRow("1") << 1 << u"Archive"_s;
    QTest::newRow("2") << 2 << u"Move to Folder"_s;
    QTest::newRow("3") << 3 << u"Move to Recycle Bin"_s;
    QTest::newRow("4") << 4 << u"Delete"_s;
    QTest::newRow("5") << 5 << u"? Ask what to do"_s;
    QTest::newRow("6") << 6 << QString();
    QTest::newRow("130: low seven bits") << 130 << u"Move to Folder"_s;
    QTest::newRow("128") << 128 << u"Leave on Desktop"_s;
    QTest::newRow("255 not chosen") << 255 << QString();
}

void tst_rules::actionName() {
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(moravel::actionName(value), expected);
    rule r;
    r.action = static_cast<ActionKind>(value);
    QCOMPARE(r.actionName(), expected);
}

void tst_rules::actionName_unknownLeavesText() {
    QString text = u"unchanged"_s;
    QVERIFY(!moravel::actionName(255, text));
    QCOMPARE(text, u"unchanged"_s);
    QVERIFY(moravel::actionName(4, text));
    QCOMPARE(text, u"Delete"_s);
}

void tst_rules::isShortcut_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("lower") << u"Firefox.lnk"_s << true;
    QTest::newRow("upper") << u"FIREFOX.LNK"_s << true;
    QTest::newRow("mixed") << u"a.LnK"_s << true;
    QTest::newRow("only the extension") << u".lnk"_s << true;
    QTest::newRow("no dot") << u"lnk"_s << false;
    QTest::newRow("longer extension") << u"a.lnkx"_s << false;
    QTest::newRow("not last") << u"a.lnk.txt"_s << false;
    QTest::newRow("desktop entry") << u"firefox.desktop"_s << false;
}

void tst_rules::isShortcut() {
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(fileItem(name).isShortcut(), expected);
}

QTEST_APPLESS_MAIN(tst_rules)
#include "test_rules.moc"
