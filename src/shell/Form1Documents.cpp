// The main window's documents: the text loader, the reading list and the locator.

#include "common/CommonDialog.h"
#include "common/MessageBoxPort.h"
#include "common/VbMath.h"
#include "documents/DropData.h"
#include "documents/FileNameOf.h"
#include "reading/ReadingController.h"
#include "reading/SpeechEngine.h"
#include "shell/CommandLabel.h"
#include "shell/EventHook.h"
#include "shell/Form1.h"
#include "shell/PlainTextDocument.h"
#include "shell/TextenEdit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

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
           QStringLiteral(" MB");
}

// The removal question for a reading-list entry; true when the user says Yes.
bool removalConfirmed(MessageBoxPort& messages, const QTreeWidgetItem* entry)
{
    if (entry == nullptr)
        return false;
    MessageBoxPort::Request question;
    question.text = QStringLiteral("把") + entry->text(0) + QStringLiteral("项从列表中删除吗");
    question.title = QStringLiteral("提示");
    question.buttons = MessageBoxPort::Buttons::YesNo;
    question.icon = MessageBoxPort::Icon::Information;
    question.defaultButton = MessageBoxPort::Answer::No;
    return messages.show(question) == MessageBoxPort::Answer::Yes;
}

const QColor kKnobGreen(0, 255, 0);
const QColor kKnobYellow(255, 255, 0);

} // namespace

void Form1::setUpDocuments()
{
    m_textLoader = std::make_unique<TextLoader>(
        m_services.gbk,
        [font = Texten->font()](const QString& text, const TextLoader::Step& step) {
            return std::unique_ptr<QObject>(makePlainTextDocument(text, font, step).release());
        },
        [this](std::unique_ptr<QObject> made, bool complete) {
            std::unique_ptr<QTextDocument> document(qobject_cast<QTextDocument*>(made.release()));
            if (!document)
                return;
            if (complete) {
                Texten->replaceDocument(std::move(document));
                Q_EMIT fileShown(m_loadingPath);
            } else
                Texten->showLoadingStart(std::move(document));
        });
    connect(m_textLoader.get(), &TextLoader::progress, Texten, &TextenEdit::setLoadingProgress);
    connect(
        m_textLoader.get(), &TextLoader::failed, this,
        [this](const QString&, TextFileStatus status, qint64 size) { loadFailed(status, size); });

    connect(Label5, &CommandLabel::clicked, this, [this] { Label5_Click(); });
    connect(Texten, &TextenEdit::textDropped, this, &Form1::Texten_TextDropped);
    connect(Texten, &TextenEdit::filesDropped, this, &Form1::Texten_FilesDropped);

    // Report view; entries are never edited, sorted or moved.
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->setDragDropMode(QAbstractItemView::NoDragDrop);
    ListView1->viewport()->setAcceptDrops(true);
    connect(ListView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ListView1_ItemClick(item); });
    // The keyboard's click and right click on the current entry.
    hookEvents(ListView1, [this](QEvent* event) {
        if (event->type() != QEvent::KeyPress || !ListView1->currentItem())
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            ListView1_ItemClick(ListView1->currentItem());
            return true;
        }
        if (key != Qt::Key_Delete)
            return false;
        if (removalConfirmed(m_services.messages, ListView1->currentItem()))
            delete ListView1->currentItem();
        return true;
    });
    hookEvents(ListView1->viewport(), [this](QEvent* event) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedFiles(*drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = droppedFiles(*drop->mimeData());
            if (files.isEmpty()) {
                drop->ignore();
            } else {
                drop->acceptProposedAction();
                ListView1_FilesDropped(files);
            }
            return true;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                ListView1_RightPress(mouse->position().toPoint());
                return true;
            }
            return false;
        }
        default:
            return false;
        }
    });

    // The knob takes every button itself: the press grabs the pointer, so the moves and
    // the release come here even outside it.
    Cmdlength->setMouseTracking(true);
    hookEvents(Cmdlength, [this](QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            Cmdlength_MouseDown();
            return true;
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPointF inPanel = Cmdlength->mapToParent(mouse->position());
            Cmdlength_MouseMove(vbRoundToInt(inPanel.x()));
            return true;
        }
        case QEvent::MouseButtonRelease:
            Cmdlength_MouseUp();
            return true;
        case QEvent::KeyPress:
            return Cmdlength_KeyDown(static_cast<QKeyEvent*>(event)->key());
        default:
            return false;
        }
    });
}

bool Form1::documentLoadPending() const
{
    return m_textLoader->busy();
}

void Form1::LoadTextFile(const QString& path)
{
    startLoad(path);
}

void Form1::startLoad(const QString& path, std::function<void()> onRead)
{
    Texten->beginLoading();
    m_loadingPath = path;
    m_textLoader->LoadTextFile(path, std::move(onRead));
}

void Form1::loadFailed(TextFileStatus status, qint64 size)
{
    // The document stays as it was; only a file too large to hold is worth a word.
    Texten->endLoading();
    if (status != TextFileStatus::TooLarge)
        return;
    MessageBoxPort::Request tooLarge;
    tooLarge.text =
        size > 0 ? QStringLiteral("这个文件太大了（%1），打不开：本程序最多打开 %2 的文本文件。")
                       .arg(inMegabytes(size), inMegabytes(m_textLoader->maxBytes()))
                 : QStringLiteral("这个文件太大了，内存装不下，打不开。");
    tooLarge.icon = MessageBoxPort::Icon::Warning;
    m_services.messages.show(tooLarge);
}

void Form1::setDocumentText(const QString& text)
{
    m_textLoader->supersede();
    Texten->replaceDocument(makePlainTextDocument(text, Texten->font()));
}

void Form1::AddToReadingList(const QString& path)
{
    auto* item = new QTreeWidgetItem(ListView1, {readingListName(path), path});
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

void Form1::Label5_Click()
{
    CommonDialog& dialog = *m_commonDialog1;
    dialog.CancelError = true;
    dialog.DialogTitle = QStringLiteral("请选择你要打开的文件");
    dialog.Filter = QStringLiteral("文本文件(*.txt)|*.txt|所有类型(*.*)|*.*");
    dialog.FilterIndex = 1;
    dialog.InitDir = m_services.appDir;
    if (openHistory)
        dialog.History = openHistory();
    if (!dialog.ShowOpen())
        return;
    const QString path = dialog.FileName;
    if (!isExistingFile(path))
        return;
    // The list gets the file only once it has been read: a failed read ends the command.
    startLoad(path, [this, path] { AddToReadingList(path); });
}

void Form1::Texten_TextDropped(const QString& text)
{
    setDocumentText(text);
}

void Form1::Texten_FilesDropped(const QStringList& dropped)
{
    const QStringList paths = existingFiles(dropped);
    if (paths.isEmpty())
        return;
    // As the open command: a first file that cannot be read leaves the list as it was.
    startLoad(paths.constFirst(), [this, paths] {
        for (const QString& path : paths)
            AddToReadingList(path);
    });
}

void Form1::ListView1_ItemClick(QTreeWidgetItem* item)
{
    if (item == nullptr)
        return;
    const QString path = item->text(1);
    if (!isExistingFile(path))
        return;
    m_reading->stop();
    LoadTextFile(path);
}

void Form1::ListView1_RightPress(const QPoint& viewportPos)
{
    if (!removalConfirmed(m_services.messages, ListView1->itemAt(viewportPos)))
        return;
    // The list may have changed while the question was up: take what is there now.
    delete ListView1->itemAt(viewportPos);
}

void Form1::ListView1_FilesDropped(const QStringList& paths)
{
    for (const QString& path : existingFiles(paths))
        AddToReadingList(path);
}

void Form1::setKnobColour(const QColor& colour)
{
    // Moves come in bursts; a style sheet set anew restyles the button every time.
    const QString sheet = QStringLiteral("background-color: rgb(%1, %2, %3); border: none;")
                              .arg(colour.red())
                              .arg(colour.green())
                              .arg(colour.blue());
    if (Cmdlength->styleSheet() != sheet)
        Cmdlength->setStyleSheet(sheet);
}

void Form1::knobToGreen()
{
    setKnobColour(kKnobGreen);
}

void Form1::Cmdlength_MouseDown()
{
    m_locator.press();
    m_reading->stop();
}

void Form1::Cmdlength_MouseMove(int pointerX)
{
    setKnobColour(kKnobYellow);
    const auto left =
        m_locator.dragTo(pointerX, {Labtxtlength->x(), Labtxtlength->width(), Cmdlength->width()});
    if (left)
        Cmdlength->move(*left, Cmdlength->y());
}

void Form1::Cmdlength_MouseUp()
{
    const int offset = m_locator.release(
        Cmdlength->x(), {Labtxtlength->x(), Labtxtlength->width(), Cmdlength->width()},
        textLength());
    m_reading->setReadingStart(offset);
    Texten->setFocus(Qt::MouseFocusReason);
    setSelection(offset, 0);
    Cmdlength->setToolTip(QString::number(offset));
}

void Form1::setReadingStart(int offset, const QString& tip)
{
    const int length = textLength();
    m_reading->setReadingStart(offset);
    Cmdlength->move(length > 0 ? vbRoundToInt(double(std::clamp(offset, 0, length)) / length *
                                                  Labtxtlength->width() +
                                              Labtxtlength->x())
                               : Labtxtlength->x(),
                    Cmdlength->y());
    Texten->setFocus(Qt::OtherFocusReason);
    setSelection(offset, 0);
    Cmdlength->setToolTip(tip.isEmpty() ? QString::number(offset) : tip);
}

bool Form1::Cmdlength_KeyDown(int key)
{
    const Locator::Geometry track{Labtxtlength->x(), Labtxtlength->width(), Cmdlength->width()};
    const auto left = Locator::keyTo(key, Cmdlength->x(), track);
    if (!left)
        return false;
    // As a press, a move and a release, but the focus stays on the knob for the next key.
    m_reading->stop();
    Cmdlength->move(*left, Cmdlength->y());
    const int offset = Locator::offsetForKnob(*left, track, textLength());
    m_reading->setReadingStart(offset);
    setSelection(offset, 0);
    Cmdlength->setToolTip(QString::number(offset));
    return true;
}

} // namespace lirondo
