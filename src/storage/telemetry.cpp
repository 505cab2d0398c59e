#include "storage/global.h"

namespace moravel {

QString global::telemetryString() const {
    const QString summary = QStringLiteral("ui=%1|no=%2|ll=%3|nr=%4|iv=%5|ig=%6|")
                                .arg(uniqueId)
                                .arg(nroOperacion)
                                .arg(logLines.size())
                                .arg(rules.size())
                                .arg(versionCode)
                                .arg(ignoreList.size());
    QString hex;
    hex.reserve(summary.size() * 2);
    for (const QChar c : summary) {
        hex += QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
    }
    return hex;
}

} // namespace moravel
