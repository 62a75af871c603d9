#include "assistant/CharacterWindow.h"

#include "assistant/CharacterPlayer.h"

#include <QApplication>
#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

namespace lirondo {

namespace {

bool reported(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
}

} // namespace

CharacterWindow::CharacterWindow(CharacterPlayer& player)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::NoDropShadowWindowHint),
      m_player(player)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(player.character().name);

    connect(&player, &CharacterPlayer::frameChanged, this, &CharacterWindow::updateFrame);
    connect(&player, &CharacterPlayer::sizeChanged, this, &CharacterWindow::updateFrame);
    connect(&player, &CharacterPlayer::positionChanged, this,
            [this](QPoint position) { move(position); });
    connect(&player, &CharacterPlayer::onScreenChanged, this, &QWidget::setVisible);
    move(player.position());
    updateFrame();
}

void CharacterWindow::updateFrame()
{
    const QSize size = m_player.size();
    QImage image =
        m_player.character().frameImage(m_player.animationIndex(), m_player.frameIndex());
    if (image.isNull()) {
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    } else if (image.size() != size) {
        // Pixel art: no smoothing, so the figure's edge stays fully opaque or clear.
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    m_image = image;
    if (this->size() != size)
        setFixedSize(size);

    QRegion shape(QBitmap::fromImage(m_image.createAlphaMask()));
    // An empty mask would mean "no mask" to the window system; a region outside the
    // window keeps an entirely clear frame unclickable instead.
    if (shape.isEmpty())
        shape = QRegion(-1, -1, 1, 1);
    if (shape != mask())
        setMask(shape);
    update();
}

void CharacterWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_image);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button();
    m_pressGlobal = event->globalPosition().toPoint();
    m_pressWindow = pos();
    m_dragging = false;
    event->accept();
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed != Qt::LeftButton || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragging && delta.manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    m_player.setPosition(m_pressWindow + delta);
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != m_pressed)
        return;
    const bool wasDrag = m_dragging;
    m_pressed = Qt::NoButton;
    m_dragging = false;
    if (!wasDrag && reported(event->button()))
        Q_EMIT clicked(event->button(), event->modifiers(), event->globalPosition().toPoint());
}

} // namespace lirondo
