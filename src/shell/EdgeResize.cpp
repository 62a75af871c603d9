#include "shell/EdgeResize.h"

#include "common/VbMath.h"

namespace lirondo {

GripResize gripResize(GripKind grip, QPoint cursor, QPointF windowTopLeftTwips, bool maximized)
{
    GripResize result;
    if (maximized)
        return result;
    const double height = double(cursor.y()) * kTwipsPerPixel - windowTopLeftTwips.y();
    const double width = double(cursor.x()) * kTwipsPerPixel - windowTopLeftTwips.x();
    switch (grip) {
    case GripKind::Bottom:
        if (height > kMinHeightTwips)
            result.height = height;
        break;
    case GripKind::Right: {
        // The right grip reckons in whole twips.
        const double rounded = vbRound(width);
        if (rounded > kMinWidthTwips)
            result.width = rounded;
        break;
    }
    case GripKind::Corner:
        if (width > kMinWidthTwips)
            result.width = width;
        if (height > kMinHeightTwips)
            result.height = height;
        break;
    }
    return result;
}

int windowPixels(double twips)
{
    return vbRoundToInt(twips / kTwipsPerPixel);
}

} // namespace lirondo
