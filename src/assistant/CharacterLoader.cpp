#include "assistant/CharacterLoader.h"

#include "assistant/Agent.h"
#include "common/CommonDialog.h"
#include "common/MessageBoxPort.h"

#include <QDir>
#include <QFileInfo>

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

bool CharacterLoader::load(const QString& path)
{
    if (!path.isEmpty())
        return loadFrom(path);

    const QString title = tr("精灵加载");
    // The default file was tried just before: a file that is there but does not load must
    // not send the user off to install something.
    const QString first =
        m_failure.fileExists
            ? failureText()
            : tr("找不到merlin.acs精灵动画文件，无法加载精灵") + QStringLiteral("\r\n") +
                  tr("同时请确定你已经安装了Microsoft Agent的核心组件 msagent.exe");
    m_messages.show({first, title, MessageBoxPort::Buttons::Ok, MessageBoxPort::Icon::None,
                     MessageBoxPort::Answer::Ok});
    const MessageBoxPort::Answer answer =
        m_messages.show({tr("是否自己查找？"), title, MessageBoxPort::Buttons::YesNo,
                         MessageBoxPort::Icon::None, MessageBoxPort::Answer::Yes});
    if (answer != MessageBoxPort::Answer::Yes)
        return false;

    // Only the filter is ours: title, folder and cancel handling stay as the text-open
    // command left them.
    m_dialog.filter = QStringLiteral("*.acs");
    if (!m_dialog.showOpen())
        return false;
    if (loadFrom(m_dialog.fileName))
        return true;
    // A cancel that left no file name has nothing to report.
    if (!m_dialog.fileName.isEmpty())
        m_messages.show({failureText(), title, MessageBoxPort::Buttons::Ok,
                         MessageBoxPort::Icon::Warning, MessageBoxPort::Answer::Ok});
    return false;
}

bool CharacterLoader::loadFrom(const QString& path)
{
    m_failure = {};
    QString reason;
    AgentCharacter* character = nullptr;
    if (m_agent.load(characterId(), path, &reason))
        character = m_agent.find(characterId());
    if (!character) {
        m_failure = {path, reason, !path.isEmpty() && QFileInfo::exists(path)};
        return false;
    }
    m_character = character;
    return true;
}

QString CharacterLoader::failureText() const
{
    const QString name = QFileInfo(m_failure.path).fileName();
    QString text = m_failure.fileExists ? tr("%1不是可以读取的精灵动画文件，无法加载精灵").arg(name)
                                        : tr("找不到%1，无法加载精灵").arg(name);
    if (!m_failure.reason.isEmpty())
        text += QStringLiteral("\r\n") + tr("原因：") + m_failure.reason;
    return text;
}

} // namespace lirondo
