#include "shell/WordFit.h"

#include <QFontMetrics>

#include <algorithm>

namespace lirondo {

WordFit fitWord(const QString& word, const QFont& font, int designWidth, int room)
{
    room = std::max(room, 1);
    QFont sized = font;
    int pointSize = font.pointSize();
    int advance = QFontMetrics(sized).horizontalAdvance(word);
    if (advance > room) {
        // Text widths scale nearly with the point size: start close, then step down.
        pointSize = std::max(kWordMinPointSize, int(qint64(pointSize) * room / advance));
        for (;; --pointSize) {
            sized.setPointSize(pointSize);
            advance = QFontMetrics(sized).horizontalAdvance(word);
            if (advance <= room || pointSize == kWordMinPointSize)
                break;
        }
    }
    if (advance <= room)
        return {pointSize, std::max(advance, designWidth), word};
    return {pointSize, room, QFontMetrics(sized).elidedText(word, Qt::ElideRight, room)};
}

} // namespace lirondo
