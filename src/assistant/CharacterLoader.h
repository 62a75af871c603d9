#pragma once

#include <QCoreApplication>
#include <QString>

namespace lirondo {

class AgentCharacter;
class AgentService;
class CommonDialog;
class MessageBoxPort;

// The `agent` module: loads the character "merlin" for the main window, from the
// fixed default file or, when asked with an empty path, from a file the user finds.
class CharacterLoader
{
    Q_DECLARE_TR_FUNCTIONS(lirondo::CharacterLoader)

public:
    // applicationDir: the directory of the running executable.
    CharacterLoader(AgentService& agent, MessageBoxPort& messages, CommonDialog& dialog,
                    QString applicationDir);

    static QString characterId() { return QStringLiteral("merlin"); }

    // <bin>/../share/lirondo/chars/merlin.acs: the same relative place in a build
    // tree (<build>/bin) and once installed (<prefix>/bin).
    QString defaultCharacterPath() const;

    // True when character() now holds the loaded character. A non-empty path is loaded
    // silently; an empty one tells why the path tried before did not load (missing, or
    // there but not a readable character file), offers the user a search for the file,
    // and says why a file picked there does not load.
    // (The form's `LoadCharacter`.)
    bool load(const QString& path);

    // The loaded character (the form's `Genie`), nullptr until the first successful load.
    AgentCharacter* character() const { return m_character; }

private:
    bool loadFrom(const QString& path);
    QString failureText() const;

    // The last load that failed; cleared by every attempt.
    struct Failure
    {
        QString path;
        QString reason;
        bool fileExists = false;
    };

    AgentService& m_agent;
    MessageBoxPort& m_messages;
    CommonDialog& m_dialog;
    QString m_applicationDir;
    AgentCharacter* m_character = nullptr;
    Failure m_failure;
};

} // namespace lirondo
