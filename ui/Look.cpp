#include "ui/Look.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace Look {

QFont verdana(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

Kind kindOf(const QWidget* widget)
{
    if (!widget)
        return Kind::Other;
    // Hyperlink labels and picture or label buttons keep their designed look.
    if (widget->inherits("HyperlinkLabel") || widget->inherits("PictureButton"))
        return Kind::Other;
    if (qobject_cast<const QCheckBox*>(widget))
        return Kind::Container;
    if (qobject_cast<const QAbstractButton*>(widget))
        return Kind::Other;
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
        qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
        qobject_cast<const QAbstractItemView*>(widget))
        return Kind::Editor;
    if (qobject_cast<const QLabel*>(widget))
        return Kind::Label;
    if (qobject_cast<const QGroupBox*>(widget))
        return Kind::Container;
    if (widget->metaObject() == &QFrame::staticMetaObject)
        return Kind::Container;
    return Kind::Other;
}

void setForeColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

void setBackColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    if (kindOf(widget) == Kind::Editor) {
        palette.setColor(QPalette::Base, color);
        palette.setColor(QPalette::Button, color);
    } else {
        palette.setColor(QPalette::Window, color);
        // A check box fills its background with its own role (Button), not Window: without
        // it, it would stand as a light band on the skin's background.
        palette.setColor(widget->backgroundRole(), color);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

QColor foreColor(const QWidget* widget)
{
    return kindOf(widget) == Kind::Editor ? widget->palette().color(QPalette::Text)
                                          : widget->palette().color(QPalette::WindowText);
}

QColor backColor(const QWidget* widget)
{
    return kindOf(widget) == Kind::Editor ? widget->palette().color(QPalette::Base)
                                          : widget->palette().color(QPalette::Window);
}

} // namespace Look
