#include "rowframe.h"

#include "paintcache.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace quorlex
{

void RowFrame::paintEvent(QPaintEvent *event)
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    if (!option.text.isEmpty() || isCheckable()) {
        QGroupBox::paintEvent(event);
        return;
    }
    static const char kind = 0;
    const PaintKey key{&kind,
                       style(),
                       palette().cacheKey(),
                       int(option.state),
                       int(option.features) | int(option.subControls) << 8,
                       int(option.direction),
                       size(),
                       0};
    paintThroughCache(this, event, key, [this, &option](QPainter &painter) {
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
    });
}

} // namespace quorlex
