#include "storage/logtext.h"

#include "storage/localedatetime.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace moravel::logtext {

namespace {

// The characters that end a bare field besides the comma, and that the reader passes over
// between fields.
constexpr bool isBlank(char16_t c) {
    return c >= 1 && c <= 32;
}

// A blank (1 to 32), a double quote (34) or a comma (44): all at most 44, which most
// characters of names and paths are not, so one comparison usually settles a character.
constexpr bool isSpecial(char16_t c) {
    return c <= u',' && (c == u'"' || c == u',' || isBlank(c));
}

bool needsQuotes(QStringView text) {
    return std::any_of(text.utf16(), text.utf16() + text.size(), isSpecial);
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
    if (!field.doubledQuotes) {
        return field.text.toString();
    }
    // Every quote inside is doubled: keep the first of each pair.
    QString text;
    text.reserve(field.text.size());
    qsizetype from = 0;
    for (qsizetype quote; (quote = field.text.indexOf(u'"', from)) >= 0; from = quote + 2) {
        text += field.text.sliced(from, quote + 1 - from);
    }
    text += field.text.sliced(from);
    return text;
}

char* writeInteger(char* out, qint64 value) {
    // Actions and most run numbers: a digit or two.
    if (value >= 0 && value < 100) {
        if (value >= 10) {
            *out++ = static_cast<char>('0' + value / 10);
        }
        *out++ = static_cast<char>('0' + value % 10);
        return out;
    }
    char digits[24];
    int count = 0;
    const bool negative = value < 0;
    qint64 rest = negative ? value : -value;
    do {
        digits[count++] = static_cast<char>('0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative) {
        *out++ = '-';
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

// At most three bytes for each UTF-16 unit; a doubled quote takes two for one.
qsizetype utf8FieldRoom(qsizetype units) {
    return 3 * units + 2;
}

char* writeQuotedField(char* out, QStringView text, QStringEncoder& encoder) {
    *out++ = '"';
    qsizetype from = 0;
    for (qsizetype quote; (quote = text.indexOf(u'"', from)) >= 0; from = quote + 1) {
        out = encoder.appendToBuffer(out, text.sliced(from, quote + 1 - from));
        *out++ = '"';
    }
    out = encoder.appendToBuffer(out, text.sliced(from));
    *out++ = '"';
    return out;
}

// What narrowText found in a text.
enum TextTraits : unsigned {
    NotAscii = 1,    // a unit from 0x80 on: the bytes written are not the text
    NeedsQuotes = 2, // a blank, a comma or a double quote
    HasQuote = 4,    // a double quote, to be doubled
};

// Writes the text's units as bytes at `out` (exactly the text's UTF-8 when it is ASCII) and
// tells what the text holds. Eight units at a time where the processor allows, since most
// fields are short ASCII texts and this is most of the writer's work.
unsigned narrowText(const char16_t* in, qsizetype size, char* out) {
    qsizetype i = 0;
    unsigned traits = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i any = zero;
    __m128i blanks = zero;
    __m128i quotes = zero;
    for (; i + 8 <= size; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        any = _mm_or_si128(any, units);
        // Signed comparisons: units from 0x8000 on count as negative, and are caught as not
        // ASCII in any case.
        blanks = _mm_or_si128(blanks, _mm_and_si128(_mm_cmpgt_epi16(units, zero),
                                                    _mm_cmplt_epi16(units, _mm_set1_epi16(33))));
        blanks = _mm_or_si128(blanks, _mm_cmpeq_epi16(units, _mm_set1_epi16(',')));
        quotes = _mm_or_si128(quotes, _mm_cmpeq_epi16(units, _mm_set1_epi16('"')));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
    }
    const __m128i high = _mm_and_si128(any, _mm_set1_epi16(static_cast<short>(0xff80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) != 0xffff) {
        traits |= NotAscii;
    }
    if (_mm_movemask_epi8(blanks) != 0) {
        traits |= NeedsQuotes;
    }
    if (_mm_movemask_epi8(quotes) != 0) {
        traits |= NeedsQuotes | HasQuote;
    }
#endif
    for (; i < size; ++i) {
        const char16_t c = in[i];
        if (c >= 0x80) {
            traits |= NotAscii;
        } else if (isSpecial(c)) {
            traits |= c == u'"' ? NeedsQuotes | HasQuote : NeedsQuotes;
        }
        out[i] = static_cast<char>(c);
    }
    return traits;
}

char* writeField(char* out, QStringView text, QStringEncoder& encoder) {
    // Written one place further on, in case the text needs quotes.
    const unsigned traits = narrowText(text.utf16(), text.size(), out + 1);
    if ((traits & (NotAscii | HasQuote)) != 0) {
        return needsQuotes(text) ? writeQuotedField(out, text, encoder)
                                 : encoder.appendToBuffer(out, text);
    }
    const auto size = text.size();
    if ((traits & NeedsQuotes) != 0) {
        out[0] = '"';
        out[size + 1] = '"';
        return out + size + 2;
    }
    std::memmove(out, out + 1, static_cast<std::size_t>(size));
    return out + size;
}

// Where a bare field that starts at `i` ends: at a comma, a blank or the end. Eight units at a
// time where the processor allows, since names and paths are mostly long runs of plain letters.
qsizetype bareFieldEnd(const char16_t* data, qsizetype i, qsizetype n) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        // Signed comparisons: units from 0x8000 on count as negative, and are no blanks.
        const __m128i ends = _mm_or_si128(
            _mm_and_si128(_mm_cmpgt_epi16(units, zero), _mm_cmplt_epi16(units, _mm_set1_epi16(33))),
            _mm_cmpeq_epi16(units, _mm_set1_epi16(',')));
        const int mask = _mm_movemask_epi8(ends);
        if (mask != 0) {
            return i + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
        }
    }
#endif
    while (i < n && (data[i] > u',' || (data[i] != u',' && !isBlank(data[i])))) {
        ++i;
    }
    return i;
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
                    // No record as it stands: where the field ends is unknown, and taking the
                    // rest of the line would glue the following fields into it. The file's
                    // reader tries the next line, since a name may hold a line end.
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
            i = bareFieldEnd(line.utf16(), i, n);
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

Utf8Writer::Utf8Writer(const LocaleDateTimeFormat& format, qsizetype expectedSize)
    : m_dates(format), m_encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless) {
    m_bytes.resize(std::max<qsizetype>(expectedSize, 4096));
}

char* Utf8Writer::room(qsizetype size) {
    if (m_bytes.size() - m_used < size) {
        m_bytes.resize(std::max(2 * m_bytes.size(), m_used + size));
    }
    return m_bytes.data() + m_used;
}

void Utf8Writer::append(const logLine& record) {
    const QStringView date = m_dates.text(record.cleanedAt);
    char* const begin =
        room(48 + utf8FieldRoom(record.itemName.size()) +
             utf8FieldRoom(record.destinationFolder.size()) + utf8FieldRoom(date.size()));
    char* at = writeInteger(begin, record.operationNumber);
    *at++ = ',';
    at = writeField(at, record.itemName, m_encoder);
    *at++ = ',';
    at = writeField(at, record.destinationFolder, m_encoder);
    *at++ = ',';
    at = writeInteger(at, record.performedAction);
    *at++ = ',';
    at = writeField(at, date, m_encoder);
    *at++ = '\r';
    *at++ = '\n';
    m_used += at - begin;
}

void Utf8Writer::appendLine(QByteArrayView text) {
    char* at = room(text.size() + 2);
    if (!text.isEmpty()) {
        std::memcpy(at, text.data(), static_cast<std::size_t>(text.size()));
        at += text.size();
    }
    *at++ = '\r';
    *at = '\n';
    m_used += text.size() + 2;
}

QByteArray Utf8Writer::take() {
    m_bytes.truncate(m_used);
    m_used = 0;
    return std::move(m_bytes);
}

LineKind readRecord(QStringView line, const LocaleDateTimeFormat& format, int referenceYear,
                    logLine& record, const logLine* previous, LocaleDateTimeFormat::Reader* dates) {
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
        !(dates ? dates->read(fields[4].text, referenceYear, cleanedAt)
                : format.readDateTime(fields[4].text, referenceYear, cleanedAt))) {
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
    // One run archives many items into one folder: share its text instead of a copy each.
    if (previous && !fields[2].doubledQuotes && fields[2].text == previous->destinationFolder) {
        record.destinationFolder = previous->destinationFolder;
    } else {
        record.destinationFolder = fieldText(fields[2]);
    }
    record.performedAction = performed;
    record.cleanedAt = cleanedAt;
    return LineKind::Record;
}

} // namespace moravel::logtext
