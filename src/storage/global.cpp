#include "storage/global.h"

#include "engine/clock.h"
#include "storage/localedatetime.h"
#include "storage/logappender.h"
#include "storage/logtext.h"

#include <QRandomGenerator>

#include <array>

namespace moravel {

QString reminderOptionName(ReminderOption option) {
    static const std::array<QString, 4> names = {
        QStringLiteral("Never"),
        QStringLiteral("Every day"),
        QStringLiteral("Every Monday"),
        QStringLiteral("1st day of every month"),
    };
    return option < names.size() ? names[option] : QString();
}

std::int32_t newUniqueId() {
    // QRandomGenerator::global() is seeded from the system's entropy source, which serves the
    // purpose of a clock seed better.
    return static_cast<std::int32_t>(QRandomGenerator::global()->bounded(1000000000u)) + 100;
}

global::global(const Locations& locations, const Clock& clock)
    : m_locations(locations), m_clock(clock) {}

global::~global() = default;

DateTimeValue global::nextReminderDate() const {
    QDate d = m_clock.now().date().addDays(1);
    if (!d.isValid()) {
        return 0; // a clock without a date: no weekday or day of month would ever match
    }
    switch (opcionRecordatorio) {
    case reminder::EveryDay:
        break;
    case reminder::EveryMonday:
        while (d.dayOfWeek() != Qt::Monday) {
            d = d.addDays(1);
        }
        break;
    case reminder::FirstOfMonth:
        while (d.day() != 1) {
            d = d.addDays(1);
        }
        break;
    default:
        return 0;
    }
    return toDateTimeValue(d);
}

rule& global::newRule() {
    rules.push_back(std::make_unique<rule>());
    return *rules.back();
}

void global::addIgnored(const QString& name) {
    ignoreList.append(name);
}

} // namespace moravel
