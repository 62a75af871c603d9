#include "assistant/CharacterLoader.h"

#include "assistant/Agent.h"
#include "common/CommonDialog.h"
#include "common/MessageBoxPort.h"

#include <QDir>

namespace lirondo {

CharacterLoader::CharacterLoader(AgentService& agent, MessageBoxPort& messages,
                                 CommonDialog& dialog, QString applicationDir)
    : m_agent(agent), m_messages(messages), m_dialog(dialog),
      m_applicationDir(std::move(applicationDir))
{}

QString CharacterLoader::defaultCharacterPath() const
{
    const QString relative = QStringLiteral(LIRONDO_BIN_TO_DATA "/chars/merlin.acs");
    return QDir::cleanPath(QDir(m_applicationDir).absoluteFilePath(relative));
}

bool CharacterLoader::LoadCharacter(const QString& path)
{
    if (!path.isEmpty())
        return loadFrom(path);

    const QString title = QStringLiteral("精灵加载");
    m_messages.show(
        {QStringLiteral("找不到merlin.acs精灵动画文件，无法加载精灵") + QStringLiteral("\r\n") +
             QStringLiteral("同时请确定你已经安装了Microsoft Agent的核心组件 msagent.exe"),
         title, MessageBoxPort::Buttons::Ok, MessageBoxPort::Icon::None,
         MessageBoxPort::Answer::Ok});
    const MessageBoxPort::Answer answer =
        m_messages.show({QStringLiteral("是否自己查找？"), title, MessageBoxPort::Buttons::YesNo,
                         MessageBoxPort::Icon::None, MessageBoxPort::Answer::Yes});
    if (answer != MessageBoxPort::Answer::Yes)
        return false;

    // Only the filter is ours: title, folder and cancel handling stay as the text-open
    // command left them.
    m_dialog.Filter = QStringLiteral("*.acs");
    if (!m_dialog.ShowOpen())
        return false;
    return loadFrom(m_dialog.FileName);
}

bool CharacterLoader::loadFrom(const QString& path)
{
    if (!m_agent.Load(characterId(), path))
        return false;
    AgentCharacter* character = m_agent.Characters(characterId());
    if (!character)
        return false;
    m_genie = character;
    return true;
}

} // namespace lirondo
