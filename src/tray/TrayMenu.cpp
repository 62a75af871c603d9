#include "tray/TrayMenu.h"

#include "tray/TrayWindow.h"

#include <QPointer>

namespace lirondo {

TrayMenu::TrayMenu(TrayWindow& window, TrayMenuActions& actions, QObject* parent)
    : QObject(parent), m_window(window), m_actions(actions), m_menu(std::make_unique<QMenu>())
{
    mnuTrayMaximize = m_menu->addAction(QStringLiteral("最大化"));
    mnuTrayMinimize = m_menu->addAction(QStringLiteral("最小化"));
    mnuTrayClose = m_menu->addAction(QStringLiteral("退出"));
    guanyu = m_menu->addAction(QStringLiteral("关于"));
    mnuTrayMaximize->setObjectName(QStringLiteral("mnuTrayMaximize"));
    mnuTrayMinimize->setObjectName(QStringLiteral("mnuTrayMinimize"));
    mnuTrayClose->setObjectName(QStringLiteral("mnuTrayClose"));
    guanyu->setObjectName(QStringLiteral("guanyu"));

    connect(mnuTrayMaximize, &QAction::triggered, this, &TrayMenu::mnuTrayMaximize_Click);
    connect(mnuTrayMinimize, &QAction::triggered, this, &TrayMenu::mnuTrayMinimize_Click);
    connect(mnuTrayClose, &QAction::triggered, this, &TrayMenu::mnuTrayClose_Click);
    connect(guanyu, &QAction::triggered, this, &TrayMenu::guanyu_Click);

    m_menu->addSeparator();
    readClipboard = m_menu->addAction(QStringLiteral("朗读剪贴板"));
    pauseResume = m_menu->addAction(QStringLiteral("暂停/继续"));
    connect(readClipboard, &QAction::triggered, this, [this] { m_actions.readClipboard(); });
    connect(pauseResume, &QAction::triggered, this, [this] { m_actions.pauseOrResume(); });
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::enableForWindowState(WindowState state)
{
    mnuTrayMaximize->setEnabled(state != WindowState::Maximized);
    mnuTrayMinimize->setEnabled(state != WindowState::Minimized);
}

void TrayMenu::mnuTrayMaximize_Click()
{
    m_window.setTrayWindowState(WindowState::Maximized);
    m_window.trayShow();
}

void TrayMenu::mnuTrayMinimize_Click()
{
    // Unlike the caption button, the tray's minimize leaves the window visible.
    m_window.setTrayWindowState(WindowState::Minimized);
}

void TrayMenu::mnuTrayClose_Click()
{
    // The unloads may take this form with them; nothing of it is touched after
    // the first call.
    TrayMenuActions& actions = m_actions;
    actions.unloadTrayMenu();
    actions.unloadMainWindow();
    actions.unloadTrayMenu();
    actions.unloadReminderWindow();
}

void TrayMenu::guanyu_Click()
{
    m_actions.showAbout();
}

} // namespace lirondo
