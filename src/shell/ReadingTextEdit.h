#pragma once

#include <QPlainTextEdit>
#include <QStringList>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTextDocument;

namespace lirondo {

// The document box `Texten`. The spoken word stays visible when the box has no
// focus, and drops from elsewhere are the program's own: they replace the document
// instead of inserting at the drop point. A drag inside the box moves text as in any
// text box.
class ReadingTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ReadingTextEdit(QWidget* parent = nullptr);
    ~ReadingTextEdit() override;

    // The design text: how to use the program, with nothing before it to undo to.
    void showUsageNote();

    // Shows a document in place of the one shown (which the box keeps, so that Ctrl+Z
    // brings it back, as one step) and ends a load under way. The document must have a
    // QPlainTextDocumentLayout.
    void replaceDocument(std::unique_ptr<QTextDocument> document);
    // While a file loads, the box takes no edits; it may show the file's start.
    void beginLoading();
    void showLoadingStart(std::unique_ptr<QTextDocument> start);
    // The load ended without a document: the box shows what it showed before.
    void endLoading();
    bool loading() const { return m_loading; }
    // The progress line shown while loading: "正在打开 … 37%".
    void setLoadingProgress(int percent);
    QString loadingCaption() const;
    // The program's own commands shown above Qt's edit items in the box's context menu,
    // in the order added; a null action adds a separator.
    void addContextAction(QAction* action);
    // The menu the box shows on a right click: the program's commands, then Qt's own.
    QMenu* createContextMenu();

Q_SIGNALS:
    void textDropped(const QString& text);
    void filesDropped(const QStringList& paths);
    void pointerMoved();
    // Another document is shown.
    void documentReplaced();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool fromInside(const QDropEvent* event) const;
    void show(QTextDocument* document);
    void setLoading(bool loading);
    void restorePrevious();

    std::unique_ptr<QTextDocument> m_current;  // the document, unless a load's start is shown
    std::unique_ptr<QTextDocument> m_start;    // the start of a file being loaded
    std::unique_ptr<QTextDocument> m_previous; // what the last replacement took away
    bool m_loading = false;
    QLabel* m_progressLine = nullptr;
    QList<QAction*> m_contextActions;
};

} // namespace lirondo
