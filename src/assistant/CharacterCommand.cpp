#include "assistant/CharacterCommand.h"

#include "assistant/Agent.h"
#include "assistant/CharacterLoader.h"

namespace lirondo {

CharacterCommand::CharacterCommand(CharacterLoader& loader, QObject* parent)
    : QObject(parent), m_loader(loader)
{}

void CharacterCommand::showOrHide()
{
    const QString hello = tr("Hello! What can I do For you ?");
    if (!m_character) {
        if (!m_loader.load(m_loader.defaultCharacterPath()) && !m_loader.load(QString()))
            return;
        m_character = m_loader.character();
        if (!m_character)
            return;
        Q_EMIT loaded(m_character);
        m_character->show();
        m_character->moveTo(200, 200);
        m_character->speak(hello);
        Q_EMIT captionChanged(tr("隐藏精灵"));
        return;
    }
    if (m_character->isVisible()) {
        m_character->speak(tr("See you next time !"));
        m_character->hide();
        Q_EMIT captionChanged(tr("显示精灵"));
    } else {
        m_character->show();
        m_character->speak(hello);
        Q_EMIT captionChanged(tr("隐藏精灵"));
    }
}

void CharacterCommand::speakSentence(const QString& sentence)
{
    if (m_character)
        m_character->speakSentence(sentence);
}

void CharacterCommand::endSentence()
{
    if (m_character)
        m_character->endSentence();
}

} // namespace lirondo
