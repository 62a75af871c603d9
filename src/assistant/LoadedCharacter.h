#pragma once

#include "assistant/AcsFile.h"
#include "assistant/Agent.h"
#include "assistant/RandomSource.h"

#include <QTimer>

#include <memory>

namespace lirondo {

class BalloonWindow;
class CharacterPlayer;
class CharacterWindow;

// A character loaded by CharacterService (`Genie`): its player, its window and its
// balloon. One single-shot timer drives the player, and only while something moves.
class LoadedCharacter final : public AgentCharacter
{
    Q_OBJECT
public:
    LoadedCharacter(QString id, acs::Character character, std::unique_ptr<RandomSource> random,
                    QObject* parent = nullptr);
    ~LoadedCharacter() override;

    QString id() const { return m_id; }

    bool show() override;
    bool hide() override;
    bool isVisible() const override;
    bool speak(const QString& text) override;
    bool speakSentence(const QString& text) override;
    void endSentence() override;
    bool play(const QString& animation) override;
    bool moveTo(int x, int y) override;
    int width() const override;
    int height() const override;
    bool setWidth(int width) override;
    bool setHeight(int height) override;

    CharacterPlayer& player() { return *m_player; }
    CharacterWindow& window() { return *m_window; }
    BalloonWindow& balloon() { return *m_balloon; }
    bool animating() const { return m_timer.isActive(); }

Q_SIGNALS:
    void clicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

private:
    void advance();
    QRect figure() const;

    QString m_id;
    std::unique_ptr<RandomSource> m_random;
    std::unique_ptr<CharacterPlayer> m_player;
    std::unique_ptr<CharacterWindow> m_window;
    std::unique_ptr<BalloonWindow> m_balloon;
    QTimer m_timer;
};

} // namespace lirondo
