#include "shell/TextenEdit.h"

#include "documents/DropData.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace lirondo {

namespace {

bool carriesSomething(const QMimeData* data)
{
    return droppedText(*data).has_value() || !droppedFiles(*data).isEmpty();
}

} // namespace

TextenEdit::TextenEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    QPalette colours = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
    setAcceptDrops(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

void TextenEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (carriesSomething(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextenEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (carriesSomething(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextenEdit::dropEvent(QDropEvent* event)
{
    // Text first: a drop that carries both is a text drop.
    const QMimeData* data = event->mimeData();
    if (const std::optional<QString> text = droppedText(*data)) {
        event->acceptProposedAction();
        Q_EMIT textDropped(*text);
        return;
    }
    const QStringList files = droppedFiles(*data);
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        Q_EMIT filesDropped(files);
        return;
    }
    event->ignore();
}

void TextenEdit::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT pointerMoved();
    QPlainTextEdit::mouseMoveEvent(event);
}

} // namespace lirondo
