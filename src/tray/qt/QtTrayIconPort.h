#pragma once

#include "tray/TrayIconPort.h"

#include <QSystemTrayIcon>

namespace lirondo {

// The notification-area icon over QSystemTrayIcon. The menu is not handed to
// QSystemTrayIcon: the tray module opens it itself on a right click.
class QtTrayIconPort final : public TrayIconPort
{
    Q_OBJECT
public:
    explicit QtTrayIconPort(QObject* parent = nullptr);

    bool isAvailable() const override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void setVisible(bool visible) override;
    void popUpMenu(QMenu* menu) override;

    // Where the icon is on the screen; empty while it is not shown.
    QRect geometry() const { return m_icon.geometry(); }

    static Activation fromReason(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon m_icon;
};

} // namespace lirondo
