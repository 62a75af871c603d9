// The main window as a window: its layout pass, its events, its close and what the tray
// asks of it.

#include "common/MessageBoxPort.h"
#include "reading/SpeechEngine.h"
#include "shell/DocumentPanel.h"
#include "shell/EventHook.h"
#include "shell/LayoutPass.h"
#include "shell/MainWindow.h"
#include "shell/ReadingPanel.h"
#include "shell/SideWindows.h"
#include "shell/WindowChrome.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace lirondo {

void MainWindow::relayout()
{
    if (!m_chrome)
        return; // the window is not built yet
    const WindowState state = m_chrome->state();
    layoutPass(state);
    m_chrome->keepRestoreGlyph(state);
}

void MainWindow::layoutPass(WindowState state)
{
    m_chrome->layOut();

    const ContentPlaces content =
        contentPlaces(size(), {m_readingPanel->height(), m_documents->textBoxPos(),
                               m_readingPanel->speakerTop(), m_documents->listFrameTop()});
    if (content.panelTop)
        m_readingPanel->move(m_readingPanel->x(), *content.panelTop);
    if (content.panelWidth)
        m_readingPanel->resize(*content.panelWidth, m_readingPanel->height());
    m_documents->resizeTextBox(content.textBoxWidth, content.textBoxHeight);
    if (content.volumePopUpTop)
        m_readingPanel->moveVolumePopUp(*content.volumePopUpTop);
    m_documents->setListHeights(content.listFrameHeight, content.listHeight);

    m_readingPanel->fitWord(); // the panel's width sets the word's room

    if (m_sideWindows)
        m_sideWindows->followWindowState(state);

    // A minimize under way (flagged, the window still on screen) keeps the state it left.
    const bool minimizing = windowState().testFlag(Qt::WindowMinimized);
    m_lastState = nextLastState(m_lastState, minimizing ? WindowState::Minimized : state);
    update();
}

void MainWindow::updateTrayItems()
{
    if (m_sideWindows && !m_unloaded) // a closed window's menu is gone or going
        m_sideWindows->followWindowState(m_chrome->state());
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        relayout();
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, m_chrome->backingSurface());
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    // The bare window: the caption buttons and the volume pop-up let go.
    QWidget::mouseMoveEvent(event);
    m_chrome->clearCaptionHover();
    m_readingPanel->hideVolumePopUp();
}

void MainWindow::showEvent(QShowEvent* event)
{
    // An iconify shows as the window's exposure, which may come after its state change.
    if (QWindow* window = windowHandle()) {
        if (!m_exposeHook) {
            m_exposeHook = std::make_unique<EventHook>([this](QObject*, QEvent* e) {
                if (e->type() == QEvent::Expose)
                    updateTrayItems();
                return false;
            });
        }
        m_exposeHook->watch(window);
    }
    updateTrayItems();
    QWidget::showEvent(event);
}

void MainWindow::hideEvent(QHideEvent* event)
{
    updateTrayItems();
    QWidget::hideEvent(event);
}

void MainWindow::closeByButton()
{
    m_services.speech.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    QCoreApplication::processEvents();
    close();
    m_sideWindows->unloadAll();
    endProgramIfNoWindowIsLeft();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The unload step: the tray icon goes with the window. Speech is left alone.
    m_sideWindows->removeTray();
    m_tickTimer->stop();
    m_unloaded = true;
    QWidget::closeEvent(event);
    // The last steps of a close run after this handler; look once they are done.
    QTimer::singleShot(0, this, &MainWindow::endProgramIfNoWindowIsLeft);
}

void MainWindow::endProgramIfNoWindowIsLeft()
{
    // The character belongs to the character service and keeps nothing alive.
    if (m_unloaded && !m_sideWindows->feedbackForm())
        Q_EMIT programEnded();
}

WindowState MainWindow::trayWindowState() const
{
    return m_chrome->state();
}

void MainWindow::setTrayWindowState(WindowState state)
{
    switch (state) {
    case WindowState::Minimized:
        setWindowState(Qt::WindowMinimized);
        break;
    case WindowState::Maximized:
        setWindowState(Qt::WindowMaximized);
        break;
    case WindowState::Normal:
        setWindowState(Qt::WindowNoState);
        break;
    }
}

void MainWindow::trayShow()
{
    show();
}

void MainWindow::trayFocus()
{
    raise();
    activateWindow();
    setFocus();
}

WindowState MainWindow::trayLastState() const
{
    return m_lastState;
}

QIcon MainWindow::trayIcon() const
{
    return QIcon(m_chrome->windowIcon());
}

} // namespace lirondo
