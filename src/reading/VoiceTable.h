#pragma once

#include "reading/SpeechEngine.h"

#include <QList>
#include <QString>

namespace lirondo {

// The voices the engine offers, as the voice list shows them. Entry i is the
// engine's voice at position i, and list position i in `Combo1`.
struct VoiceTable
{
    // The engine voice behind each entry, and the text the list shows for it (the form's
    // `voiceindex` and `voicedesc`).
    QList<int> engineIndex;
    QList<QString> descriptions;
    int chinese = -1;
    int english = -1;

    int size() const { return static_cast<int>(engineIndex.size()); }

    // Fills the table from the engine's voices and picks the Chinese and English
    // voice: the four known descriptions first (the last match wins), then the
    // voices' language tags.
    static VoiceTable build(const QList<VoiceInfo>& voices);
};

} // namespace lirondo
