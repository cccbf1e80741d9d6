#pragma once

#include <QPixmap>
#include <QString>

namespace PictureFile {

// The picture in an ordinary file of at most BoundedFile::PictureLimit bytes; a null pixmap
// for anything else (a pipe, a device, a folder, a missing, oversized or damaged file).
QPixmap load(const QString& path);

} // namespace PictureFile
