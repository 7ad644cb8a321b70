// Outline geometry: the cell square with a thin lens and a circle per edge.
// What one piece gains at an edge its neighbour loses, because both build the
// same lens and circle from the same box.

#include "piece_outline.h"

#include "piece.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstring>
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

// Calls f(row, left, right) for each row of the ellipse inscribed in a w x h
// box at the origin that holds any pixel.
template <class F>
void forEachEllipseRow(int w, int h, F f)
{
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
        f(j, int((W - 1 - k) / 2), int((W - 1 + k) / 2));
    }
}

struct Span {
    int row, left, right;
};

// What is made for one box size, kept per size: pieces reuse a handful of
// sizes. One cache per thread: the player makes a puzzle's outlines on a
// second core.
template <class T, class Make>
const T& bySize(QHash<quint64, T>& cache, int w, int h, Make make)
{
    const quint64 key = (quint64(uint32_t(w)) << 32) | uint32_t(h);
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        if (cache.size() > 512)
            cache.clear();
        it = cache.insert(key, make());
    }
    return *it;
}

// The rows of an ellipse at the origin.
const std::vector<Span>& ellipseSpans(int w, int h)
{
    thread_local QHash<quint64, std::vector<Span>> cache;
    return bySize(cache, w, h, [&] {
        std::vector<Span> spans;
        forEachEllipseRow(w, h, [&](int j, int left, int right) { spans.push_back({j, left, right}); });
        return spans;
    });
}

QRegion ellipseAtOrigin(int w, int h)
{
    std::vector<QRect> rows;
    rows.reserve(size_t(h));
    forEachEllipseRow(w, h, [&](int j, int left, int right) { rows.emplace_back(left, j, right - left + 1, 1); });
    QRegion r;
    if (!rows.empty())
        r.setRects(rows.data(), int(rows.size()));
    return r;
}

// One edge's lens (clipped short of the corners) and circle, turned and
// scaled as the outline asks.
struct EdgeShape {
    int kind;
    QRect lens;
    QRect lensClip;
    QRect circle;
};

// The shapes of the edges that are not flat, in the order left, right,
// top, bottom.
struct EdgeShapes {
    EdgeShape shape[4];
    int count = 0;
    const EdgeShape* begin() const { return shape; }
    const EdgeShape* end() const { return shape + count; }
};

EdgeShapes edgeShapes(const CPiece& p, int a, int rotation, int s)
{
    const int v = a / 16;
    // Boxes as (left, top, width, height); the width and height exclude the
    // right and bottom lines, as the platform's boxes do.
    auto box = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
    const int dl = p.lrDiameter, dt = p.tbDiameter;
    const EdgeShape edges[4] = {
        {p.leftKind, box(-v, 0, v, a), {}, QRect(p.leftDx - dl / 2, (a - dl) / 2 + p.leftDy, dl, dl)},
        {p.rightKind, box(a - v, 0, a + v, a), {}, QRect(p.rightDx + a - dl / 2, (a - dl) / 2 + p.rightDy, dl, dl)},
        {p.topKind, box(0, -v, a, v), {}, QRect((a - dt) / 2 + p.topDx, p.topDy - dt / 2, dt, dt)},
        {p.bottomKind, box(0, a - v, a, a + v), {}, QRect((a - dt) / 2 + p.bottomDx, a + p.bottomDy - dt / 2, dt, dt)},
    };
    EdgeShapes out;
    for (EdgeShape e : edges) {
        if (e.kind == 0)
            continue;
        for (int t = 0; t < rotation; ++t) {
            e.lens = turnBox(e.lens, a);
            e.circle = turnBox(e.circle, a);
        }
        // A finer outline keeps every box of the plain one, only measured in
        // smaller pixels: neighbours still share their boxes, so they still tile.
        e.lens = scaleBox(e.lens, s);
        e.circle = scaleBox(e.circle, s);
        // The lens stops v short of both corners of its edge: there the lenses
        // of two edges cross, and two pieces at a corner would both claim the
        // pixels where they do.
        const int cut = v * s;
        e.lensClip = e.lens.width() > e.lens.height() ? e.lens.adjusted(cut, 0, -cut, 0)
                                                      : e.lens.adjusted(0, cut, 0, -cut);
        out.shape[out.count++] = e;
    }
    return out;
}

} // namespace

QRegion ellipse(const QRect& box)
{
    if (box.width() <= 0 || box.height() <= 0)
        return QRegion();
    thread_local QHash<quint64, QRegion> cache;
    return bySize(cache, box.width(), box.height(), [&] { return ellipseAtOrigin(box.width(), box.height()); })
        .translated(box.left(), box.top());
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
    const int s = std::max(scale, 1);
    QRegion r(0, 0, a * s, a * s);
    QRegion holes;
    for (const EdgeShape& e : edgeShapes(p, a, rotation, s)) {
        const QRegion lensRegion = ellipse(e.lens).intersected(e.lensClip);
        if (e.kind == 1) {
            r = r.subtracted(lensRegion).united(ellipse(e.circle));
        } else {
            r = r.united(lensRegion);
            holes += ellipse(e.circle);
        }
    }
    // Holes are cut last. Where a knob's circle and a hole's circle of the
    // same piece overlap inside it, the neighbour's knob fills that part of
    // the hole, so the piece must not keep it through its own knob.
    return r.subtracted(holes);
}

OutlineMask outlineMask(const CPiece& p, int a, int rotation, int slack)
{
    // The same steps as outline(), row by row over a box that holds every
    // shape; the holes are cut last, as there.
    const EdgeShapes edges = edgeShapes(p, a, rotation, 1);
    QRect work(0, 0, a, a);
    for (const EdgeShape& e : edges)
        work |= e.lens | e.circle;
    const int ww = work.width();
    const int wh = work.height();
    std::vector<uint8_t> grid(size_t(ww) * size_t(wh), 0);
    auto ellipseRows = [&](const QRect& box, const QRect& clip, uint8_t value) {
        if (box.width() <= 0 || box.height() <= 0)
            return;
        for (const auto& [j, left, right] : ellipseSpans(box.width(), box.height())) {
            const int y = box.top() + j;
            const int x0 = std::max(box.left() + left, clip.left());
            const int x1 = std::min(box.left() + right, clip.right());
            if (y >= clip.top() && y <= clip.bottom() && x0 <= x1)
                std::memset(grid.data() + size_t(y - work.top()) * size_t(ww) + size_t(x0 - work.left()), value,
                            size_t(x1 - x0 + 1));
        }
    };
    for (int y = 0; y < a; ++y)
        std::memset(grid.data() + size_t(y - work.top()) * size_t(ww) - work.left(), 1, size_t(a));
    for (const EdgeShape& e : edges) {
        if (e.kind == 1) {
            ellipseRows(e.lens, e.lensClip, 0);
            ellipseRows(e.circle, work, 1);
        } else {
            ellipseRows(e.lens, e.lensClip, 1);
        }
    }
    for (const EdgeShape& e : edges)
        if (e.kind != 1)
            ellipseRows(e.circle, work, 0);

    // The outline's own bounding box, as the region would give it: most
    // rows are full to near both ends, so each is searched from its ends.
    int left = ww, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < wh; ++y) {
        const uint8_t* row = grid.data() + size_t(y) * size_t(ww);
        const auto* first = static_cast<const uint8_t*>(std::memchr(row, 1, size_t(ww)));
        if (!first)
            continue;
        int last = ww - 1;
        while (!row[last])
            --last;
        left = std::min(left, int(first - row));
        right = std::max(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    OutlineMask m;
    if (top < 0)
        return m;
    m.box = QRect(work.left() + left, work.top() + top, right - left + 1, bottom - top + 1);
    m.stride = m.box.width() + 2;
    m.bits.assign(size_t(m.stride) * size_t(m.box.height() + 2) + size_t(std::max(slack, 0)), 0);
    for (int y = top; y <= bottom; ++y)
        std::memcpy(m.bits.data() + size_t(y - top + 1) * size_t(m.stride) + 1,
                    grid.data() + size_t(y) * size_t(ww) + left, size_t(m.box.width()));
    return m;
}

} // namespace piece_geometry
