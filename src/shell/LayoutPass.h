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

// The caption bar and the three caption buttons.
struct CaptionPlaces
{
    std::optional<int> IMBarWidth; // left and top are 0
    int buttonTop = 9;
    int ImmaxLeft = 0;
    int IMminLeft = 0;
    int ImcloseLeft = 0;
};
CaptionPlaces captionPlaces(int clientWidth);

// The grips, given their current sizes.
struct GripSizes
{
    int PbottomHeight = 0;
    int PrightWidth = 0;
    QSize Pjiao;
};
struct GripPlaces
{
    std::optional<int> PbottomTop;
    std::optional<int> PbottomWidth;
    std::optional<int> PrightLeft;
    std::optional<int> PrightHeight;
    std::optional<int> PjiaoLeft;
    std::optional<int> PjiaoTop;
};
GripPlaces gripPlaces(QSize client, const GripSizes& sizes);

// The content controls, given what they keep from their design.
struct ContentDesign
{
    int Picture2Height = 0;
    QPoint TextenPos;
    int ImavoiceTop = 0; // inside Picture2
    int Frame1Top = 0;
};
struct ContentPlaces
{
    std::optional<int> Picture2Top;
    std::optional<int> Picture2Width;
    std::optional<int> TextenHeight;
    std::optional<int> TextenWidth;
    std::optional<int> Picture1Top;
    std::optional<int> Frame1Height;
    std::optional<int> ListView1Height; // pixels; the program reckons it in twips
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
