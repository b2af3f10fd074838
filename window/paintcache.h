#pragma once

#include <QSize>

#include <cstddef>
#include <functional>

class QPainter;
class QPaintEvent;
class QStyle;
class QWidget;

namespace quorlex
{

// Everything besides the pixels underneath that a widget's own drawing depends on, for widgets
// whose drawing has no text or other content of their own.
struct PaintKey {
    const void *kind; // one tag per widget class, so that classes never share a drawing
    const QStyle *style;
    qint64 palette; // QPalette::cacheKey()
    int state;      // QStyle::State
    int extra;      // anything else the class's drawing reads, 0 if nothing
    int direction;
    QSize size;
    qreal pixelRatio; // set from the painter's scale when painting

    bool operator==(const PaintKey &other) const;
};

// Paints `widget` with `draw`, or copies the pixels that an earlier call left with the same key
// over the same pixels underneath. Copying the finished pixels, rather than blending a cached
// drawing over whatever is underneath, gives exactly the pixels `draw` itself would have given:
// blending twice rounds differently from blending once. Whenever the pixels cannot be read back
// (painting into anything but an image, a transformed or partly clipped painter, a position
// between device pixels, a style other than Fusion or a style sheet), `draw` simply runs.
void paintThroughCache(QWidget *widget, QPaintEvent *event, const PaintKey &key,
                       const std::function<void(QPainter &)> &draw);

// How many finished renderings are kept, for all keys together: a test's way to see that the
// copying path, and not only the style, has painted.
std::size_t keptRenderings();

} // namespace quorlex
