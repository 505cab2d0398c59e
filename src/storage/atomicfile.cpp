#include "storage/atomicfile.h"

#include "engine/errorcontrol.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& data, errorControl& error) {
    // QSaveFile writes a temporary file beside `path` and renames it over `path` at commit().
    // It does not notice every failure on its own: a write that a full disk cuts short comes
    // back with the shorter count and no error, and commit() then puts the truncated file in
    // the old one's place; the result of its own fsync() is ignored. So every step is checked
    // here, and any failure cancels the write, which leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error.message = file.errorString();
        return false;
    }
    const auto fail = [&](const QString& message) {
        error.message = message;
        file.cancelWriting();
        return false;
    };
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 count = file.write(data.constData() + written, data.size() - written);
        if (count <= 0) {
            return fail(file.errorString());
        }
        written += count;
    }
    // Small writes wait in QSaveFile's buffer; a short write of theirs shows only here.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        return fail(file.errorString());
    }
    if (::fsync(file.handle()) != 0) {
        return fail(systemError(errno));
    }
    struct stat status {};
    if (::fstat(file.handle(), &status) != 0) {
        return fail(systemError(errno));
    }
    if (status.st_size != data.size()) {
        return fail(systemError(ENOSPC));
    }
    if (!file.commit()) {
        error.message = file.errorString();
        return false;
    }
    return true;
}

} // namespace moravel
