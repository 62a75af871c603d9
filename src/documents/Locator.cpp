#include "documents/Locator.h"

#include "common/VbMath.h"

#include <algorithm>
#include <limits>

namespace lirondo {

namespace {

// The knob's left edge at the track's right end; 64-bit so that a huge track cannot
// overflow, and never left of the left end.
qint64 rightEnd(const Locator::Geometry& geometry)
{
    return std::max<qint64>(geometry.trackLeft,
                            qint64(geometry.trackLeft) + geometry.trackWidth - geometry.knobWidth);
}

int withinTrack(qint64 left, const Locator::Geometry& geometry)
{
    return static_cast<int>(std::clamp<qint64>(left, geometry.trackLeft, rightEnd(geometry)));
}

} // namespace

std::optional<int> Locator::dragTo(int pointerX, const Geometry& geometry) const
{
    if (!held())
        return std::nullopt;
    return withinTrack(pointerX, geometry);
}

std::optional<int> Locator::keyTo(int key, int knobLeft, const Geometry& geometry)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        return withinTrack(qint64(knobLeft) - 1, geometry);
    case Qt::Key_Right:
    case Qt::Key_Up:
        return withinTrack(qint64(knobLeft) + 1, geometry);
    case Qt::Key_Home:
        return geometry.trackLeft;
    case Qt::Key_End:
        return withinTrack(rightEnd(geometry), geometry);
    default:
        return std::nullopt;
    }
}

int Locator::release(int knobLeft, const Geometry& geometry, qint64 textLength)
{
    m_held = false;
    return offsetForKnob(knobLeft, geometry, textLength);
}

int Locator::offsetForKnob(int knobLeft, const Geometry& geometry, qint64 textLength)
{
    // A track without width has no scale; the start of the text is the only safe answer.
    if (geometry.trackWidth <= 0 || textLength <= 0 || knobLeft <= geometry.trackLeft)
        return 0;
    const int whole =
        static_cast<int>(std::min<qint64>(textLength, std::numeric_limits<int>::max()));
    if (knobLeft >= rightEnd(geometry))
        return whole;
    const double offset = vbRound((static_cast<double>(knobLeft) + 5 - geometry.trackLeft) /
                                  geometry.trackWidth * static_cast<double>(textLength));
    // Near the ends the 5 pixels can still carry it past the text.
    if (offset <= 0)
        return 0;
    if (offset >= whole)
        return whole;
    return static_cast<int>(offset);
}

} // namespace lirondo
