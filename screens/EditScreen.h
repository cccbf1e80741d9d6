#pragma once

#include "store/records/RecordDetails.h"

#include <QString>
#include <QWidget>

#include <optional>

class Prompt;
class ScreenHost;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The edit screen: shows the record named by the hand-over over the list screen that opened
// it, saves or deletes it, and returns to that screen.
class EditScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditScreen)

public:
    EditScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // Whether the user changed a box or the details since the record was shown.
    bool hasUnsavedChanges() const;
    // The record shown, by its id.
    QString recordId() const { return m_id; }

    // The boxes the user changed, to be put back into a new edit screen of the same record
    // (the database locked meanwhile); a box not changed shows the record as stored.
    struct Typing
    {
        std::optional<QString> version;
        std::optional<QString> name;
        std::optional<QString> serial;
        std::optional<RecordDetails> details;
    };
    Typing typing() const;
    void restoreTyping(const Typing& typing);

    // Copies the serial in the box (the Copy button) and returns the status shown.
    QString copySerial();

    // Opens the details dialog over the screen; its OK keeps them for Save Changes, which
    // stores them with the record (Cancel asks whether to store them alone). Returns the
    // dialog (it deletes itself once closed).
    QWidget* openDetails();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void load();
    void onSaveClicked();
    void onDeleteClicked();
    void onCancelClicked();
    // Unloads this screen and shows the one that opened it (the browser when none did), its
    // list read again on request.
    void returnToCaller(bool recordChanged);

    Prompt& m_prompt;
    ScreenHost& m_host;
    QString m_id;
    QString m_program; // as stored when the screen opened: the serial must be unique under it

    QLineEdit* m_version = nullptr;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_serial = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_details = nullptr;

    RecordDetails m_storedDetails;                 // as read when the screen opened
    std::optional<RecordDetails> m_changedDetails; // accepted in the dialog, not yet saved
};
