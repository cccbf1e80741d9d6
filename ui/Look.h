#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The designed look shared by the windows: fonts, colours and how a colour reaches a control
// of a given kind. Skins paint through the same functions.
namespace Look {

inline const QColor Orange(255, 128, 0);
inline const QColor LightGrey(224, 224, 224);

// Verdana at the given point size, falling back to DejaVu Sans where Verdana is missing.
QFont verdana(qreal pointSize, bool bold = false);

// Kinds of control as far as colours go.
enum class Kind
{
    Editor,    // list box, text box, combo box, list view
    Label,     // plain label
    Container, // frame, check box
    Other      // buttons, hyperlink labels, picture boxes
};

Kind kindOf(const QWidget* widget);

// Text colour of an editor or a label.
void setForeColor(QWidget* widget, const QColor& color);
// Background of an editor, a container or a window.
void setBackColor(QWidget* widget, const QColor& color);

QColor foreColor(const QWidget* widget);
QColor backColor(const QWidget* widget);

} // namespace Look
