#include "shell/SessionKeeper.h"

#include "reading/ReadingController.h"
#include "reading/SpeechEngine.h"
#include "session/SessionStore.h"
#include "shell/DocumentPanel.h"
#include "shell/MainWindow.h"
#include "shell/ReadingPanel.h"
#include "shell/WindowChrome.h"

#include <QEvent>
#include <QFileInfo>

namespace lirondo {

namespace {

bool isFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

SessionKeeper::SessionKeeper(MainWindow& window, const SpeechEngine& engine, SessionStore& store)
    : m_form(window), m_engine(engine), m_store(store)
{
    restore();
    m_form.documents().setOpenHistory([this] {
        QStringList files = m_store.recentFiles();
        files.removeIf([](const QString& path) { return !isFile(path); });
        return files;
    });
    connect(&m_form.documents(), &DocumentPanel::fileShown, this, &SessionKeeper::fileShown);
    connect(&m_form.documents(), &DocumentPanel::documentReplaced, this,
            &SessionKeeper::documentReplaced);
    ReadingController& reading = m_form.reading();
    connect(&reading, &ReadingController::readingStarted, this, [this] {
        m_readingThisFile = true;
        m_position = m_form.reading().readingStart();
    });
    connect(&reading, &ReadingController::stopping, this, &SessionKeeper::readingStopped);
    // After the reading's own handler: a reading that has run to its end is kept at once.
    connect(&m_engine, &SpeechEngine::endStream, this, [this] {
        const ReadingController& now = m_form.reading();
        if (m_readingThisFile && !now.speaking() && !now.isStopped()) {
            keepPosition();
            m_readingThisFile = false;
        }
    });
    m_form.installEventFilter(this);
}

SessionKeeper::~SessionKeeper()
{
    m_form.removeEventFilter(this);
    m_form.documents().setOpenHistory({});
}

void SessionKeeper::restore()
{
    if (const auto p = m_store.preferences()) {
        const QList<VoiceInfo> voices = m_engine.voices();
        ReadingPanel& panel = m_form.readingPanel();
        for (int i = 0; i < voices.size(); ++i) {
            if (!p->voice.isEmpty() && voices.at(i).id == p->voice) {
                panel.chooseVoice(i);
                break;
            }
        }
        // The sliders hand their values to the engine as a move by the user does.
        panel.setRate(p->rate);
        panel.setVolume(p->volume);
        panel.setLoopReading(p->loop);
        // Mixed reading only where both voices are still there.
        panel.setMixedReading(p->mixed && panel.mixedReadingEnabled());
    }
    if (const auto placement = m_store.windowPlacement()) {
        m_form.restoreGeometry(placement->geometry);
        if (placement->maximized)
            m_form.setWindowState(Qt::WindowMaximized);
    }
    // Files that went away since are left out without a word.
    for (const QString& path : m_store.readingList()) {
        if (isFile(path))
            m_form.documents().addToReadingList(path);
    }
}

void SessionKeeper::save()
{
    keepPosition();
    SessionStore::Preferences p;
    const ReadingPanel& panel = m_form.readingPanel();
    const int voice = panel.voiceIndex();
    const QList<VoiceInfo> voices = m_engine.voices();
    if (voice >= 0 && voice < voices.size())
        p.voice = voices.at(voice).id;
    p.rate = panel.rate();
    p.volume = panel.volume();
    p.loop = panel.loopReading();
    p.mixed = panel.mixedReading();
    m_store.setPreferences(p);
    const WindowState state = m_form.chrome().state();
    m_store.setWindowPlacement(
        {m_form.saveGeometry(),
         state == WindowState::Maximized ||
             (state == WindowState::Minimized && m_form.lastState() == WindowState::Maximized)});
    m_store.setReadingList(m_form.documents().readingList());
    m_store.sync();
}

bool SessionKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_form && event->type() == QEvent::Close)
        save();
    return false;
}

qint64 SessionKeeper::currentPosition() const
{
    if (!m_readingThisFile)
        return m_position;
    const ReadingController& reading = m_form.reading();
    if (reading.speaking())
        return reading.heardPosition();
    // Read to its end: the next time the file is read from its start.
    return !reading.isStopped() ? 0 : m_position;
}

void SessionKeeper::keepPosition()
{
    if (m_path.isEmpty())
        return;
    m_position = currentPosition();
    m_store.setResumePosition(m_path, m_size, m_position);
}

void SessionKeeper::readingStopped()
{
    keepPosition();
    m_readingThisFile = false;
}

void SessionKeeper::documentReplaced()
{
    // The old document's place, before anything of the new one is known.
    keepPosition();
    m_path.clear();
    m_readingThisFile = false;
}

void SessionKeeper::fileShown(const QString& path)
{
    m_path = path;
    m_size = QFileInfo(path).size();
    m_position = m_store.resumePosition(path, m_size);
    m_store.addRecentFile(path);
    if (m_position > 0 && m_position < m_form.documents().text().size()) {
        const int at = static_cast<int>(m_position);
        m_form.setReadingStart(at, tr("从上次停下的地方接着读：%1").arg(at));
    } else {
        m_position = 0;
    }
}

} // namespace lirondo
