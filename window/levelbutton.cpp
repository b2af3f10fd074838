#include "levelbutton.h"

#include "paintcache.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace quorlex
{

void LevelButton::paintEvent(QPaintEvent *event)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!option.text.isEmpty() || !option.icon.isNull()) {
        QRadioButton::paintEvent(event);
        return;
    }
    static const char kind = 0;
    const PaintKey key{
        &kind,  style(), palette().cacheKey(), int(option.state), 0, int(option.direction),
        size(), 0};
    paintThroughCache(this, event, key, [this, &option](QPainter &painter) {
        style()->drawControl(QStyle::CE_RadioButton, &option, &painter, this);
    });
}

} // namespace quorlex
