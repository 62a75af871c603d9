#pragma once

#include <QTime>

namespace lirondo {

// Time of day, so that tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QTime timeOfDay() const = 0;

    double secondsSinceMidnight() const { return timeOfDay().msecsSinceStartOfDay() / 1000.0; }
};

class SystemClock final : public Clock
{
public:
    QTime timeOfDay() const override { return QTime::currentTime(); }
};

} // namespace lirondo
