#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace moravel {

class Prompts;

// The one way Moravel reads an integer, from the user and from its files alike.
// The whole of `text` read as a signed 32-bit integer: optional leading blanks (spaces), an
// optional sign, then decimal digits or a hexadecimal number introduced by "$" or "0x"; nothing may
// follow. A hexadecimal number is a magnitude like a decimal one, so "$FFFFFFFF" is out of range
// rather than -1: the value the user reads is the value they get. Nothing when the text is no such
// integer (an empty text included).
std::optional<qint32> parseInteger(QStringView text);
// The same for text held as bytes (ASCII), as in the log file.
std::optional<qint32> parseInteger(QByteArrayView text);

// True when `text` is an integer as `parseInteger` reads it; otherwise shows the plain message
// box "<label> must be an integer" and returns false.
bool validateInteger(const QString& text, const QString& label, Prompts& prompts);

} // namespace moravel
