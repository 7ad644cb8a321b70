#include "theme.h"

#include <QPointF>
#include <QTransform>

namespace art {

QFont font(int pixelSize, bool bold, bool condensed)
{
    QFont f(condensed ? QStringLiteral("DejaVu Sans Condensed") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QImage canvas(int w, int h, const QColor &fill)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

namespace {

// One side of a piece from a to b in a unit frame: the knob sits in the
// middle third and bulges towards the outward normal when kind is 1.
void addEdge(QPainterPath &p, QPointF a, QPointF b, int kind)
{
    if (kind == 0) {
        p.lineTo(b);
        return;
    }
    const QPointF d = b - a;
    const QPointF n(d.y(), -d.x()); // outward for a clockwise walk
    const double s = kind;
    auto at = [&](double t, double h) { return a + d * t + n * (h * s); };
    p.lineTo(at(0.36, 0.0));
    p.cubicTo(at(0.42, 0.06), at(0.30, 0.22), at(0.50, 0.24));
    p.cubicTo(at(0.70, 0.22), at(0.58, 0.06), at(0.64, 0.0));
    p.lineTo(b);
}

} // namespace

QPainterPath jigsawPiece(const QRectF &r, const std::array<int, 4> &edges)
{
    QPainterPath p;
    const QPointF tl = r.topLeft(), tr = r.topRight(), br = r.bottomRight(), bl = r.bottomLeft();
    p.moveTo(tl);
    addEdge(p, tl, tr, edges[0]);
    addEdge(p, tr, br, edges[1]);
    addEdge(p, br, bl, edges[2]);
    addEdge(p, bl, tl, edges[3]);
    p.closeSubpath();
    return p;
}

} // namespace art
