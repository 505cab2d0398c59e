#include "engine/actionkind.h"

#include <array>

namespace moravel {

bool actionName(int value, QString& text) {
    static const std::array<QString, 6> names = {
        QStringLiteral("Leave on Desktop"), QStringLiteral("Archive"),
        QStringLiteral("Move to Folder"),   QStringLiteral("Move to Recycle Bin"),
        QStringLiteral("Delete"),           QStringLiteral("? Ask what to do"),
    };
    const int index = value & 0x7F;
    if (!isKnownAction(index)) {
        return false;
    }
    text = names[static_cast<std::size_t>(index)];
    return true;
}

QString actionName(int value) {
    QString text;
    actionName(value, text);
    return text;
}

} // namespace moravel
