#include "shell/Outline.h"

namespace lirondo {

namespace {

QRect box(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

QRegion outlineShape(int w, int h)
{
    QRegion shape(box(0, 26, w, h - 26));
    shape += QRegion(box(23, 0, w - 23, h));
    shape += QRegion(box(23, 52, w, h - 6));
    shape += QRegion(box(52, 52, w - 6, h));
    shape += QRegion(box(0, 0, 52, 52), QRegion::Ellipse);
    shape += QRegion(box(w - 50, 0, w + 1, 52), QRegion::Ellipse);
    shape += QRegion(box(0, h - 52, 52, h), QRegion::Ellipse);
    shape += QRegion(box(w - 9, h - 9, w, h), QRegion::Ellipse);
    // The top-right ellipse reaches one column past the window, which shows nothing there.
    return shape & QRegion(0, 0, w, h);
}

} // namespace lirondo
