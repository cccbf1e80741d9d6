#pragma once

#include <QProcess>
#include <QStringList>

// Runs a backup or a compaction in a child copy of the running test program, so that a test
// can kill it at any moment or limit it in ways that hold even for root: a largest file size
// (a full disk) or the identity of the user "nobody" (a folder it may not write). The test
// class declares: static void initMain() { StoreChild::runIfRequested(); }
class StoreChild : public QProcess
{
public:
    // operation: "compact", dbPath or "backup", source, target (a compaction ignores a third
    // item); or another program on the file: "add", dbPath, count (prints "committed N" after
    // each commit) or "hold", dbPath (prints "holding" inside a read transaction and waits) or
    // "lock", dbPath (the same inside an exclusive transaction) or "spill", dbPath (prints
    // "holding" with part of an uncommitted change written into the file, and waits); a writer
    // that opens the file anew for each record: "write", dbPath, passphrases... (records until
    // killed) or "try", dbPath, passphrases... (one attempt), each printing "committed N",
    // "busy" (another program holds the write lock) or "moved" (the file was replaced under
    // it); or "unprotect", dbPath, passphrase, killed once its export has ended.
    // fileSizeLimit < 0: none.
    explicit StoreChild(const QStringList& operation, qint64 fileSizeLimit = -1,
                        bool asNobody = false);
    // Waits until the child is about to begin the operation: its first line says so.
    bool waitUntilReady() { return waitForReadyRead(30000); }
    // Waits for the end: the exit code, -1 when killed; output gets what the child printed.
    int finish(QString* output = nullptr);
    // In a child: runs the operation and ends the process. Returns at once otherwise.
    static void runIfRequested();
};
