#include "fakes/FakeAgent.h"

namespace lirondo::test {

bool FakeAgentService::load(const QString& id, const QString& path, QString* error)
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

} // namespace lirondo::test
