#pragma once

#include "common/WindowState.h"

#include <QRect>
#include <QSize>

#include <array>
#include <optional>

namespace lirondo {

// Design places are kept in twips; widgets take pixels.
QRect twipsRect(int left, int top, int width, int height);

// The arithmetic of the main window's resize pass. Each function answers one step;
// a line of a step that would give a negative size fails, and the lines after it in
// that step are left out (empty), as the step is abandoned there.

// The caption bar and the three caption buttons (the form's IMBar, Immax, Immin, Imclose).
struct CaptionPlaces
{
    std::optional<int> captionBarWidth; // left and top are 0
    int buttonTop = 9;
    int maximizeLeft = 0;
    int minimizeLeft = 0;
    int closeLeft = 0;
};
CaptionPlaces captionPlaces(int clientWidth);

// The grips, given their current sizes (the form's Pbottom, Pright, Pjiao).
struct GripSizes
{
    int bottomGripHeight = 0;
    int rightGripWidth = 0;
    QSize cornerGrip;
};
struct GripPlaces
{
    std::optional<int> bottomGripTop;
    std::optional<int> bottomGripWidth;
    std::optional<int> rightGripLeft;
    std::optional<int> rightGripHeight;
    std::optional<int> cornerGripLeft;
    std::optional<int> cornerGripTop;
};
GripPlaces gripPlaces(QSize client, const GripSizes& sizes);

// The content controls, given what they keep from their design: the reading panel
// (the form's Picture2), the text box (Texten), the speaker (Imavoice), the volume pop-up
// (Picture1), the reading-list frame (Frame1) and its list (ListView1).
struct ContentDesign
{
    int panelHeight = 0;
    QPoint textBoxPos;
    int speakerTop = 0; // inside the panel
    int listFrameTop = 0;
};
struct ContentPlaces
{
    std::optional<int> panelTop;
    std::optional<int> panelWidth;
    std::optional<int> textBoxHeight;
    std::optional<int> textBoxWidth;
    std::optional<int> volumePopUpTop;
    std::optional<int> listFrameHeight;
    std::optional<int> listHeight; // pixels; the program reckons it in twips
};
ContentPlaces contentPlaces(QSize client, const ContentDesign& design);

// The last state other than minimized.
WindowState nextLastState(WindowState lastState, WindowState windowState);

// The skin pieces, each copied from the atlas (or, for the icon, from the
// window icon) onto the client area.
struct SkinPiece
{
    QRect destination;
    QRect source;
};
inline constexpr int kSkinPieceCount = 8;
std::array<SkinPiece, kSkinPieceCount> skinPieces(QSize client, QSize atlas);
SkinPiece iconPiece();

} // namespace lirondo
