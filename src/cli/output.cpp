#include "cli/output.h"

#include <cmath>

namespace moravel {

QString isoDateTime(DateTimeValue value) {
    // Worked out from the value itself: a local time that a zone change skips must keep its
    // text, which a round trip through QDateTime would shift.
    const double day = std::floor(value);
    auto seconds = static_cast<qint64>(std::floor((value - day) * 86400.0 + 0.0005));
    qint64 days = static_cast<qint64>(day);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    const QDate date = QDate(1899, 12, 30).addDays(days);
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

namespace {
// A name on the desktop may hold control characters, even the escape sequences that steer a
// terminal; in a table they show as "?".
QString printable(const QString& cell) {
    QString text = cell;
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F ||
            (c.unicode() >= 0x80 && c.unicode() < 0xA0)) {
            c = u'?';
        }
    }
    return text;
}
} // namespace

QString textTable(const QStringList& header, const QList<QStringList>& rows) {
    QList<QStringList> cells;
    cells.reserve(rows.size());
    for (const QStringList& row : rows) {
        QStringList shown;
        for (const QString& cell : row) {
            shown.append(printable(cell));
        }
        cells.append(shown);
    }
    QList<qsizetype> widths;
    for (const QString& title : header) {
        widths.append(title.size());
    }
    for (const QStringList& row : cells) {
        for (qsizetype column = 0; column < row.size() && column < widths.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    QString text;
    const auto appendLine = [&text, &widths](const QStringList& lineCells) {
        QString line;
        for (qsizetype column = 0; column < widths.size(); ++column) {
            const QString cell = column < lineCells.size() ? lineCells[column] : QString();
            if (column > 0) {
                line += QStringLiteral("  ");
            }
            line += column + 1 < widths.size() ? cell.leftJustified(widths[column]) : cell;
        }
        while (line.endsWith(u' ')) {
            line.chop(1);
        }
        text += line + u'\n';
    };
    appendLine(header);
    for (const QStringList& row : cells) {
        appendLine(row);
    }
    return text;
}

} // namespace moravel
