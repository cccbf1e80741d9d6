#pragma once

#include <QByteArray>
#include <QString>

// Reads files that come from outside the program (skins, pictures, texts, the registry file)
// without ever blocking on a pipe or device and without reading more than a limit.
namespace BoundedFile {

inline constexpr qint64 TextLimit = 1 << 20;     // skin files, comments.txt
inline constexpr qint64 PictureLimit = 32 << 20; // skin and window pictures

// The whole content of an ordinary file at path (a link to one counts), when it holds at most
// limit bytes. A pipe, a device, a folder, a missing, unreadable or larger file: false, with
// error saying why. Opening never waits for a writer.
bool read(const QString& path, qint64 limit, QByteArray* content, QString* error = nullptr);

} // namespace BoundedFile
