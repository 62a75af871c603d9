#pragma once

#include "common/WindowState.h"
#include "mail/MailSettings.h"
#include "tray/TrayWindow.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QTimer;

namespace lirondo {

class AgentService;
class AudioExportCommand;
class CharacterCommand;
class CharacterLoader;
class Clock;
class CommonDialog;
class DocumentPanel;
class EventHook;
class FileDialogPort;
class GbkCodePage;
class IdleBehaviour;
class MessageBoxPort;
class PanelReadingView;
class ReadingController;
class ReadingPanel;
class ReadingShortcuts;
class SideWindows;
class SpeechEngine;
class TrayIconPort;
class UrlOpener;
class WindowChrome;

// What the composition root hands the main window.
struct MainWindowServices
{
    SpeechEngine& speech; // the form's `eVoice`
    MessageBoxPort& messages;
    FileDialogPort& fileDialog;
    AgentService& agent; // `MyAgent`
    const Clock& clock;
    const GbkCodePage& gbk;
    QString appDir; // the program's own directory
};

// The desktop around the main window: the notification area and the web browser.
// Without them the window runs without a tray icon and "关于" opens nothing.
struct MainWindowDesktop
{
    TrayIconPort* trayIcon = nullptr;
    UrlOpener* urlOpener = nullptr;
    MailSettings mail{};
};

// The main window (the form `Form1`): a frameless window that holds the document panel,
// the reading panel, the window chrome and the side windows, and runs the reading over
// them. Its layout pass places them on every resize and state change.
class MainWindow : public QWidget, private TrayWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowServices& services, const MainWindowDesktop& desktop = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    ReadingController& reading() { return *m_reading; }
    DocumentPanel& documents() { return *m_documents; }
    const DocumentPanel& documents() const { return *m_documents; }
    ReadingPanel& readingPanel() { return *m_readingPanel; }
    WindowChrome& chrome() { return *m_chrome; }
    SideWindows& sideWindows() { return *m_sideWindows; }
    AudioExportCommand& audioExport() { return *m_audioExport; }

    // The command row (the form's `Label2_Click`): index 0..4 (ReadingController::Command);
    // others do nothing.
    void runCommand(int index);

    // The ten-second tick (`Timer1_Timer`): the reminder's announcement, then an idle
    // behaviour.
    void tick();
    // Sets where the next reading starts as a release of the locator's knob does, with the
    // knob placed for that offset; the knob's tooltip shows `tip`, or else the offset.
    void setReadingStart(int offset, const QString& tip = {});
    // The last state other than minimized (`LastState`).
    WindowState lastState() const { return m_lastState; }
    // The layout pass (`Form_Resize`) for the current size, in a given state.
    void layoutPass(WindowState state);

Q_SIGNALS:
    // The main window and the feedback form are gone: the program ends.
    void programEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectPanels();
    void setUpCharacter();
    void setUpAudioExport();
    void load(); // the form's `Form_Load`
    void relayout();
    void updateTrayItems(); // by the window's state as it is on screen
    void closeByButton();   // `Imclose_Click`
    void endProgramIfNoWindowIsLeft();
    // TrayWindow
    WindowState trayWindowState() const override;
    void setTrayWindowState(WindowState state) override;
    void trayShow() override;
    void trayFocus() override;
    WindowState trayLastState() const override;
    QIcon trayIcon() const override;

    MainWindowServices m_services;
    MainWindowDesktop m_desktop;
    std::unique_ptr<CommonDialog> m_commonDialog; // CommonDialog1
    DocumentPanel* m_documents = nullptr;
    ReadingPanel* m_readingPanel = nullptr; // Picture2
    WindowChrome* m_chrome = nullptr;
    SideWindows* m_sideWindows = nullptr;
    std::unique_ptr<PanelReadingView> m_view;
    std::unique_ptr<ReadingController> m_reading;
    std::unique_ptr<CharacterLoader> m_characterLoader;
    std::unique_ptr<CharacterCommand> m_character;
    std::unique_ptr<IdleBehaviour> m_idle;
    std::unique_ptr<ReadingShortcuts> m_shortcuts;
    std::unique_ptr<EventHook> m_exposeHook;
    AudioExportCommand* m_audioExport = nullptr;
    QTimer* m_tickTimer = nullptr; // Timer1
    WindowState m_lastState = WindowState::Normal;
    bool m_unloaded = false;
};

} // namespace lirondo
