#include "storage/localedatetime.h"

#include <QTime>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

const QDate epoch(1899, 12, 30);
constexpr qint64 msPerDay = 86400000;

// The date and the whole second of the day of a value. Rounding to the millisecond first undoes
// the binary fraction's error, as toQDateTime does; the milliseconds are then cut off. Values
// beyond the years 1 to 9999 (and NaN) come from no clock and no log line; they are pinned to
// the nearer end so that formatting never fails.
void splitValue(DateTimeValue value, QDate& date, int& secondOfDay) {
    static const double first = static_cast<double>(epoch.daysTo(QDate(1, 1, 1)));
    static const double last =
        static_cast<double>(epoch.daysTo(QDate(9999, 12, 31))) + 86399.0 / 86400.0;
    if (std::isnan(value)) {
        value = 0;
    }
    value = std::clamp(value, first, last);
    const double day = std::floor(value);
    qint64 days = static_cast<qint64>(day);
    qint64 ms = std::llround((value - day) * static_cast<double>(msPerDay));
    if (ms >= msPerDay) {
        ms -= msPerDay;
        ++days;
    }
    date = epoch.addDays(days);
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

} // namespace

struct LocaleDateTimeFormat::Fields {
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
    DateTimeValue result = 0;
};

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

void LocaleDateTimeFormat::appendNumber(QString& out, int value, int width) const {
    char16_t digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value > 0 && count < 11);
    for (int i = count; i < width; ++i) {
        digits[count++] = u'0';
    }
    if (m_zeroDigit == U'0') {
        for (int i = count - 1; i >= 0; --i) {
            out += QChar(digits[i]);
        }
        return;
    }
    for (int i = count - 1; i >= 0; --i) {
        const char32_t digit = m_zeroDigit + (digits[i] - u'0');
        if (QChar::requiresSurrogates(digit)) {
            out += QChar(QChar::highSurrogate(digit));
            out += QChar(QChar::lowSurrogate(digit));
        } else {
            out += QChar(static_cast<char16_t>(digit));
        }
    }
}

void LocaleDateTimeFormat::appendTokens(QString& out, const std::vector<Token>& tokens,
                                        const QDate& date, int secondOfDay) const {
    const int hour = secondOfDay / 3600;
    const int minute = secondOfDay / 60 % 60;
    const int second = secondOfDay % 60;
    for (const Token& token : tokens) {
        switch (token.kind) {
        case Kind::Literal:
            out += token.text;
            break;
        case Kind::Day:
        case Kind::Day2:
            appendNumber(out, date.day(), token.kind == Kind::Day2 ? 2 : 1);
            break;
        case Kind::DayNameShort:
            out += m_shortDays.at(date.dayOfWeek() - 1);
            break;
        case Kind::DayNameLong:
            out += m_longDays.at(date.dayOfWeek() - 1);
            break;
        case Kind::Month:
        case Kind::Month2:
            appendNumber(out, date.month(), token.kind == Kind::Month2 ? 2 : 1);
            break;
        case Kind::MonthNameShort:
            out += m_shortMonths.at(date.month() - 1);
            break;
        case Kind::MonthNameLong:
            out += m_longMonths.at(date.month() - 1);
            break;
        case Kind::Year2:
            appendNumber(out, date.year() % 100, 2);
            break;
        case Kind::Year4:
            appendNumber(out, date.year(), 4);
            break;
        case Kind::Hour:
        case Kind::Hour2:
            appendNumber(out, hour, token.kind == Kind::Hour2 ? 2 : 1);
            break;
        case Kind::Hour12:
        case Kind::Hour12Padded: {
            const int h = hour > 12 ? hour - 12 : hour == 0 ? 12 : hour;
            appendNumber(out, h, token.kind == Kind::Hour12Padded ? 2 : 1);
            break;
        }
        case Kind::Minute:
        case Kind::Minute2:
            appendNumber(out, minute, token.kind == Kind::Minute2 ? 2 : 1);
            break;
        case Kind::Second:
        case Kind::Second2:
            appendNumber(out, second, token.kind == Kind::Second2 ? 2 : 1);
            break;
        case Kind::MillisecondTrimmed:
            // Whole seconds: no fraction to show.
            appendNumber(out, 0, 1);
            break;
        case Kind::Millisecond3:
            appendNumber(out, 0, 3);
            break;
        case Kind::AmPmUpper:
            out += hour < 12 ? m_amUpper : m_pmUpper;
            break;
        case Kind::AmPmLower:
            out += hour < 12 ? m_amLower : m_pmLower;
            break;
        }
    }
}

void LocaleDateTimeFormat::appendDateText(QString& out, const QDate& date) const {
    appendTokens(out, m_dateTokens, date, 0);
}

void LocaleDateTimeFormat::appendDateTimeText(QString& out, DateTimeValue value) const {
    QDate date;
    int secondOfDay = 0;
    splitValue(value, date, secondOfDay);
    appendTokens(out, m_dateTokens, date, 0);
    if (secondOfDay != 0) {
        out += u' ';
        appendTokens(out, m_timeTokens, date, secondOfDay);
    }
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

bool LocaleDateTimeFormat::finish(QStringView text, qsizetype pos, Fields& f, bool inDate) const {
    if (inDate) {
        // The date is complete: either the text ends here (midnight) or blanks and the time
        // follow.
        if (pos == text.size()) {
            f.hour = f.minute = f.second = f.millisecond = 0;
            f.amPm = -1;
        } else {
            const qsizetype before = pos;
            while (pos < text.size() && text[pos].isSpace()) {
                ++pos;
            }
            if (pos == before || pos == text.size()) {
                return false;
            }
            return match(m_timeTokens, 0, text, pos, f, false);
        }
    } else if (pos != text.size()) {
        return false;
    }

    int year = f.year < 0 ? f.referenceYear : f.year;
    if (f.twoDigitYear) {
        year = yearNear(year, f.referenceYear);
    }
    if (f.month < 1 || f.day < 1 || !QDate::isValid(year, f.month, f.day) || year < 1) {
        return false;
    }
    int hour = f.hour;
    if (m_twelveHour && !inDate) {
        if (hour > 12 || f.amPm < 0) {
            return false;
        }
        hour = hour % 12 + (f.amPm == 1 ? 12 : 0);
    }
    if (hour > 23 || f.minute > 59 || f.second > 59) {
        return false;
    }
    f.result = toDateTimeValue(QDate(year, f.month, f.day),
                               QTime(hour, f.minute, f.second, f.millisecond));
    return true;
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
        const QString& literal = token.text;
        for (qsizetype i = 0; i < literal.size();) {
            if (literal.at(i).isSpace()) {
                // Any run of blanks stands for any other: QLocale's formats mix the blank with
                // no-break spaces, and a hand-edited line may not.
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
            if (at >= text.size()) {
                return false;
            }
            const QChar c = text[at];
            const QChar p = literal.at(i);
            if (c != p && c.toCaseFolded() != p.toCaseFolded()) {
                return false;
            }
            ++at;
            ++i;
        }
        return next(at);
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

bool LocaleDateTimeFormat::readDateTime(QStringView text, int referenceYear,
                                        DateTimeValue& value) const {
    text = text.trimmed();
    if (text.isEmpty()) {
        return false;
    }
    Fields fields;
    fields.referenceYear = referenceYear;
    if (!match(m_dateTokens, 0, text, 0, fields, true)) {
        return false;
    }
    value = fields.result;
    return true;
}

QString dateTimeText(DateTimeValue value) {
    return LocaleDateTimeFormat::current()->dateTimeText(value);
}

QString shortDateText(DateTimeValue value) {
    QDate date;
    int secondOfDay = 0;
    splitValue(value, date, secondOfDay);
    return LocaleDateTimeFormat::current()->dateText(date);
}

QString shortDateText(const QDate& date) {
    return LocaleDateTimeFormat::current()->dateText(date);
}

bool readDateTimeText(QStringView text, int referenceYear, DateTimeValue& value) {
    return LocaleDateTimeFormat::current()->readDateTime(text, referenceYear, value);
}

} // namespace moravel
