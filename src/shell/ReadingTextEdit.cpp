#include "shell/ReadingTextEdit.h"

#include "documents/DropData.h"

#include <QAbstractUndoItem>
#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QTextDocument>

namespace lirondo {

namespace {

bool carriesSomething(const QMimeData* data)
{
    return droppedText(*data).has_value() || !droppedFiles(*data).isEmpty();
}

// The first step of a replacing document's undo history: undone, the box shows the
// document it replaced. Later, not from inside the document's own undo.
class ReplacementUndo : public QAbstractUndoItem
{
public:
    explicit ReplacementUndo(std::function<void()> restore) : m_restore(std::move(restore)) {}
    void undo() override { m_restore(); }
    void redo() override {}

private:
    std::function<void()> m_restore;
};

} // namespace

ReadingTextEdit::ReadingTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    QPalette colours = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
    setAcceptDrops(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // Every document shown is ours, so the one replaced can be kept.
    m_current = std::make_unique<QTextDocument>();
    m_current->setDocumentLayout(new QPlainTextDocumentLayout(m_current.get()));
    m_current->setDefaultFont(font());
    setDocument(m_current.get());

    m_progressLine = new QLabel(this);
    m_progressLine->setObjectName(QStringLiteral("loadingProgress"));
    m_progressLine->setAutoFillBackground(true);
    m_progressLine->hide();
}

ReadingTextEdit::~ReadingTextEdit()
{
    // Let go of our documents before the box goes.
    setDocument(nullptr);
}

void ReadingTextEdit::show(QTextDocument* document)
{
    if (document->defaultFont() != font())
        document->setDefaultFont(font());
    setDocument(document);
    Q_EMIT documentReplaced();
}

void ReadingTextEdit::replaceDocument(std::unique_ptr<QTextDocument> document)
{
    setLoading(false);
    m_previous = std::move(m_current);
    m_current = std::move(document);
    show(m_current.get());
    m_start.reset();
    m_current->setUndoRedoEnabled(true);
    QPointer<ReadingTextEdit> self(this);
    QTextDocument* replacing = m_current.get();
    m_current->appendUndoItem(new ReplacementUndo([self, replacing] {
        if (self)
            QMetaObject::invokeMethod(
                self,
                [self, replacing] {
                    if (self && self->m_current.get() == replacing)
                        self->restorePrevious();
                },
                Qt::QueuedConnection);
    }));
}

void ReadingTextEdit::restorePrevious()
{
    if (!m_previous || m_loading)
        return;
    const std::unique_ptr<QTextDocument> undone = std::move(m_current);
    m_current = std::move(m_previous);
    show(m_current.get());
}

void ReadingTextEdit::setLoading(bool loading)
{
    m_loading = loading;
    setReadOnly(loading);
    if (!loading)
        m_progressLine->hide();
}

void ReadingTextEdit::beginLoading()
{
    setLoading(true);
    setLoadingProgress(0);
}

void ReadingTextEdit::setLoadingProgress(int percent)
{
    if (!m_loading)
        return;
    m_progressLine->setText(tr("正在打开 … %1%").arg(percent));
    m_progressLine->adjustSize();
    const QRect area = viewport()->geometry();
    m_progressLine->move(area.left(), area.bottom() + 1 - m_progressLine->height());
    m_progressLine->show();
    m_progressLine->raise();
}

QString ReadingTextEdit::loadingCaption() const
{
    return m_progressLine->isVisible() || m_loading ? m_progressLine->text() : QString();
}

void ReadingTextEdit::showLoadingStart(std::unique_ptr<QTextDocument> start)
{
    if (!m_loading)
        return;
    show(start.get());
    m_start = std::move(start);
}

void ReadingTextEdit::endLoading()
{
    if (!m_loading)
        return;
    setLoading(false);
    if (m_start) {
        show(m_current.get());
        m_start.reset();
    }
}

bool ReadingTextEdit::fromInside(const QDropEvent* event) const
{
    const QObject* source = event->source();
    return source != nullptr && (source == this || source == viewport());
}

void ReadingTextEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (fromInside(event))
        QPlainTextEdit::dragEnterEvent(event);
    else if (carriesSomething(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ReadingTextEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (fromInside(event))
        QPlainTextEdit::dragMoveEvent(event);
    else if (carriesSomething(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ReadingTextEdit::dropEvent(QDropEvent* event)
{
    // Our own selection dragged within the box: an ordinary edit, undone by Ctrl+Z.
    if (fromInside(event)) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    // Text first: a drop that carries both is a text drop.
    const QMimeData* mime = event->mimeData();
    if (const std::optional<QString> text = droppedText(*mime)) {
        event->acceptProposedAction();
        Q_EMIT textDropped(*text);
        return;
    }
    const QStringList files = droppedFiles(*mime);
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        Q_EMIT filesDropped(files);
        return;
    }
    event->ignore();
}

void ReadingTextEdit::keyPressEvent(QKeyEvent* event)
{
    // Tab types a tab here; Ctrl+Tab and Ctrl+Shift+Tab leave the box, as in any Qt text
    // box, so that the keyboard is not trapped in it.
    const int key = event->key();
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) &&
        event->modifiers().testFlag(Qt::ControlModifier)) {
        const bool back = key == Qt::Key_Backtab || event->modifiers().testFlag(Qt::ShiftModifier);
        // QPlainTextEdit's own refuses to move while the box is editable: skip it.
        // NOLINTNEXTLINE(bugprone-parent-virtual-call)
        QAbstractScrollArea::focusNextPrevChild(!back);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ReadingTextEdit::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT pointerMoved();
    QPlainTextEdit::mouseMoveEvent(event);
}

void ReadingTextEdit::addContextAction(QAction* action)
{
    m_contextActions.append(action);
}

QMenu* ReadingTextEdit::createContextMenu()
{
    QMenu* menu = createStandardContextMenu();
    if (m_contextActions.isEmpty())
        return menu;
    QAction* first = menu->actions().value(0);
    for (QAction* action : std::as_const(m_contextActions)) {
        if (action)
            menu->insertAction(first, action);
        else
            menu->insertSeparator(first);
    }
    menu->insertSeparator(first);
    return menu;
}

void ReadingTextEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ReadingTextEdit::showUsageNote()
{
    setPlainText(
        tr("Lirondo 使用说明\n"
           "\n"
           "一、需要安装的组件\n"
           "    朗读需要语音引擎和至少一种语音。本程序使用 espeak-ng 语音引擎，"
           "它自带中文（普通话）和英文语音；还需要一个声音服务（PulseAudio 或 PipeWire）。\n"
           "\n"
           "二、联系我们\n"
           "    有问题或建议，请点击下方的“关于”，在窗口里点“给我发信息”给我们写信。\n"
           "\n"
           "三、使用方法\n"
           "    1. 在这个文本框里输入或粘贴文字，或者点击“打开文本”打开一个文本文件，"
           "也可以把文本文件拖到这里。\n"
           "    2. 在“语音选项”里选择一种语音。\n"
           "    3. 点击“朗读”开始朗读，“暂停”“继续”“停止”控制朗读。\n"
           "    4. 朗读中文时，请把朗读速度调到最慢。\n"
           "    5. 同时有中文和英文语音时，勾选“中英文混读”，中文和英文会各用各的语音朗读。\n"));
}

} // namespace lirondo
