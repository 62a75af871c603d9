#include "tray/qt/QtTrayIconPort.h"

#include <QCursor>
#include <QMenu>

namespace lirondo {

QtTrayIconPort::QtTrayIconPort(QObject* parent) : TrayIconPort(parent)
{
    connect(
        &m_icon, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) { Q_EMIT activated(fromReason(reason)); });
}

bool QtTrayIconPort::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIconPort::setIcon(const QIcon& icon)
{
    m_icon.setIcon(icon);
}

void QtTrayIconPort::setToolTip(const QString& text)
{
    m_icon.setToolTip(text);
}

void QtTrayIconPort::setVisible(bool visible)
{
    m_icon.setVisible(visible);
}

void QtTrayIconPort::popUpMenu(QMenu* menu)
{
    if (menu)
        menu->popup(QCursor::pos());
}

TrayIconPort::Activation QtTrayIconPort::fromReason(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return Activation::Trigger;
    case QSystemTrayIcon::Context:
        return Activation::Context;
    case QSystemTrayIcon::DoubleClick:
        return Activation::DoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return Activation::MiddleClick;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return Activation::Other;
}

} // namespace lirondo
