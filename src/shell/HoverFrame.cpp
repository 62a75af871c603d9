#include "shell/HoverFrame.h"

namespace lirondo {

std::array<QRect, 4> hoverFrameLines(const QRect& label)
{
    const int l = label.x();
    const int t = label.y();
    const int w = label.width();
    const int h = label.height();
    return {{QRect(l, t, w, 1), QRect(l, t, 1, h), QRect(l, t + h, w, 1), QRect(l + w, t, 1, h)}};
}

} // namespace lirondo
