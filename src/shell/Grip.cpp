#include "shell/Grip.h"

#include <QMouseEvent>

namespace lirondo {

namespace {

Qt::CursorShape shapeFor(GripKind kind)
{
    switch (kind) {
    case GripKind::Bottom:
        return Qt::SizeVerCursor;
    case GripKind::Right:
        return Qt::SizeHorCursor;
    case GripKind::Corner:
        break;
    }
    return Qt::SizeFDiagCursor;
}

} // namespace

Grip::Grip(GripKind kind, const QString& name, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    setObjectName(name);
    setCursor(shapeFor(kind));
    setAttribute(Qt::WA_NoMousePropagation);
}

void Grip::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    m_held = true;
    Q_EMIT pressed();
}

void Grip::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT moved();
}

void Grip::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    m_held = false;
    Q_EMIT released();
}

} // namespace lirondo
