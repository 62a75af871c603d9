#pragma once

#include "assistant/AcsFile.h"

// Our own character "merlin": a wizard drawn with QPainter and quantized to a
// 256-colour palette, with every animation the program plays.
namespace lirondo::merlin {

inline constexpr int frameSide = 128;
inline constexpr int transparentIndex = 0;

acs::Character makeMerlin();

} // namespace lirondo::merlin
