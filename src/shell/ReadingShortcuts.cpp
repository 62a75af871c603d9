#include "shell/ReadingShortcuts.h"

#include "reading/ReadingController.h"
#include "shell/DocumentPanel.h"
#include "shell/MainWindow.h"
#include "shell/ReadingPanel.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace lirondo {

namespace {

// Sentences are looked for this far around the position, so a step costs the same in a
// 50 MB text as in a short one; a longer sentence is stepped through in pieces.
constexpr int kSentenceWindow = 4096;

QString keyText(const QKeySequence& keys)
{
    return keys.toString(QKeySequence::NativeText);
}

} // namespace

ReadingShortcuts::ReadingShortcuts(MainWindow& window) : m_form(window)
{
    const QKeySequence open(QKeySequence::Open);
    const QKeySequence read(Qt::Key_F5), fromCaret(Qt::Key_F6), pause(Qt::Key_F8);
    const QKeySequence stop(Qt::Key_Escape);
    const QKeySequence faster(Qt::CTRL | Qt::Key_Plus), slower(Qt::CTRL | Qt::Key_Minus);
    const QKeySequence louder(Qt::CTRL | Qt::SHIFT | Qt::Key_Up);
    const QKeySequence quieter(Qt::CTRL | Qt::SHIFT | Qt::Key_Down);

    addAction(tr("打开文本"), {open}, [this] { m_form.documents().openFile(); });
    addAction(tr("朗读"), {read}, [this] { command(ReadingController::Read); });
    QAction* caret = addAction(tr("从光标处朗读"), {fromCaret}, [this] { readFromCaret(); });
    m_readSelection = addAction(tr("朗读选中文字"), {}, [this] { readSelection(); });
    addAction(tr("暂停/继续"), {pause}, [this] { pauseOrResume(); });
    // Escape belongs to the reading only while it can be stopped.
    m_stop = addAction(tr("停止"), {stop}, [this] { command(ReadingController::Stop); });
    m_stop->setEnabled(m_form.readingPanel().commandEnabled(ReadingController::Stop));
    addAction(tr("上一句"), {QKeySequence(Qt::ALT | Qt::Key_Left)}, [this] { stepSentence(-1); });
    addAction(tr("下一句"), {QKeySequence(Qt::ALT | Qt::Key_Right)}, [this] { stepSentence(1); });
    addAction(tr("加快"), {faster, QKeySequence(Qt::CTRL | Qt::Key_Equal)},
              [this] { stepSlider(true, 1); });
    addAction(tr("减慢"), {slower}, [this] { stepSlider(true, -1); });
    addAction(tr("音量加大"), {louder}, [this] { stepSlider(false, 1); });
    addAction(tr("音量减小"), {quieter}, [this] { stepSlider(false, -1); });
    addAction(tr("朗读剪贴板"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
              [this] { readClipboard(); });

    DocumentPanel& documents = m_form.documents();
    documents.addContextAction(caret);
    documents.addContextAction(m_readSelection);
    documents.addContextAction(nullptr);
    m_readSelection->setEnabled(false);
    connect(&documents, &DocumentPanel::selectionAvailable, m_readSelection, &QAction::setEnabled);
    ReadingPanel& panel = m_form.readingPanel();
    connect(&panel, &ReadingPanel::commandEnabledChanged, this, [this](int index, bool enabled) {
        if (index == ReadingController::Stop)
            m_stop->setEnabled(enabled);
    });

    documents.setOpenToolTip(tr("打开文本（%1）").arg(keyText(open)));
    panel.setCommandToolTip(
        ReadingController::Read,
        tr("朗读（%1），从光标处朗读（%2）").arg(keyText(read), keyText(fromCaret)));
    panel.setCommandToolTip(ReadingController::Stop, tr("停止（%1）").arg(keyText(stop)));
    panel.setCommandToolTip(ReadingController::PauseResume,
                            tr("暂停/继续（%1）").arg(keyText(pause)));
    panel.setRateToolTip(tr("加快（%1），减慢（%2）").arg(keyText(faster), keyText(slower)));
    panel.setVolumeToolTip(tr("音量加大（%1），减小（%2）").arg(keyText(louder), keyText(quieter)));
}

ReadingShortcuts::~ReadingShortcuts() = default;

QAction* ReadingShortcuts::addAction(const QString& text, const QList<QKeySequence>& keys,
                                     std::function<void()> run)
{
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(run));
    m_form.addAction(action);
    return action;
}

void ReadingShortcuts::command(int index)
{
    if (m_form.readingPanel().commandEnabled(index))
        m_form.runCommand(index);
}

void ReadingShortcuts::pauseOrResume()
{
    command(ReadingController::PauseResume);
}

void ReadingShortcuts::startAt(int offset, int end)
{
    // As a press and release of the locator's knob, then the read command.
    ReadingController& reading = m_form.reading();
    reading.stop();
    m_form.setReadingStart(offset);
    if (end < 0)
        reading.read();
    else
        reading.readPart(offset, end);
}

void ReadingShortcuts::readFromCaret()
{
    startAt(m_form.documents().selectionStart());
}

void ReadingShortcuts::readSelection()
{
    const DocumentPanel& documents = m_form.documents();
    if (documents.hasSelection())
        startAt(documents.selectionStart(), documents.selectionEnd());
}

void ReadingShortcuts::stepSentence(int direction)
{
    const ReadingController& reading = m_form.reading();
    const int from = reading.speaking() ? reading.heardPosition() : reading.readingStart();
    const int start = sentenceStart(m_form.documents().text(), from, direction);
    if (start >= 0)
        startAt(start);
}

void ReadingShortcuts::readClipboard()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    m_form.reading().stop();
    m_form.documents().setDocumentText(text); // one step that Ctrl+Z takes back
    m_form.reading().read();
}

void ReadingShortcuts::stepSlider(bool rate, int steps)
{
    // The rate by its single step, the volume by its page step of 5.
    ReadingPanel& panel = m_form.readingPanel();
    if (rate)
        panel.setRate(panel.rate() + steps);
    else
        panel.setVolume(panel.volume() + steps * 5);
}

int ReadingShortcuts::sentenceStart(const QString& text, int position, int direction)
{
    const int size = static_cast<int>(text.size());
    position = std::clamp(position, 0, size);
    if (direction > 0) {
        const int end = std::min(size, position + kSentenceWindow);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, text.constData() + position,
                                   end - position);
        const qsizetype next = finder.toNextBoundary();
        return next > 0 && position + next < size ? position + int(next) : -1;
    }
    // A few characters past the position tell whether a sentence starts right there.
    const int from = std::max(0, position - kSentenceWindow);
    const int end = std::min(size, position + 64);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, text.constData() + from, end - from);
    finder.setPosition(position - from);
    if (!finder.isAtBoundary())
        finder.toPreviousBoundary();
    const qsizetype before = finder.toPreviousBoundary();
    return from + int(std::max<qsizetype>(before, 0));
}

} // namespace lirondo
