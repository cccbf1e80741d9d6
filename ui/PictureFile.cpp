#include "ui/PictureFile.h"

#include "store/files/BoundedFile.h"

namespace PictureFile {

QPixmap load(const QString& path)
{
    QByteArray content;
    QPixmap picture;
    if (BoundedFile::read(path, BoundedFile::PictureLimit, &content))
        picture.loadFromData(content);
    return picture;
}

} // namespace PictureFile
