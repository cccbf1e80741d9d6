#pragma once

#include <QAccessibleWidget>

// What assistive technology (a screen reader over AT-SPI) sees of the labels that act as
// buttons, the main window's pictures and captions and the About window's addresses: a push
// button with a name, a description (its tool tip), the focus and pressed states and a press
// action that does what a click does. The designed widgets stay labels; only their
// accessible face changes (AccessibleFactory gives it to them).
class AccessibleButton final : public QAccessibleWidget
{
public:
    explicit AccessibleButton(QWidget* widget);

    // Tells assistive technology that the button went down or came up again.
    static void pressedChanged(QWidget* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;
};
