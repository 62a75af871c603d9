#pragma once

#include <QObject>
#include <QString>

class QIcon;
class QMenu;

namespace lirondo {

// The notification-area icon. The real port is a QSystemTrayIcon; tests use a fake
// that records what was asked and raises activations by hand.
class TrayIconPort : public QObject
{
    Q_OBJECT
public:
    enum class Activation
    {
        Trigger, // left button
        Context, // right button
        DoubleClick,
        MiddleClick,
        Other
    };
    Q_ENUM(Activation)

    using QObject::QObject;
    ~TrayIconPort() override = default;

    // False where the desktop has no notification area: there is no icon to show.
    virtual bool isAvailable() const = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void setVisible(bool visible) = 0;
    // Opens the menu at the pointer and returns at once.
    virtual void popUpMenu(QMenu* menu) = 0;

Q_SIGNALS:
    void activated(lirondo::TrayIconPort::Activation reason);
};

} // namespace lirondo
