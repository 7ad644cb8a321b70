#include "keyboard_play.h"

#include <algorithm>

namespace keyboard_play {

int nextIndex(int count, int current, bool backwards)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        return backwards ? count - 1 : 0;
    return backwards ? (current + count - 1) % count : (current + 1) % count;
}

QPoint step(Direction d, bool wholeCell, int cellSize)
{
    const int n = wholeCell ? std::max(1, cellSize) : 1;
    switch (d) {
    case Direction::Left:
        return QPoint(-n, 0);
    case Direction::Right:
        return QPoint(n, 0);
    case Direction::Up:
        return QPoint(0, -n);
    case Direction::Down:
        return QPoint(0, n);
    }
    return QPoint();
}

namespace {
int keptOnAxis(int at, int length, int lo, int areaLength)
{
    // Right or bottom first, so a box too large for the area keeps its left or top.
    at = std::min(at, lo + areaLength - length);
    return std::max(at, lo);
}
} // namespace

QPoint movedInside(const QRect& box, QPoint delta, const QRect& area)
{
    const QPoint to = box.topLeft() + delta;
    return QPoint(keptOnAxis(to.x(), box.width(), area.left(), area.width()),
                  keptOnAxis(to.y(), box.height(), area.top(), area.height()));
}

QPoint freePlace(QSize size, const QRect& area, const std::vector<QRect>& taken, int cellSize)
{
    const int s = std::max(1, cellSize);
    for (int y = area.top(); y + size.height() <= area.top() + area.height(); y += s) {
        for (int x = area.left(); x + size.width() <= area.left() + area.width(); x += s) {
            const QRect r(QPoint(x, y), size);
            if (std::none_of(taken.begin(), taken.end(), [&](const QRect& t) { return t.intersects(r); }))
                return r.topLeft();
        }
    }
    return area.topLeft();
}

std::optional<QPoint> freeCell(QPoint boardOrigin, int columns, int rows, int cellSize,
                               const std::vector<QPoint>& takenOrigins)
{
    const int k = std::max(1, cellSize);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const QRect cell(boardOrigin + QPoint(c * k, r * k), QSize(k, k));
            if (std::none_of(takenOrigins.begin(), takenOrigins.end(),
                             [&](QPoint t) { return cell.intersects(QRect(t, QSize(k, k))); }))
                return cell.topLeft();
        }
    return std::nullopt;
}

} // namespace keyboard_play
