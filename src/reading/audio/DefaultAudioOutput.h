#pragma once

#include "reading/audio/FailoverAudioOutput.h"

#include <memory>

namespace lirondo {

// The sound server's default output; while there is none, a silent output clocked in
// real time, so that reading (and its highlighting) still works, with a notice saying so.
std::unique_ptr<FailoverAudioOutput> makeDefaultAudioOutput();

} // namespace lirondo
