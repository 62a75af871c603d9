#include "shell/SideWindows.h"

#include "assistant/Agent.h"
#include "mail/FeedbackForm.h"
#include "reminder/ReminderWindow.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"

namespace lirondo {

SideWindows::SideWindows(TrayWindow& window, const SideWindowServices& services,
                         std::function<AgentCharacter*()> character, QObject* parent)
    : QObject(parent), m_window(window), m_services(services), m_character(std::move(character))
{
    connect(&m_services.agent, &AgentService::clicked, this, &SideWindows::characterClicked);
}

SideWindows::~SideWindows()
{
    // The reminder window and the feedback form are top-level windows of their own.
    delete m_reminderWindow;
    delete m_feedbackForm;
}

bool SideWindows::installTray()
{
    if (!m_services.trayIcon)
        return false;
    m_trayIcon = std::make_unique<TrayIcon>(*m_services.trayIcon);
    const bool present = m_trayIcon->install(m_window, trayMenu()->menu());
    m_trayIcon->setToolTip(QStringLiteral("Lirondo"));
    return present;
}

void SideWindows::removeTray()
{
    if (m_trayIcon)
        m_trayIcon->remove();
}

void SideWindows::followWindowState(WindowState state)
{
    trayMenu()->enableForWindowState(state);
}

void SideWindows::unloadAll()
{
    if (m_feedbackForm)
        m_feedbackForm->close(); // refused while a message is being written
    unloadTrayMenu();
    unloadReminderWindow();
}

TrayMenu* SideWindows::trayMenu()
{
    if (!m_trayMenu)
        m_trayMenu = new TrayMenu(m_window, *this, this);
    return m_trayMenu;
}

ReminderWindow* SideWindows::reminderWindow()
{
    if (!m_reminderWindow)
        m_reminderWindow = new ReminderWindow(m_services.clock, m_services.messages,
                                              m_services.speech, m_character);
    return m_reminderWindow;
}

FeedbackForm* SideWindows::feedbackForm() const
{
    return m_feedbackForm;
}

void SideWindows::showAbout()
{
    if (!m_feedbackForm) {
        if (!m_services.urlOpener)
            return;
        m_feedbackForm =
            new FeedbackForm(m_services.mail, m_services.messages, *m_services.urlOpener);
        connect(m_feedbackForm, &QObject::destroyed, this, &SideWindows::feedbackFormGone,
                Qt::QueuedConnection);
    }
    m_feedbackForm->show();
    m_feedbackForm->raise();
    m_feedbackForm->activateWindow();
}

void SideWindows::characterClicked(const QString& /*characterId*/, Qt::MouseButton button,
                                   Qt::KeyboardModifiers /*modifiers*/, int /*x*/, int /*y*/)
{
    if (button == Qt::RightButton)
        reminderWindow()->showAndAttend();
}

void SideWindows::unloadTrayMenu()
{
    if (m_trayMenu)
        m_trayMenu->deleteLater();
    m_trayMenu = nullptr;
}

void SideWindows::unloadMainWindow()
{
    Q_EMIT mainWindowUnloadRequested();
}

void SideWindows::unloadReminderWindow()
{
    if (m_reminderWindow)
        m_reminderWindow->close();
}

void SideWindows::readClipboard()
{
    Q_EMIT clipboardReadRequested();
}

void SideWindows::pauseOrResume()
{
    Q_EMIT pauseResumeRequested();
}

} // namespace lirondo
