#pragma once

#include <QWidget>

class DatabaseSession;
class Prompt;
class ScreenHost;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The add screen: picks or names a program and stores one new record under it.
class AddScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddScreen)

public:
    AddScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // Opens the screen for a quick add of that serial: storing or leaving it ends the program.
    void startQuickAdd(const QString& serial);
    bool isQuickAdd() const { return m_quickAdd; }
    // Puts a handed-over text into the serial box of an ordinary add.
    void fillSerial(const QString& serial);
    // Whether any box holds more than blanks; a serial handed over earlier and not stored
    // yet counts too.
    bool holdsTyping() const;

    // What the boxes hold, to be put back into a new add screen (the database locked
    // meanwhile): the program chosen by its name, "New Program" with the new name, or none.
    struct Typing
    {
        bool newProgramChosen = false;
        QString program; // the name chosen in the list
        QString newProgram;
        QString version;
        QString name;
        QString serial;
        bool quickAdd = false;
    };
    Typing typing() const;
    void restoreTyping(const Typing& typing);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void load();
    void onProgramListClicked();
    void onOkClicked();
    void onCancelClicked();
    // The details dialog for the record just added, stored on OK; the screen is gone by then.
    static void addDetails(Prompt& prompt, DatabaseSession& session, qlonglong id,
                           const QString& title, QWidget* parent);

    Prompt& m_prompt;
    ScreenHost& m_host;
    bool m_quickAdd = false;

    QListWidget* m_programs = nullptr;
    QLabel* m_newProgramLabel = nullptr;
    QLineEdit* m_newProgram = nullptr;
    QLineEdit* m_version = nullptr;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_serial = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_ok = nullptr;
};
