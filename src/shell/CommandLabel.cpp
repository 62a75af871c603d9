#include "shell/CommandLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace lirondo {

CommandLabel::CommandLabel(const QString& caption, int index, QWidget* parent)
    : QLabel(caption, parent), m_index(index)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(caption);
}

void CommandLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void CommandLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click && isEnabled())
        Q_EMIT clicked(m_index);
}

void CommandLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (isEnabled())
        Q_EMIT pointerMoved(m_index);
    QLabel::mouseMoveEvent(event);
}

void CommandLabel::keyPressEvent(QKeyEvent* event)
{
    if (isEnabled() && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                        event->key() == Qt::Key_Enter)) {
        Q_EMIT clicked(m_index);
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace lirondo
