#include "startupimages.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QPixmapCache>

namespace quorlex
{

namespace
{

// QImageReader, left to guess the format, loads every image-format plugin to probe the data
// (the SVG, JPEG, GIF and ICO readers with their libraries), some 3 M instructions and half a
// MiB of memory at start-up for one small PNG. Told the format and not to guess, it loads none.
QImage readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// One part of QPixmap::load()'s cache key: the bytes of the value as they lie in memory, each
// written as two hex digits, low nibble first.
template <typename T> QString keyPart(T value)
{
    static const char digits[] = "0123456789abcdef";
    const auto *bytes = reinterpret_cast<const unsigned char *>(&value);
    QString part;
    for (size_t i = 0; i < sizeof(T); ++i) {
        part += QLatin1Char(digits[bytes[i] & 0xf]);
        part += QLatin1Char(digits[bytes[i] >> 4]);
    }
    return part;
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

void cacheGroupBoxFrame()
{
    const QString path =
        QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");
    const QFileInfo info(path);
    if (!info.exists())
        return;
    // The key QPixmap::load() looks up first: "qt_pixmap", the path, the time of the last
    // change, the size and the pixel type (0, a pixmap). Should Qt ever build it differently,
    // the style loads the picture itself as before, and only the saving is lost.
    const QString key = QLatin1String("qt_pixmap") + info.absoluteFilePath() +
                        keyPart<uint>(uint(info.lastModified().toSecsSinceEpoch())) +
                        keyPart<quint64>(quint64(info.size())) + keyPart<uint>(0);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return;
    const QImage image = readPng(path);
    if (!image.isNull())
        QPixmapCache::insert(key, QPixmap::fromImage(image));
}

} // namespace quorlex
