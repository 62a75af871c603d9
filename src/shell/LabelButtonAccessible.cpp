#include "shell/LabelButtonAccessible.h"

#include "shell/CaptionButton.h"
#include "shell/CommandLabel.h"

#include <QAbstractItemView>
#include <QComboBox>

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

NamedComboBoxAccessible::NamedComboBoxAccessible(QComboBox* box)
    : QAccessibleWidget(box, QAccessible::ComboBox)
{}

QComboBox* NamedComboBoxAccessible::box() const
{
    return static_cast<QComboBox*>(widget());
}

QString NamedComboBoxAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return box()->accessibleName();
    if (t == QAccessible::Value)
        return box()->currentText();
    return QAccessibleWidget::text(t);
}

int NamedComboBoxAccessible::childCount() const
{
    return 1;
}

QAccessibleInterface* NamedComboBoxAccessible::child(int index) const
{
    return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
}

int NamedComboBoxAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    return child && child->object() == box()->view() ? 0 : -1;
}

QStringList NamedComboBoxAccessible::actionNames() const
{
    return {showMenuAction(), pressAction()};
}

void NamedComboBoxAccessible::doAction(const QString& actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction())
        box()->showPopup();
}

QAccessibleInterface* labelButtonAccessibleFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (auto* box = qobject_cast<QComboBox*>(object);
        box && className == QLatin1String("QComboBox") && !box->accessibleName().isEmpty())
        return new NamedComboBoxAccessible(box);
    if (className == QLatin1String(CommandLabel::staticMetaObject.className()) ||
        className == QLatin1String(CaptionButton::staticMetaObject.className()))
        return new LabelButtonAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace lirondo
