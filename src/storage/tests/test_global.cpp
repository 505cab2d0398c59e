#include "engine/clock.h"
#include "platform/locations.h"
#include "storage/global.h"

#include <QTest>

#include <set>

using namespace moravel;

class GlobalTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nextReminderDate_isTheNextDueMidnight_data();
    void nextReminderDate_isTheNextDueMidnight();
    void nextReminderDate_clockWithoutDate_givesZero();
    void newUniqueId_staysInRange();
    void newRule_appendsEmptyRule();
    void addIgnored_appendsNameUnchanged();
    void reminderOptionName_namesEachOption_data();
    void reminderOptionName_namesEachOption();
    void newState_startsEmpty();
};

void GlobalTest::nextReminderDate_isTheNextDueMidnight_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("option");
    QTest::addColumn<QDate>("due"); // null: the result is 0

    const auto at = [](int y, int m, int d, int h = 12, int min = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min));
    };
    // 2024-06-09 is a Sunday, 2024-06-10 a Monday.
    QTest::newRow("monday, asked on a sunday")
        << at(2024, 6, 9) << int(reminder::EveryMonday) << QDate(2024, 6, 10);
    QTest::newRow("monday, asked on a monday")
        << at(2024, 6, 10, 0, 0) << int(reminder::EveryMonday) << QDate(2024, 6, 17);
    QTest::newRow("monday, asked on a tuesday")
        << at(2024, 6, 11) << int(reminder::EveryMonday) << QDate(2024, 6, 17);
    QTest::newRow("first, asked on the last day")
        << at(2024, 6, 30) << int(reminder::FirstOfMonth) << QDate(2024, 7, 1);
    QTest::newRow("first, asked on the first day")
        << at(2024, 6, 1, 0, 0) << int(reminder::FirstOfMonth) << QDate(2024, 7, 1);
    QTest::newRow("first, asked on 31 december")
        << at(2024, 12, 31, 23, 59) << int(reminder::FirstOfMonth) << QDate(2025, 1, 1);
    QTest::newRow("first, across a leap day")
        << at(2024, 2, 28) << int(reminder::FirstOfMonth) << QDate(2024, 3, 1);
    QTest::newRow("every day at 23:59")
        << at(2024, 6, 9, 23, 59) << int(reminder::EveryDay) << QDate(2024, 6, 10);
    QTest::newRow("every day at midnight")
        << at(2024, 6, 9, 0, 0) << int(reminder::EveryDay) << QDate(2024, 6, 10);
    // The clocks go forward in Berlin on 2024-03-31: the due day still counts whole days.
    QTest::newRow("every day before summer time")
        << at(2024, 3, 30, 23, 30) << int(reminder::EveryDay) << QDate(2024, 3, 31);
    QTest::newRow("never") << at(2024, 6, 9) << int(reminder::Never) << QDate();
    QTest::newRow("unknown option") << at(2024, 6, 9) << 4 << QDate();
    QTest::newRow("option 255") << at(2024, 6, 9) << 255 << QDate();
}

void GlobalTest::nextReminderDate_isTheNextDueMidnight() {
    QFETCH(QDateTime, now);
    QFETCH(int, option);
    QFETCH(QDate, due);

    FixedLocations locations;
    FixedClock clock(now);
    global state(locations, clock);
    state.opcionRecordatorio = static_cast<ReminderOption>(option);

    const DateTimeValue next = state.nextReminderDate();
    if (due.isNull()) {
        QCOMPARE(next, 0.0);
        return;
    }
    QCOMPARE(next, toDateTimeValue(due));
    QCOMPARE(toQDateTime(next), QDateTime(due, QTime(0, 0)));
    QVERIFY(toQDateTime(next) > now);
}

void GlobalTest::nextReminderDate_clockWithoutDate_givesZero() {
    // A clock that knows no date must not send the weekday search round forever.
    FixedLocations locations;
    FixedClock clock{QDateTime()};
    global state(locations, clock);
    for (ReminderOption option :
         {reminder::EveryDay, reminder::EveryMonday, reminder::FirstOfMonth}) {
        state.opcionRecordatorio = option;
        QCOMPARE(state.nextReminderDate(), 0.0);
    }
}

void GlobalTest::newUniqueId_staysInRange() {
    std::set<std::int32_t> seen;
    for (int i = 0; i < 20000; ++i) {
        const std::int32_t id = newUniqueId();
        QVERIFY2(id >= 100 && id <= 1000000099, qPrintable(QString::number(id)));
        seen.insert(id);
    }
    // Random ids out of a billion: a handful of repeats at most, never a constant.
    QVERIFY(seen.size() > 19900);
}

void GlobalTest::newRule_appendsEmptyRule() {
    FixedLocations locations;
    FixedClock clock;
    global state(locations, clock);
    rule& first = state.newRule();
    first.action = actions::Delete;
    rule& second = state.newRule();

    QCOMPARE(state.rules.size(), std::size_t(2));
    QCOMPARE(state.rules[0].get(), &first);
    QCOMPARE(state.rules[1].get(), &second);
    QCOMPARE(second.action, actions::NotChosen);
    QVERIFY(second.conditions.empty());
    QVERIFY(second.folder.isEmpty());
}

void GlobalTest::addIgnored_appendsNameUnchanged() {
    FixedLocations locations;
    FixedClock clock;
    global state(locations, clock);
    state.addIgnored(QStringLiteral("B.TXT"));
    state.addIgnored(QStringLiteral("a.txt"));
    state.addIgnored(QStringLiteral("B.TXT"));
    QCOMPARE(state.ignoreList, QStringList({QStringLiteral("B.TXT"), QStringLiteral("a.txt"),
                                            QStringLiteral("B.TXT")}));
}

void GlobalTest::reminderOptionName_namesEachOption_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << QStringLiteral("Never");
    QTest::newRow("1") << 1 << QStringLiteral("Every day");
    QTest::newRow("2") << 2 << QStringLiteral("Every Monday");
    QTest::newRow("3") << 3 << QStringLiteral("1st day of every month");
    QTest::newRow("4") << 4 << QString();
}

void GlobalTest::reminderOptionName_namesEachOption() {
    QFETCH(int, option);
    QFETCH(QString, name);
    QCOMPARE(reminderOptionName(static_cast<ReminderOption>(option)), name);
}

void GlobalTest::newState_startsEmpty() {
    FixedLocations locations;
    FixedClock clock;
    const global state(locations, clock);
    QCOMPARE(state.versionCode, 0);
    QCOMPARE(state.uniqueId, 0);
    QCOMPARE(state.chkForUpdates, false);
    QVERIFY(state.rules.empty());
    QVERIFY(state.ignoreList.isEmpty());
    QVERIFY(state.logLines.empty());
    QVERIFY(state.rutaRepositorio.isEmpty());
}

QTEST_GUILESS_MAIN(GlobalTest)
#include "test_global.moc"
