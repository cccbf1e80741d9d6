#pragma once

#include <QDate>
#include <QObject>

#include <functional>

class DatabaseSession;
class QTimer;

// Looks for licences that run out when started and again on each new day while the program
// runs, and asks for one word about them (ExpiryNotice decides; the ExpiryNotice setting keeps
// the last word given, so that the same licences are told of once a day).
class ExpiryWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExpiryWatch)

public:
    // show gives the word to the user and says whether it could.
    using Show = std::function<bool(const QString& title, const QString& text)>;
    ExpiryWatch(DatabaseSession& session, Show show, QObject* parent = nullptr);

    // Checks now, then every hour whether the day has changed.
    void start();
    // Checks as of that day: reads the records, decides and shows; true when a word was given.
    bool check(const QDate& today);

private:
    DatabaseSession& m_session;
    Show m_show;
    QTimer* m_timer = nullptr;
    QDate m_checked;
};
