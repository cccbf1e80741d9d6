#pragma once

// Helpers shared by the record screen tests: typing, list rows, a filled database.

#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/RecordHandOver.h"
#include "store/DatabaseSession.h"
#include "support/TestEnv.h"
#include "ui/SkinColor.h"
#include "web/WebView.h"

#include <QtTest>
#include <QtWidgets>

namespace ScreensKit {

using Rows = QList<QStringList>;

// Types the text key by key; "\n" presses Return, and characters beyond Latin-1 arrive as the
// text of a key press, the way an input method delivers them.
inline void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString unit(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            unit += text.at(++i);
        if (unit == QLatin1String("\n"))
            QTest::keyClick(widget, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, unit, Qt::NoModifier);
    }
}

// The screen's control of that objectName and type; a missing one ends the test program with
// its name rather than a crash.
template <class T> T* control(const QObject* screen, const char* name)
{
    T* found = screen ? screen->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!found)
        qFatal("No control %s of that type", name);
    return found;
}

inline Rows rowsOf(const QAbstractItemView* view)
{
    Rows rows;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        rows.append(QStringList());
        for (int column = 0; column < view->model()->columnCount(); ++column)
            rows.last() << view->model()->index(row, column).data().toString();
    }
    return rows;
}

inline void selectRow(QAbstractItemView* view, int row)
{
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

template <class Form> Form* loaded()
{
    for (QWidget* window : WindowRegistry::loaded()) {
        if (auto* form = qobject_cast<Form*>(window))
            return form;
    }
    return nullptr;
}

// Records as program, version, name, serial, and one programs row per distinct program.
inline void seed(const QString& dbPath, const Rows& records)
{
    for (const QStringList& record : records)
        QVERIFY(execSql(dbPath,
                        "INSERT INTO serials (program, version, name, serial, date) "
                        "VALUES (?, ?, ?, ?, '2001-01-01T00:00:00')",
                        QVariant(record).toList()));
    QVERIFY(execSql(dbPath, "INSERT INTO programs (program) SELECT DISTINCT program FROM serials"));
}

// A database holding the records, the program started, and the screen hosted by its button.
template <class Form>
Form* openScreen(TestEnv& env, MainWindow::Screen screen, const Rows& records = {})
{
    seed(env.makeDatabase(), records);
    if (!env.start())
        return nullptr;
    env.main->hostFromButton(screen);
    return loaded<Form>();
}

} // namespace ScreensKit
