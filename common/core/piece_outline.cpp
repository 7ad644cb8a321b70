// Outline geometry: the cell square with a thin lens and a circle per edge.
// What one piece gains at an edge its neighbour loses, because both build the
// same lens and circle from the same box.

#include "piece_outline.h"

#include "piece.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace piece_geometry {
namespace {

// Largest k with k*k*h*h <= m.
int64_t maxOffset(int64_t m, int64_t h)
{
    int64_t k = int64_t(std::sqrt(double(m)) / double(h));
    while (k > 0 && k * k * h * h > m)
        --k;
    while ((k + 1) * (k + 1) * h * h <= m)
        ++k;
    return k;
}

QRegion ellipseAtOrigin(int w, int h)
{
    std::vector<QRect> rows;
    rows.reserve(size_t(h));
    const int64_t W = w, H = h;
    for (int j = 0; j < h; ++j) {
        // Pixel centres in doubled units, relative to the box centre, so the
        // test is exact and the same for a box and its quarter turn.
        const int64_t dy2 = 2 * j + 1 - H;
        const int64_t m = W * W * (H * H - dy2 * dy2);
        int64_t k = maxOffset(m, H);
        if ((k + W + 1) % 2 != 0)
            --k; // dx2 = 2i + 1 - w has the parity of w + 1
        if (k < 0)
            continue;
        const int left = int((W - 1 - k) / 2);
        const int right = int((W - 1 + k) / 2);
        rows.emplace_back(left, j, right - left + 1, 1);
    }
    QRegion r;
    if (!rows.empty())
        r.setRects(rows.data(), int(rows.size()));
    return r;
}

} // namespace

QRegion ellipse(const QRect& box)
{
    if (box.width() <= 0 || box.height() <= 0)
        return QRegion();
    // Pieces reuse a handful of sizes; keep their ellipses. One cache per
    // thread: the player makes a puzzle's outlines on a second core.
    thread_local QHash<quint64, QRegion> cache;
    const quint64 key = (quint64(uint32_t(box.width())) << 32) | uint32_t(box.height());
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        if (cache.size() > 512)
            cache.clear();
        it = cache.insert(key, ellipseAtOrigin(box.width(), box.height()));
    }
    return it->translated(box.left(), box.top());
}

QRect turnBox(const QRect& box, int a)
{
    const int x0 = box.left(), y0 = box.top();
    const int x1 = x0 + box.width(), y1 = y0 + box.height();
    return QRect(a - y1, x0, y1 - y0, x1 - x0);
}

QRect scaleBox(const QRect& box, int scale)
{
    return QRect(box.left() * scale, box.top() * scale, box.width() * scale, box.height() * scale);
}

QRegion outline(const CPiece& p, int a, int rotation, int scale)
{
    const int v = a / 16;
    // Boxes as (left, top, width, height); the width and height exclude the
    // right and bottom lines, as the platform's boxes do.
    auto box = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
    struct Edge {
        int kind;
        QRect lens;
        QRect circle;
    };
    const int dl = p.lrDiameter, dt = p.tbDiameter;
    const Edge edges[4] = {
        {p.leftKind, box(-v, 0, v, a),
         QRect(p.leftDx - dl / 2, (a - dl) / 2 + p.leftDy, dl, dl)},
        {p.rightKind, box(a - v, 0, a + v, a),
         QRect(p.rightDx + a - dl / 2, (a - dl) / 2 + p.rightDy, dl, dl)},
        {p.topKind, box(0, -v, a, v),
         QRect((a - dt) / 2 + p.topDx, p.topDy - dt / 2, dt, dt)},
        {p.bottomKind, box(0, a - v, a, a + v),
         QRect((a - dt) / 2 + p.bottomDx, a + p.bottomDy - dt / 2, dt, dt)},
    };
    // A finer outline keeps every box of the plain one, only measured in
    // smaller pixels: neighbours still share their boxes, so they still tile.
    const int s = std::max(scale, 1);
    QRegion r(0, 0, a * s, a * s);
    QRegion holes;
    for (const Edge& e : edges) {
        if (e.kind == 0)
            continue;
        QRect lens = e.lens, circle = e.circle;
        for (int t = 0; t < rotation; ++t) {
            lens = turnBox(lens, a);
            circle = turnBox(circle, a);
        }
        lens = scaleBox(lens, s);
        circle = scaleBox(circle, s);
        // The lens stops v short of both corners of its edge: there the lenses
        // of two edges cross, and two pieces at a corner would both claim the
        // pixels where they do.
        const int cut = v * s;
        const QRect lensClip = lens.width() > lens.height() ? lens.adjusted(cut, 0, -cut, 0)
                                                            : lens.adjusted(0, cut, 0, -cut);
        const QRegion lensRegion = ellipse(lens).intersected(lensClip);
        if (e.kind == 1) {
            r = r.subtracted(lensRegion).united(ellipse(circle));
        } else {
            r = r.united(lensRegion);
            holes += ellipse(circle);
        }
    }
    // Holes are cut last. Where a knob's circle and a hole's circle of the
    // same piece overlap inside it, the neighbour's knob fills that part of
    // the hole, so the piece must not keep it through its own knob.
    return r.subtracted(holes);
}

} // namespace piece_geometry
