#include "shell/CommandLabel.h"

#include "shell/LabelButtonAccessible.h"
#include "shell/SkinPainter.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace lirondo {

CommandLabel::CommandLabel(const QString& caption, int index, QWidget* parent)
    : QLabel(caption, parent), m_index(index)
{
    // Before any interface is asked for, so the label is offered as a button.
    QAccessible::installFactory(labelButtonAccessibleFactory);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(caption);
}

void CommandLabel::click()
{
    if (isEnabled())
        Q_EMIT clicked(m_index);
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

void CommandLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The keyboard focus: a dotted frame in the title's colour, inside the label so the
    // hover frame around it stays as it is.
    QPainter painter(this);
    painter.setPen(QPen(kTitleTextColour, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace lirondo
