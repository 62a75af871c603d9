#pragma once

#include "common/WindowState.h"

#include <QIcon>

namespace lirondo {

// What the tray needs of the main window. The names keep clear of QWidget's members,
// so that the main window can implement it directly.
class TrayWindow
{
public:
    virtual ~TrayWindow() = default;

    virtual WindowState trayWindowState() const = 0;
    virtual void setTrayWindowState(WindowState state) = 0;
    virtual void trayShow() = 0;  // make the window visible
    virtual void trayFocus() = 0; // give it the input focus
    // `LastState`: the last state other than minimized.
    virtual WindowState trayLastState() const = 0;
    // The program icon, shown in the notification area.
    virtual QIcon trayIcon() const = 0;
};

// What the tray menu asks of its owner. Each call may come from inside a menu
// handler, so none of them may destroy the object that implements this interface
// or the calling TrayMenu synchronously: close() or deleteLater() them.
class TrayMenuActions
{
public:
    virtual ~TrayMenuActions() = default;

    virtual void unloadTrayMenu() = 0;   // may be called when it is already gone
    virtual void unloadMainWindow() = 0; // its unload step calls TrayIcon::remove
    virtual void unloadReminderWindow() = 0;
    virtual void showAbout() = 0; // the feedback form, not modal
    // Also while the window is hidden: the clipboard's text replaces the document and is
    // read; the pause command, when it can be given.
    virtual void readClipboard() = 0;
    virtual void pauseOrResume() = 0;
};

} // namespace lirondo
