#pragma once

#include "common/WindowState.h"

#include <QMenu>
#include <QObject>

#include <memory>

namespace lirondo {

class TrayMenuActions;
class TrayWindow;

// The form `tuo_pan`, which holds the tray menu. It is never shown itself: only its menu
// appears, when the tray icon is right-clicked.
class TrayMenu : public QObject
{
    Q_OBJECT
public:
    TrayMenu(TrayWindow& window, TrayMenuActions& actions, QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* mnuTray() const { return m_menu.get(); }
    QAction* mnuTrayMaximize = nullptr; // "最大化"
    QAction* mnuTrayMinimize = nullptr; // "最小化"
    QAction* mnuTrayClose = nullptr;    // "退出"
    QAction* guanyu = nullptr;          // "关于"
    // Below a separator: reading from the tray while the window is hidden.
    QAction* readClipboard = nullptr; // "朗读剪贴板"
    QAction* pauseResume = nullptr;   // "暂停/继续"

    // Called by the main window's layout pass: an item that would not change the
    // window state is disabled.
    void enableForWindowState(WindowState state);

public Q_SLOTS:
    void mnuTrayMaximize_Click();
    void mnuTrayMinimize_Click();
    void mnuTrayClose_Click();
    void guanyu_Click();

private:
    TrayWindow& m_window;
    TrayMenuActions& m_actions;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace lirondo
