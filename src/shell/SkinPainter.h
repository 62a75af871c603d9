#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace lirondo {

inline const QColor kWindowBackgroundColour(192, 255, 192);
inline const QColor kTitleHighlightColour(151, 169, 193);
inline const QColor kTitleTextColour(31, 96, 169);

// Copies the source rectangle of a picture onto the destination, stretched to it. A
// source reaching past the picture is cut to the picture, and the destination with it
// in proportion, so a picture asked for with extents larger than itself is copied at
// its own size.
void paintPicture(QPainter& painter, const QPixmap& picture, const QRect& destination,
                  const QRect& source);

// Clears the surface and paints the skin pieces and the window icon.
void paintSkin(QPainter& painter, QSize client, const QPixmap& atlas, const QPixmap& icon);

// The title, printed twice: the highlight, then the text 2 pixels right and 1 down.
// The print positions are the top of the text.
void paintTitle(QPainter& painter, const QFont& font, const QString& caption);

} // namespace lirondo
