#pragma once

#include <cstdint>
#include <random>

namespace lirondo {

// Where the character's choices come from: idle behaviours and animation branches.
// Injected so tests can script the draws.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A number in [0, 1).
    virtual double uniform() = 0;

    // A whole number in [0, count): uniform() × count, rounded down.
    int below(int count)
    {
        if (count <= 0)
            return 0;
        const int value = static_cast<int>(uniform() * count);
        return value < count ? value : count - 1;
    }
};

// A Mersenne twister with a fixed seed: never seeded from the clock, so every run
// makes the same sequence of choices.
class SeededRandom final : public RandomSource
{
public:
    static constexpr std::uint32_t kDefaultSeed = 20040622u;

    explicit SeededRandom(std::uint32_t seed = kDefaultSeed) : m_engine(seed) {}

    double uniform() override
    {
        // 32 random bits over 2^32: exactly representable, always below 1, and the
        // same on every standard library (unlike uniform_real_distribution).
        return static_cast<double>(m_engine()) / 4294967296.0;
    }

private:
    std::mt19937 m_engine;
};

} // namespace lirondo
