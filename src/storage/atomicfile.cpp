#include "storage/atomicfile.h"

#include "engine/errorcontrol.h"

#include <QSaveFile>

namespace moravel {

bool writeFileAtomically(const QString& path, const QByteArray& data, errorControl& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error.message = file.errorString();
        return false;
    }
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = file.write(data.constData() + written, data.size() - written);
        if (n <= 0) {
            error.message = file.errorString();
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    // QSaveFile buffers: the short write of a full disk may only show at flush time.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        error.message = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error.message = file.errorString();
        return false;
    }
    return true;
}

} // namespace moravel
