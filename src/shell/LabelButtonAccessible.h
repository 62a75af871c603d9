#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace lirondo {

// Labels that act as buttons (the command row, the open command, the caption
// buttons) present themselves to assistive technology as push buttons that can be
// pressed and tell whether they are enabled.
class LabelButtonAccessible : public QAccessibleWidget
{
public:
    explicit LabelButtonAccessible(QWidget* widget);

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;
};

// A combo box that has a name of its own (the voice list "语音选项") is named by it;
// Qt's own on Linux names a combo box by its current item, which then reads as a
// label of nothing. The current item is its value; the pop-up list its one child.
class NamedComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit NamedComboBoxAccessible(QComboBox* box);

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* box() const;
};

// For QAccessible::installFactory: the labels that act as buttons and the named
// combo boxes.
QAccessibleInterface* labelButtonAccessibleFactory(const QString& className, QObject* object);

} // namespace lirondo
