#include "storage/logtext.h"

#include "storage/localedatetime.h"

#include <array>
#include <limits>

namespace moravel::logtext {

namespace {

// The characters that end a bare field besides the comma, and that the reader passes over
// between fields.
constexpr bool isBlank(char16_t c) {
    return c >= 1 && c <= 32;
}

bool needsQuotes(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (isBlank(u) || u == u'"' || u == u',') {
            return true;
        }
    }
    return false;
}

void appendField(QString& out, QStringView text) {
    if (!needsQuotes(text)) {
        out += text;
        return;
    }
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"') {
            out += u'"';
        }
        out += c;
    }
    out += u'"';
}

void appendInteger(QString& out, qint64 value) {
    char16_t digits[24];
    int count = 0;
    const bool negative = value < 0;
    // Counted as a negative number, so that the smallest value does not overflow.
    qint64 rest = negative ? value : -value;
    do {
        digits[count++] = static_cast<char16_t>(u'0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative) {
        out += u'-';
    }
    while (count > 0) {
        out += QChar(digits[--count]);
    }
}

// A decimal integer as QString::number writes it, with an optional sign. Longer texts than any
// 64-bit number are refused rather than wrapped.
bool readInteger(QStringView text, qint64& value) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size() || text.size() - i > 18) {
        return false;
    }
    qint64 result = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return false;
        }
        result = result * 10 + (c - u'0');
    }
    value = negative ? -result : result;
    return true;
}

struct Field {
    QStringView text;
    bool doubledQuotes = false; // a quoted field with "" inside, each standing for one "
};

QString fieldText(const Field& field) {
    QString text = field.text.toString();
    if (field.doubledQuotes) {
        text.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    }
    return text;
}

// Splits a line into fields: the exact inverse of the quoting rule, so that every line that
// appendRecord makes gives back its five texts.
LineKind split(QStringView line, std::array<Field, 5>& fields) {
    const qsizetype n = line.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && isBlank(line[i].unicode())) {
            ++i;
        }
    };
    int count = 0;
    skipBlanks();
    while (i < n) {
        if (count == 5) {
            // A sixth field: whatever follows, this is no record.
            return LineKind::NotRecord;
        }
        Field field;
        if (line[i] == u'"') {
            const qsizetype start = ++i;
            for (;;) {
                const qsizetype quote = line.indexOf(u'"', i);
                if (quote < 0) {
                    return LineKind::OpenQuote;
                }
                if (quote + 1 < n && line[quote + 1] == u'"') {
                    field.doubledQuotes = true;
                    i = quote + 2;
                    continue;
                }
                field.text = line.sliced(start, quote - start);
                i = quote + 1;
                break;
            }
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != u',' && !isBlank(line[i].unicode())) {
                ++i;
            }
            field.text = line.sliced(start, i - start);
        }
        fields[static_cast<std::size_t>(count++)] = field;
        skipBlanks();
        if (i < n && line[i] == u',') {
            if (i == n - 1) {
                if (count == 5) {
                    return LineKind::NotRecord;
                }
                fields[static_cast<std::size_t>(count++)] = Field();
            }
            ++i;
            skipBlanks();
        }
    }
    return count == 5 ? LineKind::Record : LineKind::NotRecord;
}

} // namespace

void appendRecord(QString& out, const logLine& record, const LocaleDateTimeFormat& format) {
    appendInteger(out, record.operationNumber);
    out += u',';
    appendField(out, record.itemName);
    out += u',';
    appendField(out, record.destinationFolder);
    out += u',';
    appendInteger(out, record.performedAction);
    out += u',';
    const qsizetype start = out.size();
    format.appendDateTimeText(out, record.cleanedAt);
    const QStringView written = QStringView(out).sliced(start);
    if (needsQuotes(written)) {
        // With a time the text holds a blank; quote it in place.
        const QString text = written.toString();
        out.truncate(start);
        appendField(out, text);
    }
}

LineKind readRecord(QStringView line, const LocaleDateTimeFormat& format, int referenceYear,
                    logLine& record) {
    std::array<Field, 5> fields;
    const LineKind kind = split(line, fields);
    if (kind != LineKind::Record) {
        return kind;
    }
    // Five fields that do not convert are no record either: a run number or an action that is
    // not a number, or a date of other regional settings, would put the item in the wrong
    // place of the browser and send a restore to the wrong folder. The caller keeps such lines
    // as they are (see global::readLog).
    qint64 operationNumber = 0;
    qint64 action = 0;
    DateTimeValue cleanedAt = 0;
    if (!readInteger(fields[0].text, operationNumber) ||
        operationNumber < std::numeric_limits<std::int32_t>::min() ||
        operationNumber > std::numeric_limits<std::int32_t>::max() ||
        !readInteger(fields[3].text, action) ||
        !format.readDateTime(fields[4].text, referenceYear, cleanedAt)) {
        return LineKind::NotRecord;
    }
    // Only the low eight bits count, as in the byte the action is kept in. Leave is never
    // written, so a line that says Leave was not written by us; as a record it would vanish
    // at the next write, kept unread it stays.
    const auto performed = static_cast<ActionKind>(action & 0xff);
    if (performed == actions::Leave) {
        return LineKind::NotRecord;
    }
    record.operationNumber = static_cast<std::int32_t>(operationNumber);
    record.itemName = fieldText(fields[1]);
    record.destinationFolder = fieldText(fields[2]);
    record.performedAction = performed;
    record.cleanedAt = cleanedAt;
    return LineKind::Record;
}

} // namespace moravel::logtext
