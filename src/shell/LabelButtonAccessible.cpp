#include "shell/LabelButtonAccessible.h"

#include "shell/CaptionButton.h"
#include "shell/CommandLabel.h"

namespace lirondo {

LabelButtonAccessible::LabelButtonAccessible(QWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Button)
{}

QStringList LabelButtonAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    names.prepend(pressAction());
    return names;
}

void LabelButtonAccessible::doAction(const QString& actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // Both refuse the press while disabled, as a click would be refused.
    if (auto* command = qobject_cast<CommandLabel*>(widget()))
        command->click();
    else if (auto* caption = qobject_cast<CaptionButton*>(widget()))
        caption->click();
}

QStringList LabelButtonAccessible::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction() && qobject_cast<CommandLabel*>(widget()))
        return {QStringLiteral("Space"), QStringLiteral("Return")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

QAccessibleInterface* labelButtonAccessibleFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String(CommandLabel::staticMetaObject.className()) ||
        className == QLatin1String(CaptionButton::staticMetaObject.className()))
        return new LabelButtonAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace lirondo
