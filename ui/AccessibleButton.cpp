#include "ui/AccessibleButton.h"

#include "ui/HyperlinkLabel.h"
#include "ui/PictureButton.h"

#include <QLabel>

AccessibleButton::AccessibleButton(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button)
{
}

void AccessibleButton::pressedChanged(QWidget* button)
{
    QAccessible::State changed;
    changed.pressed = true;
    QAccessibleStateChangeEvent event(button, changed);
    QAccessible::updateAccessibility(&event);
}

QString AccessibleButton::text(QAccessible::Text t) const
{
    QString said = QAccessibleWidget::text(t);
    // A caption without a name of its own is named by what it shows ("DB", an address), and a
    // picture without one by its tool tip.
    if (t == QAccessible::Name && said.isEmpty()) {
        if (const auto* label = qobject_cast<const QLabel*>(widget()))
            said = label->text();
        if (said.isEmpty())
            said = widget()->toolTip();
    }
    return said;
}

QAccessible::State AccessibleButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (const auto* picture = qobject_cast<const PictureButton*>(widget()))
        state.pressed = picture->isDown();
    else if (const auto* link = qobject_cast<const HyperlinkLabel*>(widget()))
        state.pressed = link->isDown();
    return state;
}

QStringList AccessibleButton::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void AccessibleButton::doAction(const QString& actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (!widget()->isEnabled())
        return;
    if (auto* picture = qobject_cast<PictureButton*>(widget()))
        picture->click();
    else if (auto* link = qobject_cast<HyperlinkLabel*>(widget()))
        link->click();
}

QStringList AccessibleButton::keyBindingsForAction(const QString& actionName) const
{
    // The keys that press it while it has the focus.
    if (actionName == pressAction())
        return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
