#include "assistant/CharacterService.h"

#include "assistant/AcsFile.h"
#include "assistant/CharacterPlayer.h"
#include "assistant/LoadedCharacter.h"

#include <QFile>
#include <QFileInfo>

namespace lirondo {

namespace {

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

CharacterService::CharacterService(QObject* parent) : AgentService(parent) {}

CharacterService::~CharacterService() = default;

bool CharacterService::load(const QString& id, const QString& path, QString* error)
{
    if (id.isEmpty())
        return fail(error, tr("no character id"));
    const QString key = id.toLower();
    // Callers hold on to the loaded character; replacing it would leave them dangling.
    if (m_characters.contains(key))
        return fail(error, tr("character \"%1\" is already loaded").arg(id));
    if (path.isEmpty())
        return fail(error, tr("no character file given"));

    const QFileInfo info(path);
    if (!info.isFile())
        return fail(error, tr("no such file"));
    if (info.size() > kMaxFileSize)
        return fail(error, tr("too large for a character file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, file.errorString());
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return fail(error, tr("too large for a character file"));

    acs::ReadResult read = acs::readAcs(bytes);
    if (!read.character)
        return fail(error, read.error);
    const acs::Character& character = *read.character;
    if (character.frameWidth < 1 || character.frameHeight < 1 ||
        character.frameWidth > CharacterPlayer::kMaxSize ||
        character.frameHeight > CharacterPlayer::kMaxSize)
        return fail(error, tr("unusable frame size"));

    auto* loaded =
        new LoadedCharacter(id, std::move(*read.character), std::make_unique<SeededRandom>(), this);
    connect(loaded, &LoadedCharacter::clicked, this,
            [this, id](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
                Q_EMIT clicked(id, button, modifiers, x, y);
            });
    m_characters.insert(key, loaded);
    return true;
}

AgentCharacter* CharacterService::find(const QString& id)
{
    return character(id);
}

LoadedCharacter* CharacterService::character(const QString& id) const
{
    return m_characters.value(id.toLower(), nullptr);
}

} // namespace lirondo
