#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"
#include "storage/localedatetime.h"
#include "storage/logselection.h"

#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime march7(QDate(2010, 3, 7), QTime(14, 5, 9));
const QDateTime march8(QDate(2010, 3, 8), QTime(9, 0, 0));

struct Log {
    FixedLocations locations;
    FixedClock clock;
    global state{locations, clock};

    void add(const QString& name, const QDateTime& at) {
        logLine& record = state.newLogLine();
        record.setItemName(name.toUtf8());
        record.performedAction = actions::Archive;
        record.destinationFolder = u"/a"_s;
        record.cleanedAt = toDateTimeValue(at);
    }
    QStringList names(const RecordSelection& selection) const {
        QStringList result;
        for (const int i : selection.records) {
            result << state.logLines[std::size_t(i)]->itemName;
        }
        return result;
    }
};

} // namespace

class LogSelectionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    // 120 records of one day: the 50 newest, and the sign that there are more; all of them
    // when asked.
    void capAndShowAll() {
        Log log;
        for (int i = 0; i < 120; ++i) {
            log.add(u"item %1.txt"_s.arg(i, 3, 10, QLatin1Char('0')), march7);
        }
        RecordSelection selection;
        errorControl error;
        QVERIFY(selectRecords(log.state, u"*.*"_s, shortDateText(march7.date()), false, selection,
                              error));
        QCOMPARE(selection.records.size(), std::size_t(50));
        QVERIFY(selection.capped);
        QCOMPARE(selection.records.front(), 119); // newest first
        QCOMPARE(selection.records.back(), 70);
        QVERIFY(selectRecords(log.state, u"*.*"_s, QString(), true, selection, error));
        QCOMPARE(selection.records.size(), std::size_t(120));
        QVERIFY(!selection.capped);
    }

    // The limit is met before the next record is looked at: 50 matches with older records
    // behind them say there is more even when none of those would match.
    void exactlyFiftyMatches_data() {
        QTest::addColumn<bool>("olderRecords");
        QTest::newRow("older records that do not match") << true;
        QTest::newRow("no older records") << false;
    }
    void exactlyFiftyMatches() {
        QFETCH(bool, olderRecords);
        Log log;
        if (olderRecords) {
            for (int i = 0; i < 10; ++i) {
                log.add(u"other %1.pdf"_s.arg(i), march7);
            }
        }
        for (int i = 0; i < 50; ++i) {
            log.add(u"report %1.txt"_s.arg(i), march7);
        }
        RecordSelection selection;
        errorControl error;
        QVERIFY(selectRecords(log.state, u"report"_s, QString(), false, selection, error));
        QCOMPARE(selection.records.size(), std::size_t(50));
        QCOMPARE(selection.capped, olderRecords);
    }

    void masksAndDays_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("day"); // "" for every day, else "7" or "8"
        QTest::addColumn<QStringList>("names");
        const QStringList all{u"Photos"_s, u"notes.TXT"_s, u"report.txt"_s, u"Report.pdf"_s};
        QTest::newRow("empty: everything, names without a dot too")
            << QString() << QString() << all;
        QTest::newRow("*.*: everything, names without a dot too") << u"*.*"_s << QString() << all;
        QTest::newRow("a word: every name that holds it, any case")
            << u"report"_s << QString() << QStringList{u"report.txt"_s, u"Report.pdf"_s};
        QTest::newRow("a question mark without a star is enclosed too")
            << u"r?port"_s << QString() << QStringList{u"report.txt"_s, u"Report.pdf"_s};
        QTest::newRow("a mask with a star as the rules read it")
            << u"*.txt"_s << QString() << QStringList{u"notes.TXT"_s, u"report.txt"_s};
        QTest::newRow("*.?* needs a dot")
            << u"*.?*"_s << QString()
            << QStringList{u"notes.TXT"_s, u"report.txt"_s, u"Report.pdf"_s};
        QTest::newRow("one day") << QString() << u"8"_s << QStringList{u"Photos"_s, u"notes.TXT"_s};
        QTest::newRow("one day and a mask") << u"txt"_s << u"7"_s << QStringList{u"report.txt"_s};
    }
    void masksAndDays() {
        QFETCH(QString, mask);
        QFETCH(QString, day);
        QFETCH(QStringList, names);
        Log log;
        log.add(u"report.txt"_s, march7);
        log.add(u"Report.pdf"_s, march7);
        log.add(u"notes.TXT"_s, march8);
        log.add(u"Photos"_s, march8.addSecs(60));
        const QString date = day.isEmpty()   ? QString()
                             : day == u"7"_s ? shortDateText(march7.date())
                                             : shortDateText(march8.date());
        RecordSelection selection;
        errorControl error;
        QVERIFY(selectRecords(log.state, mask, date, false, selection, error));
        QStringList found = log.names(selection);
        found.sort(Qt::CaseInsensitive);
        QStringList expected = names;
        expected.sort(Qt::CaseInsensitive);
        QCOMPARE(found, expected);
    }

    // The days of the date tree, walked from the newest record: each day once, in the order
    // first met, also when runs of one day lie apart in the log; a record just before midnight
    // and one just after are two days.
    void cleaningDays_eachDayOnceInTheOrderFirstMet() {
        const QDateTime march9(QDate(2010, 3, 9), QTime(0, 0, 0));
        const std::vector<QDateTime> newestFirst{
            march9, march8.addSecs(15 * 3600 - 1), march8, march7, march8, march7.addSecs(60),
            march7};
        CleaningDays days;
        QList<bool> added;
        for (const QDateTime& at : newestFirst) {
            added << days.add(toDateTimeValue(at));
        }
        QCOMPARE(added, (QList<bool>{true, true, false, true, false, false, false}));
        QCOMPARE(days.texts(),
                 (QStringList{shortDateText(march9.date()), shortDateText(march8.date()),
                              shortDateText(march7.date())}));
        // Times a fraction of a millisecond before midnight show the next day, as their date
        // text does, also right after a record of the day before.
        constexpr double millisecond = 1.0 / 86400000.0;
        const DateTimeValue almostMarch10 =
            toDateTimeValue(QDateTime(QDate(2010, 3, 10), QTime(0, 0))) - 0.4 * millisecond;
        QVERIFY(days.add(toDateTimeValue(march9.addSecs(3600))) == false);
        QVERIFY(days.add(almostMarch10));
        QCOMPARE(days.texts().constLast(), shortDateText(QDate(2010, 3, 10)));
        QCOMPARE(shortDateText(almostMarch10), days.texts().constLast());
        days.clear();
        QVERIFY(days.texts().isEmpty());
        days.add(toDateTimeValue(march7));
        QCOMPARE(days.texts(), QStringList{shortDateText(march7.date())});
    }

    // The message quotes the mask as the user typed it, at the place in what was typed.
    void malformedMask_quotesWhatWasTyped() {
        Log log;
        log.add(u"a.txt"_s, march7);
        RecordSelection selection;
        errorControl error;
        QVERIFY(!selectRecords(log.state, u"[ab"_s, QString(), false, selection, error));
        QCOMPARE(error.message, u"'[ab' is an invalid mask at (4)"_s);
        QVERIFY(selection.records.empty());
    }
};

QTEST_GUILESS_MAIN(LogSelectionTest)
#include "test_logselection.moc"
