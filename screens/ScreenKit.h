#pragma once

#include "store/StoreError.h"
#include "ui/Twips.h"

#include <QCoreApplication>
#include <QString>
#include <QWidget>

#include <initializer_list>

class DatabaseSession;
class ScreenHost;

class Prompt;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class RecordListModel;

// The pieces the record screens are built from: controls at their designed places with the
// designed fonts and colours, the Escape binding and the exact text of a multi-line box.
namespace ScreenKit {

// Creates a control of type T with its objectName at a rectangle given in twips.
template <class T>
T* place(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* control = new T(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(Twips::rect(left, top, width, height));
    return control;
}

// The screen's own look: its designed size, an opaque background (the edit screen covers the
// list screen beneath it) and the default font of its controls.
void prepareScreen(QWidget* screen, int width, int height);
QFont screenFont();

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
              int height, qreal pointSize);
QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height);

// Verdana text of that size; the designed editor look is light grey with black text.
void setVerdana(QWidget* control, qreal pointSize, bool bold = false);
void paintEditor(QWidget* control);

// A details-style list over the model, with column widths in twips.
QTreeView* listView(QWidget* parent, const char* name, int left, int top, int width, int height,
                    RecordListModel* model, std::initializer_list<int> columnWidths);
// The text of the first cell of the selected row, or the empty text when none is selected.
QString selectedId(const QTreeView* view);
// Keeps the button enabled only while a record of the list is selected: a placeholder row or
// no selection leaves it nothing to act on.
void enableWithSelectedRecord(QPushButton* button, QTreeView* view, RecordListModel* model);

// Escape presses the button while the focus is anywhere on the screen; an open drop-down
// list takes the Escape for itself.
void bindEscape(QWidget* screen, QPushButton* button);
void chainTabOrder(std::initializer_list<QWidget*> controls);

// False when the serial is already stored for the program (the record exceptId aside, an
// edited record never matches itself) and the user declines to store it a second time. A
// lookup that fails asks nothing: the write that follows fails too and says why.
bool confirmNewSerial(Prompt& prompt, DatabaseSession& session, const QString& program,
                      const QString& serial, qlonglong exceptId = 0);

// A refused database operation: what did not happen and why; with no open connection, the
// message that says so.
void reportFailure(Prompt& prompt, const DatabaseSession& session, const QString& what,
                   const StoreError& error);

// Copies a secret through the host's clipboard guard for as long as the settings say
// (ClipboardSeconds), and shows the status ("Serial copied: cleared in 30 s") as a tip beside
// the control. Returns the status.
QString copySecret(ScreenHost& host, QWidget* near, const QString& text,
                   const QString& what = QCoreApplication::translate("ScreenKit", "Serial"));
// How many seconds a copied serial stays on the clipboard (ClipboardSeconds, 30 unset).
int clipboardSeconds();

// The box's text with its line breaks as "\n" and nothing else changed.
QString plainText(const QPlainTextEdit* box);
// Shows a stored text; "\r\n" and "\r" line breaks become "\n".
void setPlainText(QPlainTextEdit* box, const QString& text);

} // namespace ScreenKit
