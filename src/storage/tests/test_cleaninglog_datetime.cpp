#include "storage/localedatetime.h"

#include <QRandomGenerator>
#include <QTest>

#include <limits>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

QString qtText(const QLocale& locale, const QDate& date, const QTime& time,
               const QString& dateFormat, const QString& timeFormat) {
    QString text = locale.toString(date, dateFormat);
    if (time != QTime(0, 0)) {
        text += u' ' + locale.toString(time, timeFormat);
    }
    return text;
}

const QList<QDateTime>& sampleMoments() {
    static const QList<QDateTime> moments = {
        {QDate(2010, 3, 7), QTime(14, 5, 9)},     {QDate(2010, 3, 7), QTime(0, 0)},
        {QDate(1999, 12, 31), QTime(23, 59, 59)}, {QDate(2024, 2, 29), QTime(0, 0, 1)},
        {QDate(2031, 11, 2), QTime(12, 0)},       {QDate(2001, 1, 1), QTime(0, 30)},
        {QDate(2019, 7, 14), QTime(9, 8, 7)},     {QDate(2045, 10, 28), QTime(12, 59, 58)},
    };
    return moments;
}

} // namespace

class LocaleDateTimeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void timeZoneFieldIsLeftOut_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("after a blank") << u"HH:mm:ss t"_s << u"HH:mm:ss"_s;
        QTest::newRow("first") << u"t HH:mm:ss"_s << u"HH:mm:ss"_s;
        QTest::newRow("first, before AM/PM") << u"t APh:mm:ss"_s << u"APh:mm:ss"_s;
        QTest::newRow("in brackets") << u"HH:mm:ss (t)"_s << u"HH:mm:ss"_s;
        QTest::newRow("in square brackets") << u"APh:mm:ss [t]"_s << u"APh:mm:ss"_s;
        QTest::newRow("after a comma") << u"h:mm:ss AP, t"_s << u"h:mm:ss AP"_s;
        QTest::newRow("after quoted text") << u"H:mm:ss 'ч'. t"_s << u"H:mm:ss 'ч'."_s;
        QTest::newRow("quoted t stays") << u"H 'h' mm 'at' ss t"_s << u"H 'h' mm 'at' ss"_s;
        QTest::newRow("several t") << u"HH:mm:ss tttt"_s << u"HH:mm:ss"_s;
        QTest::newRow("none") << u"HH:mm:ss"_s << u"HH:mm:ss"_s;
    }
    void timeZoneFieldIsLeftOut() {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(LocaleDateTimeFormat::withoutTimeZone(format), expected);
    }

    void noLocaleFormatKeepsAZone() {
        for (const QLocale& locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            const QString time = LocaleDateTimeFormat(locale).timeFormat();
            const QString shown = locale.toString(QTime(14, 5, 9), time);
            QVERIFY2(!shown.contains(u"UTC"_s) && !shown.contains(u"CET"_s) &&
                         !shown.contains(u"GMT"_s),
                     qPrintable(locale.name() + u": "_s + shown));
        }
    }

    // Every locale Qt knows: the text is QLocale's own for the same formats, and reads back.
    void everyLocaleWritesAsQLocaleAndReadsBack() {
        for (const QLocale& locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            const LocaleDateTimeFormat format(locale);
            for (const QDateTime& moment : sampleMoments()) {
                const DateTimeValue value = toDateTimeValue(moment.date(), moment.time());
                const QString text = format.dateTimeText(value);
                const QString context = locale.name() + u": "_s + text;
                QCOMPARE(text, qtText(locale, moment.date(), moment.time(), format.dateFormat(),
                                      format.timeFormat()));
                QCOMPARE(format.dateText(moment.date()),
                         locale.toString(moment.date(), format.dateFormat()));
                DateTimeValue back = -1;
                QVERIFY2(format.readDateTime(text, moment.date().year(), back),
                         qPrintable(context));
                QCOMPARE(toQDateTime(back), moment);
            }
        }
    }

    // Formats made of every field Qt knows, in random order, against QLocale::toString.
    void randomFormatsWriteAsQLocale() {
        static const QStringList pieces = {
            u"d"_s,    u"dd"_s,   u"ddd"_s,    u"dddd"_s, u"ddddd"_s, u"M"_s,    u"MM"_s,
            u"MMM"_s,  u"MMMM"_s, u"y"_s,      u"yy"_s,   u"yyy"_s,   u"yyyy"_s, u"h"_s,
            u"hh"_s,   u"hhh"_s,  u"H"_s,      u"HH"_s,   u"m"_s,     u"mm"_s,   u"mmm"_s,
            u"s"_s,    u"ss"_s,   u"z"_s,      u"zz"_s,   u"zzz"_s,   u"AP"_s,   u"ap"_s,
            u"A"_s,    u"a"_s,    u"aP"_s,     u"Ap"_s,   u" "_s,     u"/"_s,    u":"_s,
            u"'at'"_s, u"''"_s,   u"'d''M'"_s, u"x"_s,    u"é"_s,     u"."_s,    u"'h"_s,
        };
        const QList<QLocale> locales = {QLocale::c(),        QLocale(u"en_US"_s),
                                        QLocale(u"de_DE"_s), QLocale(u"ar_EG"_s),
                                        QLocale(u"ko_KR"_s), QLocale(u"fa_IR"_s)};
        QRandomGenerator random(20100307);
        for (int round = 0; round < 3000; ++round) {
            QString dateFormat, timeFormat;
            for (int i = random.bounded(1, 7); i > 0; --i) {
                dateFormat += pieces.at(random.bounded(pieces.size()));
                timeFormat += pieces.at(random.bounded(pieces.size()));
            }
            const QLocale& locale = locales.at(random.bounded(locales.size()));
            const LocaleDateTimeFormat format(locale, dateFormat, timeFormat);
            const QDate date(random.bounded(1, 10000), random.bounded(1, 13),
                             random.bounded(1, 29));
            const QTime time(random.bounded(24), random.bounded(60), random.bounded(60));
            QCOMPARE(format.dateTimeText(toDateTimeValue(date, time)),
                     qtText(locale, date, time, dateFormat, format.timeFormat()));
        }
    }

    void twoDigitYearsFallInTheHundredYearsAroundToday_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("referenceYear");
        QTest::addColumn<int>("year");
        QTest::newRow("this century") << u"3/7/10"_s << 2025 << 2010;
        QTest::newRow("49 years ahead") << u"3/7/74"_s << 2025 << 2074;
        QTest::newRow("50 years back") << u"3/7/75"_s << 2025 << 1975;
        QTest::newRow("last century") << u"3/7/99"_s << 2025 << 1999;
        QTest::newRow("around 2090") << u"3/7/10"_s << 2090 << 2110;
        QTest::newRow("around 2060") << u"3/7/10"_s << 2060 << 2010;
    }
    void twoDigitYearsFallInTheHundredYearsAroundToday() {
        QFETCH(QString, text);
        QFETCH(int, referenceYear);
        QFETCH(int, year);
        const LocaleDateTimeFormat format(QLocale(u"en_US"_s));
        DateTimeValue value = 0;
        QVERIFY(format.readDateTime(text, referenceYear, value));
        QCOMPARE(toQDate(value), QDate(year, 3, 7));
    }

    void readsWhatOnlyAHandMightWrite_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime afternoon(QDate(2010, 3, 7), QTime(14, 5, 9));
        QTest::newRow("other blanks")
            << u"en_US"_s << u" 3/7/10 \u00a0 2:05:09\u202fPM "_s << afternoon;
        QTest::newRow("lower-case marker") << u"en_US"_s << u"3/7/10 2:05:09 pm"_s << afternoon;
        QTest::newRow("padded numbers") << u"en_US"_s << u"03/07/10 02:05:09 PM"_s << afternoon;
        QTest::newRow("midnight as 12 AM") << u"en_US"_s << u"3/7/10 12:00:01 AM"_s
                                           << QDateTime(QDate(2010, 3, 7), QTime(0, 0, 1));
        QTest::newRow("noon as 12 PM")
            << u"en_US"_s << u"3/7/10 12:00:00 PM"_s << QDateTime(QDate(2010, 3, 7), QTime(12, 0));
        QTest::newRow("month name in any case")
            << u"C"_s << u"7 MARCH 2010 14:05:09"_s << afternoon;
        QTest::newRow("unpadded German") << u"de_DE"_s << u"7.3.10 14:05:09"_s << afternoon;
    }
    void readsWhatOnlyAHandMightWrite() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const LocaleDateTimeFormat format{QLocale(locale)};
        DateTimeValue value = 0;
        QVERIFY(format.readDateTime(text, 2025, value));
        QCOMPARE(toQDateTime(value), expected);
    }

    // Numbers that touch: the first reading takes too many digits, the second fits.
    void numbersRunTogetherAreSorted() {
        const LocaleDateTimeFormat format(QLocale::c(), u"d.M.yy"_s, u"Hmmss"_s);
        DateTimeValue value = 0;
        QVERIFY(format.readDateTime(u"7.3.10 90509", 2025, value));
        QCOMPARE(toQDateTime(value), QDateTime(QDate(2010, 3, 7), QTime(9, 5, 9)));
        QVERIFY(format.readDateTime(format.dateTimeText(value), 2025, value));
        QCOMPARE(toQDateTime(value), QDateTime(QDate(2010, 3, 7), QTime(9, 5, 9)));
    }

    void refusesWhatIsNoDateTime_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << u"en_US"_s << QString();
        QTest::newRow("blanks") << u"en_US"_s << u"   "_s;
        QTest::newRow("words") << u"en_US"_s << u"yesterday"_s;
        QTest::newRow("month 13") << u"en_US"_s << u"13/7/10"_s;
        QTest::newRow("30 February") << u"en_US"_s << u"2/30/10"_s;
        QTest::newRow("no marker") << u"en_US"_s << u"3/7/10 2:05:09"_s;
        QTest::newRow("hour 13 PM") << u"en_US"_s << u"3/7/10 13:05:09 PM"_s;
        QTest::newRow("minute 60") << u"en_US"_s << u"3/7/10 2:60:09 PM"_s;
        QTest::newRow("second 60") << u"de_DE"_s << u"07.03.10 14:05:60"_s;
        QTest::newRow("hour 24") << u"de_DE"_s << u"07.03.10 24:00:00"_s;
        QTest::newRow("four-digit year for two") << u"en_US"_s << u"3/7/2010"_s;
        QTest::newRow("two-digit year for four") << u"C"_s << u"7 Mar 10"_s;
        QTest::newRow("text after") << u"en_US"_s << u"3/7/10 2:05:09 PM UTC"_s;
        QTest::newRow("time without date") << u"de_DE"_s << u"14:05:09"_s;
        QTest::newRow("date and a blank") << u"de_DE"_s << u"07.03.10 x"_s;
        QTest::newRow("other locale") << u"de_DE"_s << u"3/7/10 2:05:09 PM"_s;
        QTest::newRow("too many digits") << u"de_DE"_s << u"007.03.10"_s;
    }
    void refusesWhatIsNoDateTime() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        const LocaleDateTimeFormat format{QLocale(locale)};
        DateTimeValue value = 42;
        QVERIFY(!format.readDateTime(text, 2025, value));
        QCOMPARE(value, 42.0);
    }

    // Texts read one after the other give what each gives alone, however they share their date.
    void readingInTurnGivesWhatEachGivesAlone_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("dateFormat");
        QTest::addColumn<QString>("timeFormat");
        QTest::newRow("C") << u"C"_s << QString() << QString();
        QTest::newRow("en_US") << u"en_US"_s << QString() << QString();
        QTest::newRow("de_DE") << u"de_DE"_s << QString() << QString();
        QTest::newRow("day last, unpadded") << u"C"_s << u"yyyy-MM-d"_s << u"H:mm:ss"_s;
        QTest::newRow("no year") << u"C"_s << u"d MMM"_s << u"H:mm"_s;
        QTest::newRow("month name first") << u"en_US"_s << u"MMMM d, yy"_s << u"h:mm AP"_s;
        QTest::newRow("month name last") << u"de_DE"_s << u"d. MMMM"_s << u"HH:mm"_s;
        QTest::newRow("ends in a blank") << u"C"_s << u"d.M.yy "_s << u"H:mm"_s;
    }
    void readingInTurnGivesWhatEachGivesAlone() {
        QFETCH(QString, locale);
        QFETCH(QString, dateFormat);
        QFETCH(QString, timeFormat);
        const LocaleDateTimeFormat format =
            dateFormat.isEmpty() ? LocaleDateTimeFormat(QLocale(locale))
                                 : LocaleDateTimeFormat(QLocale(locale), dateFormat, timeFormat);
        QStringList texts;
        for (const QDateTime& moment : sampleMoments()) {
            const DateTimeValue value = toDateTimeValue(moment);
            const QString text = format.dateTimeText(value);
            const QString date = format.dateText(moment.date());
            const QString rest = text.startsWith(date) ? text.mid(date.size()) : u" 1:02"_s;
            texts << text << format.dateTimeText(value + 1.0 / 24) << date << date + u'7' + rest
                  << date + u'x' << date + u"  "_s + rest.trimmed() << date + u" 99:99:99"_s
                  << date + QChar(0xa0) + rest.trimmed() << text.toUpper() << u' ' + text
                  << date.chopped(1) << text;
        }
        LocaleDateTimeFormat::Reader reader(format);
        const int years[] = {2025, 2025, 1960};
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const int year = years[i % 3];
            DateTimeValue alone = -1;
            DateTimeValue inTurn = -1;
            const bool readAlone = format.readDateTime(texts[i], year, alone);
            QCOMPARE(reader.read(texts[i], year, inTurn), readAlone);
            QVERIFY2(inTurn == alone, qPrintable(texts[i]));
        }
    }

    void wholeSecondsAndMidnight() {
        const LocaleDateTimeFormat format{QLocale(u"de_DE"_s)};
        const DateTimeValue justBefore = toDateTimeValue(QDate(2010, 3, 7), QTime(14, 5, 9, 999));
        QCOMPARE(format.dateTimeText(justBefore), u"07.03.10 14:05:09"_s);
        // Under a second after midnight is still midnight: the date alone.
        QCOMPARE(format.dateTimeText(toDateTimeValue(QDate(2010, 3, 7), QTime(0, 0, 0, 600))),
                 u"07.03.10"_s);
    }

    void valuesNoClockGivesStillFormat() {
        const LocaleDateTimeFormat format{QLocale(u"de_DE"_s)};
        QCOMPARE(format.dateTimeText(std::numeric_limits<double>::quiet_NaN()), u"30.12.99"_s);
        QCOMPARE(format.dateTimeText(1e300), u"31.12.99 23:59:59"_s);
        QCOMPARE(format.dateText(QDate(2010, 3, 7)), u"07.03.10"_s);
    }

    void followsTheDefaultLocale() {
        const DateTimeValue value = toDateTimeValue(QDate(2010, 3, 7), QTime(14, 5, 9));
        QLocale::setDefault(QLocale(u"en_US"_s));
        QCOMPARE(dateTimeText(value), u"3/7/10 2:05:09 PM"_s);
        QCOMPARE(shortDateText(value), u"3/7/10"_s);
        QLocale::setDefault(QLocale(u"de_DE"_s));
        QCOMPARE(dateTimeText(value), u"07.03.10 14:05:09"_s);
        QCOMPARE(shortDateText(QDate(2010, 3, 7)), u"07.03.10"_s);
        DateTimeValue back = 0;
        QVERIFY(readDateTimeText(u"07.03.10 14:05:09", 2025, back));
        QCOMPARE(back, value);
    }
};

QTEST_GUILESS_MAIN(LocaleDateTimeTest)
#include "test_cleaninglog_datetime.moc"
