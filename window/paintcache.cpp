#include "paintcache.h"

#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStylePainter>
#include <QWidget>

#include <cstring>
#include <vector>

namespace quorlex
{

bool PaintKey::operator==(const PaintKey &other) const
{
    return kind == other.kind && style == other.style && palette == other.palette &&
           state == other.state && extra == other.extra && direction == other.direction &&
           size == other.size && pixelRatio == other.pixelRatio;
}

// Found by argument-dependent look-up, so it lives beside PaintKey.
size_t qHash(const PaintKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.kind, key.style, key.palette, key.state, key.extra, key.direction,
                      key.size.width(), key.size.height(), key.pixelRatio);
}

namespace
{

struct Rendering {
    QImage underneath;
    QImage finished;
};

// Few widgets ever differ in what lies underneath them, so each key keeps only a few.
constexpr std::size_t kRenderingsPerKey = 4;

QHash<PaintKey, std::vector<Rendering>> &renderings()
{
    static QHash<PaintKey, std::vector<Rendering>> cache;
    return cache;
}

bool samePixels(const QImage &device, const QRect &area, const QImage &copy)
{
    if (copy.format() != device.format())
        return false;
    const std::size_t rowBytes = std::size_t(area.width()) * 4;
    for (int y = 0; y < area.height(); ++y) {
        const uchar *line = device.constScanLine(area.top() + y) + std::size_t(area.left()) * 4;
        if (std::memcmp(line, copy.constScanLine(y), rowBytes) != 0)
            return false;
    }
    return true;
}

// Fusion draws option buttons and frames from the style option alone. Other styles animate state
// changes per widget (a copy would freeze a frame of the animation), and a style sheet can
// draw each widget differently by name.
bool drawsFromOptionAlone(const QStyle *style)
{
    return style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 &&
           !style->inherits("QStyleSheetStyle");
}

// The device pixels the widget covers, if all of them are about to be painted and can be read.
QRect readableArea(QPainter &painter, const QWidget *widget, const QPaintEvent *event)
{
    if (!drawsFromOptionAlone(widget->style()))
        return {};
    const QPaintEngine *engine = painter.paintEngine();
    if (!engine || !engine->paintDevice() || engine->paintDevice()->devType() != QInternal::Image)
        return {};
    const auto *image = static_cast<const QImage *>(engine->paintDevice());
    if (image->depth() != 32)
        return {};
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxScale || transform.m11() != transform.m22() ||
        transform.m11() <= 0)
        return {};
    const QRectF exact = transform.mapRect(QRectF(widget->rect()));
    const QRect area = exact.toRect();
    if (QRectF(area) != exact || !image->rect().contains(area))
        return {};
    // Pixels outside what this paint covers are stale, or belong to a widget on top.
    if (!(QRegion(widget->rect()) - event->region()).isEmpty())
        return {};
    const QRegion clip = engine->systemClip();
    if (!clip.isEmpty() && !(QRegion(area) - clip).isEmpty())
        return {};
    return area;
}

} // namespace

void paintThroughCache(QWidget *widget, QPaintEvent *event, const PaintKey &key,
                       const std::function<void(QPainter &)> &draw)
{
    // Set up as the standard widgets set up theirs: with smooth scaling, which shows where a
    // style stretches a picture at a device pixel ratio above 1.
    QStylePainter painter(widget);
    const QRect area = readableArea(painter, widget, event);
    if (area.isEmpty()) {
        draw(painter);
        return;
    }
    const auto *device = static_cast<const QImage *>(painter.paintEngine()->paintDevice());
    // The scale painted at, which can differ from the widget's own pixel ratio when the widget
    // is rendered into an image.
    PaintKey scaledKey = key;
    scaledKey.pixelRatio = painter.deviceTransform().m11();
    std::vector<Rendering> &known = renderings()[scaledKey];
    for (const Rendering &rendering : known) {
        if (samePixels(*device, area, rendering.underneath)) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPointF(0, 0), rendering.finished);
            return;
        }
    }
    QImage underneath = device->copy(area);
    painter.save();
    draw(painter);
    painter.restore();
    if (known.size() < kRenderingsPerKey) {
        QImage finished = device->copy(area);
        finished.setDevicePixelRatio(scaledKey.pixelRatio);
        known.push_back({std::move(underneath), std::move(finished)});
    }
}

std::size_t keptRenderings()
{
    std::size_t count = 0;
    for (const std::vector<Rendering> &known : std::as_const(renderings()))
        count += known.size();
    return count;
}

} // namespace quorlex
