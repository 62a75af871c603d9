// The main window's side windows and its tray icon: the reminder window, the
// feedback form, the never-shown menu form and the tray module.

#include "shell/Form1.h"

#include "assistant/Agent.h"
#include "assistant/CharacterCommand.h"
#include "common/MessageBoxPort.h"
#include "mail/FeedbackForm.h"
#include "reading/ReadingController.h"
#include "reading/SpeechEngine.h"
#include "reminder/ReminderWindow.h"
#include "shell/ReadingShortcuts.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"

#include <QCloseEvent>
#include <QIcon>
#include <QTimer>

namespace lirondo {

void Form1::setUpWindows()
{
    onTrayItemsUpdate = [this](int windowState) { trayMenu()->enableForWindowState(windowState); };
    onUnloadOtherWindows = [this] {
        if (m_feedbackForm)
            m_feedbackForm->close(); // refused while a message is being written
        unloadTrayMenu();
        unloadReminderWindow();
        endProgramIfNoWindowIsLeft();
    };
    connect(&m_services.MyAgent, &AgentService::Click, this, &Form1::MyAgent_Click);
}

void Form1::installTray()
{
    if (!m_desktop.trayIcon)
        return;
    m_trayIcon = std::make_unique<TrayIcon>(*m_desktop.trayIcon);
    trayIconPresent = m_trayIcon->TrayAdd(*this, trayMenu()->mnuTray());
    m_trayIcon->TrayTip(QStringLiteral("Lirondo"));
}

TrayMenu* Form1::trayMenu()
{
    if (!m_trayMenu)
        m_trayMenu = new TrayMenu(*this, *this, this);
    return m_trayMenu;
}

ReminderWindow* Form1::reminderWindow()
{
    if (!m_reminderWindow) {
        m_reminderWindow =
            new ReminderWindow(m_services.clock, m_services.messages, m_services.eVoice,
                               [this] { return m_character->character(); });
    }
    return m_reminderWindow;
}

FeedbackForm* Form1::feedbackForm() const
{
    return m_feedbackForm;
}

void Form1::showAbout()
{
    if (!m_feedbackForm) {
        if (!m_desktop.urlOpener)
            return;
        m_feedbackForm =
            new FeedbackForm(m_desktop.mail, m_services.messages, *m_desktop.urlOpener);
        connect(m_feedbackForm, &QObject::destroyed, this, &Form1::endProgramIfNoWindowIsLeft,
                Qt::QueuedConnection);
    }
    m_feedbackForm->show();
    m_feedbackForm->raise();
    m_feedbackForm->activateWindow();
}

void Form1::MyAgent_Click(const QString& /*characterId*/, Qt::MouseButton button,
                          Qt::KeyboardModifiers /*modifiers*/, int /*x*/, int /*y*/)
{
    if (button == Qt::RightButton)
        reminderWindow()->showAndAttend();
}

void Form1::mnuTrayClose_Click()
{
    trayMenu()->mnuTrayClose_Click();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The unload step: the tray icon goes with the window. Speech is left alone.
    if (m_trayIcon)
        m_trayIcon->TrayRemove();
    Timer1->stop();
    m_unloaded = true;
    QWidget::closeEvent(event);
    // The last steps of a close run after this handler; look once they are done.
    QTimer::singleShot(0, this, &Form1::endProgramIfNoWindowIsLeft);
}

void Form1::endProgramIfNoWindowIsLeft()
{
    // The character belongs to the character service and keeps nothing alive.
    if (m_unloaded && !m_feedbackForm && onProgramEnd)
        onProgramEnd();
}

int Form1::trayWindowState() const
{
    return shellWindowState();
}

void Form1::setTrayWindowState(int state)
{
    switch (state) {
    case 1:
        setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    default:
        setWindowState(Qt::WindowNoState);
        break;
    }
}

void Form1::trayShow()
{
    show();
}

void Form1::trayFocus()
{
    raise();
    activateWindow();
    setFocus();
}

int Form1::trayLastState() const
{
    return LastState;
}

QIcon Form1::trayIcon() const
{
    return QIcon(Imico);
}

void Form1::unloadTrayMenu()
{
    if (m_trayMenu)
        m_trayMenu->deleteLater();
    m_trayMenu = nullptr;
}

void Form1::unloadForm1()
{
    close();
}

void Form1::unloadReminderWindow()
{
    if (m_reminderWindow)
        m_reminderWindow->close();
}

void Form1::readClipboard()
{
    m_shortcuts->readClipboard();
}

void Form1::pauseOrResume()
{
    m_shortcuts->pauseOrResume();
}

} // namespace lirondo
