#pragma once

#include "documents/TextLoader.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QWidget;

namespace lirondo {

class CommonDialog;
class GbkCodePage;
class MessageBoxPort;
class ReadingList;
class ReadingTextEdit;

// The document side of the main window: the text box (the form's `Texten`), the reading
// list with its open command, the text loader, and a notice line over the text. It holds
// the text half of what the reading needs (ReadingView).
class DocumentPanel : public QObject
{
    Q_OBJECT
public:
    // Its controls go onto `window`. The dialog is shared with the character's loader.
    DocumentPanel(QWidget& window, MessageBoxPort& messages, const GbkCodePage& gbk,
                  CommonDialog& dialog, const QString& appDir);
    ~DocumentPanel() override;

    // The text, offsets and lengths in UTF-16 code units; setters clamp to the text.
    QString text() const;
    int textLength() const;
    void setSelection(int start, int length);
    int selectionStart() const;
    int selectionEnd() const;
    bool hasSelection() const;
    QString selectedText() const; // line breaks as toPlainText() has them
    void focusText(Qt::FocusReason reason);

    // Replaces the document, as a text drop does: one step that Ctrl+Z takes back.
    void setDocumentText(const QString& text);
    // Reads the file off the UI thread and shows it once read whole (a large file's start
    // first); the box takes no edits meanwhile. Of loads still under way the last one asked
    // for wins; one that fails leaves the document as it was.
    void loadTextFile(const QString& path);
    bool loadPending() const;
    void openFile(); // the open command "打开文本" (the form's `Label5_Click`)
    // Drops onto the text box; the command line hands its files to dropFiles too.
    void dropText(const QString& text);
    void dropFiles(const QStringList& paths);

    void addToReadingList(const QString& path);
    QStringList readingList() const;
    // Files offered in the open dialog's history, newest first.
    void setOpenHistory(std::function<QStringList()> history);

    // A one-line notice over the foot of the text box; an empty text takes it away.
    void showNotice(const QString& text);
    // The program's commands in the text box's context menu; null adds a separator.
    void addContextAction(QAction* action);
    void setOpenToolTip(const QString& tip);

    // The layout pass: what the box and the frame keep from their design, and their sizes.
    QPoint textBoxPos() const;
    int listFrameTop() const;
    void resizeTextBox(std::optional<int> width, std::optional<int> height);
    void setListHeights(std::optional<int> frame, std::optional<int> list);

Q_SIGNALS:
    void fileShown(const QString& path); // a file that was read whole is now the document
    void documentReplaced();             // another document is shown
    void listEntryChosen();              // before the entry's file loads: the reading stops
    void pointerMovedOverText();
    void selectionAvailable(bool available);

private:
    void startLoad(const QString& path, std::function<void()> onRead = {});
    void loadFailed(TextFileStatus status, qint64 size);
    void chooseEntry(const QString& path);

    MessageBoxPort& m_messages;
    CommonDialog& m_dialog;
    QString m_appDir;
    ReadingTextEdit* m_textEdit = nullptr; // Texten
    ReadingList* m_readingList = nullptr;  // Frame1
    QLabel* m_notice = nullptr;
    std::unique_ptr<TextLoader> m_textLoader;
    QString m_loadingPath; // the last load asked for: the one a finished load shows
    std::function<QStringList()> m_openHistory;
    mutable QString m_textCache;
    mutable bool m_textCacheValid = false;
};

} // namespace lirondo
