#pragma once

#include <QRegion>

namespace lirondo {

// The main window's outline for a client area of w x h pixels: three corners rounded
// with a radius of about 26 pixels, the bottom-right one (where the corner grip sits)
// nearly square. Rectangles are given as left, top, right, bottom with the right and
// bottom edges excluded; each ellipse is the one inscribed in its box.
QRegion outlineShape(int w, int h);

} // namespace lirondo
