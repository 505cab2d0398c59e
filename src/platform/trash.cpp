#include "platform/trash.h"

#include <gio/gio.h>

namespace moravel {

bool moveToTrash(const QByteArray& path, QString& reason) {
    GFile* file = g_file_new_for_path(path.constData());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error) != FALSE;
    if (!trashed) {
        reason = error != nullptr ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
    }
    g_object_unref(file);
    return trashed;
}

} // namespace moravel
