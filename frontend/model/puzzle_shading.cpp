#include "puzzle_shading.h"

#include "piece.h"

#include <array>
#include <vector>

namespace puzzle_shading {
namespace {

using Table = std::array<uint8_t, 256>;

// The rules as tables: one look-up per channel instead of two comparisons.
struct Tables {
    Table rule[2][2]; // [inside][near]
    Tables()
    {
        for (int v = 0; v < 256; ++v) {
            rule[1][1][size_t(v)] = darkenNear(v);
            rule[1][0][size_t(v)] = darkenFar(v);
            rule[0][1][size_t(v)] = lightenNear(v);
            rule[0][0][size_t(v)] = lightenFar(v);
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

QRgb apply(QRgb c, const Table& t)
{
    return qRgb(t[size_t(qRed(c))], t[size_t(qGreen(c))], t[size_t(qBlue(c))]);
}

// How far the rim's light half reaches along one axis from the cell's
// corner: past a knob's circle, or a little way into a hole.
int reach(int kind, int diameter, int offset, int cellSize)
{
    if (kind == CPiece::Flat)
        return 0;
    if (kind == CPiece::Knob)
        return diameter / 2 - offset;
    return cellSize / 16;
}

} // namespace

void shadePiece(QImage& picture, const CPiece& piece, int a)
{
    const QRegion& outline = piece.outline();
    const QRect b = outline.boundingRect();
    if (b.isEmpty() || picture.isNull())
        return;
    const int bw = b.width();
    const int bh = b.height();

    // The outline as a mask over its bounding box with a border of one
    // empty pixel all round, so every neighbour test stays inside it.
    const int stride = bw + 2;
    std::vector<uint8_t> mask(size_t(stride) * size_t(bh + 2), 0);
    for (const QRect& r : outline) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            uint8_t* row = mask.data() + size_t(y - b.top() + 1) * size_t(stride) + size_t(r.left() - b.left() + 1);
            std::fill(row, row + r.width(), uint8_t(1));
        }
    }
    auto at = [&](int x, int y) { return mask[size_t(y + 1) * size_t(stride) + size_t(x + 1)]; };

    const int t = a + reach(piece.leftKind, piece.lrDiameter, piece.leftDx, a)
                  + reach(piece.topKind, piece.tbDiameter, piece.topDy, a);
    const Tables& rules = tables();
    const int originX = piece.column * a + b.left();
    const int originY = piece.row * a + b.top();

    for (int y = 0; y < bh; ++y) {
        const int py = originY + y;
        if (py < 0 || py >= picture.height())
            continue;
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(py));
        for (int x = 0; x < bw; ++x) {
            // The rim is the outline's own border: its pixels with a
            // neighbour outside it.
            if (!at(x, y) || (at(x - 1, y) && at(x + 1, y) && at(x, y - 1) && at(x, y + 1)))
                continue;
            const int px = originX + x;
            if (px < 0 || px >= picture.width())
                continue;
            // Inside the outline moved one pixel down and right: the rim's
            // lower-right side, which is darkened.
            const bool inside = at(x - 1, y - 1);
            const bool near = x + y < t;
            line[px] = apply(line[px], rules.rule[inside][near]);
        }
    }
}

} // namespace puzzle_shading
