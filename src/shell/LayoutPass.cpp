#include "shell/LayoutPass.h"

#include "common/VbMath.h"

namespace lirondo {

namespace {

// A size the window system would refuse.
bool invalidSize(int value)
{
    return value < 0;
}

} // namespace

CaptionPlaces captionPlaces(int clientWidth)
{
    CaptionPlaces places;
    if (!invalidSize(clientWidth))
        places.captionBarWidth = clientWidth;
    places.maximizeLeft = clientWidth - 50;
    places.minimizeLeft = clientWidth - 71;
    places.closeLeft = clientWidth - 30;
    return places;
}

GripPlaces gripPlaces(QSize client, const GripSizes& sizes)
{
    const int w = client.width();
    const int h = client.height();
    GripPlaces places;
    places.bottomGripTop = h - sizes.bottomGripHeight;
    if (invalidSize(w - 100))
        return places;
    places.bottomGripWidth = w - 100;
    places.rightGripLeft = w - sizes.rightGripWidth;
    if (invalidSize(h - 100))
        return places;
    places.rightGripHeight = h - 100;
    places.cornerGripLeft = w - sizes.cornerGrip.width();
    places.cornerGripTop = h - sizes.cornerGrip.height();
    return places;
}

ContentPlaces contentPlaces(QSize client, const ContentDesign& design)
{
    const int w = client.width();
    const int h = client.height();
    ContentPlaces places;
    const int picture2Top = h - design.panelHeight - 50;
    places.panelTop = picture2Top;
    if (invalidSize(w - 30))
        return places;
    places.panelWidth = w - 30;
    const int textenHeight = picture2Top - design.textBoxPos.y() - 10;
    if (invalidSize(textenHeight))
        return places;
    places.textBoxHeight = textenHeight;
    const int textenWidth = w - design.textBoxPos.x() - 30;
    if (invalidSize(textenWidth))
        return places;
    places.textBoxWidth = textenWidth;
    places.volumePopUpTop = design.speakerTop + picture2Top - 100;
    const int frame1Height = h - design.panelHeight - design.listFrameTop - 50;
    if (invalidSize(frame1Height))
        return places;
    places.listFrameHeight = frame1Height;
    const int listTwips = pixelsToTwips(frame1Height) - 900;
    if (invalidSize(listTwips))
        return places;
    places.listHeight = twipsToPixels(listTwips);
    return places;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

WindowState nextLastState(WindowState lastState, WindowState windowState)
{
    return windowState == WindowState::Minimized ? lastState : windowState;
}

std::array<SkinPiece, kSkinPieceCount> skinPieces(QSize client, QSize atlas)
{
    const int w = client.width();
    const int h = client.height();
    const int aw = atlas.width();
    const int ah = atlas.height();
    // The caption strip runs to the outer width in twips, far past the right edge;
    // the top-right corner covers its end.
    const int outerWidthTwips = pixelsToTwips(w);
    return {{
        {{40, 0, outerWidthTwips, 28}, {40, 0, 15, 28}},        // caption middle
        {{20, h - 20, w, 20}, {30, ah - 20, 15, 20}},           // bottom middle
        {{0, 0, 10, h}, {0, 50, 10, 25}},                       // left edge
        {{w - 10, 0, 10, h}, {aw - 10, 50, 10, 50}},            // right edge
        {{0, 0, 40, 28}, {0, 0, 40, 28}},                       // top-left corner
        {{0, h - 20, 25, 20}, {0, ah - 20, 25, 20}},            // bottom-left corner
        {{w - 120, 0, 120, 28}, {aw - 120, 0, 120, 28}},        // caption buttons
        {{w - 75, h - 20, 75, 20}, {aw - 75, ah - 20, 75, 20}}, // grip mark
    }};
}

SkinPiece iconPiece()
{
    return {{15, 9, 240, 240}, {0, 0, 240, 240}};
}

} // namespace lirondo
