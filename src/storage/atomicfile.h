#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace moravel {

class errorControl;

// Replaces the file at `path` with `data` in one step: the new content goes to a temporary file
// beside it, every write is checked (a full disk can make a write come back short without an
// error), and only a complete file takes the old one's place. On any failure the old file stays
// as it was and the carrier holds the reason.
bool writeFileAtomically(const QString& path, const QByteArray& data, errorControl& error);

// The same, the new content being what `head` holds from its position to its end, copied in
// blocks, followed by `tail`. When reading `head` fails, so does the write, `head.error()`
// telling which of the two failed.
bool writeFileAtomically(const QString& path, QFileDevice& head, const QByteArray& tail,
                         errorControl& error);

} // namespace moravel
