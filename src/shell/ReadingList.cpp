#include "shell/ReadingList.h"

#include "common/MessageBoxPort.h"
#include "common/VbMath.h"
#include "documents/DropData.h"
#include "documents/FileNameOf.h"
#include "shell/CommandLabel.h"
#include "shell/LayoutPass.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

namespace lirondo {

namespace {

void setLabelColour(QWidget* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

ReadingList::ReadingList(MessageBoxPort& messages, QWidget* window)
    : QGroupBox(tr("朗读列表"), window), m_messages(messages)
{
    setObjectName(QStringLiteral("Frame1"));
    setGeometry(twipsRect(240, 480, 2172, 3252));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setAccessibleName(tr("朗读列表"));
    m_list->setGeometry(twipsRect(120, 720, 1932, 2412));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(2);
    m_openCommand = new CommandLabel(tr("打开文本"), 0, this);
    m_openCommand->setObjectName(QStringLiteral("Label5"));
    m_openCommand->setGeometry(twipsRect(960, 240, 1152, 276));
    QFont openFont(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                               QStringLiteral("AR PL UMing CN")});
    openFont.setBold(true);
    m_openCommand->setFont(openFont);
    connect(m_openCommand, &CommandLabel::clicked, this, &ReadingList::openClicked);
    connect(m_openCommand, &CommandLabel::pointerMoved, this,
            [this] { setLabelColour(m_openCommand, QColor(0, 0, 255)); });
    setMouseTracking(true);
    installEventFilter(this);

    // File name over two thirds of the list's width, path over all of it.
    const int listWidth = m_list->width();
    m_list->setHeaderLabels({tr("文件名"), tr("路径")});
    m_list->header()->setStretchLastSection(false);
    m_list->setColumnWidth(0, vbRoundToInt(2.0 * listWidth) / 3);
    m_list->setColumnWidth(1, listWidth);
    // Report view; entries are never edited, sorted or moved.
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_list->viewport()->setAcceptDrops(true);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item)
            Q_EMIT entryChosen(item->text(1));
    });
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

void ReadingList::add(const QString& path)
{
    auto* item = new QTreeWidgetItem(m_list, {readingListName(path), path});
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

QStringList ReadingList::paths() const
{
    QStringList list;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        list.append(m_list->topLevelItem(i)->text(1));
    return list;
}

void ReadingList::setOpenToolTip(const QString& tip)
{
    m_openCommand->setToolTip(tip);
}

void ReadingList::setHeights(std::optional<int> frame, std::optional<int> list)
{
    if (frame)
        resize(width(), *frame);
    if (list)
        m_list->resize(m_list->width(), *list);
}

bool ReadingList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::MouseMove)
            setLabelColour(m_openCommand, QColor(0, 0, 0));
        return false;
    }
    if (watched == m_list)
        return event->type() == QEvent::KeyPress && m_list->currentItem() &&
               listKey(static_cast<QKeyEvent*>(event)->key());
    if (watched == m_list->viewport())
        return viewportEvent(event);
    return false;
}

// The keyboard's click and right click on the current entry.
bool ReadingList::listKey(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        Q_EMIT entryChosen(m_list->currentItem()->text(1));
        return true;
    }
    if (key != Qt::Key_Delete)
        return false;
    if (removalConfirmed(m_list->currentItem()))
        delete m_list->currentItem();
    return true;
}

bool ReadingList::viewportEvent(QEvent* event)
{
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
            Q_EMIT filesDropped(files);
        }
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        removeAt(mouse->position().toPoint());
        return true;
    }
    default:
        return false;
    }
}

void ReadingList::removeAt(const QPoint& viewportPos)
{
    if (!removalConfirmed(m_list->itemAt(viewportPos)))
        return;
    // The list may have changed while the question was up: take what is there now.
    delete m_list->itemAt(viewportPos);
}

// The removal question for an entry; true when the user says Yes.
bool ReadingList::removalConfirmed(const QTreeWidgetItem* entry) const
{
    if (entry == nullptr)
        return false;
    MessageBoxPort::Request question;
    question.text = tr("把%1项从列表中删除吗").arg(entry->text(0));
    question.title = tr("提示");
    question.buttons = MessageBoxPort::Buttons::YesNo;
    question.icon = MessageBoxPort::Icon::Information;
    question.defaultButton = MessageBoxPort::Answer::No;
    return m_messages.show(question) == MessageBoxPort::Answer::Yes;
}

} // namespace lirondo
