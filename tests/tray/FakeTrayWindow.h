#pragma once

#include "tray/TrayWindow.h"

#include <QPixmap>
#include <QStringList>

namespace lirondo::test {

// Records what the tray asks of the main window, and keeps LastState as the main
// window's layout pass does: every state but minimized is recorded.
class FakeTrayWindow final : public TrayWindow, public TrayMenuActions
{
public:
    explicit FakeTrayWindow(int s = 0, int last = 0) : state(s), lastState(last) {}

    int state;
    int lastState;
    QStringList log;

    WindowState trayWindowState() const override { return WindowState(state); }
    void setTrayWindowState(WindowState newState) override
    {
        const int s = int(newState);
        state = s;
        lastState = s == 1 ? lastState : s;
        log.append(QStringLiteral("state %1").arg(s));
    }
    void trayShow() override { log.append(QStringLiteral("show")); }
    void trayFocus() override { log.append(QStringLiteral("focus")); }
    WindowState trayLastState() const override { return WindowState(lastState); }
    QIcon trayIcon() const override
    {
        QPixmap pixmap(22, 22);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
    void unloadTrayMenu() override { log.append(QStringLiteral("unload TrayMenu")); }
    void unloadMainWindow() override { log.append(QStringLiteral("unload MainWindow")); }
    void unloadReminderWindow() override { log.append(QStringLiteral("unload ReminderWindow")); }
    void showAbout() override { log.append(QStringLiteral("about")); }
    void readClipboard() override { log.append(QStringLiteral("read the clipboard")); }
    void pauseOrResume() override { log.append(QStringLiteral("pause or resume")); }
};

} // namespace lirondo::test
