#pragma once

// Helpers shared by the record screen tests: typing any text, reading and choosing list rows,
// filling a database.

#include "app/Forms.h"
#include "app/ProgramState.h"
#include "app/frmMain.h"
#include "store/modMain.h"
#include "support/TestEnv.h"
#include "web/WebView.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

namespace ScreensKit {

using Rows = QList<QStringList>;

// Types the text key by key; "\n" presses Return, and characters beyond Latin-1 arrive as the
// text of a key press, the way an input method delivers them.
inline void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n')) {
            QTest::keyClick(widget, Qt::Key_Return);
            continue;
        }
        QString unit(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            unit += text.at(++i);
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, unit, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, unit, Qt::NoModifier);
    }
}

inline QList<QStringList> rowsOf(const QAbstractItemView* view)
{
    const QAbstractItemModel* model = view->model();
    QList<QStringList> rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells;
    }
    return rows;
}

inline void selectRow(QAbstractItemView* view, int row)
{
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

template <class Form> Form* loaded(const char* formName)
{
    return static_cast<Form*>(Forms::loadedForm(QLatin1String(formName)));
}

// One programs row per distinct program, then the records as program, version, name, serial.
inline void seed(const QString& dbPath, const QList<QStringList>& records)
{
    QStringList programs;
    for (const QStringList& record : records) {
        if (!programs.contains(record.at(0))) {
            programs << record.at(0);
            QVERIFY(execSql(dbPath, QStringLiteral("INSERT INTO programs (program) VALUES (?)"),
                            {record.at(0)}));
        }
        QVERIFY(execSql(dbPath,
                        QStringLiteral("INSERT INTO serials (program, version, name, serial, "
                                       "date) VALUES (?, ?, ?, ?, '2001-01-01T00:00:00')"),
                        {record.at(0), record.at(1), record.at(2), record.at(3)}));
    }
}

// A database holding the records, the program started, and the screen hosted by its button.
template <class Form>
Form* openScreen(TestEnv& env, frmMain::Screen screen, const QList<QStringList>& records = {})
{
    seed(env.makeDatabase(), records);
    if (!env.start())
        return nullptr;
    env.main->hostFromButton(screen);
    return loaded<Form>(Form::staticMetaObject.className());
}

} // namespace ScreensKit
