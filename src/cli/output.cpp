#include "cli/output.h"

#include "engine/filename.h"

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

void addExactName(QJsonObject& object, const QString& key, const QByteArray& name) {
    if (!textKeepsBytes(name)) {
        object.insert(key, QString::fromLatin1(name.toHex()));
    }
}

namespace {

// A name on the desktop may hold control characters, even the escape sequences that steer a
// terminal, and the controls that turn the direction of text (which can make "gpj.exe" read
// as "exe.jpg"); in a table they show as "?".
bool isShownAsQuestionMark(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

QString printable(const QString& cell) {
    QString text;
    text.reserve(cell.size());
    for (const char32_t c : cell.toUcs4()) {
        if (isShownAsQuestionMark(c)) {
            text += u'?';
        } else {
            text += QString::fromUcs4(&c, 1);
        }
    }
    return text;
}

// How many terminal columns a character takes: two for the wide characters of East Asian
// scripts, none for combining marks and other characters that join the one before.
int columnsOf(char32_t c) {
    const QChar::Category category = QChar::category(c);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ||
        category == QChar::Other_Format || (c >= 0x1160 && c <= 0x11FF)) {
        return 0;
    }
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

qsizetype columnsOf(const QString& text) {
    qsizetype columns = 0;
    for (const char32_t c : text.toUcs4()) {
        columns += columnsOf(c);
    }
    return columns;
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
        widths.append(columnsOf(title));
    }
    for (const QStringList& row : cells) {
        for (qsizetype column = 0; column < row.size() && column < widths.size(); ++column) {
            widths[column] = std::max(widths[column], columnsOf(row[column]));
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
            line += cell;
            if (column + 1 < widths.size()) {
                line += QString(widths[column] - columnsOf(cell), u' ');
            }
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
