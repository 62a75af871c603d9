#pragma once

#include "common/Gbk.h"
#include "tray/TrayIconPort.h"

#include <QMenu>
#include <QPointer>
#include <QString>
#include <QStringView>

namespace lirondo {

class TrayWindow;

// The tray module `tuopan`: keeps the notification-area icon for as long as the main
// window is loaded and reacts to clicks on it. Owned by the main window.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    // Bytes of the tooltip field in the notification record, terminator included.
    static constexpr int kTipFieldBytes = 64;

    // `icon` must outlive this object.
    explicit TrayIcon(TrayIconPort& icon, QObject* parent = nullptr);
    ~TrayIcon() override; // removes the icon if it is still there

    // Shows the program icon and starts handling its clicks (the module's `TrayAdd`).
    // Returns false when there is no notification area: the program then runs without
    // an icon, and a minimized main window must stay reachable some other way.
    bool install(TrayWindow& window, QMenu* menu);
    // Sets the tooltip, cut the way the fixed-size record field cuts it (`TrayTip`).
    void setToolTip(const QString& text);
    // Hides the icon and stops handling its clicks (`TrayRemove`).
    void remove();

    bool hasIcon() const { return m_hasIcon; }

    // The part of `text` that fits the tooltip field: the text up to its first NUL,
    // at most 63 UTF-16 units and at most 63 bytes once encoded as GBK (one byte
    // stays for the terminator). Never ends inside a double-byte character or a
    // surrogate pair.
    static QString fitTipField(const GbkCodePage& gbk, QStringView text);

private:
    // The icon's notifications (`TrayWndProc`); everything but the two handled clicks
    // is ignored.
    void activate(TrayIconPort::Activation reason);

    TrayIconPort& m_icon;
    GbkCodePage m_gbk;
    TrayWindow* m_window = nullptr;
    QPointer<QMenu> m_menu; // belongs to TrayMenu, which may be unloaded first
    bool m_hasIcon = false;
};

} // namespace lirondo
