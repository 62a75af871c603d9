#pragma once

#include <cmath>
#include <cstdint>

namespace lirondo {

// The program's arithmetic rounds halves to the even neighbour everywhere
// (2.5 -> 2, 3.5 -> 4), which is what std::nearbyint does in the default mode.
inline double vbRound(double value)
{
    return std::nearbyint(value);
}

inline int vbRoundToInt(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// Positions kept in twips convert at 15 twips per pixel (96 dpi logical pixels).
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips)
{
    return vbRoundToInt(static_cast<double>(twips) / kTwipsPerPixel);
}

inline constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

} // namespace lirondo
