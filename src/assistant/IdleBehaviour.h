#pragma once

#include "assistant/RandomSource.h"

#include <QString>

#include <memory>

namespace lirondo {

class AgentCharacter;

// The eight idle behaviours the main window's Timer1 picks from every ten seconds.
// Without a character every request is skipped; the draw still happens, so the
// sequence of choices does not depend on when the character was loaded.
class IdleBehaviour
{
public:
    static constexpr int kBehaviourCount = 8;

    // random: nullptr means a SeededRandom with its fixed seed, owned here.
    explicit IdleBehaviour(AgentCharacter* character = nullptr,
                           std::unique_ptr<RandomSource> random = nullptr);

    void setCharacter(AgentCharacter* character) { m_character = character; }
    AgentCharacter* character() const { return m_character; }

    // Draws n in 1..8, each equally likely, and performs it. Returns n.
    int tick();
    // 1..8 uniformly: a number in [0, 1) times 8, rounded down, plus 1.
    int draw();
    // Issues behaviour n's requests to the character; other n do nothing.
    void perform(int n);

private:
    void playPair(const QString& animation, const QString& returnAnimation);
    void swell();

    AgentCharacter* m_character;
    std::unique_ptr<RandomSource> m_random;
};

} // namespace lirondo
