#include "storage/logselection.h"

#include "engine/errorcontrol.h"
#include "engine/maskmatcher.h"
#include "storage/global.h"
#include "storage/localedatetime.h"

#include <cmath>
#include <limits>

namespace moravel {

namespace {

// The day of a date-time value as its date text shows it: rounded to the millisecond first, as
// the text is made.
qint64 dayOf(DateTimeValue value) {
    constexpr double msPerDay = 86400000.0;
    return static_cast<qint64>(std::floor(std::floor(value * msPerDay + 0.5) / msPerDay));
}

} // namespace

bool masksEverything(const QString& typed) {
    return typed.isEmpty() || typed == u"*.*";
}

QString browserMask(const QString& typed) {
    if (masksEverything(typed)) {
        return QStringLiteral("*");
    }
    if (!typed.contains(u'*')) {
        return u'*' + typed + u'*';
    }
    return typed;
}

bool selectRecords(const global& state, const QString& typedMask, const QString& dateText,
                   bool showAll, RecordSelection& selection, errorControl& error) {
    selection = {};
    const QString mask = browserMask(typedMask);
    const bool everyName = masksEverything(typedMask);
    const bool everyDay = dateText.isEmpty();
    // The records of a run share their day: its text is made once per day, not per record.
    qint64 lastDay = std::numeric_limits<qint64>::min();
    bool lastDayMatches = false;
    try {
        for (auto i = static_cast<int>(state.logLines.size()) - 1; i >= 0; --i) {
            if (!showAll && static_cast<int>(selection.records.size()) >= browserRowLimit) {
                selection.capped = true;
                break;
            }
            const logLine& record = *state.logLines[static_cast<std::size_t>(i)];
            if (!everyDay) {
                const qint64 day = dayOf(record.cleanedAt);
                if (day != lastDay) {
                    lastDay = day;
                    lastDayMatches = shortDateText(record.cleanedAt) == dateText;
                }
                if (!lastDayMatches) {
                    continue;
                }
            }
            if (everyName || matchesMask(record.itemName, mask)) {
                selection.records.push_back(i);
            }
        }
    } catch (const InvalidMask& invalid) {
        selection = {};
        // The user reads the mask as typed, not as enclosed in stars.
        error.message = mask == typedMask ? invalid.text() : invalid.textForTyped(typedMask, 1);
        return false;
    }
    return true;
}

bool CleaningDays::addDay(DateTimeValue cleanedAt) {
    const qint64 day = dayOf(cleanedAt);
    // A millisecond off either end: times nearer midnight take the exact way above.
    constexpr double millisecond = 1.0 / 86400000.0;
    m_lastDayFrom = static_cast<double>(day) + millisecond;
    m_lastDayTo = static_cast<double>(day) + 1.0 - millisecond;
    if (day == m_lastDay) {
        return false;
    }
    m_lastDay = day;
    if (m_days.contains(day)) {
        return false;
    }
    m_days.insert(day);
    // Two days may read alike (a short date format without the year); they are one node.
    QString text = shortDateText(cleanedAt);
    if (m_seen.contains(text)) {
        return false;
    }
    m_seen.insert(text);
    m_texts.append(std::move(text));
    return true;
}

void CleaningDays::clear() {
    *this = {};
}

} // namespace moravel
