#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace lirondo {

class AgentCharacter;
class CharacterLoader;

// The command row's "显示精灵"/"隐藏精灵": the first use loads the character (the default
// file, then a file the user finds), later uses hide and show it again. It also gives the
// character the sentence of the reading being heard.
class CharacterCommand : public QObject
{
    Q_OBJECT
public:
    explicit CharacterCommand(CharacterLoader& loader, QObject* parent = nullptr);

    void showOrHide();
    // The loaded character, or nullptr until a load succeeded.
    AgentCharacter* character() const { return m_character; }

    void speakSentence(const QString& sentence);
    void endSentence();

Q_SIGNALS:
    // The command's caption after a use.
    void captionChanged(const QString& caption);
    // The character was loaded; it stays loaded, shown or not, for the rest of the run.
    void loaded(lirondo::AgentCharacter* character);

private:
    CharacterLoader& m_loader;
    QPointer<AgentCharacter> m_character;
};

} // namespace lirondo
