#include "theme.h"

#include "layout.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPointF>

#include <vector>
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

void paintLattice(QPainter &p, const QRect &area)
{
    constexpr int cell = 64;
    const int cols = area.width() / cell + 2;
    const int rows = area.height() / cell + 2;
    Rng rng(7);
    std::vector<int> horiz(size_t(cols * rows)), vert(size_t(cols * rows));
    for (auto &e : horiz) e = (rng.next() & 1) ? 1 : -1;
    for (auto &e : vert) e = (rng.next() & 1) ? 1 : -1;

    p.save();
    p.setClipRect(area);
    p.setRenderHint(QPainter::Antialiasing);
    const double x0 = area.left() - 20, y0 = area.top() - 12;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const QRectF box(x0 + c * cell, y0 + r * cell, cell, cell);
            // Shared edges use opposite kinds so the pieces interlock.
            const int top = r > 0 ? -horiz[size_t((r - 1) * cols + c)] : 0;
            const int bottom = horiz[size_t(r * cols + c)];
            const int left = c > 0 ? -vert[size_t(r * cols + c - 1)] : 0;
            const int right = vert[size_t(r * cols + c)];
            const QPainterPath piece = jigsawPiece(box, {top, right, bottom, left});
            const int tint = rng.integer(0, 10);
            if (tint < 2)
                p.fillPath(piece, QColor(60, 200, 60, 14));
            else if (tint < 4)
                p.fillPath(piece, QColor(170, 110, 255, 12));
            p.strokePath(piece, QPen(QColor(180, 130, 255, 34), 1.2));
        }
    }
    p.restore();
}

void paintBorders(QPainter &p)
{
    const QColor rim(98, 44, 160);
    p.fillRect(0, layout::kCaptionBand, layout::kBorder, layout::kHeight, rim);
    p.fillRect(layout::kWidth - layout::kBorder, layout::kCaptionBand, layout::kBorder, layout::kHeight, rim);
    p.fillRect(0, layout::kHeight - layout::kBorder, layout::kWidth, layout::kBorder, rim);
    p.fillRect(layout::kWidth - 1, 0, 1, layout::kHeight, QColor(20, 4, 36));
    p.fillRect(0, layout::kHeight - 1, layout::kWidth, 1, QColor(20, 4, 36));
}

void paintGreenPiece(QPainter &p, const QPainterPath &piece, const QRectF &cell, QPointF shadow, int shadowAlpha,
                     double rim)
{
    p.fillPath(piece.translated(shadow), QColor(0, 0, 0, shadowAlpha));
    QLinearGradient g(cell.topLeft(), cell.bottomRight());
    g.setColorAt(0, kGreenBright);
    g.setColorAt(1, QColor(20, 120, 30));
    p.fillPath(piece, g);
    p.strokePath(piece, QPen(QColor(210, 255, 190), rim));
}

} // namespace art
