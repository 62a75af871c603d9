#include "documents/Locator.h"

#include "common/VbMath.h"

#include <limits>

namespace lirondo {

std::optional<int> Locator::dragTo(int pointerX, const Geometry& geometry) const
{
    if (!held())
        return std::nullopt;
    // 64-bit so that a huge track cannot overflow the right bound.
    const qint64 right = qint64(geometry.trackLeft) + geometry.trackWidth - geometry.knobWidth;
    if (geometry.trackLeft < pointerX && pointerX < right)
        return pointerX;
    return std::nullopt;
}

int Locator::release(int knobLeft, const Geometry& geometry, qint64 textLength)
{
    Tag.clear();
    return offsetForKnob(knobLeft, geometry, textLength);
}

int Locator::offsetForKnob(int knobLeft, const Geometry& geometry, qint64 textLength)
{
    // A track without width has no scale; the start of the text is the only safe answer.
    if (geometry.trackWidth <= 0 || textLength <= 0)
        return 0;
    const double offset = vbRound((static_cast<double>(knobLeft) + 5 - geometry.trackLeft) /
                                  geometry.trackWidth * static_cast<double>(textLength));
    // A knob left of the track or far beyond it must not wrap the reading start around.
    if (offset <= 0)
        return 0;
    if (offset >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(offset);
}

} // namespace lirondo
