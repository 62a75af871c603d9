#include "shell/DocumentPanel.h"

#include "common/CommonDialog.h"
#include "common/MessageBoxPort.h"
#include "shell/LayoutPass.h"
#include "shell/PlainTextDocument.h"
#include "shell/ReadingList.h"
#include "shell/ReadingTextEdit.h"

#include <QFileInfo>
#include <QLabel>
#include <QTextDocument>

#include <algorithm>

namespace lirondo {

namespace {

// The file test of the open command and the list click: an ordinary file; a directory
// counts as missing.
bool isExistingFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// Only ordinary files go into the reading list from a drop.
QStringList existingFiles(const QStringList& paths)
{
    QStringList files;
    for (const QString& path : paths) {
        if (isExistingFile(path))
            files.append(path);
    }
    return files;
}

QString inMegabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1 << 20), 'f', bytes < (10 << 20) ? 1 : 0) +
           DocumentPanel::tr(" MB");
}

} // namespace

DocumentPanel::DocumentPanel(QWidget& window, MessageBoxPort& messages, const GbkCodePage& gbk,
                             CommonDialog& dialog, const QString& appDir)
    : QObject(&window), m_messages(messages), m_dialog(dialog), m_appDir(appDir)
{
    m_textEdit = new ReadingTextEdit(&window);
    m_textEdit->setObjectName(QStringLiteral("Texten"));
    m_textEdit->setAccessibleName(tr("朗读文本"));
    m_textEdit->setGeometry(twipsRect(2640, 480, 5412, 3012));
    m_textEdit->showUsageNote();
    connect(m_textEdit, &QPlainTextEdit::textChanged, this, [this] { m_textCacheValid = false; });
    connect(m_textEdit, &ReadingTextEdit::documentReplaced, this, [this] {
        m_textCacheValid = false;
        Q_EMIT documentReplaced();
    });
    connect(m_textEdit, &ReadingTextEdit::textDropped, this, &DocumentPanel::dropText);
    connect(m_textEdit, &ReadingTextEdit::filesDropped, this, &DocumentPanel::dropFiles);
    connect(m_textEdit, &ReadingTextEdit::pointerMoved, this, &DocumentPanel::pointerMovedOverText);
    connect(m_textEdit, &QPlainTextEdit::copyAvailable, this, &DocumentPanel::selectionAvailable);

    m_readingList = new ReadingList(messages, &window);
    connect(m_readingList, &ReadingList::openClicked, this, &DocumentPanel::openFile);
    connect(m_readingList, &ReadingList::entryChosen, this, &DocumentPanel::chooseEntry);
    connect(m_readingList, &ReadingList::filesDropped, this, [this](const QStringList& paths) {
        for (const QString& path : existingFiles(paths))
            addToReadingList(path);
    });

    m_textLoader = std::make_unique<TextLoader>(
        gbk,
        [font = m_textEdit->font()](const QString& text, const TextLoader::Step& step) {
            return std::unique_ptr<QObject>(makePlainTextDocument(text, font, step).release());
        },
        [this](std::unique_ptr<QObject> made, bool complete) {
            std::unique_ptr<QTextDocument> document(qobject_cast<QTextDocument*>(made.release()));
            if (!document)
                return;
            if (complete) {
                m_textEdit->replaceDocument(std::move(document));
                Q_EMIT fileShown(m_loadingPath);
            } else
                m_textEdit->showLoadingStart(std::move(document));
        });
    connect(m_textLoader.get(), &TextLoader::progress, m_textEdit,
            &ReadingTextEdit::setLoadingProgress);
    connect(
        m_textLoader.get(), &TextLoader::failed, this,
        [this](const QString&, TextFileStatus status, qint64 size) { loadFailed(status, size); });
}

DocumentPanel::~DocumentPanel() = default;

QString DocumentPanel::text() const
{
    // Taken from the box when asked for, not on every load: a large document is not held
    // twice while nobody reads it.
    if (!m_textCacheValid) {
        m_textCache = m_textEdit->toPlainText();
        m_textCacheValid = true;
    }
    return m_textCache;
}

int DocumentPanel::textLength() const
{
    return m_textEdit->document()->characterCount() - 1;
}

void DocumentPanel::setSelection(int start, int length)
{
    const int size = textLength();
    const int from = std::clamp(start, 0, size);
    const int to =
        std::clamp(static_cast<int>(std::min<qint64>(qint64(from) + length, size)), from, size);
    QTextCursor cursor = m_textEdit->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    m_textEdit->setTextCursor(cursor);
}

int DocumentPanel::selectionStart() const
{
    return m_textEdit->textCursor().selectionStart();
}

int DocumentPanel::selectionEnd() const
{
    return m_textEdit->textCursor().selectionEnd();
}

bool DocumentPanel::hasSelection() const
{
    return m_textEdit->textCursor().hasSelection();
}

QString DocumentPanel::selectedText() const
{
    // As toPlainText() has them: the box keeps line breaks as separators.
    QString selected = m_textEdit->textCursor().selectedText();
    for (QChar& c : selected) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return selected;
}

void DocumentPanel::focusText(Qt::FocusReason reason)
{
    m_textEdit->setFocus(reason);
}

void DocumentPanel::setDocumentText(const QString& text)
{
    m_textLoader->supersede();
    m_textEdit->replaceDocument(makePlainTextDocument(text, m_textEdit->font()));
}

void DocumentPanel::loadTextFile(const QString& path)
{
    startLoad(path);
}

bool DocumentPanel::loadPending() const
{
    return m_textLoader->busy();
}

void DocumentPanel::startLoad(const QString& path, std::function<void()> onRead)
{
    m_textEdit->beginLoading();
    m_loadingPath = path;
    m_textLoader->load(path, std::move(onRead));
}

void DocumentPanel::loadFailed(TextFileStatus status, qint64 size)
{
    // The document stays as it was; only a file too large to hold is worth a word.
    m_textEdit->endLoading();
    if (status != TextFileStatus::TooLarge)
        return;
    MessageBoxPort::Request tooLarge;
    tooLarge.text = size > 0 ? tr("这个文件太大了（%1），打不开：本程序最多打开 %2 的文本文件。")
                                   .arg(inMegabytes(size), inMegabytes(m_textLoader->maxBytes()))
                             : tr("这个文件太大了，内存装不下，打不开。");
    tooLarge.icon = MessageBoxPort::Icon::Warning;
    m_messages.show(tooLarge);
}

void DocumentPanel::openFile()
{
    m_dialog.cancelError = true;
    m_dialog.title = tr("请选择你要打开的文件");
    m_dialog.filter = tr("文本文件(*.txt)|*.txt|所有类型(*.*)|*.*");
    m_dialog.filterIndex = 1;
    m_dialog.initialDir = m_appDir;
    if (m_openHistory)
        m_dialog.history = m_openHistory();
    if (!m_dialog.showOpen())
        return;
    const QString path = m_dialog.fileName;
    if (!isExistingFile(path))
        return;
    // The list gets the file only once it has been read: a failed read ends the command.
    startLoad(path, [this, path] { addToReadingList(path); });
}

void DocumentPanel::dropText(const QString& text)
{
    setDocumentText(text);
}

void DocumentPanel::dropFiles(const QStringList& dropped)
{
    const QStringList paths = existingFiles(dropped);
    if (paths.isEmpty())
        return;
    // As the open command: a first file that cannot be read leaves the list as it was.
    startLoad(paths.constFirst(), [this, paths] {
        for (const QString& path : paths)
            addToReadingList(path);
    });
}

void DocumentPanel::chooseEntry(const QString& path)
{
    if (!isExistingFile(path))
        return;
    Q_EMIT listEntryChosen();
    loadTextFile(path);
}

void DocumentPanel::addToReadingList(const QString& path)
{
    m_readingList->add(path);
}

QStringList DocumentPanel::readingList() const
{
    return m_readingList->paths();
}

void DocumentPanel::setOpenHistory(std::function<QStringList()> history)
{
    m_openHistory = std::move(history);
}

void DocumentPanel::showNotice(const QString& text)
{
    if (!m_notice) {
        m_notice = new QLabel(m_textEdit);
        m_notice->setObjectName(QStringLiteral("notice"));
        m_notice->setAccessibleName(tr("提示"));
        m_notice->setAutoFillBackground(true);
        m_notice->setStyleSheet(
            QStringLiteral("background: #fff3c0; color: #5a3c00; padding: 2px;"));
        m_notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_notice->setText(text);
    const int height = m_notice->sizeHint().height();
    // Over the foot of the text, clear of the scroll bar.
    const QRect box = m_textEdit->viewport()->geometry();
    m_notice->setGeometry(box.left(), box.bottom() + 1 - height, box.width(), height);
    m_notice->setVisible(!text.isEmpty());
}

void DocumentPanel::addContextAction(QAction* action)
{
    m_textEdit->addContextAction(action);
}

void DocumentPanel::setOpenToolTip(const QString& tip)
{
    m_readingList->setOpenToolTip(tip);
}

QPoint DocumentPanel::textBoxPos() const
{
    return m_textEdit->pos();
}

int DocumentPanel::listFrameTop() const
{
    return m_readingList->y();
}

void DocumentPanel::resizeTextBox(std::optional<int> width, std::optional<int> height)
{
    if (height)
        m_textEdit->resize(m_textEdit->width(), *height);
    if (width)
        m_textEdit->resize(*width, m_textEdit->height());
}

void DocumentPanel::setListHeights(std::optional<int> frame, std::optional<int> list)
{
    m_readingList->setHeights(frame, list);
}

} // namespace lirondo
