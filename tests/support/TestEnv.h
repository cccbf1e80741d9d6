#pragma once

#include "app/MainDeps.h"
#include "store/DatabaseSession.h"
#include "support/ScriptedPrompt.h"

#include <QTemporaryDir>

#include <memory>

class MainWindow;
class RecordingWebView;

// One test's world: a temporary program folder, its own settings file and lock, a scripted
// prompt, a recording browser and a probe that answers as told. Program-wide state and the
// shared connection are reset on entry and on exit.
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();

    QString path(const QString& relative) const;
    QString programFolder() const { return path(QStringLiteral("program")); }
    QString defaultDatabase() const { return programFolder() + QStringLiteral("/numira.mdb"); }

    // An empty Numira database made from the schema; the default one when no path is given.
    QString makeDatabase(const QString& dbPath = QString()) const;
    // Copies the shipped pages, skins and artwork into the program folder.
    void copyShippedFiles() const;

    MainDeps deps(const QStringList& arguments = {});
    // Builds the main window and runs its start-up, with the part the program leaves until
    // the window's first paint (tests do not paint it); returns what the start-up returned.
    bool start(const QStringList& arguments = {});

    RecordingWebView* web() const;

    // Lets windows that unloaded themselves be destroyed.
    static void processDeferredDeletes();

    // Opens the store session's shared connection on a file or server; false with the reason.
    bool open(const QString& address, QString* error = nullptr);
    // The session of the main window when one runs, else the store session.
    DatabaseSession& activeSession();
    // The test in progress, for helpers that read its databases.
    static TestEnv* current();

    ScriptedPrompt prompt;
    // The database session of tests that work on the store without a window.
    DatabaseSession session;
    std::unique_ptr<MainWindow> main;
    quint32 probeStatus = 11010;
    QStringList probedAddresses;
    int processEnds = 0;
    bool trayAvailable = false;
    double twipsPerPixel = 15.0;

private:
    QTemporaryDir m_dir;
    QByteArray m_realHome;
    QByteArray m_communityServer;
};

// Runs SQL on a database file through a connection of its own (tests only).
QList<QStringList> queryRows(const QString& dbPath, const QString& sql,
                             const QVariantList& values = {});
bool execSql(const QString& dbPath, const QString& sql, const QVariantList& values = {});

// The session of the test in progress (its main window's when one runs; a session of the test
// program's own where a test makes no TestEnv), and opening it.
DatabaseSession& testSession();
bool testOpen(const QString& address, QString* error = nullptr);
