#include "reading/audio/DefaultAudioOutput.h"

#include "reading/audio/QtAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"

#include <QMediaDevices>

#include <cstdio>

namespace lirondo {

std::unique_ptr<AudioOutput> makeDefaultAudioOutput()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!QMediaDevices::audioOutputs().isEmpty() && !device.isNull())
        return std::make_unique<QtAudioOutput>(device);
    std::fputs("Lirondo: no audio output device found; reading on silently.\n", stderr);
    return std::make_unique<SilentAudioOutput>();
}

} // namespace lirondo
