#pragma once

#include <QPlainTextEdit>
#include <QStringList>

namespace lirondo {

// The document box `Texten`. The spoken word stays visible when the box has no
// focus, and drops are the program's own: they replace the document instead of
// inserting at the drop point.
class TextenEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextenEdit(QWidget* parent = nullptr);

Q_SIGNALS:
    void textDropped(const QString& text);
    void filesDropped(const QStringList& paths);
    void pointerMoved();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

} // namespace lirondo
