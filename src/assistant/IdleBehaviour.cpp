#include "assistant/IdleBehaviour.h"

#include "assistant/Agent.h"
#include "common/VbMath.h"

#include <cstdint>
#include <limits>

namespace lirondo {

namespace {

// Sizes are 16-bit integers for the character; a result outside that range is an
// overflow and the step is skipped.
bool fitsInt16(double value)
{
    return value >= std::numeric_limits<std::int16_t>::min() &&
           value <= std::numeric_limits<std::int16_t>::max();
}

} // namespace

IdleBehaviour::IdleBehaviour(AgentCharacter* character, std::unique_ptr<RandomSource> random)
    : m_character(character),
      m_random(random ? std::move(random) : std::make_unique<SeededRandom>())
{}

int IdleBehaviour::tick()
{
    const int n = draw();
    perform(n);
    return n;
}

int IdleBehaviour::draw()
{
    return m_random->below(kBehaviourCount) + 1;
}

void IdleBehaviour::perform(int n)
{
    switch (n) {
    case 1:
        playPair(QStringLiteral("Greet"), QStringLiteral("GreetReturn"));
        break;
    case 2:
        playPair(QStringLiteral("LookLeft"), QStringLiteral("LookLeftReturn"));
        break;
    case 3:
        swell();
        break;
    case 4:
        playPair(QStringLiteral("Suggest"), QStringLiteral("SuggestReturn"));
        break;
    case 5:
        if (m_character) {
            m_character->moveTo(0, 200);
            m_character->moveTo(400, 200);
        }
        break;
    case 6:
        if (m_character)
            m_character->play(QStringLiteral("Pleased"));
        break;
    case 7:
        playPair(QStringLiteral("Wave"), QStringLiteral("WaveReturn"));
        break;
    case 8:
        playPair(QStringLiteral("Write"), QStringLiteral("WriteReturn"));
        break;
    default:
        break;
    }
}

void IdleBehaviour::playPair(const QString& animation, const QString& returnAnimation)
{
    if (!m_character)
        return;
    // Each request stands alone: a missing first animation does not stop the second.
    m_character->play(animation);
    m_character->play(returnAnimation);
}

// Grow by half and shrink back. A dimension whose growth failed is not shrunk:
// shrinking it anyway would leave the character two thirds of its size for good.
void IdleBehaviour::swell()
{
    if (!m_character)
        return;
    const auto grow = [](int size, auto set) {
        const double grown = vbRound(size * 1.5);
        return fitsInt16(grown) && set(static_cast<int>(grown));
    };
    const auto shrink = [](int size, auto set) {
        const double shrunk = vbRound(size / 1.5);
        if (fitsInt16(shrunk))
            set(static_cast<int>(shrunk));
    };
    AgentCharacter& shown = *m_character;
    const auto setWidth = [&shown](int value) { return shown.setWidth(value); };
    const auto setHeight = [&shown](int value) { return shown.setHeight(value); };

    const bool widthGrew = grow(shown.width(), setWidth);
    const bool heightGrew = grow(shown.height(), setHeight);
    if (widthGrew)
        shrink(shown.width(), setWidth);
    if (heightGrew)
        shrink(shown.height(), setHeight);
}

} // namespace lirondo
