#pragma once

#include <QString>

#include <exception>

namespace moravel {

// A malformed wildcard mask. `text()` is the message the user sees:
// "'<mask>' is an invalid mask at (<1-based position>)".
class InvalidMask : public std::exception {
public:
    // `tooManyStars`: the mask holds more stars than a mask may; the text says how many it may.
    InvalidMask(const QString& mask, int position, bool tooManyStars = false);
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

    // The message for the mask the user typed, when what was matched is that mask with
    // `added` characters put in front of it (the browser encloses a mask in stars): the
    // user's own text, and the position in it.
    QString textForTyped(const QString& typed, int added) const;

private:
    int m_position;
    bool m_tooManyStars;
    QString m_text;
    QByteArray m_utf8;
};

// Whether the whole name matches the mask ("*", "?", "[set]", "[!set]"); letters a to z compare
// without regard to case. Throws InvalidMask for a malformed mask.
bool matchesMask(const QString& name, const QString& mask);

} // namespace moravel
