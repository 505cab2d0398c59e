#include "platform/validateinteger.h"

#include "platform/prompts.h"

namespace moravel {

namespace {

QString notAnIntegerSuffix() {
    return QStringLiteral(" must be an integer");
}

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<qint32> parseInteger(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n) {
        return std::nullopt; // no digits at all
    }
    // The magnitude may reach 2^31 only for a negative number.
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const int digit = hexDigitValue(text[i]);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

bool validateInteger(const QString& text, const QString& label, Prompts& prompts) {
    if (parseInteger(text)) {
        return true;
    }
    prompts.showMessage(label + notAnIntegerSuffix());
    return false;
}

} // namespace moravel
