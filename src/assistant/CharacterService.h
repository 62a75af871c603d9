#pragma once

#include "assistant/Agent.h"

#include <QHash>

namespace lirondo {

class LoadedCharacter;

// The character service (`MyAgent`): loads characters from .acs files and keeps
// them, each with its own window, for as long as the service lives.
class CharacterService final : public AgentService
{
    Q_OBJECT
public:
    // Character files are a few megabytes; anything far larger is not one.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    explicit CharacterService(QObject* parent = nullptr);
    ~CharacterService() override;

    bool load(const QString& id, const QString& path, QString* error = nullptr) override;
    AgentCharacter* find(const QString& id) override;

    LoadedCharacter* character(const QString& id) const;

private:
    QHash<QString, LoadedCharacter*> m_characters; // by lower-case id; children of this
};

} // namespace lirondo
