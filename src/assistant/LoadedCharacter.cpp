#include "assistant/LoadedCharacter.h"

#include "assistant/BalloonWindow.h"
#include "assistant/CharacterPlayer.h"
#include "assistant/CharacterWindow.h"

namespace lirondo {

LoadedCharacter::LoadedCharacter(QString id, acs::Character character,
                                 std::unique_ptr<RandomSource> random, QObject* parent)
    : AgentCharacter(parent), m_id(std::move(id)), m_random(std::move(random)),
      m_player(std::make_unique<CharacterPlayer>(std::move(character), *m_random)),
      m_window(std::make_unique<CharacterWindow>(*m_player)),
      m_balloon(std::make_unique<BalloonWindow>())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LoadedCharacter::advance);
    // Also while a frame or a balloon is timed: what it was timing has been cut short.
    connect(m_player.get(), &CharacterPlayer::wake, this, [this] { m_timer.start(0); });
    connect(m_player.get(), &CharacterPlayer::balloonChanged, this,
            [this](const QString& text) { m_balloon->say(text, figure()); });
    connect(m_player.get(), &CharacterPlayer::positionChanged, this,
            [this] { m_balloon->follow(figure()); });
    connect(m_player.get(), &CharacterPlayer::sizeChanged, this,
            [this] { m_balloon->follow(figure()); });
    connect(m_window.get(), &CharacterWindow::clicked, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                Q_EMIT clicked(button, modifiers, at.x(), at.y());
            });
}

LoadedCharacter::~LoadedCharacter()
{
    // The windows refer to the player: they go first.
    m_balloon.reset();
    m_window.reset();
}

void LoadedCharacter::advance()
{
    const int delay = m_player->advance();
    if (delay >= 0)
        m_timer.start(delay);
}

QRect LoadedCharacter::figure() const
{
    return QRect(m_player->position(), m_player->size());
}

bool LoadedCharacter::show()
{
    return m_player->requestShow();
}

bool LoadedCharacter::hide()
{
    return m_player->requestHide();
}

bool LoadedCharacter::isVisible() const
{
    return m_player->visible();
}

bool LoadedCharacter::speak(const QString& text)
{
    return m_player->requestSpeak(text);
}

bool LoadedCharacter::speakSentence(const QString& text)
{
    return m_player->requestSentence(text);
}

void LoadedCharacter::endSentence()
{
    m_player->endSentence();
}

bool LoadedCharacter::play(const QString& animation)
{
    return m_player->requestPlay(animation);
}

bool LoadedCharacter::moveTo(int x, int y)
{
    return m_player->requestMoveTo(x, y);
}

int LoadedCharacter::width() const
{
    return m_player->size().width();
}

int LoadedCharacter::height() const
{
    return m_player->size().height();
}

bool LoadedCharacter::setWidth(int width)
{
    return m_player->setWidth(width);
}

bool LoadedCharacter::setHeight(int height)
{
    return m_player->setHeight(height);
}

} // namespace lirondo
