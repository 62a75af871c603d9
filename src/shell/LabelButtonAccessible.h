#pragma once

#include <QAccessibleWidget>

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

// For QAccessible::installFactory.
QAccessibleInterface* labelButtonAccessibleFactory(const QString& className, QObject* object);

} // namespace lirondo
