#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace moravel {

// A Linux file name is a string of bytes, not always UTF-8. What reaches the disk is always the
// bytes themselves; the text the user reads is their UTF-8 reading, with U+FFFD standing for
// every byte that is not UTF-8. Two different names can therefore read alike, and a name's text
// never leads back to its file: only its bytes do.

// The name as the user reads it.
inline QString displayName(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}

// Whether `displayName` of these bytes gives them back exactly, so that the text alone may stand
// for them.
inline bool textKeepsBytes(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return bytes.isValidUtf8();
        }
    }
    return true;
}

// Whether `bytes` name one entry of a folder: not empty, not "." or "..", no "/" and no NUL.
// Anything else joined to a folder would lead to the folder itself, above it or below it.
inline bool isPlainFileName(QByteArrayView bytes) {
    return !bytes.isEmpty() && bytes != "." && bytes != ".." && !bytes.contains('/') &&
           !bytes.contains('\0');
}

// The folder part of a path as the file system has it: "/" for an entry of the root, "." for
// a name without any folder.
inline QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace moravel
