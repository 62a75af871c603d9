#include "tray/TrayMenu.h"

#include "tray/TrayWindow.h"

namespace lirondo {

TrayMenu::TrayMenu(TrayWindow& window, TrayMenuActions& actions, QObject* parent)
    : QObject(parent), m_window(window), m_actions(actions), m_menu(std::make_unique<QMenu>())
{
    m_maximizeAction = m_menu->addAction(tr("最大化"));
    m_minimizeAction = m_menu->addAction(tr("最小化"));
    m_exitAction = m_menu->addAction(tr("退出"));
    m_aboutAction = m_menu->addAction(tr("关于"));
    m_maximizeAction->setObjectName(QStringLiteral("maximizeAction"));
    m_minimizeAction->setObjectName(QStringLiteral("minimizeAction"));
    m_exitAction->setObjectName(QStringLiteral("exitAction"));
    m_aboutAction->setObjectName(QStringLiteral("aboutAction"));

    connect(m_maximizeAction, &QAction::triggered, this, &TrayMenu::maximize);
    connect(m_minimizeAction, &QAction::triggered, this, &TrayMenu::minimize);
    connect(m_exitAction, &QAction::triggered, this, &TrayMenu::exit);
    connect(m_aboutAction, &QAction::triggered, this, &TrayMenu::about);

    m_menu->addSeparator();
    m_readClipboardAction = m_menu->addAction(tr("朗读剪贴板"));
    m_pauseResumeAction = m_menu->addAction(tr("暂停/继续"));
    connect(m_readClipboardAction, &QAction::triggered, this,
            [this] { m_actions.readClipboard(); });
    connect(m_pauseResumeAction, &QAction::triggered, this, [this] { m_actions.pauseOrResume(); });
}

TrayMenu::~TrayMenu() = default;

QAction* TrayMenu::action(Item item) const
{
    switch (item) {
    case Item::Maximize:
        return m_maximizeAction;
    case Item::Minimize:
        return m_minimizeAction;
    case Item::Exit:
        return m_exitAction;
    case Item::About:
        return m_aboutAction;
    case Item::ReadClipboard:
        return m_readClipboardAction;
    case Item::PauseResume:
        return m_pauseResumeAction;
    }
    return nullptr;
}

void TrayMenu::enableForWindowState(WindowState state)
{
    m_maximizeAction->setEnabled(state != WindowState::Maximized);
    m_minimizeAction->setEnabled(state != WindowState::Minimized);
}

void TrayMenu::maximize()
{
    m_window.setTrayWindowState(WindowState::Maximized);
    m_window.trayShow();
}

void TrayMenu::minimize()
{
    // Unlike the caption button, the tray's minimize leaves the window visible.
    m_window.setTrayWindowState(WindowState::Minimized);
}

void TrayMenu::exit()
{
    // The unloads may take this form with them; nothing of it is touched after
    // the first call.
    TrayMenuActions& actions = m_actions;
    actions.unloadTrayMenu();
    actions.unloadMainWindow();
    actions.unloadTrayMenu();
    actions.unloadReminderWindow();
}

void TrayMenu::about()
{
    m_actions.showAbout();
}

} // namespace lirondo
