// The programs' icons: Vorlin's green piece with a spark (it makes puzzles),
// TileMender's four pieces coming together (it plays them). Both stand on
// the suite's purple tile so they read as one family.
#include "art.h"
#include "theme.h"

#include <QLinearGradient>

namespace art {
namespace {

// The rounded purple tile of both icons; returns the painter's unit, the
// icon's side.
void paintTile(QPainter &p, double s)
{
    QPainterPath tile;
    tile.addRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.2, s * 0.2);
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(120, 52, 196));
    g.setColorAt(0.55, QColor(76, 26, 136));
    g.setColorAt(1, QColor(40, 10, 72));
    p.fillPath(tile, g);
    p.strokePath(tile, QPen(kGreen, std::max(1.0, s * 0.035)));
}

QImage iconCanvas(int size) { return canvas(size, size); }

} // namespace

QImage vorlinIcon(int size)
{
    QImage img = iconCanvas(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    paintTile(p, s);
    const QRectF cell(s * 0.2, s * 0.3, s * 0.46, s * 0.46);
    const QPainterPath piece = jigsawPiece(cell, {1, 1, -1, 0});
    paintGreenPiece(p, piece, cell, QPointF(s * 0.03, s * 0.04), 110, std::max(1.0, s * 0.025));
    // A four-pointed gold spark at the top right.
    const QPointF c(s * 0.74, s * 0.26);
    const double r = s * 0.15, w = s * 0.04;
    QPainterPath spark;
    spark.moveTo(c + QPointF(0, -r));
    spark.lineTo(c + QPointF(w, -w));
    spark.lineTo(c + QPointF(r, 0));
    spark.lineTo(c + QPointF(w, w));
    spark.lineTo(c + QPointF(0, r));
    spark.lineTo(c + QPointF(-w, w));
    spark.lineTo(c + QPointF(-r, 0));
    spark.lineTo(c + QPointF(-w, -w));
    spark.closeSubpath();
    p.fillPath(spark, kGold);
    p.end();
    return img;
}

QImage tileMenderIcon(int size)
{
    QImage img = iconCanvas(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    paintTile(p, s);
    // Three pieces joined, the fourth (green) on its way in.
    const double c = s * 0.26, x0 = s * 0.2, y0 = s * 0.22;
    const std::array<int, 4> edges[4] = {{0, 1, -1, 0}, {0, 0, 1, -1}, {1, -1, 0, 0}, {-1, 0, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        const QRectF cell(x0 + (i % 2) * c, y0 + (i / 2) * c, c, c);
        const QPainterPath pc = jigsawPiece(cell, edges[i]);
        if (i == 3) {
            const QPainterPath moved = pc.translated(s * 0.1, s * 0.1);
            p.fillPath(moved.translated(s * 0.02, s * 0.03), QColor(0, 0, 0, 110));
            p.fillPath(moved, kGreen);
            p.strokePath(moved, QPen(QColor(210, 255, 190), std::max(1.0, s * 0.02)));
        } else {
            p.fillPath(pc, kLavender);
            p.strokePath(pc, QPen(QColor(60, 20, 108), std::max(1.0, s * 0.02)));
        }
    }
    p.end();
    return img;
}

} // namespace art
