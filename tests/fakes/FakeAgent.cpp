#include "fakes/FakeAgent.h"

namespace lirondo::test {

bool FakeAgentCharacter::record(const QString& line)
{
    if (refuseAll)
        return false;
    requests.append(line);
    return true;
}

bool FakeAgentCharacter::Show()
{
    if (!record(QStringLiteral("Show")))
        return false;
    m_visible = true;
    return true;
}

bool FakeAgentCharacter::Hide()
{
    if (!record(QStringLiteral("Hide")))
        return false;
    m_visible = false;
    return true;
}

bool FakeAgentCharacter::Speak(const QString& text)
{
    return record(QStringLiteral("Speak ") + text);
}

bool FakeAgentCharacter::Play(const QString& animation)
{
    if (!knownAnimations.isEmpty()) {
        bool known = false;
        for (const QString& name : std::as_const(knownAnimations))
            known = known || name.compare(animation, Qt::CaseInsensitive) == 0;
        if (!known)
            return false;
    }
    return record(QStringLiteral("Play ") + animation);
}

bool FakeAgentCharacter::MoveTo(int x, int y)
{
    if (!record(QStringLiteral("MoveTo %1,%2").arg(x).arg(y)))
        return false;
    m_x = x;
    m_y = y;
    return true;
}

bool FakeAgentCharacter::setWidth(int width)
{
    if (width < 1 || width > maxSize || !record(QStringLiteral("Width %1").arg(width)))
        return false;
    m_width = width;
    return true;
}

bool FakeAgentCharacter::setHeight(int height)
{
    if (height < 1 || height > maxSize || !record(QStringLiteral("Height %1").arg(height)))
        return false;
    m_height = height;
    return true;
}

void FakeAgentCharacter::setSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

bool FakeAgentService::Load(const QString& id, const QString& path, QString* error)
{
    loads.append({id, path});
    if (!loadablePaths.contains(path)) {
        if (error)
            *error = QStringLiteral("cannot load ") + path;
        return false;
    }
    if (!m_characters.contains(id))
        m_characters.insert(id, new FakeAgentCharacter(this));
    return true;
}

AgentCharacter* FakeAgentService::Characters(const QString& id)
{
    return m_characters.value(id, nullptr);
}

FakeAgentCharacter* FakeAgentService::character(const QString& id) const
{
    return m_characters.value(id, nullptr);
}

} // namespace lirondo::test
