#pragma once

#include "common/WindowState.h"

#include <QMenu>
#include <QObject>

#include <memory>

namespace lirondo {

class TrayMenuActions;
class TrayWindow;

// The form `tuo_pan`, which holds the tray menu (its `mnuTray`). It is never shown itself:
// only its menu appears, when the tray icon is right-clicked.
class TrayMenu : public QObject
{
    Q_OBJECT
public:
    // The menu's items, in their order.
    enum class Item
    {
        Maximize,      // "最大化" (the form's `mnuTrayMaximize`)
        Minimize,      // "最小化" (`mnuTrayMinimize`)
        Exit,          // "退出" (`mnuTrayClose`)
        About,         // "关于" (`guanyu`)
        ReadClipboard, // below a separator: "朗读剪贴板", also while the window is hidden
        PauseResume,   // "暂停/继续"
    };

    TrayMenu(TrayWindow& window, TrayMenuActions& actions, QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* menu() const { return m_menu.get(); }
    QAction* action(Item item) const;

    // Called by the main window's layout pass: an item that would not change the
    // window state is disabled.
    void enableForWindowState(WindowState state);

    // The items' commands (the form's `mnuTrayMaximize_Click` and so on).
    void maximize();
    void minimize();
    void exit();
    void about();

private:
    TrayWindow& m_window;
    TrayMenuActions& m_actions;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_maximizeAction = nullptr;
    QAction* m_minimizeAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QAction* m_readClipboardAction = nullptr;
    QAction* m_pauseResumeAction = nullptr;
};

} // namespace lirondo
