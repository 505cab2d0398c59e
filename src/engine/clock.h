#pragma once

#include "engine/datetimevalue.h"

namespace moravel {

// Where "now" comes from, so that date logic can be tested on any date.
class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time.
    virtual QDateTime now() const = 0;
    DateTimeValue nowValue() const { return toDateTimeValue(now()); }
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still at a given moment; tests and benchmarks set it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime at = {}) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(const QDateTime& at) { m_at = at; }

private:
    QDateTime m_at;
};

} // namespace moravel
