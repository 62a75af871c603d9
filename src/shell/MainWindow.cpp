#include "shell/MainWindow.h"

#include "assistant/Agent.h"
#include "assistant/CharacterCommand.h"
#include "assistant/CharacterLoader.h"
#include "assistant/IdleBehaviour.h"
#include "common/CommonDialog.h"
#include "common/MessageBoxPort.h"
#include "common/VbMath.h"
#include "reading/ReadingController.h"
#include "reading/SpeechEngine.h"
#include "reminder/ReminderWindow.h"
#include "shell/AudioExportCommand.h"
#include "shell/DocumentPanel.h"
#include "shell/EventHook.h"
#include "shell/PanelReadingView.h"
#include "shell/ReadingPanel.h"
#include "shell/ReadingShortcuts.h"
#include "shell/SideWindows.h"
#include "shell/WindowChrome.h"

#include <QGuiApplication>
#include <QTimer>

namespace lirondo {

MainWindow::MainWindow(const MainWindowServices& services, const MainWindowDesktop& desktop,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_services(services),
      m_desktop(desktop), m_commonDialog(std::make_unique<CommonDialog>(services.fileDialog))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Lirondo"));
    resize(twipsToPixels(8304), twipsToPixels(6120));
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(192, 255, 192));
    setPalette(background);
    setAutoFillBackground(true);
    setMouseTracking(true);

    m_documents =
        new DocumentPanel(*this, services.messages, services.gbk, *m_commonDialog, services.appDir);
    m_readingPanel = new ReadingPanel(this, [this] { return m_documents->textLength(); });
    m_chrome = new WindowChrome(*this);
    connect(m_chrome, &WindowChrome::closeClicked, this, &MainWindow::closeByButton);
    // Each control's moves are its own: none reaches the surface beneath it, which
    // would undo at once what the control just lit.
    for (QWidget* widget : findChildren<QWidget*>())
        widget->setAttribute(Qt::WA_NoMousePropagation);
    relayout(); // the backing surface exists before the first show

    m_tickTimer = new QTimer(this);
    m_tickTimer->setObjectName(QStringLiteral("tickTimer"));
    m_tickTimer->setInterval(10000);
    connect(m_tickTimer, &QTimer::timeout, this, &MainWindow::tick);

    m_view = std::make_unique<PanelReadingView>(*m_documents, *m_readingPanel);
    m_reading = std::make_unique<ReadingController>(services.speech, *m_view, services.messages,
                                                    services.gbk);
    setUpCharacter();
    m_sideWindows = new SideWindows(
        *this,
        {services.clock, services.messages, services.speech, services.agent, desktop.trayIcon,
         desktop.urlOpener, desktop.mail},
        [this] { return m_character->character(); }, this);
    connectPanels();
    m_shortcuts = std::make_unique<ReadingShortcuts>(*this);
    setUpAudioExport();
    load();
}

MainWindow::~MainWindow() = default;

void MainWindow::setUpCharacter()
{
    m_characterLoader = std::make_unique<CharacterLoader>(m_services.agent, m_services.messages,
                                                          *m_commonDialog, m_services.appDir);
    m_idle = std::make_unique<IdleBehaviour>();
    m_character = std::make_unique<CharacterCommand>(*m_characterLoader);
    connect(m_character.get(), &CharacterCommand::captionChanged, this,
            [this](const QString& caption) {
                m_readingPanel->setCommandCaption(ReadingController::ShowCharacter, caption);
            });
    connect(m_character.get(), &CharacterCommand::loaded, this, [this](AgentCharacter* character) {
        m_idle->setCharacter(character);
        m_reading->setFollowsSentences(true);
    });
    connect(m_reading.get(), &ReadingController::sentenceHeard, m_character.get(),
            &CharacterCommand::speakSentence);
    connect(m_reading.get(), &ReadingController::sentenceEnded, m_character.get(),
            &CharacterCommand::endSentence);
}

void MainWindow::runCommand(int index)
{
    switch (index) {
    case ReadingController::Read:
        m_reading->read();
        break;
    case ReadingController::Stop:
        m_reading->stop();
        break;
    case ReadingController::ShowCharacter:
        m_character->showOrHide();
        break;
    case ReadingController::PauseResume:
        m_reading->pauseOrResume();
        break;
    case ReadingController::About:
        m_sideWindows->showAbout();
        break;
    default:
        break;
    }
}

void MainWindow::connectPanels()
{
    ReadingController* reading = m_reading.get();
    ReadingPanel* panel = m_readingPanel;
    connect(panel, &ReadingPanel::commandClicked, this, &MainWindow::runCommand);
    connect(panel, &ReadingPanel::rateChanged, reading, &ReadingController::setRate);
    connect(panel, &ReadingPanel::voiceChosen, reading, &ReadingController::chooseVoice);
    connect(panel, &ReadingPanel::volumeChanged, reading, &ReadingController::setVolume);
    connect(panel, &ReadingPanel::knobPressed, reading, &ReadingController::stop);
    connect(panel, &ReadingPanel::readingStartChosen, this, [this](int offset, bool released) {
        m_reading->setReadingStart(offset);
        if (released)
            m_documents->focusText(Qt::MouseFocusReason);
        m_documents->setSelection(offset, 0);
    });

    connect(m_documents, &DocumentPanel::documentReplaced, this, [this] {
        // A new document reads from its start: the knob goes back to the left end.
        m_reading->newDocument();
        m_readingPanel->clearKnobToolTip();
    });
    connect(m_documents, &DocumentPanel::listEntryChosen, reading, &ReadingController::stop);
    connect(m_documents, &DocumentPanel::pointerMovedOverText, panel,
            &ReadingPanel::hideVolumePopUp);

    connect(m_sideWindows, &SideWindows::mainWindowUnloadRequested, this, &QWidget::close);
    connect(m_sideWindows, &SideWindows::clipboardReadRequested, this,
            [this] { m_shortcuts->readClipboard(); });
    connect(m_sideWindows, &SideWindows::pauseResumeRequested, this,
            [this] { m_shortcuts->pauseOrResume(); });
    connect(m_sideWindows, &SideWindows::feedbackFormGone, this,
            &MainWindow::endProgramIfNoWindowIsLeft);
}

void MainWindow::setUpAudioExport()
{
    // From the reading start to the end, or the selection, as it would be read.
    const auto request = [this] {
        AudioExportRequest r;
        // While reading, the selection is the word being heard, not the user's.
        const bool selection = m_documents->hasSelection() && m_reading->isStopped();
        r.text = selection ? m_documents->selectedText()
                           : m_documents->text().mid(m_reading->readingStart());
        const int item = m_readingPanel->voiceIndex();
        if (item >= 0 && item < m_reading->voiceTable().size())
            r.voiceId =
                m_services.speech.voices().value(m_reading->voiceTable().engineIndex.at(item)).id;
        r.rate = m_readingPanel->rate();
        r.volume = m_readingPanel->volume();
        r.mixed = m_readingPanel->mixedReading();
        return r;
    };
    m_audioExport =
        new AudioExportCommand(m_services.fileDialog, m_services.messages,
                               m_services.appDir + QStringLiteral("/lirondo"), request, this);
    m_documents->addContextAction(m_audioExport->action());
    addAction(m_audioExport->action());
}

void MainWindow::load()
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Lirondo"));
    if (!m_reading->setUpVoices()) {
        m_services.messages.info(tr("发生错误，可能你还未安装语音引擎"));
        m_tickTimer->start();
        return;
    }
    m_lastState =
        !windowState().testFlag(Qt::WindowMinimized) && windowState().testFlag(Qt::WindowMaximized)
            ? WindowState::Maximized
            : WindowState::Normal;
    m_chrome->setHidesWhenMinimized(m_sideWindows->installTray());
    m_tickTimer->start();
}

void MainWindow::tick()
{
    // Reading the reminder's state brings its window into being, hidden.
    if (ReminderWindow* reminder = m_sideWindows->reminderWindow(); reminder->isDue()) {
        m_reading->interruptForAnnouncement();
        reminder->announce();
    }
    m_idle->tick();
}

void MainWindow::setReadingStart(int offset, const QString& tip)
{
    const int length = m_documents->textLength();
    m_reading->setReadingStart(offset);
    m_readingPanel->placeKnob(offset, length, tip.isEmpty() ? QString::number(offset) : tip);
    m_documents->focusText(Qt::OtherFocusReason);
    m_documents->setSelection(offset, 0);
}

} // namespace lirondo
