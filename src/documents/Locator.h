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

    // From the press on the knob to its release (the form's `Tag` of "1").
    bool held() const { return m_held; }
    void press() { m_held = true; }

    // Where a move puts the knob, given the pointer's x in the panel: while held, its left
    // edge goes under the pointer, held within the track's ends; otherwise it stays.
    std::optional<int> dragTo(int pointerX, const Geometry& geometry) const;

    // Where a key moves the knob when it has the focus: the arrows a pixel, Home and End
    // to the track's ends; nothing for other keys.
    static std::optional<int> keyTo(int key, int knobLeft, const Geometry& geometry);

    // Ends the hold and returns the reading start the knob stands for.
    int release(int knobLeft, const Geometry& geometry, qint64 textLength);

    // The offset a knob at this left stands for: 0 at or left of the track's left end, the
    // end of the text at or past its right end. Between them the 5 pixels are about half
    // the knob, so the knob's middle points at the offset. Halves round to even.
    static int offsetForKnob(int knobLeft, const Geometry& geometry, qint64 textLength);

private:
    bool m_held = false;
};

} // namespace lirondo
