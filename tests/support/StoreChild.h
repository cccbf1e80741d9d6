#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

struct StoreChildLimits
{
    // Largest file the child may write, in bytes; negative: no limit.
    qint64 fileSizeLimit = -1;
    // Run as the user "nobody" when started by root.
    bool asNobody = false;
};

// Runs a backup or a compaction in a child copy of the running test program, so that a test
// can kill it at any moment or run it under limits that hold even for root: a file size limit
// (a full disk) or the identity of an unprivileged user (a folder it may not write).
//
// A test program that uses it declares, in its test class:
//     static void initMain() { StoreChild::runIfRequested(); }
class StoreChild
{
public:
    using Limits = StoreChildLimits;

    struct Outcome
    {
        bool finished = false;
        int exitCode = -1;
        QString output;
    };

    ~StoreChild();

    // Starts "compact <dbPath>" or "backup <source> <target>".
    void start(const QStringList& operation, const Limits& limits = {});
    // Waits until the child is about to begin the operation.
    bool waitUntilReady(int msecs = 30000);
    void kill();
    Outcome finish(int msecs = 120000);

    // start, then finish.
    static Outcome run(const QStringList& operation, const Limits& limits = {});

    // In a child: runs the operation and ends the process. Returns at once otherwise.
    static void runIfRequested();

private:
    QProcess m_process;
    QByteArray m_output;
};
