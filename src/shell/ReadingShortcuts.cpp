#include "shell/ReadingShortcuts.h"

#include "reading/ReadingController.h"
#include "shell/CommandLabel.h"
#include "shell/Form1.h"
#include "shell/TextenEdit.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QSlider>
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

ReadingShortcuts::ReadingShortcuts(Form1& form) : m_form(form)
{
    const QKeySequence open(QKeySequence::Open);
    const QKeySequence read(Qt::Key_F5), fromCaret(Qt::Key_F6), pause(Qt::Key_F8);
    const QKeySequence stop(Qt::Key_Escape);
    const QKeySequence faster(Qt::CTRL | Qt::Key_Plus), slower(Qt::CTRL | Qt::Key_Minus);
    const QKeySequence louder(Qt::CTRL | Qt::SHIFT | Qt::Key_Up);
    const QKeySequence quieter(Qt::CTRL | Qt::SHIFT | Qt::Key_Down);

    addAction(QStringLiteral("打开文本"), {open}, [this] { m_form.Label5_Click(); });
    addAction(QStringLiteral("朗读"), {read}, [this] { command(ReadingController::Read); });
    QAction* caret =
        addAction(QStringLiteral("从光标处朗读"), {fromCaret}, [this] { readFromCaret(); });
    m_readSelection = addAction(QStringLiteral("朗读选中文字"), {}, [this] { readSelection(); });
    addAction(QStringLiteral("暂停/继续"), {pause}, [this] { pauseOrResume(); });
    // Escape belongs to the reading only while it can be stopped.
    m_stop =
        addAction(QStringLiteral("停止"), {stop}, [this] { command(ReadingController::Stop); });
    m_stop->setEnabled(m_form.Label2[ReadingController::Stop]->isEnabled());
    addAction(QStringLiteral("上一句"), {QKeySequence(Qt::ALT | Qt::Key_Left)},
              [this] { stepSentence(-1); });
    addAction(QStringLiteral("下一句"), {QKeySequence(Qt::ALT | Qt::Key_Right)},
              [this] { stepSentence(1); });
    addAction(QStringLiteral("加快"), {faster, QKeySequence(Qt::CTRL | Qt::Key_Equal)},
              [this] { stepSlider(true, 1); });
    addAction(QStringLiteral("减慢"), {slower}, [this] { stepSlider(true, -1); });
    addAction(QStringLiteral("音量加大"), {louder}, [this] { stepSlider(false, 1); });
    addAction(QStringLiteral("音量减小"), {quieter}, [this] { stepSlider(false, -1); });
    addAction(QStringLiteral("朗读剪贴板"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
              [this] { readClipboard(); });

    m_form.Texten->addContextAction(caret);
    m_form.Texten->addContextAction(m_readSelection);
    m_form.Texten->addContextAction(nullptr);
    m_readSelection->setEnabled(false);
    connect(m_form.Texten, &QPlainTextEdit::copyAvailable, m_readSelection, &QAction::setEnabled);
    m_form.Label2[ReadingController::Stop]->installEventFilter(this);

    m_form.Label5->setToolTip(QStringLiteral("打开文本（%1）").arg(keyText(open)));
    m_form.Label2[ReadingController::Read]->setToolTip(
        QStringLiteral("朗读（%1），从光标处朗读（%2）").arg(keyText(read), keyText(fromCaret)));
    m_form.Label2[ReadingController::Stop]->setToolTip(
        QStringLiteral("停止（%1）").arg(keyText(stop)));
    m_form.Label2[ReadingController::PauseResume]->setToolTip(
        QStringLiteral("暂停/继续（%1）").arg(keyText(pause)));
    m_form.Slider1->setToolTip(
        QStringLiteral("加快（%1），减慢（%2）").arg(keyText(faster), keyText(slower)));
    const QString volume =
        QStringLiteral("音量加大（%1），减小（%2）").arg(keyText(louder), keyText(quieter));
    m_form.Slider2->setToolTip(volume);
    m_form.Imavoice->setToolTip(volume);
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

bool ReadingShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        m_stop->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
    return false;
}

void ReadingShortcuts::command(int index)
{
    if (m_form.Label2[index]->isEnabled())
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
    startAt(m_form.Texten->textCursor().selectionStart());
}

void ReadingShortcuts::readSelection()
{
    const QTextCursor cursor = m_form.Texten->textCursor();
    if (cursor.hasSelection())
        startAt(cursor.selectionStart(), cursor.selectionEnd());
}

void ReadingShortcuts::stepSentence(int direction)
{
    const ReadingController& reading = m_form.reading();
    const int from = reading.speaking() ? reading.heardPosition() : reading.readingStart();
    const int start = sentenceStart(m_form.documentText(), from, direction);
    if (start >= 0)
        startAt(start);
}

void ReadingShortcuts::readClipboard()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    m_form.reading().stop();
    m_form.setDocumentText(text); // one step that Ctrl+Z takes back
    m_form.reading().read();
}

void ReadingShortcuts::stepSlider(bool rate, int steps)
{
    QSlider* slider = rate ? m_form.Slider1 : m_form.Slider2;
    slider->setValue(slider->value() + steps * (rate ? slider->singleStep() : slider->pageStep()));
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
