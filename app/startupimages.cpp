#include "startupimages.h"

#include <QImageReader>
#include <QPixmap>

namespace quorlex
{

namespace
{

// QImageReader, left to guess the format, loads every image-format plugin to probe the data
// (the SVG, JPEG, GIF and ICO readers with their libraries). Told the format and not to
// guess, it loads none.
QImage readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        const QImage image = readPng(QStringLiteral(":/icons/quorlex-config-%1.png").arg(size));
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace quorlex
