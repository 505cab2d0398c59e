#pragma once

#include <QString>
#include <QStringView>

#include <algorithm>

namespace moravel {

// Names are compared with only the letters a to z folded to A to Z; every other character,
// accented letters included, stays as it is.
constexpr char32_t foldAscii(char32_t c) {
    return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c;
}

// The text with the letters a to z in upper case.
inline QString upperAscii(QString text) {
    for (QChar& c : text) {
        c = QChar(static_cast<char16_t>(foldAscii(c.unicode())));
    }
    return text;
}

// Compares two texts character by character, the letters a to z counting as A to Z and every
// other character by its code; a text that begins another comes first. Negative, 0, positive.
// Every list of names sorts with it.
inline int compareIgnoringAsciiCase(QStringView a, QStringView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int difference = static_cast<int>(foldAscii(a[i].unicode())) -
                               static_cast<int>(foldAscii(b[i].unicode()));
        if (difference != 0) {
            return difference;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace moravel
