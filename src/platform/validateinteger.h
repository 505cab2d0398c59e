#pragma once

#include <QString>

#include <optional>

namespace moravel {

class Prompts;

// The whole of `text` read as a signed 32-bit integer: optional leading blanks (spaces), an
// optional sign, then decimal digits or a hexadecimal number introduced by "$" or "0x"; nothing may
// follow. A hexadecimal number is a magnitude like a decimal one, so "$FFFFFFFF" is out of range
// rather than -1: the value the user reads is the value they get. Nothing when the text is no such
// integer (an empty text included).
std::optional<qint32> parseInteger(const QString& text);

// True when `text` is an integer as `parseInteger` reads it; otherwise shows the plain message
// box "<label> must be an integer" and returns false.
bool validateInteger(const QString& text, const QString& label, Prompts& prompts);

} // namespace moravel
