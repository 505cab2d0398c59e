#pragma once

#include "engine/datetimevalue.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace moravel {

// The date-time text of a locale as the cleaning log and the lists write it: the date in the
// short date format, a blank and the time in the long time format; at 00:00:00 the date alone.
// Seconds are whole (milliseconds are cut off, as QLocale does).
//
// The long time format loses its time-zone field: the values are local times without a zone,
// and Qt reads zone abbreviations wrongly ("CEST" comes back as UTC).
//
// Both formats are compiled once into tokens, so that writing or reading a text is one pass over
// its characters; QLocale's own parser costs several microseconds a text, too slow for a log of
// 100,000 records. Texts come out exactly as QLocale::toString() gives them for the same formats.
class LocaleDateTimeFormat {
public:
    // A date of the Gregorian calendar, worked out without QDate (which costs more).
    struct Civil {
        int year = 0;
        int month = 0;
        int day = 0;
        int dayOfWeek = 0; // Monday 1 to Sunday 7
    };
    static Civil civilFromDays(qint64 daysSinceEpoch);
    static Civil civilFromDate(const QDate& date);

    explicit LocaleDateTimeFormat(const QLocale& locale);
    // Other formats with the names and digits of `locale`; a zone field in them is left out.
    LocaleDateTimeFormat(const QLocale& locale, const QString& dateFormat,
                         const QString& timeFormat);

    // The compiled formats of the default locale, QLocale(); compiled anew once it changed.
    static std::shared_ptr<const LocaleDateTimeFormat> current();

    // `timeFormat` without its time-zone field ("t") and the blank, comma or brackets that only
    // set that field apart.
    static QString withoutTimeZone(const QString& timeFormat);

    const QLocale& locale() const { return m_locale; }
    const QString& dateFormat() const { return m_dateFormat; }
    const QString& timeFormat() const { return m_timeFormat; }

    QString dateText(const QDate& date) const;
    QString dateTimeText(DateTimeValue value) const;
    void appendDateText(QString& out, const QDate& date) const;
    void appendDateTimeText(QString& out, DateTimeValue value) const;
    // The longest date-time text, in UTF-16 units.
    qsizetype longestText() const { return m_longestText; }
    // Writes the date-time text at `out`, which has room for longestText() units; returns the
    // end of the text.
    char16_t* writeDateTimeText(char16_t* out, DateTimeValue value) const;

    // Writes date-time texts one after the other, as the log writer does: the date text of the
    // last day is kept, since the records of a run share their day.
    class Writer {
    public:
        explicit Writer(const LocaleDateTimeFormat& format);
        QStringView text(DateTimeValue value);

    private:
        const LocaleDateTimeFormat& m_format;
        std::vector<char16_t> m_text;
        qint64 m_day = std::numeric_limits<qint64>::min();
        qsizetype m_dateSize = 0;
        Civil m_date;
        DateTimeValue m_value = 0;
        qsizetype m_size = -1;
        // The time text of m_minute (a minute of m_day, -1 when none) ends at m_timeEnd, its
        // seconds' two digits at m_secondAt; m_secondToken is the seconds' token, -1 when they
        // cannot be written over.
        std::ptrdiff_t m_secondToken = -1;
        int m_minute = -1;
        qsizetype m_secondAt = 0;
        qsizetype m_timeEnd = 0;
    };

    // Reads a text of these formats: a date, or a date, blanks and a time. A date alone means
    // 00:00:00. A two-digit year is read into the hundred years around `referenceYear` (from 50
    // years before it to 49 after). Blanks of any kind stand for one another, and letters match
    // without regard to case. False, leaving `value` unchanged, for any other text.
    bool readDateTime(QStringView text, int referenceYear, DateTimeValue& value) const;

    // Reads date-time texts one after the other, as the log reader does: the records of a run
    // share their date text, so a text that begins with the date of the last one reads only its
    // time. Gives exactly what readDateTime gives.
    class Reader;

    enum class Kind : std::uint8_t {
        Literal,
        Day,
        Day2,
        DayNameShort,
        DayNameLong,
        Month,
        Month2,
        MonthNameShort,
        MonthNameLong,
        Year2,
        Year4,
        Hour,
        Hour2,
        Hour12,
        Hour12Padded,
        Minute,
        Minute2,
        Second,
        Second2,
        MillisecondTrimmed,
        Millisecond3,
        AmPmUpper,
        AmPmLower,
    };
    struct Token {
        Kind kind = Kind::Literal;
        QString text; // of a literal
    };
    struct Name {
        QString text;
        int value = 0; // month 1..12, weekday 1..7, or 0 AM and 1 PM
    };

private:
    struct Fields {
        int referenceYear = 0;
        int year = -1;
        bool twoDigitYear = false;
        int month = -1;
        int day = -1;
        int hour = 0;
        int minute = 0;
        int second = 0;
        int millisecond = 0;
        int amPm = -1;
        // The day of the date; given beforehand (dateChecked) when the date is known to be valid.
        bool dateChecked = false;
        qint64 days = 0;
        DateTimeValue result = 0;
    };

    static std::vector<Token> compile(const QString& format, bool time);
    char16_t* writeTokens(char16_t* out, const std::vector<Token>& tokens, const Civil& date,
                          int secondOfDay) const;
    char16_t* writeTokens(char16_t* out, const Token* first, const Token* last, const Civil& date,
                          int secondOfDay) const;
    char16_t* writeNumber(char16_t* out, int value, int width) const;
    qsizetype longestText(const std::vector<Token>& tokens) const;
    // `dateEnd` is where the date part ends: found, or given when `dateRead` holds the fields
    // of a date part equal to that of `text`.
    bool readGreedily(QStringView text, Fields& fields, qsizetype& dateEnd,
                      bool dateRead = false) const;
    bool complete(Fields& fields, bool withTime) const;
    bool readDigits(QStringView text, qsizetype& pos, int count, int& value) const;
    bool match(const std::vector<Token>& tokens, std::size_t index, QStringView text, qsizetype pos,
               Fields& fields, bool inDate) const;
    bool finish(QStringView text, qsizetype pos, Fields& fields, bool inDate) const;

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    std::vector<Token> m_dateTokens;
    std::vector<Token> m_timeTokens;
    bool m_twelveHour = false; // the hour field counts 1 to 12 beside an AM/PM field
    char32_t m_zeroDigit = U'0';
    QString m_amUpper, m_amLower, m_pmUpper, m_pmLower;
    std::vector<Name> m_monthNames; // every month name, short and long, longest first
    std::vector<Name> m_dayNames;   // likewise for the weekdays
    std::vector<Name> m_amPmNames;  // value 0 AM, 1 PM
    QStringList m_shortMonths, m_longMonths, m_shortDays, m_longDays; // index 0 is January/Monday
    qsizetype m_longestDateText = 0;
    qsizetype m_longestText = 0;
    // The date part of a text reads alike whatever follows it after a blank: no name holds a
    // blank and the date does not end in one.
    bool m_dateStandsAlone = false;
};

class LocaleDateTimeFormat::Reader {
public:
    explicit Reader(const LocaleDateTimeFormat& format) : m_format(format) {}
    bool read(QStringView text, int referenceYear, DateTimeValue& value);

private:
    const LocaleDateTimeFormat& m_format;
    QString m_date;  // the date part of the last text read, empty when none
    Fields m_fields; // as its date part gave them
};

// The date-time text of `value` in the current locale: date, blank, time; the date alone at
// 00:00:00. For the log, the lists and the command line.
QString dateTimeText(DateTimeValue value);
// The date of `value` in the current locale's short date format.
QString shortDateText(DateTimeValue value);
QString shortDateText(const QDate& date);
// Reads a date-time text of the current locale; see LocaleDateTimeFormat::readDateTime.
bool readDateTimeText(QStringView text, int referenceYear, DateTimeValue& value);

} // namespace moravel
