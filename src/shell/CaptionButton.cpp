#include "shell/CaptionButton.h"

#include "shell/LabelButtonAccessible.h"

#include <QAccessible>
#include <QMouseEvent>

namespace lirondo {

CaptionButton::CaptionButton(const QString& name, QWidget* parent) : QLabel(parent)
{
    QAccessible::installFactory(labelButtonAccessibleFactory);
    setAccessibleName(name);
    setMouseTracking(true);
    // Moves over the button are the button's; the bare window must not see them.
    setAttribute(Qt::WA_NoMousePropagation);
}

void CaptionButton::setPicture(const QPixmap& picture)
{
    setPixmap(picture);
}

void CaptionButton::clearPicture()
{
    clear();
}

bool CaptionButton::hasPicture() const
{
    return !pixmap().isNull();
}

void CaptionButton::click()
{
    if (isEnabled())
        Q_EMIT clicked();
}

// Only the left button presses the button: a right click on the close picture must not
// end the program.
void CaptionButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_down = true;
    Q_EMIT pressed();
}

void CaptionButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = m_down && rect().contains(event->position().toPoint());
    m_down = false;
    Q_EMIT released();
    if (click)
        Q_EMIT clicked();
}

void CaptionButton::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT pointerMoved();
    event->accept();
}

} // namespace lirondo
