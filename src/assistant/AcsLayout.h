#pragma once

// What the .acs reader and writer both need to know of the file's layout.
#include <QtGlobal>

namespace lirondo::acs::layout {

inline constexpr quint32 signature = 0xABCDABC3;
inline constexpr int headerSize = 36;
inline constexpr quint32 flagVoice = 0x20;
inline constexpr quint32 flagBalloon = 0x200;
inline constexpr quint32 flagVoiceOff = 0x10;
inline constexpr quint32 flagBalloonOff = 0x100;
inline constexpr int paletteSize = 256;

// Where a block lies in the file.
struct Locator
{
    quint32 offset = 0;
    quint32 size = 0;
};

} // namespace lirondo::acs::layout
