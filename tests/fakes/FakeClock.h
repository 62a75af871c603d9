#pragma once

#include "common/Clock.h"

namespace lirondo::test {

class FakeClock final : public Clock
{
public:
    QTime now = QTime(12, 0, 0);
    QTime timeOfDay() const override { return now; }
};

} // namespace lirondo::test
