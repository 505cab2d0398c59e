#pragma once

#include "engine/datetimevalue.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <limits>
#include <vector>

namespace moravel {

class errorControl;
class global;

// The browser of cleaned items lists at most this many records until asked for all of them.
inline constexpr int browserRowLimit = 50;

// Which records the browser of cleaned items (and moravel-cli log) lists.
struct RecordSelection {
    std::vector<int> records; // indexes in `logLines`, newest first
    bool capped = false;      // more records are there to see: "show all" would list them
};

// The mask the browser matches names with, from what the user typed: a mask without a star
// finds every name that contains it. An empty text and "*.*" are no filter at all here (every
// record, names without a dot included), whatever "*.*" means in a rule.
QString browserMask(const QString& typed);
bool masksEverything(const QString& typed);

// The records of the day `dateText` (in the short date format, as the browser's date tree
// shows it; an empty text for every day) whose names match `typedMask`, newest first. Without
// `showAll` it stops at `browserRowLimit`: the limit is met before the next record is looked
// at, so `capped` tells that older records remain, matching or not. False, with the message
// for the mask as the user typed it in `error`, for a malformed mask.
bool selectRecords(const global& state, const QString& typedMask, const QString& dateText,
                   bool showAll, RecordSelection& selection, errorControl& error);

// The days of the browser's date tree: the distinct short date texts of the records added, in
// the order first met. Records of one run share their day, so a record of the day before costs
// no date text, and a text is looked up in a set, not in the list.
class CleaningDays {
public:
    // Appends the record's day text unless the list holds it already; true when it did.
    bool add(DateTimeValue cleanedAt) {
        // Well inside the last record's day: the same day, whichever way its time rounds.
        if (cleanedAt >= m_lastDayFrom && cleanedAt < m_lastDayTo) {
            return false;
        }
        return addDay(cleanedAt);
    }
    const QStringList& texts() const { return m_texts; }
    void clear();

private:
    bool addDay(DateTimeValue cleanedAt);

    DateTimeValue m_lastDayFrom = 0;
    DateTimeValue m_lastDayTo = 0;
    qint64 m_lastDay = std::numeric_limits<qint64>::min();
    QSet<qint64> m_days;
    QSet<QString> m_seen;
    QStringList m_texts;
};

} // namespace moravel
