#pragma once

#include <QString>

#include <exception>

namespace moravel {

// A malformed wildcard mask. `text()` is the message the user sees:
// "'<mask>' is an invalid mask at (<1-based position>)".
class InvalidMask : public std::exception {
public:
    InvalidMask(const QString& mask, int position);
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// Whether the whole name matches the mask ("*", "?", "[set]", "[!set]"); letters a to z compare
// without regard to case. Throws InvalidMask for a malformed mask.
bool matchesMask(const QString& name, const QString& mask);

} // namespace moravel
