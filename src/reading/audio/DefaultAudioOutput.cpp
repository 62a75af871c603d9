#include "reading/audio/DefaultAudioOutput.h"

#include "reading/audio/QtAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"

#include <QMediaDevices>

namespace lirondo {

std::unique_ptr<FailoverAudioOutput> makeDefaultAudioOutput()
{
    // Asked again at each try: after the server comes back its default device may differ.
    auto sound = []() -> std::unique_ptr<AudioOutput> {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return nullptr;
        return std::make_unique<QtAudioOutput>(device);
    };
    return std::make_unique<FailoverAudioOutput>(sound, std::make_unique<SilentAudioOutput>());
}

} // namespace lirondo
