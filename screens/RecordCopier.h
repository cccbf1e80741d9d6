#pragma once

#include <QObject>
#include <QString>

class Prompt;
class QAction;
class QTreeView;
class RecordListModel;
class ScreenHost;

// Copying from a record list: Ctrl+C and the list's right-click menu "Copy Serial" copy the
// selected record's serial exactly as stored (the list may show it cut or not at all); "Copy
// Record" copies program, version, name and serial as one tab-separated line. The record is
// read again by its id, and the copy goes through the host's clipboard guard.
class RecordCopier final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordCopier)

public:
    RecordCopier(QTreeView* view, RecordListModel* model, Prompt& prompt, ScreenHost& host,
                 QObject* parent = nullptr);

    // Each returns the status shown, or the empty text when nothing was copied.
    QString copySerial();
    QString copyRecord();

    // One line: the fields joined by tabs, a tab or line break inside a field as a blank.
    static QString recordLine(const QString& program, const QString& version, const QString& name,
                              const QString& serial);

    QAction* copySerialAction() const { return m_copySerial; }
    QAction* copyRecordAction() const { return m_copyRecord; }

private:
    QString copySelected(bool wholeRecord);

    QTreeView* m_view = nullptr;
    RecordListModel* m_model = nullptr;
    Prompt& m_prompt;
    ScreenHost& m_host;
    QAction* m_copySerial = nullptr;
    QAction* m_copyRecord = nullptr;
};
