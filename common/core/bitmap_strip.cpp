#include "bitmap_strip.h"

#include <QPainter>

namespace bitmap_strip {

QRect lookRect(const QImage& strip, int look, int looks)
{
    if (strip.isNull() || looks < 1 || look < 0 || look >= looks)
        return {};
    const int h = strip.height() / looks;
    return QRect(0, look * h, strip.width(), h);
}

void drawLook(QPainter& painter, QPoint at, const QImage& strip, int look, int looks)
{
    const QRect source = lookRect(strip, look, looks);
    if (!source.isEmpty())
        painter.drawImage(at, strip, source);
}

} // namespace bitmap_strip
