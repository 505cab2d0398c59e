#include "engine/clock.h"
#include "engine/datetimevalue.h"

#include <QTest>

#include <cmath>

using namespace moravel;

// These tests run in the Europe/Berlin time zone (the test helper pins it).
class tst_datetimevalue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void knownValues_data();
    void knownValues();
    void roundTrip_data();
    void roundTrip();
    void addingOneDay_keepsTheWallClock_data();
    void addingOneDay_keepsTheWallClock();
    void otherZones_convertToLocalFirst();
    void fixedClock_givesItsMoment();
};

void tst_datetimevalue::initTestCase() {
    QCOMPARE(QDateTime(QDate(2021, 7, 1), QTime(12, 0)).offsetFromUtc(), 7200);
}

void tst_datetimevalue::knownValues_data() {
    QTest::addColumn<QDateTime>("local");
    QTest::addColumn<double>("value");

    QTest::newRow("day zero") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("noon of day zero") << QDateTime(QDate(1899, 12, 30), QTime(12, 0)) << 0.5;
    QTest::newRow("1 January 1900") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0;
    QTest::newRow("7 March 2010 14:05:09")
        << QDateTime(QDate(2010, 3, 7), QTime(14, 5, 9)) << 40244.0 + 50709.0 / 86400.0;
    QTest::newRow("last second of a day")
        << QDateTime(QDate(2000, 1, 1), QTime(23, 59, 59)) << 36526.0 + 86399.0 / 86400.0;
    QTest::newRow("spring forward, after the gap")
        << QDateTime(QDate(2021, 3, 28), QTime(3, 0)) << 44283.0 + 3.0 / 24.0;
}

void tst_datetimevalue::knownValues() {
    QFETCH(QDateTime, local);
    QFETCH(double, value);
    QCOMPARE(toDateTimeValue(local), value);
    QCOMPARE(toDateTimeValue(local.date(), local.time()), value);
    QCOMPARE(toQDateTime(value), local);
    QCOMPARE(toQDate(value), local.date());
}

void tst_datetimevalue::roundTrip_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");

    QTest::newRow("winter") << QDate(2021, 1, 15) << QTime(8, 15, 30);
    QTest::newRow("summer") << QDate(2021, 7, 15) << QTime(20, 45, 1);
    QTest::newRow("milliseconds") << QDate(2021, 7, 15) << QTime(20, 45, 1, 999);
    QTest::newRow("just before midnight") << QDate(2021, 7, 15) << QTime(23, 59, 59, 999);
    QTest::newRow("midnight") << QDate(2021, 7, 15) << QTime(0, 0);
    // Clocks go from 02:00 to 03:00 on 28 March 2021 and from 03:00 to 02:00 on 31 October.
    QTest::newRow("spring day, before") << QDate(2021, 3, 28) << QTime(1, 59, 59);
    QTest::newRow("spring day, after") << QDate(2021, 3, 28) << QTime(3, 0, 1);
    QTest::newRow("spring day, evening") << QDate(2021, 3, 28) << QTime(23, 30);
    QTest::newRow("autumn day, before") << QDate(2021, 10, 31) << QTime(1, 30);
    QTest::newRow("autumn day, repeated hour") << QDate(2021, 10, 31) << QTime(2, 30);
    QTest::newRow("autumn day, after") << QDate(2021, 10, 31) << QTime(3, 30);
    QTest::newRow("leap day") << QDate(2024, 2, 29) << QTime(12, 0);
    QTest::newRow("before 1900") << QDate(1899, 12, 31) << QTime(6, 0);
    QTest::newRow("far future") << QDate(9999, 12, 31) << QTime(23, 59, 59);
}

void tst_datetimevalue::roundTrip() {
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    const DateTimeValue value = toDateTimeValue(QDateTime(date, time));
    QCOMPARE(value, toDateTimeValue(date, time));
    const QDateTime back = toQDateTime(value);
    // Compare the wall clock: an hour that happens twice maps to one value.
    QCOMPARE(back.date(), date);
    QCOMPARE(back.time(), time);
    QCOMPARE(toQDate(value), date);
}

void tst_datetimevalue::addingOneDay_keepsTheWallClock_data() {
    QTest::addColumn<QDateTime>("from");

    QTest::newRow("into summer time") << QDateTime(QDate(2021, 3, 27), QTime(12, 0));
    QTest::newRow("into winter time") << QDateTime(QDate(2021, 10, 30), QTime(12, 0));
    QTest::newRow("over a year end") << QDateTime(QDate(2021, 12, 31), QTime(23, 0));
}

void tst_datetimevalue::addingOneDay_keepsTheWallClock() {
    QFETCH(QDateTime, from);
    const QDateTime next = toQDateTime(toDateTimeValue(from) + 1.0);
    QCOMPARE(next.date(), from.date().addDays(1));
    QCOMPARE(next.time(), from.time());
}

void tst_datetimevalue::otherZones_convertToLocalFirst() {
    // 10:00 UTC is 12:00 in Berlin in summer and 11:00 in winter.
    QCOMPARE(toDateTimeValue(QDateTime(QDate(2021, 7, 1), QTime(10, 0), Qt::UTC)),
             toDateTimeValue(QDate(2021, 7, 1), QTime(12, 0)));
    QCOMPARE(toDateTimeValue(QDateTime(QDate(2021, 1, 1), QTime(10, 0), Qt::UTC)),
             toDateTimeValue(QDate(2021, 1, 1), QTime(11, 0)));
    // 23:30 UTC on 31 December is already the next year here.
    QCOMPARE(toQDate(toDateTimeValue(QDateTime(QDate(2021, 12, 31), QTime(23, 30), Qt::UTC))),
             QDate(2022, 1, 1));
}

void tst_datetimevalue::fixedClock_givesItsMoment() {
    FixedClock clock(QDateTime(QDate(2021, 6, 15), QTime(10, 30)));
    QCOMPARE(clock.nowValue(), toDateTimeValue(QDate(2021, 6, 15), QTime(10, 30)));
    clock.set(QDateTime(QDate(2022, 1, 2), QTime(0, 0)));
    QCOMPARE(toQDate(clock.nowValue()), QDate(2022, 1, 2));
}

QTEST_APPLESS_MAIN(tst_datetimevalue)
#include "test_datetimevalue.moc"
