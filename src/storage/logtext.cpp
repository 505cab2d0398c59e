#include "storage/logtext.h"

#include "engine/filename.h"
#include "platform/validateinteger.h"
#include "storage/localedatetime.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace moravel::logtext {

namespace {

// The bytes that end a bare field besides the comma, and that the reader passes over between
// fields.
constexpr bool isBlank(unsigned char c) {
    return c >= 1 && c <= 32;
}

// A blank (1 to 32), a double quote (34) or a comma (44).
constexpr bool isSpecial(char16_t c) {
    return c <= u',' && (c == u'"' || c == u',' || (c >= 1 && c <= 32));
}

bool needsQuotes(QStringView text) {
    return std::any_of(text.utf16(), text.utf16() + text.size(), isSpecial);
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

// A name, written as its bytes.
char* writeBytesField(char* out, QByteArrayView bytes) {
    bool quote = false;
    for (const char c : bytes) {
        if (isSpecial(static_cast<unsigned char>(c))) {
            quote = true;
            break;
        }
    }
    if (!quote) {
        if (!bytes.isEmpty()) {
            std::memcpy(out, bytes.data(), static_cast<std::size_t>(bytes.size()));
        }
        return out + bytes.size();
    }
    *out++ = '"';
    for (const char c : bytes) {
        if (c == '"') {
            *out++ = '"';
        }
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

// Where a bare field that starts at `i` ends: at a comma, a blank or the end. Sixteen bytes at
// a time where the processor allows, since names and paths are mostly long runs of letters.
qsizetype bareFieldEnd(const char* data, qsizetype i, qsizetype n) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        // Signed comparisons: bytes from 0x80 on count as negative, and are no blanks.
        const __m128i ends = _mm_or_si128(
            _mm_and_si128(_mm_cmpgt_epi8(bytes, zero), _mm_cmplt_epi8(bytes, _mm_set1_epi8(33))),
            _mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')));
        const int mask = _mm_movemask_epi8(ends);
        if (mask != 0) {
            return i + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    while (i < n && data[i] != ',' && !isBlank(static_cast<unsigned char>(data[i]))) {
        ++i;
    }
    return i;
}

struct Field {
    QByteArrayView text;
    bool doubledQuotes = false; // a quoted field with "" inside, each standing for one "
};

QByteArray fieldBytes(const Field& field) {
    if (!field.doubledQuotes) {
        return field.text.toByteArray();
    }
    // Every quote inside is doubled: keep the first of each pair.
    QByteArray bytes;
    bytes.reserve(field.text.size());
    qsizetype from = 0;
    for (qsizetype quote; (quote = field.text.indexOf('"', from)) >= 0; from = quote + 2) {
        bytes.append(field.text.sliced(from, quote + 1 - from));
    }
    bytes.append(field.text.sliced(from));
    return bytes;
}

// Whether every byte is below 0x80: sixteen at a time where the processor allows. Most lines of
// a log are ASCII, which spares them every later check of their encoding.
bool isAscii(QByteArrayView bytes) {
    const char* data = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    __m128i any = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)));
    }
    if (_mm_movemask_epi8(any) != 0) {
        return false;
    }
#endif
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Splits a line into fields: the exact inverse of the quoting rule, so that every line that
// the writer makes gives back its five fields.
LineKind split(QByteArrayView line, std::array<Field, 5>& fields) {
    const qsizetype n = line.size();
    const char* data = line.data();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && isBlank(static_cast<unsigned char>(data[i]))) {
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
        if (data[i] == '"') {
            const qsizetype start = ++i;
            for (;;) {
                const auto* quote = static_cast<const char*>(
                    std::memchr(data + i, '"', static_cast<std::size_t>(n - i)));
                if (quote == nullptr) {
                    // No record as it stands: where the field ends is unknown, and taking the
                    // rest of the line would glue the following fields into it. The file's
                    // reader tries the next line, since a name may hold a line end.
                    return LineKind::OpenQuote;
                }
                const qsizetype at = quote - data;
                if (at + 1 < n && data[at + 1] == '"') {
                    field.doubledQuotes = true;
                    i = at + 2;
                    continue;
                }
                field.text = line.sliced(start, at - start);
                i = at + 1;
                break;
            }
        } else {
            const qsizetype start = i;
            i = bareFieldEnd(data, i, n);
            field.text = line.sliced(start, i - start);
        }
        fields[static_cast<std::size_t>(count++)] = field;
        skipBlanks();
        if (i < n && data[i] == ',') {
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

// Three readings of a format tell it apart from any other: formats that write these alike
// read the log alike.
QString signatureOf(const LocaleDateTimeFormat& format) {
    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return toDateTimeValue(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
    };
    return format.dateTimeText(at(2001, 11, 22, 13, 44, 55)) + u'\x1f' +
           format.dateTimeText(at(2002, 3, 4, 5, 6, 7)) + u'\x1f' +
           format.dateTimeText(at(2003, 10, 9, 0, 0, 0));
}

struct KnownFormat {
    std::shared_ptr<const LocaleDateTimeFormat> format;
    QString signature;
};

const std::vector<KnownFormat>& knownFormatList() {
    static const std::vector<KnownFormat> list = [] {
        std::vector<KnownFormat> formats;
        std::set<QString> seen;
        const auto add = [&](const QLocale& locale) {
            auto format = std::make_shared<const LocaleDateTimeFormat>(locale);
            QString signature = signatureOf(*format);
            if (seen.insert(signature).second) {
                formats.push_back({std::move(format), std::move(signature)});
            }
        };
        // The likeliest writers first: a cron job runs under C, the session under the system's
        // own settings, and US English is the commonest of all; then every other in Qt's order.
        add(QLocale::c());
        add(QLocale::system());
        for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
            const QString name = qEnvironmentVariable(variable).section(u'.', 0, 0);
            if (!name.isEmpty()) {
                add(QLocale(name));
            }
        }
        for (const QString& name :
             qEnvironmentVariable("LANGUAGE").split(u':', Qt::SkipEmptyParts)) {
            add(QLocale(name));
        }
        add(QLocale(QLocale::English, QLocale::UnitedStates));
        for (const QLocale& locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            add(locale);
        }
        return formats;
    }();
    return list;
}

} // namespace

LineWriter::LineWriter(const LocaleDateTimeFormat& format, qsizetype expectedSize)
    : m_dates(format), m_encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless) {
    m_bytes.resize(std::max<qsizetype>(expectedSize, 256));
}

char* LineWriter::room(qsizetype size) {
    if (m_bytes.size() - m_used < size) {
        m_bytes.resize(std::max(2 * m_bytes.size(), m_used + size));
    }
    return m_bytes.data() + m_used;
}

void LineWriter::append(const logLine& record) {
    const QStringView date = m_dates.text(record.cleanedAt);
    const qsizetype nameRoom = record.itemNameRaw.isNull() ? utf8FieldRoom(record.itemName.size())
                                                           : 2 * record.itemNameRaw.size() + 2;
    char* const begin = room(48 + nameRoom + utf8FieldRoom(record.destinationFolder.size()) +
                             utf8FieldRoom(date.size()));
    char* at = writeInteger(begin, record.operationNumber);
    *at++ = ',';
    // A name the text gives back is written from the text; any other as its bytes.
    at = record.itemNameRaw.isNull() ? writeField(at, record.itemName, m_encoder)
                                     : writeBytesField(at, record.itemNameRaw);
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

void LineWriter::appendLine(QByteArrayView text) {
    char* at = room(text.size() + 2);
    if (!text.isEmpty()) {
        std::memcpy(at, text.data(), static_cast<std::size_t>(text.size()));
        at += text.size();
    }
    *at++ = '\r';
    *at = '\n';
    m_used += text.size() + 2;
}

QByteArray LineWriter::take() {
    m_bytes.truncate(m_used);
    m_used = 0;
    return std::move(m_bytes);
}

struct DateReader::Candidate {
    explicit Candidate(std::shared_ptr<const LocaleDateTimeFormat> f, QString s)
        : format(std::move(f)), signature(std::move(s)), reader(*format) {}
    std::shared_ptr<const LocaleDateTimeFormat> format;
    QString signature;
    LocaleDateTimeFormat::Reader reader;
};

DateReader::DateReader(std::shared_ptr<const LocaleDateTimeFormat> format, int referenceYear,
                       DateTimeValue latest)
    : m_referenceYear(referenceYear), m_latest(latest) {
    QString signature = signatureOf(*format);
    m_first = std::make_unique<Candidate>(std::move(format), std::move(signature));
}

DateReader::~DateReader() = default;

bool DateReader::read(QStringView text, DateTimeValue& value) {
    DateTimeValue reading = 0;
    bool haveFallback = false;
    DateTimeValue fallback = 0;
    // Almost every text reads at once, in the current format and in the present.
    if (m_first->reader.read(text, m_referenceYear, reading)) {
        if (reading <= m_latest + 1) {
            value = reading;
            return true;
        }
        haveFallback = true;
        fallback = reading;
    }
    // Another format's reading in the future, or before the hundred years that two-digit
    // years fall into, is a misreading, not a record.
    const DateTimeValue earliest = toDateTimeValue(QDate(m_referenceYear - 50, 1, 1));
    const auto plausible = [&](Candidate& candidate) {
        return candidate.reader.read(text, m_referenceYear, reading) && reading <= m_latest + 1 &&
               reading >= earliest;
    };
    for (auto it = m_used.begin(); it != m_used.end(); ++it) {
        if (plausible(**it)) {
            std::rotate(m_used.begin(), it, it + 1);
            value = reading;
            return true;
        }
    }
    if (!m_othersBuilt) {
        m_othersBuilt = true;
        for (const KnownFormat& known : knownFormatList()) {
            if (known.signature != m_first->signature) {
                m_others.push_back(std::make_unique<Candidate>(known.format, known.signature));
            }
        }
    }
    for (auto it = m_others.begin(); it != m_others.end(); ++it) {
        if (plausible(**it)) {
            m_used.insert(m_used.begin(), std::move(*it));
            m_others.erase(it);
            value = reading;
            return true;
        }
    }
    if (haveFallback) {
        value = fallback;
        return true;
    }
    return false;
}

QString FolderTexts::text(QByteArrayView bytes, bool ascii) {
    if (ascii) {
        for (const QString& known : m_recent) {
            if (!known.isNull() && known == QLatin1StringView(bytes)) {
                return known;
            }
        }
    }
    QString made = ascii ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    m_recent[m_next] = made;
    m_next = (m_next + 1) % m_recent.size();
    return made;
}

LineKind readRecord(QByteArrayView line, DateReader& dates, logLine& record, FolderTexts* folders) {
    std::array<Field, 5> fields;
    const LineKind kind = split(line, fields);
    if (kind != LineKind::Record) {
        return kind;
    }
    // Five fields that do not convert are no record either: a run number or an action that is
    // not a number, or a date that reads in no format, would put the item in the wrong place
    // of the browser and send a restore to the wrong folder. Such lines stay in the file as
    // they are; the log is only ever appended to.
    const std::optional<qint32> operationNumber = parseInteger(fields[0].text);
    const std::optional<qint32> action = parseInteger(fields[3].text);
    if (!operationNumber || !action) {
        return LineKind::NotRecord;
    }
    // Only the low eight bits count, as in the byte the action is kept in. Leave is never
    // written, so a line that says Leave was not written by us.
    const auto performed = static_cast<ActionKind>(static_cast<quint32>(*action) & 0xffu);
    if (performed == actions::Leave) {
        return LineKind::NotRecord;
    }
    // Folders come from the settings, which are text: one that is not UTF-8 was not written by
    // us, and its text would lead a restore elsewhere.
    const bool asciiLine = isAscii(line);
    const QByteArrayView destination = fields[2].text;
    if (!asciiLine && !textKeepsBytes(destination)) {
        return LineKind::NotRecord;
    }
    DateTimeValue cleanedAt = 0;
    const QByteArrayView dateField = fields[4].text;
    if (!fields[4].doubledQuotes && dateField.size() <= 64 && (asciiLine || isAscii(dateField))) {
        // The usual date text, widened in place rather than decoded into a new string.
        std::array<char16_t, 64> units{};
        std::transform(dateField.begin(), dateField.end(), units.begin(),
                       [](char c) { return static_cast<char16_t>(c); });
        if (!dates.read(QStringView(units.data(), dateField.size()), cleanedAt)) {
            return LineKind::NotRecord;
        }
    } else if (!dates.read(QString::fromUtf8(fieldBytes(fields[4])), cleanedAt)) {
        return LineKind::NotRecord;
    }

    record.operationNumber = *operationNumber;
    if (fields[1].doubledQuotes) {
        record.setItemName(fieldBytes(fields[1]));
    } else if (asciiLine) {
        record.itemName = QString::fromLatin1(fields[1].text);
        record.itemNameRaw = QByteArray();
    } else {
        record.itemName = QString::fromUtf8(fields[1].text);
        record.itemNameRaw =
            textKeepsBytes(fields[1].text) ? QByteArray() : fields[1].text.toByteArray();
    }
    if (fields[2].doubledQuotes) {
        record.destinationFolder = displayName(fieldBytes(fields[2]));
    } else if (folders != nullptr) {
        record.destinationFolder = folders->text(destination, asciiLine || isAscii(destination));
    } else {
        record.destinationFolder = displayName(destination);
    }
    record.performedAction = performed;
    record.cleanedAt = cleanedAt;
    return LineKind::Record;
}

} // namespace moravel::logtext
