#pragma once

#include "assistant/RandomSource.h"

#include <QList>

namespace lirondo::test {

// Hands out the listed numbers in order, then repeats the last one (0 when empty).
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<double> values = {}) : m_values(std::move(values)) {}

    double uniform() override
    {
        if (m_values.isEmpty())
            return 0.0;
        const double value = m_values.first();
        if (m_values.size() > 1)
            m_values.removeFirst();
        return value;
    }

private:
    QList<double> m_values;
};

} // namespace lirondo::test
