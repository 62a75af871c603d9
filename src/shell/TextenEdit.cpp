#include "shell/TextenEdit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace lirondo {

namespace {

QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (!data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

// File managers add the files' addresses as plain text too; that text is the file
// list, not a text drop.
bool textIsOnlyTheFileList(const QMimeData* data)
{
    if (!data->hasUrls())
        return false;
    const QStringList lines = data->text().split(u'\n', Qt::SkipEmptyParts);
    QStringList forms;
    for (const QUrl& url : data->urls()) {
        forms.append(url.toString());
        forms.append(url.toLocalFile());
    }
    for (const QString& line : lines) {
        if (!forms.contains(line.trimmed()))
            return false;
    }
    return true;
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
    if (event->mimeData()->hasText() || event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextenEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasText() || event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextenEdit::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasText() && !textIsOnlyTheFileList(data)) {
        event->acceptProposedAction();
        Q_EMIT textDropped(data->text());
        return;
    }
    const QStringList files = localFiles(data);
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
