#include "storage/logline.h"

#include "engine/filename.h"
#include "storage/localedatetime.h"
#include "storage/logtext.h"

namespace moravel {

void logLine::setItemName(const QByteArray& bytes) {
    itemName = displayName(bytes);
    itemNameRaw = textKeepsBytes(bytes) ? QByteArray() : bytes;
}

QByteArray logLine::toLogText() const {
    logtext::LineWriter writer(*LocaleDateTimeFormat::current(), 256);
    writer.append(*this);
    QByteArray line = writer.take();
    line.chop(2); // the line end
    return line;
}

} // namespace moravel
