#include "platform/validateinteger.h"

#include "platform/prompts.h"

#include <type_traits>

namespace moravel {

namespace {

QString notAnIntegerSuffix() {
    return QStringLiteral(" must be an integer");
}

int hexDigitValue(char16_t u) {
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

template <typename Text> std::optional<qint32> parseDigits(Text text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto at = [&text](qsizetype k) -> char16_t {
        if constexpr (std::is_same_v<Text, QStringView>) {
            return text[k].unicode();
        } else {
            return static_cast<unsigned char>(text[k]);
        }
    };
    // Plain decimal digits, as every file of ours holds them: no sign, blanks or base to look
    // for, and too few digits to overflow.
    if (n > 0 && n <= 9) {
        qint32 value = 0;
        bool plain = true;
        for (qsizetype k = 0; k < n && plain; ++k) {
            const auto c = static_cast<unsigned>(at(k)) - unsigned('0');
            plain = c <= 9;
            if (plain) {
                value = value * 10 + static_cast<qint32>(c);
            }
        }
        if (plain) {
            return value;
        }
    }

    while (i < n && at(i) == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < n && (at(i) == u'-' || at(i) == u'+')) {
        negative = at(i) == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && at(i) == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X')) {
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
        const int digit = hexDigitValue(at(i));
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

} // namespace

std::optional<qint32> parseInteger(QStringView text) {
    return parseDigits(text);
}

std::optional<qint32> parseInteger(QByteArrayView text) {
    return parseDigits(text);
}

bool validateInteger(const QString& text, const QString& label, Prompts& prompts) {
    if (parseInteger(text)) {
        return true;
    }
    prompts.showMessage(label + notAnIntegerSuffix());
    return false;
}

} // namespace moravel
