#include "storage/logline.h"

#include "storage/localedatetime.h"
#include "storage/logtext.h"

namespace moravel {

QString logLine::toLogText() const {
    QString text;
    logtext::appendRecord(text, *this, *LocaleDateTimeFormat::current());
    return text;
}

} // namespace moravel
