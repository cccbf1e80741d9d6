#pragma once

#include <QString>

#include <functional>

class QFileDevice;

// The few file operations that replacing a file of the user's data safely needs: forcing a
// file and its folder to disk, and one atomic rename over an existing file.
namespace DurableFile {

// The file a path stands for: the target of a symbolic link, so that a replacement lands on
// the real file instead of turning the link into a file of its own.
QString resolved(const QString& path);

// Forces the contents of an open file or of the file at path to disk.
bool syncDescriptor(int descriptor, QString* error);
bool syncFile(const QString& path, QString* error);
bool syncFile(QFileDevice& file, QString* error);

// Forces a folder's entries (a rename into it) to disk. Succeeds without doing anything where
// the platform has no such operation.
bool syncFolder(const QString& folder, QString* error);

// Renames from over to in one step: at every moment, to names either the old or the new file.
bool renameOver(const QString& from, const QString& to, QString* error);

// The steps that make a replacement durable, as they succeed: tests watch their order. The
// program sets no watcher.
enum class Step
{
    Synced,
    Renamed,
    FolderSynced
};
using StepWatcher = std::function<void(Step step, const QString& path)>;
void setStepWatcher(StepWatcher watcher);

// The platform's text for the last failed system call.
QString lastSystemError();

} // namespace DurableFile
