#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace lirondo {

class CharacterPlayer;

// The character on the desktop: a frameless, always-on-top tool window that shows
// only the figure's own pixels. Its mask follows the figure, so clicks beside it
// reach whatever lies below. The left button drags it; a click that did not drag
// of the left, right or middle button is reported.
class CharacterWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CharacterWindow(CharacterPlayer& player);

    // The frame as drawn now, scaled to the character's size.
    const QImage& frame() const { return m_image; }

Q_SIGNALS:
    void clicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateFrame();

    CharacterPlayer& m_player;
    QImage m_image;
    Qt::MouseButton m_pressed = Qt::NoButton;
    QPoint m_pressGlobal;
    QPoint m_pressWindow;
    bool m_dragging = false;
};

} // namespace lirondo
