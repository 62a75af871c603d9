#pragma once

#include <QGroupBox>

#include <optional>

class QTreeWidget;
class QTreeWidgetItem;

namespace lirondo {

class CommandLabel;
class MessageBoxPort;

// The reading-list frame (the form's `Frame1`, "朗读列表"): the list of files opened in
// this run (`ListView1`: name and path) and the open command (`Label5`, "打开文本").
// Files dropped on the list join it; a right click (or Delete) asks before an entry goes.
class ReadingList : public QGroupBox
{
    Q_OBJECT
public:
    ReadingList(MessageBoxPort& messages, QWidget* window);

    void add(const QString& path);
    QStringList paths() const;
    void setOpenToolTip(const QString& tip);
    // The layout pass: the frame's and the list's heights.
    void setHeights(std::optional<int> frame, std::optional<int> list);

Q_SIGNALS:
    void openClicked();
    void entryChosen(const QString& path); // a click, Return or Space on an entry
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool listKey(int key);
    bool viewportEvent(QEvent* event);
    void removeAt(const QPoint& viewportPos); // the form's `ListView1_RightPress`
    bool removalConfirmed(const QTreeWidgetItem* entry) const;

    MessageBoxPort& m_messages;
    QTreeWidget* m_list = nullptr;         // ListView1
    CommandLabel* m_openCommand = nullptr; // Label5
};

} // namespace lirondo
