#pragma once

#include <QString>

#include <optional>

namespace lirondo {

// The reading-position locator's arithmetic, in the bottom panel's pixels: the track
// stands for the whole text, the knob's left edge for a position in it.
class Locator
{
public:
    struct Geometry
    {
        int trackLeft = 0;
        int trackWidth = 0;
        int knobWidth = 0;
    };

    // "1" from the press on the knob to its release, empty otherwise.
    QString Tag;

    bool held() const { return !Tag.isEmpty(); }
    void press() { Tag = QStringLiteral("1"); }

    // Where a move puts the knob, given the pointer's x in the panel: its left edge goes
    // under the pointer while held and strictly inside the track; otherwise it stays.
    std::optional<int> dragTo(int pointerX, const Geometry& geometry) const;

    // Ends the hold and returns the reading start the knob stands for.
    int release(int knobLeft, const Geometry& geometry, qint64 textLength);

    // The offset a knob at this left stands for. The 5 pixels are about half the knob, so
    // the knob's middle points at the offset. Halves round to even.
    static int offsetForKnob(int knobLeft, const Geometry& geometry, qint64 textLength);
};

} // namespace lirondo
