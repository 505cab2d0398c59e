#pragma once

#include <QString>

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

} // namespace moravel
