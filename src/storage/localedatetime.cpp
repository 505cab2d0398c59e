#include "storage/localedatetime.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace moravel {

namespace {

constexpr qint64 msPerDay = 86400000;

// Days from 30 December 1899 to a date of the (proleptic) Gregorian calendar, and back, by
// arithmetic: QDate's own conversions cost more than the rest of a log line.
constexpr qint64 daysSinceEpoch(int year, int month, int day) {
    const auto fromCivil = [](qint64 y, qint64 m, qint64 d) {
        y -= m <= 2 ? 1 : 0;
        const qint64 era = (y >= 0 ? y : y - 399) / 400;
        const qint64 yearOfEra = y - era * 400;
        const qint64 dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
        return era * 146097 + dayOfEra;
    };
    return fromCivil(year, month, day) - fromCivil(1899, 12, 30);
}

} // namespace

LocaleDateTimeFormat::Civil LocaleDateTimeFormat::civilFromDays(qint64 days) {
    // Counted from 1 March of the year 0; 30 December 1899 is day 693,899 of that count.
    const qint64 z = days + 693899;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 dayOfEra = z - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    Civil civil;
    civil.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    civil.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0));
    // 30 December 1899 was a Saturday (6, counting Monday as 1).
    civil.dayOfWeek = static_cast<int>(((days + 5) % 7 + 7) % 7) + 1;
    return civil;
}

LocaleDateTimeFormat::Civil LocaleDateTimeFormat::civilFromDate(const QDate& date) {
    Civil civil;
    date.getDate(&civil.year, &civil.month, &civil.day);
    civil.dayOfWeek = date.dayOfWeek();
    return civil;
}

namespace {

// The date and the whole second of the day of a value. Rounding to the millisecond first undoes
// the binary fraction's error, as toQDateTime does; the milliseconds are then cut off. Values
// beyond the years 1 to 9999 (and NaN) come from no clock and no log line; they are pinned to
// the nearer end so that formatting never fails.
void splitValue(DateTimeValue value, qint64& days, int& secondOfDay) {
    constexpr double first = static_cast<double>(daysSinceEpoch(1, 1, 1));
    constexpr double last = static_cast<double>(daysSinceEpoch(9999, 12, 31)) + 86399.0 / 86400.0;
    // One test, rarely taken, for the values of every clock and log line.
    if (!(value >= first && value <= last)) {
        value = std::isnan(value) ? 0 : std::clamp(value, first, last);
    }
    // floor() and llround() by hand: both exact in this range, and cheaper than the library's,
    // which the log writer calls for every record.
    days = static_cast<qint64>(value);
    if (static_cast<double>(days) > value) {
        --days;
    }
    const double fraction = (value - static_cast<double>(days)) * static_cast<double>(msPerDay);
    qint64 ms = static_cast<qint64>(fraction);
    if (fraction - static_cast<double>(ms) >= 0.5) {
        ++ms;
    }
    if (ms >= msPerDay) {
        ms -= msPerDay;
        ++days;
    }
    secondOfDay = static_cast<int>(ms / 1000);
}

bool isDateLetter(QChar c) {
    return c == u'd' || c == u'M' || c == u'y';
}

bool isTimeLetter(QChar c) {
    return c == u'h' || c == u'H' || c == u'm' || c == u's' || c == u'z' || c == u'a' ||
           c == u'A' || c == u't';
}

// Qt's rule for a quoted piece of a format: from the quote at `i` to the closing one, "''"
// inside standing for one quote; a lone "''" outside is a quote; an unclosed quote runs to the
// end. `i` ends after the piece.
QString readQuoted(const QString& format, qsizetype& i) {
    ++i;
    if (i < format.size() && format.at(i) == u'\'') {
        ++i;
        return QStringLiteral("'");
    }
    QString text;
    while (i < format.size()) {
        if (format.at(i) == u'\'') {
            if (i + 1 < format.size() && format.at(i + 1) == u'\'') {
                text += u'\'';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        text += format.at(i++);
    }
    return text;
}

qsizetype repeatCount(const QString& format, qsizetype i) {
    qsizetype j = i + 1;
    while (j < format.size() && format.at(j) == format.at(i)) {
        ++j;
    }
    return j - i;
}

// True when the format shows AM/PM outside quotes; Qt then counts "h" from 1 to 12.
bool showsAmPm(const QString& format) {
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            readQuoted(format, i);
            continue;
        }
        if (c == u'a' || c == u'A') {
            return true;
        }
        ++i;
    }
    return false;
}

std::vector<LocaleDateTimeFormat::Name>
namesLongestFirst(const QList<std::pair<QString, int>>& names) {
    std::vector<LocaleDateTimeFormat::Name> result;
    for (const auto& [text, value] : names) {
        const bool known = std::any_of(result.begin(), result.end(), [&](const auto& name) {
            return name.value == value && name.text == text;
        });
        if (!known) {
            result.push_back({text, value});
        }
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const auto& a, const auto& b) { return a.text.size() > b.text.size(); });
    return result;
}

bool startsWithFolded(QStringView text, qsizetype pos, const QString& name) {
    if (text.size() - pos < name.size()) {
        return false;
    }
    return text.sliced(pos, name.size()).compare(name, Qt::CaseInsensitive) == 0;
}

int yearNear(int twoDigits, int referenceYear) {
    int year = referenceYear - referenceYear % 100 + twoDigits;
    if (year > referenceYear + 49) {
        year -= 100;
    } else if (year < referenceYear - 50) {
        year += 100;
    }
    return year;
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Any run of blanks stands for any other: QLocale's formats mix the blank with no-break spaces,
// and a hand-edited line may not. Letters match without regard to case.
bool matchLiteral(QStringView text, qsizetype& pos, const QString& literal) {
    qsizetype at = pos;
    for (qsizetype i = 0; i < literal.size();) {
        const QChar p = literal.at(i);
        if (at < text.size() && text[at] == p && !p.isSpace()) {
            ++at;
            ++i;
            continue;
        }
        if (p.isSpace()) {
            while (i < literal.size() && literal.at(i).isSpace()) {
                ++i;
            }
            const qsizetype before = at;
            while (at < text.size() && text[at].isSpace()) {
                ++at;
            }
            if (at == before) {
                return false;
            }
            continue;
        }
        if (at >= text.size() || text[at].toCaseFolded() != p.toCaseFolded()) {
            return false;
        }
        ++at;
        ++i;
    }
    pos = at;
    return true;
}

} // namespace

LocaleDateTimeFormat::LocaleDateTimeFormat(const QLocale& locale)
    : LocaleDateTimeFormat(locale, locale.dateFormat(QLocale::ShortFormat),
                           locale.timeFormat(QLocale::LongFormat)) {}

LocaleDateTimeFormat::LocaleDateTimeFormat(const QLocale& locale, const QString& dateFormat,
                                           const QString& timeFormat)
    : m_locale(locale), m_dateFormat(dateFormat), m_timeFormat(withoutTimeZone(timeFormat)) {
    m_dateTokens = compile(m_dateFormat, false);
    m_timeTokens = compile(m_timeFormat, true);
    // Qt counts "h" from 1 to 12 only when the format shows AM/PM.
    const bool showsMarker = showsAmPm(m_timeFormat);
    for (Token& token : m_timeTokens) {
        if (token.kind == Kind::Hour12 || token.kind == Kind::Hour12Padded) {
            if (showsMarker) {
                m_twelveHour = true;
            } else {
                token.kind = token.kind == Kind::Hour12 ? Kind::Hour : Kind::Hour2;
            }
        }
    }

    const QString zero = locale.zeroDigit();
    m_zeroDigit = zero.isEmpty() ? U'0' : zero.toUcs4().value(0, U'0');
    m_amUpper = locale.amText().toUpper();
    m_amLower = locale.amText().toLower();
    m_pmUpper = locale.pmText().toUpper();
    m_pmLower = locale.pmText().toLower();

    QList<std::pair<QString, int>> months, days;
    for (int i = 1; i <= 12; ++i) {
        m_shortMonths << locale.monthName(i, QLocale::ShortFormat);
        m_longMonths << locale.monthName(i, QLocale::LongFormat);
        months << std::pair{m_shortMonths.back(), i} << std::pair{m_longMonths.back(), i};
        // Stand-alone names too: a hand-written date may use them, and they do no harm.
        months << std::pair{locale.standaloneMonthName(i, QLocale::ShortFormat), i}
               << std::pair{locale.standaloneMonthName(i, QLocale::LongFormat), i};
    }
    for (int i = 1; i <= 7; ++i) {
        m_shortDays << locale.dayName(i, QLocale::ShortFormat);
        m_longDays << locale.dayName(i, QLocale::LongFormat);
        days << std::pair{m_shortDays.back(), i} << std::pair{m_longDays.back(), i};
    }
    m_monthNames = namesLongestFirst(months);
    m_dayNames = namesLongestFirst(days);
    m_amPmNames = namesLongestFirst({{locale.amText(), 0}, {locale.pmText(), 1}});
    m_longestDateText = longestText(m_dateTokens);
    m_longestText = m_longestDateText + 1 + longestText(m_timeTokens);
    const auto holdsBlank = [](const std::vector<Name>& names) {
        return std::any_of(names.begin(), names.end(), [](const Name& name) {
            return std::any_of(name.text.begin(), name.text.end(),
                               [](QChar c) { return c.isSpace(); });
        });
    };
    const bool dateOnly = std::all_of(m_dateTokens.begin(), m_dateTokens.end(),
                                      [](const Token& t) { return t.kind < Kind::Hour; });
    m_dateStandsAlone =
        dateOnly && !m_dateTokens.empty() &&
        !(m_dateTokens.back().kind == Kind::Literal &&
          (m_dateTokens.back().text.isEmpty() || m_dateTokens.back().text.back().isSpace())) &&
        !holdsBlank(m_monthNames) && !holdsBlank(m_dayNames) && !holdsBlank(m_amPmNames);
}

std::shared_ptr<const LocaleDateTimeFormat> LocaleDateTimeFormat::current() {
    // One per thread, so that no lock is needed; the program uses it from one thread only.
    thread_local std::shared_ptr<const LocaleDateTimeFormat> compiled;
    const QLocale locale;
    if (!compiled || compiled->m_locale != locale) {
        compiled = std::make_shared<const LocaleDateTimeFormat>(locale);
    }
    return compiled;
}

QString LocaleDateTimeFormat::withoutTimeZone(const QString& timeFormat) {
    // Which characters are format letters (outside quotes) and which are quoted text.
    std::vector<bool> quoted(static_cast<std::size_t>(timeFormat.size()), false);
    for (qsizetype i = 0; i < timeFormat.size();) {
        if (timeFormat.at(i) == u'\'') {
            const qsizetype start = i;
            readQuoted(timeFormat, i);
            std::fill(quoted.begin() + start, quoted.begin() + i, true);
        } else {
            ++i;
        }
    }
    const auto isFree = [&](qsizetype i, auto&& test) {
        return i >= 0 && i < timeFormat.size() && !quoted[static_cast<std::size_t>(i)] &&
               test(timeFormat.at(i));
    };
    const auto opening = [](QChar c) { return c.isSpace() || c == u',' || c == u'(' || c == u'['; };
    const auto closing = [](QChar c) { return c == u')' || c == u']'; };
    const auto leading = [](QChar c) { return c.isSpace() || c == u','; };
    const auto zone = [](QChar c) { return c == u't'; };

    QString result = timeFormat;
    // From the last field to the first, so that the positions before it stay valid.
    for (qsizetype i = timeFormat.size() - 1; i >= 0; --i) {
        if (!isFree(i, zone)) {
            continue;
        }
        qsizetype end = i + 1;
        qsizetype start = i;
        while (isFree(start - 1, zone)) {
            --start;
        }
        i = start;
        while (isFree(start - 1, opening)) {
            --start;
        }
        while (isFree(end, closing)) {
            ++end;
        }
        if (start == 0) {
            while (isFree(end, leading)) {
                ++end;
            }
        }
        result.remove(start, end - start);
        i = start;
    }
    return result;
}

std::vector<LocaleDateTimeFormat::Token> LocaleDateTimeFormat::compile(const QString& format,
                                                                       bool time) {
    std::vector<Token> tokens;
    const auto literal = [&](const QString& text) {
        if (text.isEmpty()) {
            return;
        }
        if (!tokens.empty() && tokens.back().kind == Kind::Literal) {
            tokens.back().text += text;
        } else {
            tokens.push_back({Kind::Literal, text});
        }
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            literal(readQuoted(format, i));
            continue;
        }
        const qsizetype repeat = repeatCount(format, i);
        Kind kind = Kind::Literal;
        qsizetype used = 1;
        // A date format shows no time fields, and a time format no date fields: Qt writes those
        // letters as they are.
        const bool field = time ? isTimeLetter(c) : isDateLetter(c);
        switch (field ? c.unicode() : u'\0') {
        case u'd':
        case u'M': {
            used = std::min<qsizetype>(repeat, 4);
            static constexpr Kind day[] = {Kind::Day, Kind::Day2, Kind::DayNameShort,
                                           Kind::DayNameLong};
            static constexpr Kind month[] = {Kind::Month, Kind::Month2, Kind::MonthNameShort,
                                             Kind::MonthNameLong};
            kind = (c == u'd' ? day : month)[used - 1];
            break;
        }
        case u'y':
            used = repeat >= 4 ? 4 : repeat >= 2 ? 2 : 1;
            kind = used == 4 ? Kind::Year4 : used == 2 ? Kind::Year2 : Kind::Literal;
            break;
        case u'h':
            used = std::min<qsizetype>(repeat, 2);
            kind = used == 2 ? Kind::Hour12Padded : Kind::Hour12;
            break;
        case u'H':
            used = std::min<qsizetype>(repeat, 2);
            kind = used == 2 ? Kind::Hour2 : Kind::Hour;
            break;
        case u'm':
            used = std::min<qsizetype>(repeat, 2);
            kind = used == 2 ? Kind::Minute2 : Kind::Minute;
            break;
        case u's':
            used = std::min<qsizetype>(repeat, 2);
            kind = used == 2 ? Kind::Second2 : Kind::Second;
            break;
        case u'z':
            used = repeat >= 3 ? 3 : 1;
            kind = used == 3 ? Kind::Millisecond3 : Kind::MillisecondTrimmed;
            break;
        case u'a':
        case u'A': {
            const bool withP = i + 1 < format.size() && format.at(i + 1).toLower() == u'p';
            used = withP ? 2 : 1;
            // Qt writes lower case for "a" and "ap", upper case for "A", "AP", "Ap" and "aP".
            const bool lower = c == u'a' && (!withP || format.at(i + 1) == u'p');
            kind = lower ? Kind::AmPmLower : Kind::AmPmUpper;
            break;
        }
        case u't':
            // A zone field left in a format: the values have no zone to show.
            i += repeat;
            continue;
        default:
            break;
        }
        if (kind == Kind::Literal) {
            literal(format.mid(i, used));
        } else {
            tokens.push_back({kind, format.mid(i, used)});
        }
        i += used;
    }
    return tokens;
}

char16_t* LocaleDateTimeFormat::writeNumber(char16_t* out, int value, int width) const {
    if (m_zeroDigit == U'0' && value >= 0 && value < 100 && width <= 2) {
        // Days, months, hours, minutes, seconds and two-digit years: the usual case.
        if (value >= 10 || width == 2) {
            *out++ = static_cast<char16_t>(u'0' + value / 10);
        }
        *out++ = static_cast<char16_t>(u'0' + value % 10);
        return out;
    }
    char16_t digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(value % 10);
        value /= 10;
    } while (value > 0 && count < 11);
    while (count < width) {
        digits[count++] = 0;
    }
    if (m_zeroDigit == U'0') {
        while (count > 0) {
            *out++ = static_cast<char16_t>(u'0' + digits[--count]);
        }
        return out;
    }
    while (count > 0) {
        const char32_t digit = m_zeroDigit + digits[--count];
        if (QChar::requiresSurrogates(digit)) {
            *out++ = QChar::highSurrogate(digit);
            *out++ = QChar::lowSurrogate(digit);
        } else {
            *out++ = static_cast<char16_t>(digit);
        }
    }
    return out;
}

namespace {
char16_t* writeText(char16_t* out, const QString& text) {
    std::copy_n(reinterpret_cast<const char16_t*>(text.constData()), text.size(), out);
    return out + text.size();
}
} // namespace

char16_t* LocaleDateTimeFormat::writeTokens(char16_t* out, const std::vector<Token>& tokens,
                                            const Civil& date, int secondOfDay) const {
    return writeTokens(out, tokens.data(), tokens.data() + tokens.size(), date, secondOfDay);
}

char16_t* LocaleDateTimeFormat::writeTokens(char16_t* out, const Token* first, const Token* last,
                                            const Civil& date, int secondOfDay) const {
    const int year = date.year;
    const int month = date.month;
    const int day = date.day;
    const int hour = secondOfDay / 3600;
    const int minute = secondOfDay / 60 % 60;
    const int second = secondOfDay % 60;
    for (const Token* at = first; at != last; ++at) {
        const Token& token = *at;
        switch (token.kind) {
        case Kind::Literal:
            out = writeText(out, token.text);
            break;
        case Kind::Day:
        case Kind::Day2:
            out = writeNumber(out, day, token.kind == Kind::Day2 ? 2 : 1);
            break;
        case Kind::DayNameShort:
            out = writeText(out, m_shortDays.at(date.dayOfWeek - 1));
            break;
        case Kind::DayNameLong:
            out = writeText(out, m_longDays.at(date.dayOfWeek - 1));
            break;
        case Kind::Month:
        case Kind::Month2:
            out = writeNumber(out, month, token.kind == Kind::Month2 ? 2 : 1);
            break;
        case Kind::MonthNameShort:
            out = writeText(out, m_shortMonths.at(month - 1));
            break;
        case Kind::MonthNameLong:
            out = writeText(out, m_longMonths.at(month - 1));
            break;
        case Kind::Year2:
            out = writeNumber(out, year % 100, 2);
            break;
        case Kind::Year4:
            out = writeNumber(out, year, 4);
            break;
        case Kind::Hour:
        case Kind::Hour2:
            out = writeNumber(out, hour, token.kind == Kind::Hour2 ? 2 : 1);
            break;
        case Kind::Hour12:
        case Kind::Hour12Padded: {
            const int h = hour > 12 ? hour - 12 : hour == 0 ? 12 : hour;
            out = writeNumber(out, h, token.kind == Kind::Hour12Padded ? 2 : 1);
            break;
        }
        case Kind::Minute:
        case Kind::Minute2:
            out = writeNumber(out, minute, token.kind == Kind::Minute2 ? 2 : 1);
            break;
        case Kind::Second:
        case Kind::Second2:
            out = writeNumber(out, second, token.kind == Kind::Second2 ? 2 : 1);
            break;
        case Kind::MillisecondTrimmed:
            // Whole seconds: no fraction to show.
            out = writeNumber(out, 0, 1);
            break;
        case Kind::Millisecond3:
            out = writeNumber(out, 0, 3);
            break;
        case Kind::AmPmUpper:
            out = writeText(out, hour < 12 ? m_amUpper : m_pmUpper);
            break;
        case Kind::AmPmLower:
            out = writeText(out, hour < 12 ? m_amLower : m_pmLower);
            break;
        }
    }
    return out;
}

qsizetype LocaleDateTimeFormat::longestText(const std::vector<Token>& tokens) const {
    const auto longest = [](const QStringList& texts) {
        qsizetype most = 0;
        for (const QString& text : texts) {
            most = std::max(most, text.size());
        }
        return most;
    };
    qsizetype total = 0;
    for (const Token& token : tokens) {
        switch (token.kind) {
        case Kind::Literal:
            total += token.text.size();
            break;
        case Kind::DayNameShort:
            total += longest(m_shortDays);
            break;
        case Kind::DayNameLong:
            total += longest(m_longDays);
            break;
        case Kind::MonthNameShort:
            total += longest(m_shortMonths);
            break;
        case Kind::MonthNameLong:
            total += longest(m_longMonths);
            break;
        case Kind::AmPmUpper:
        case Kind::AmPmLower:
            total += longest({m_amUpper, m_amLower, m_pmUpper, m_pmLower});
            break;
        default:
            // Four digits at most (the year), each perhaps a surrogate pair.
            total += 8;
            break;
        }
    }
    return total;
}

char16_t* LocaleDateTimeFormat::writeDateTimeText(char16_t* out, DateTimeValue value) const {
    qint64 days = 0;
    int secondOfDay = 0;
    splitValue(value, days, secondOfDay);
    const Civil date = civilFromDays(days);
    out = writeTokens(out, m_dateTokens, date, 0);
    if (secondOfDay != 0) {
        *out++ = u' ';
        out = writeTokens(out, m_timeTokens, date, secondOfDay);
    }
    return out;
}

LocaleDateTimeFormat::Writer::Writer(const LocaleDateTimeFormat& format)
    : m_format(format), m_text(static_cast<std::size_t>(format.longestText())) {
    // The seconds can be written over the text of the last time when they are the only part
    // of it that changes within a minute, and are always two digits.
    const std::vector<Token>& tokens = format.m_timeTokens;
    const auto seconds = [](const Token& token) {
        return token.kind == Kind::Second || token.kind == Kind::Second2;
    };
    const auto second2 = std::find_if(tokens.begin(), tokens.end(), seconds);
    if (format.m_zeroDigit == U'0' && second2 != tokens.end() && second2->kind == Kind::Second2 &&
        std::count_if(tokens.begin(), tokens.end(), seconds) == 1) {
        m_secondToken = second2 - tokens.begin();
    }
}

QStringView LocaleDateTimeFormat::Writer::text(DateTimeValue value) {
    if (m_size >= 0 && value == m_value) {
        return QStringView(m_text.data(), m_size);
    }
    qint64 days = 0;
    int secondOfDay = 0;
    splitValue(value, days, secondOfDay);
    char16_t* const begin = m_text.data();
    if (days != m_day) {
        m_day = days;
        m_date = civilFromDays(days);
        m_dateSize = m_format.writeTokens(begin, m_format.m_dateTokens, m_date, 0) - begin;
        m_minute = -1;
    }
    if (secondOfDay == 0) {
        m_size = m_dateSize;
    } else if (secondOfDay / 60 == m_minute) {
        // The records of a run come seconds apart: only the seconds differ from the last time.
        const int second = secondOfDay % 60;
        begin[m_secondAt] = static_cast<char16_t>(u'0' + second / 10);
        begin[m_secondAt + 1] = static_cast<char16_t>(u'0' + second % 10);
        m_size = m_timeEnd;
    } else {
        char16_t* end = begin + m_dateSize;
        *end++ = u' ';
        const Token* const first = m_format.m_timeTokens.data();
        const Token* const last = first + m_format.m_timeTokens.size();
        if (m_secondToken >= 0) {
            end = m_format.writeTokens(end, first, first + m_secondToken, m_date, secondOfDay);
            m_secondAt = end - begin;
            end = m_format.writeTokens(end, first + m_secondToken, last, m_date, secondOfDay);
            m_minute = secondOfDay / 60;
        } else {
            end = m_format.writeTokens(end, first, last, m_date, secondOfDay);
        }
        m_timeEnd = end - begin;
        m_size = m_timeEnd;
    }
    m_value = value;
    return QStringView(begin, m_size);
}

void LocaleDateTimeFormat::appendDateText(QString& out, const QDate& date) const {
    const qsizetype size = out.size();
    out.resize(size + m_longestDateText);
    char16_t* begin = reinterpret_cast<char16_t*>(out.data());
    out.truncate(writeTokens(begin + size, m_dateTokens, civilFromDate(date), 0) - begin);
}

void LocaleDateTimeFormat::appendDateTimeText(QString& out, DateTimeValue value) const {
    const qsizetype size = out.size();
    out.resize(size + m_longestText);
    char16_t* begin = reinterpret_cast<char16_t*>(out.data());
    out.truncate(writeDateTimeText(begin + size, value) - begin);
}

QString LocaleDateTimeFormat::dateText(const QDate& date) const {
    QString out;
    appendDateText(out, date);
    return out;
}

QString LocaleDateTimeFormat::dateTimeText(DateTimeValue value) const {
    QString out;
    appendDateTimeText(out, value);
    return out;
}

bool LocaleDateTimeFormat::readDigits(QStringView text, qsizetype& pos, int count,
                                      int& value) const {
    qsizetype at = pos;
    int result = 0;
    for (int i = 0; i < count; ++i) {
        if (at >= text.size()) {
            return false;
        }
        const char16_t c = text[at].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
            ++at;
        } else if (m_zeroDigit != U'0') {
            char32_t code = c;
            qsizetype width = 1;
            if (QChar::isHighSurrogate(c) && at + 1 < text.size() &&
                QChar::isLowSurrogate(text[at + 1].unicode())) {
                code = QChar::surrogateToUcs4(c, text[at + 1].unicode());
                width = 2;
            }
            if (code >= m_zeroDigit && code <= m_zeroDigit + 9) {
                digit = static_cast<int>(code - m_zeroDigit);
                at += width;
            }
        }
        if (digit < 0) {
            return false;
        }
        result = result * 10 + digit;
    }
    pos = at;
    value = result;
    return true;
}

bool LocaleDateTimeFormat::complete(Fields& f, bool withTime) const {
    if (!withTime) {
        f.hour = f.minute = f.second = f.millisecond = 0;
    }
    if (!f.dateChecked) {
        int year = f.year < 0 ? f.referenceYear : f.year;
        if (f.twoDigitYear) {
            year = yearNear(year, f.referenceYear);
        }
        if (year < 1 || year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
            f.day > daysInMonth(year, f.month)) {
            return false;
        }
        f.days = daysSinceEpoch(year, f.month, f.day);
    }
    int hour = f.hour;
    if (m_twelveHour && withTime) {
        if (hour > 12 || f.amPm < 0) {
            return false;
        }
        hour = hour % 12 + (f.amPm == 1 ? 12 : 0);
    }
    if (hour > 23 || f.minute > 59 || f.second > 59) {
        return false;
    }
    // As toDateTimeValue(QDate, QTime) computes it, without building either.
    const int msecs = ((hour * 60 + f.minute) * 60 + f.second) * 1000 + f.millisecond;
    f.result = static_cast<double>(f.days) + msecs / 86400000.0;
    return true;
}

bool LocaleDateTimeFormat::finish(QStringView text, qsizetype pos, Fields& f, bool inDate) const {
    if (!inDate) {
        return pos == text.size() && complete(f, true);
    }
    // The date is complete: either the text ends here (midnight) or blanks and the time follow.
    if (pos == text.size()) {
        return complete(f, false);
    }
    const qsizetype before = pos;
    while (pos < text.size() && text[pos].isSpace()) {
        ++pos;
    }
    return pos != before && pos != text.size() && match(m_timeTokens, 0, text, pos, f, false);
}

bool LocaleDateTimeFormat::match(const std::vector<Token>& tokens, std::size_t index,
                                 QStringView text, qsizetype pos, Fields& f, bool inDate) const {
    if (index == tokens.size()) {
        return finish(text, pos, f, inDate);
    }
    const Token& token = tokens[index];
    const auto next = [&](qsizetype at) { return match(tokens, index + 1, text, at, f, inDate); };
    // A number of one or two digits; the longer reading is tried first.
    const auto number = [&](int& field, int most) {
        for (int count = most; count >= 1; --count) {
            qsizetype at = pos;
            if (readDigits(text, at, count, field) && next(at)) {
                return true;
            }
        }
        return false;
    };
    const auto name = [&](const std::vector<Name>& names, int* field) {
        for (const Name& candidate : names) {
            if (startsWithFolded(text, pos, candidate.text)) {
                if (field) {
                    *field = candidate.value;
                }
                if (next(pos + candidate.text.size())) {
                    return true;
                }
            }
        }
        return false;
    };

    switch (token.kind) {
    case Kind::Literal: {
        qsizetype at = pos;
        return matchLiteral(text, at, token.text) && next(at);
    }
    case Kind::Day:
    case Kind::Day2:
        return number(f.day, 2);
    case Kind::Month:
    case Kind::Month2:
        return number(f.month, 2);
    case Kind::DayNameShort:
    case Kind::DayNameLong:
        return name(m_dayNames, nullptr);
    case Kind::MonthNameShort:
    case Kind::MonthNameLong:
        return name(m_monthNames, &f.month);
    case Kind::Year2:
    case Kind::Year4: {
        // Exactly as many digits as written: "10" in a four-digit field is not the year 10.
        const int count = token.kind == Kind::Year4 ? 4 : 2;
        qsizetype at = pos;
        if (!readDigits(text, at, count, f.year)) {
            return false;
        }
        f.twoDigitYear = count == 2;
        return next(at);
    }
    case Kind::Hour:
    case Kind::Hour2:
    case Kind::Hour12:
    case Kind::Hour12Padded:
        return number(f.hour, 2);
    case Kind::Minute:
    case Kind::Minute2:
        return number(f.minute, 2);
    case Kind::Second:
    case Kind::Second2:
        return number(f.second, 2);
    case Kind::MillisecondTrimmed:
    case Kind::Millisecond3: {
        for (int count = 3; count >= 1; --count) {
            qsizetype at = pos;
            int digits = 0;
            if (readDigits(text, at, count, digits)) {
                // "z" drops trailing zeros: "5" means 500 ms.
                f.millisecond = count == 1 ? digits * 100 : count == 2 ? digits * 10 : digits;
                if (next(at)) {
                    return true;
                }
            }
            if (token.kind == Kind::Millisecond3) {
                break;
            }
        }
        return false;
    }
    case Kind::AmPmUpper:
    case Kind::AmPmLower:
        return name(m_amPmNames, &f.amPm);
    }
    return false;
}

// One pass, each number taking all the digits it may: the text as the writer makes it reads so.
// Only a text this misses (a number run into the next field) needs the backtracking match.
bool LocaleDateTimeFormat::readGreedily(QStringView text, Fields& f, qsizetype& dateEnd,
                                        bool dateRead) const {
    qsizetype pos = dateRead ? dateEnd : 0;
    const char16_t* const data = text.utf16();
    const auto number = [&](int& field, int least, int most) {
        int count = 0;
        int value = 0;
        while (count < most && pos < text.size()) {
            int digit = data[pos] - u'0';
            if (digit >= 0 && digit <= 9) {
                ++pos;
            } else if (m_zeroDigit == U'0' || !readDigits(text, pos, 1, digit)) {
                break;
            }
            value = value * 10 + digit;
            ++count;
        }
        field = value;
        return count >= least;
    };
    const auto name = [&](const std::vector<Name>& names, int* field) {
        const QStringView rest = text.sliced(pos);
        for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            for (const Name& candidate : names) {
                if (candidate.text.isEmpty() || rest.isEmpty() ||
                    (sensitivity == Qt::CaseSensitive && candidate.text.front() != rest.front())) {
                    continue;
                }
                const bool matches =
                    sensitivity == Qt::CaseSensitive
                        ? rest.size() >= candidate.text.size() &&
                              std::memcmp(rest.utf16(), candidate.text.utf16(),
                                          static_cast<std::size_t>(candidate.text.size()) * 2) == 0
                        : rest.startsWith(candidate.text, sensitivity);
                if (matches) {
                    if (field) {
                        *field = candidate.value;
                    }
                    pos += candidate.text.size();
                    return true;
                }
            }
        }
        return false;
    };
    const auto tokens = [&](const std::vector<Token>& list) {
        for (const Token& token : list) {
            bool matched = false;
            switch (token.kind) {
            case Kind::Literal:
                // Mostly one separator that the text holds exactly.
                if (token.text.size() == 1 && pos < text.size() && data[pos] == token.text[0] &&
                    !token.text[0].isSpace()) {
                    ++pos;
                    matched = true;
                } else if (token.text.size() == 1 && token.text[0].isSpace()) {
                    // One blank stands for a run of blanks of any kind.
                    const qsizetype start = pos;
                    while (pos < text.size() && text[pos].isSpace()) {
                        ++pos;
                    }
                    matched = pos != start;
                } else {
                    matched = matchLiteral(text, pos, token.text);
                }
                break;
            case Kind::Day:
            case Kind::Day2:
                matched = number(f.day, 1, 2);
                break;
            case Kind::Month:
            case Kind::Month2:
                matched = number(f.month, 1, 2);
                break;
            case Kind::DayNameShort:
            case Kind::DayNameLong:
                matched = name(m_dayNames, nullptr);
                break;
            case Kind::MonthNameShort:
            case Kind::MonthNameLong:
                matched = name(m_monthNames, &f.month);
                break;
            case Kind::Year2:
                matched = number(f.year, 2, 2);
                f.twoDigitYear = true;
                break;
            case Kind::Year4:
                matched = number(f.year, 4, 4);
                break;
            case Kind::Hour:
            case Kind::Hour2:
            case Kind::Hour12:
            case Kind::Hour12Padded:
                matched = number(f.hour, 1, 2);
                break;
            case Kind::Minute:
            case Kind::Minute2:
                matched = number(f.minute, 1, 2);
                break;
            case Kind::Second:
            case Kind::Second2:
                matched = number(f.second, 1, 2);
                break;
            case Kind::MillisecondTrimmed:
            case Kind::Millisecond3: {
                const qsizetype start = pos;
                matched = number(f.millisecond, token.kind == Kind::Millisecond3 ? 3 : 1, 3);
                const qsizetype digits = pos - start;
                f.millisecond *= digits == 1 ? 100 : digits == 2 ? 10 : 1;
                break;
            }
            case Kind::AmPmUpper:
            case Kind::AmPmLower:
                matched = name(m_amPmNames, &f.amPm);
                break;
            }
            if (!matched) {
                return false;
            }
        }
        return true;
    };
    if (!dateRead) {
        if (!tokens(m_dateTokens)) {
            return false;
        }
        dateEnd = pos;
    }
    if (pos == text.size()) {
        return complete(f, false);
    }
    const qsizetype before = pos;
    while (pos < text.size() && text[pos].isSpace()) {
        ++pos;
    }
    return pos != before && tokens(m_timeTokens) && pos == text.size() && complete(f, true);
}

bool LocaleDateTimeFormat::readDateTime(QStringView text, int referenceYear,
                                        DateTimeValue& value) const {
    text = text.trimmed();
    if (text.isEmpty()) {
        return false;
    }
    Fields fields;
    fields.referenceYear = referenceYear;
    qsizetype dateEnd = 0;
    if (!readGreedily(text, fields, dateEnd)) {
        fields = Fields();
        fields.referenceYear = referenceYear;
        if (!match(m_dateTokens, 0, text, 0, fields, true)) {
            return false;
        }
    }
    value = fields.result;
    return true;
}

bool LocaleDateTimeFormat::Reader::read(QStringView text, int referenceYear, DateTimeValue& value) {
    if (!m_format.m_dateStandsAlone) {
        return m_format.readDateTime(text, referenceYear, value);
    }
    // The log's texts have no blanks around them (the reader passes over those between fields).
    if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace())) {
        text = text.trimmed();
    }
    const qsizetype dateSize = m_date.size();
    // The date part reads as before when the text goes on past it only after a blank: no token
    // of the date looks further than that blank, and none could take it in.
    if (dateSize > 0 && m_fields.referenceYear == referenceYear && text.size() >= dateSize &&
        std::memcmp(text.utf16(), m_date.utf16(), static_cast<std::size_t>(dateSize) * 2) == 0 &&
        (text.size() == dateSize || text[dateSize].isSpace())) {
        Fields fields = m_fields;
        qsizetype dateEnd = dateSize;
        if (m_format.readGreedily(text, fields, dateEnd, true)) {
            value = fields.result;
            return true;
        }
        return m_format.readDateTime(text, referenceYear, value);
    }
    if (text.isEmpty()) {
        return false;
    }
    Fields fields;
    fields.referenceYear = referenceYear;
    qsizetype dateEnd = -1;
    if (m_format.readGreedily(text, fields, dateEnd)) {
        m_date.resize(dateEnd);
        std::copy(text.begin(), text.begin() + dateEnd, m_date.begin());
        // Only the date's fields: the date tokens set no others.
        m_fields = Fields();
        m_fields.referenceYear = referenceYear;
        m_fields.year = fields.year;
        m_fields.twoDigitYear = fields.twoDigitYear;
        m_fields.month = fields.month;
        m_fields.day = fields.day;
        // The text read, so its date is valid.
        m_fields.dateChecked = true;
        m_fields.days = fields.days;
        value = fields.result;
        return true;
    }
    return m_format.readDateTime(text, referenceYear, value);
}

QString dateTimeText(DateTimeValue value) {
    return LocaleDateTimeFormat::current()->dateTimeText(value);
}

QString shortDateText(DateTimeValue value) {
    qint64 days = 0;
    int secondOfDay = 0;
    splitValue(value, days, secondOfDay);
    const auto format = LocaleDateTimeFormat::current();
    return format->dateText(QDate(1899, 12, 30).addDays(days));
}

QString shortDateText(const QDate& date) {
    return LocaleDateTimeFormat::current()->dateText(date);
}

bool readDateTimeText(QStringView text, int referenceYear, DateTimeValue& value) {
    return LocaleDateTimeFormat::current()->readDateTime(text, referenceYear, value);
}

} // namespace moravel
