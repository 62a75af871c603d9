#pragma once

#include "reading/audio/AudioOutput.h"

#include <memory>

namespace lirondo {

// The sound server's default output; when there is none, a silent output clocked in
// real time, so that reading (and its highlighting) still works, and one note saying so
// on standard error.
std::unique_ptr<AudioOutput> makeDefaultAudioOutput();

} // namespace lirondo
