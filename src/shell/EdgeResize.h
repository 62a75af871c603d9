#pragma once

#include <QPoint>
#include <QPointF>

#include <optional>

namespace lirondo {

// The three resize grips.
enum class GripKind
{
    Bottom,
    Right,
    Corner
};

// The window is resized only past these outer sizes, in twips.
inline constexpr double kMinWidthTwips = 8256.0;
inline constexpr double kMinHeightTwips = 6123.0;

// New outer sizes in twips; an empty side is left as it is. For the corner grip the
// width is applied before the height.
struct GripResize
{
    std::optional<double> width;
    std::optional<double> height;
};

// What a pointer move during a grip drag asks for: the dragged edge goes to the
// pointer (screen pixels), measured from the window's top-left corner (twips).
// Nothing while the window is maximized.
GripResize gripResize(GripKind grip, QPoint cursor, QPointF windowTopLeftTwips, bool maximized);

// The window's size in pixels for an outer size in twips.
int windowPixels(double twips);

} // namespace lirondo
