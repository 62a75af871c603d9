#pragma once

#include <QRect>

#include <array>

namespace lirondo {

// The four one-pixel lines of the raised frame around a lit command label, in the
// panel's pixels: top, left, bottom, right (Line1 to Line4). A line runs from its
// start point up to, not including, its end point, so the bottom and right lines lie
// just outside the label.
std::array<QRect, 4> hoverFrameLines(const QRect& label);

} // namespace lirondo
