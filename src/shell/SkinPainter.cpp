#include "shell/SkinPainter.h"

#include "common/VbMath.h"
#include "shell/LayoutPass.h"

#include <QFontMetrics>
#include <QPainter>

namespace lirondo {

void paintPicture(QPainter& painter, const QPixmap& picture, const QRect& destination,
                  const QRect& source)
{
    if (picture.isNull() || source.isEmpty() || destination.isEmpty())
        return;
    const QRect cut = source.intersected(picture.rect());
    if (cut.isEmpty())
        return;
    const double sx = double(destination.width()) / source.width();
    const double sy = double(destination.height()) / source.height();
    const QRectF target(destination.x() + (cut.x() - source.x()) * sx,
                        destination.y() + (cut.y() - source.y()) * sy, cut.width() * sx,
                        cut.height() * sy);
    painter.drawPixmap(target, picture, QRectF(cut));
}

void paintSkin(QPainter& painter, QSize client, const QPixmap& atlas, const QPixmap& icon)
{
    // The outer size in twips, taken as pixels, always covers the client area.
    painter.fillRect(QRect(0, 0, pixelsToTwips(client.width()), pixelsToTwips(client.height())),
                     kWindowBackgroundColour);
    for (const SkinPiece& piece : skinPieces(client, atlas.size()))
        paintPicture(painter, atlas, piece.destination, piece.source);
    const SkinPiece icopiece = iconPiece();
    paintPicture(painter, icon, icopiece.destination, icopiece.source);
}

void paintTitle(QPainter& painter, const QFont& font, const QString& caption)
{
    painter.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    painter.setPen(kTitleHighlightColour);
    painter.drawText(QPoint(50, 9 + ascent), caption);
    painter.setPen(kTitleTextColour);
    painter.drawText(QPoint(52, 10 + ascent), caption);
}

} // namespace lirondo
