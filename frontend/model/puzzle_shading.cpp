#include "puzzle_shading.h"

#include "piece.h"
#include "piece_outline.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
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

// Eight bytes of the mask as one word, the first in its lowest byte.
uint64_t word(const uint8_t* at)
{
    uint64_t w;
    std::memcpy(&w, at, sizeof w);
    if constexpr (std::endian::native == std::endian::big)
        w = __builtin_bswap64(w);
    return w;
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
    if (picture.isNull())
        return;
    // The outline as a mask over its bounding box with a border of one
    // empty pixel all round, so every neighbour test stays inside it, and
    // a word's worth of slack at the end for the reads eight pixels at a
    // time. Made straight from the edges: the piece's own outline, a region,
    // costs twice the shading to work out.
    const piece_geometry::OutlineMask m = piece_geometry::outlineMask(piece, a, piece.rotation, sizeof(uint64_t));
    const QRect b = m.box;
    if (b.isEmpty())
        return;
    const int bw = b.width();
    const int bh = b.height();
    const int stride = m.stride;
    const std::vector<uint8_t>& mask = m.bits;
    const int t = a + reach(piece.leftKind, piece.lrDiameter, piece.leftDx, a)
                  + reach(piece.topKind, piece.tbDiameter, piece.topDy, a);
    const Tables& rules = tables();
    const int originX = piece.column * a + b.left();
    const int originY = piece.row * a + b.top();
    // The columns of the mask that fall on the picture.
    const int x0 = std::max(0, -originX);
    const int x1 = std::min(bw, picture.width() - originX);
    if (x0 >= x1)
        return;

    for (int y = 0; y < bh; ++y) {
        const int py = originY + y;
        if (py < 0 || py >= picture.height())
            continue;
        const uint8_t* up = mask.data() + size_t(y) * size_t(stride) + 1;
        const uint8_t* cur = up + stride;
        const uint8_t* down = cur + stride;
        QRgb* line = nullptr;
        // The rim is the outline's own border: its pixels with a neighbour
        // outside it. Eight mask bytes (each 0 or 1) are tested at once, and
        // only the few rim pixels among them are visited; bytes past the
        // row's end may read the next row and are never used.
        for (int x = x0; x < x1; x += 8) {
            const uint64_t c = word(cur + x);
            uint64_t rim = c & ~(word(cur + x - 1) & word(cur + x + 1) & word(up + x) & word(down + x));
            for (; rim; rim &= rim - 1) {
                const int at = x + std::countr_zero(rim) / 8;
                if (at >= x1)
                    break;
                if (!line)
                    line = reinterpret_cast<QRgb*>(picture.scanLine(py));
                // Inside the outline moved one pixel down and right: the
                // rim's lower-right side, which is darkened.
                const bool inside = up[at - 1] != 0;
                const bool near = at + y < t;
                QRgb& pixel = line[originX + at];
                pixel = apply(pixel, rules.rule[inside][near]);
            }
        }
    }
}

} // namespace puzzle_shading
