#pragma once

#include "common/WindowState.h"
#include "mail/MailSettings.h"
#include "tray/TrayWindow.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace lirondo {

class AgentCharacter;
class AgentService;
class Clock;
class FeedbackForm;
class MessageBoxPort;
class ReminderWindow;
class SpeechEngine;
class TrayIcon;
class TrayIconPort;
class TrayMenu;
class UrlOpener;

// What the side windows are made with.
struct SideWindowServices
{
    const Clock& clock;
    MessageBoxPort& messages;
    SpeechEngine& speech;
    AgentService& agent;
    TrayIconPort* trayIcon = nullptr; // none: no tray icon
    UrlOpener* urlOpener = nullptr;   // none: "关于" opens nothing
    MailSettings mail{};
};

// The windows beside the main window and the tray: the tray icon (the module `tuopan`) and
// its menu form (`tuo_pan`), the reminder window (`jihua`) and the feedback form
// (`SendMail`). Each is made on first use and made afresh after it was unloaded. A right
// click on the character brings up the reminder.
class SideWindows : public QObject, private TrayMenuActions
{
    Q_OBJECT
public:
    // `character` is the character once loaded, or null.
    SideWindows(TrayWindow& window, const SideWindowServices& services,
                std::function<AgentCharacter*()> character, QObject* parent = nullptr);
    ~SideWindows() override;

    // Shows the tray icon; false where there is no notification area.
    bool installTray();
    void removeTray(); // the main window's unload step
    // The tray menu's items follow the window's state.
    void followWindowState(WindowState state);
    // The close button: the feedback form (unless a message is being written), the menu
    // form and the reminder window go.
    void unloadAll();

    TrayMenu* trayMenu();
    ReminderWindow* reminderWindow(); // made hidden on first use
    FeedbackForm* feedbackForm() const;
    void showAbout() override; // the feedback form, not modal

Q_SIGNALS:
    // The tray menu's "退出", "朗读剪贴板" and "暂停/继续".
    void mainWindowUnloadRequested();
    void clipboardReadRequested();
    void pauseResumeRequested();
    void feedbackFormGone();

private:
    void characterClicked(const QString& characterId, Qt::MouseButton button,
                          Qt::KeyboardModifiers modifiers, int x, int y);
    void unloadTrayMenu() override;
    void unloadMainWindow() override;
    void unloadReminderWindow() override;
    void readClipboard() override;
    void pauseOrResume() override;

    TrayWindow& m_window;
    SideWindowServices m_services;
    std::function<AgentCharacter*()> m_character;
    std::unique_ptr<TrayIcon> m_trayIcon;
    QPointer<TrayMenu> m_trayMenu;
    QPointer<ReminderWindow> m_reminderWindow;
    QPointer<FeedbackForm> m_feedbackForm;
};

} // namespace lirondo
