#include "board_rules.h"

#include <cstdlib>

namespace board_rules {

QPoint expectedPosition(Side side, int q, int k, QPoint n)
{
    // The offset of s from n at rotation 0, turned q times clockwise.
    QPoint d;
    switch (side) {
    case Side::Left: d = {k, 0}; break;
    case Side::Right: d = {-k, 0}; break;
    case Side::Upper: d = {0, k}; break;
    case Side::Lower: d = {0, -k}; break;
    }
    for (int i = 0; i < (q & 3); ++i)
        d = QPoint(-d.y(), d.x());
    return n + d;
}

void BoardGrid::reset(int columns, int rows)
{
    columns_ = std::max(columns, 0);
    rows_ = std::max(rows, 0);
    cells_.assign(size_t(columns_) * size_t(rows_), nullptr);
}

namespace {
struct Neighbour {
    int dc, dr;
    Side side; // what the neighbour is of the piece it is next to
};
// Upper, lower, left, right: the order the group search looks in.
constexpr Neighbour kSearchOrder[4] = {
    {0, -1, Side::Upper}, {0, 1, Side::Lower}, {-1, 0, Side::Left}, {1, 0, Side::Right}};
// Left, right, upper, lower: the order the match test looks in.
constexpr Neighbour kMatchOrder[4] = {
    {-1, 0, Side::Left}, {1, 0, Side::Right}, {0, -1, Side::Upper}, {0, 1, Side::Lower}};

Side sideOf(int dc, int dr)
{
    if (dc < 0) return Side::Left;
    if (dc > 0) return Side::Right;
    return dr < 0 ? Side::Upper : Side::Lower;
}
} // namespace

bool joined(const CPiece& s, const CPiece& n, int k)
{
    const int dc = n.column - s.column, dr = n.row - s.row;
    if (std::abs(dc) + std::abs(dr) != 1 || s.rotation != n.rotation)
        return false;
    return QPoint(s.x, s.y) == expectedPosition(sideOf(dc, dr), s.rotation, k, QPoint(n.x, n.y));
}

namespace {
// Cells reached from some starting pieces through exactly joined grid
// neighbours; each cell is marked once, so a spread is linear in the grid.
class Spread {
public:
    explicit Spread(const BoardGrid& grid)
        : grid_(grid), marks_(size_t(grid.columns()) * size_t(grid.rows()), 0)
    {
    }
    void start(const CPiece* p)
    {
        mark(p->column, p->row) = 1;
        todo_.push_back(p);
    }
    // `reached` hears of every piece found beyond the starting ones.
    template <class Reached>
    void run(int k, Reached reached)
    {
        while (!todo_.empty()) {
            const CPiece* p = todo_.back();
            todo_.pop_back();
            for (const Neighbour& nb : kSearchOrder) {
                const int c = p->column + nb.dc, r = p->row + nb.dr;
                CPiece* n = grid_.at(c, r);
                if (!n || mark(c, r) || !joined(*p, *n, k))
                    continue;
                mark(c, r) = 1;
                todo_.push_back(n);
                reached(n);
            }
        }
    }
    bool marked(int c, int r) { return mark(c, r) != 0; }

private:
    char& mark(int c, int r) { return marks_[size_t(c) * size_t(grid_.rows()) + size_t(r)]; }
    const BoardGrid& grid_;
    std::vector<char> marks_;
    std::vector<const CPiece*> todo_;
};
} // namespace

std::vector<CPiece*> group(const BoardGrid& grid, const CPiece& s, int k)
{
    if (!grid.contains(s.column, s.row))
        return {};
    Spread spread(grid);
    spread.start(&s);
    spread.run(k, [](CPiece*) {});
    std::vector<CPiece*> out;
    for (int c = 0; c < grid.columns(); ++c)
        for (int r = 0; r < grid.rows(); ++r)
            if (spread.marked(c, r)) {
                CPiece* p = grid.at(c, r);
                out.push_back(p ? p : const_cast<CPiece*>(&s));
            }
    return out;
}

std::vector<CPiece*> looseJoinedToFixed(const BoardGrid& grid, int k)
{
    // From every fixed piece at once: what it reaches is loose, since every
    // fixed piece was marked before the spread began.
    Spread spread(grid);
    for (int c = 0; c < grid.columns(); ++c)
        for (int r = 0; r < grid.rows(); ++r)
            if (const CPiece* p = grid.at(c, r); p && p->fixed)
                spread.start(p);
    std::vector<CPiece*> out;
    spread.run(k, [&out](CPiece* n) { out.push_back(n); });
    return out;
}

Match matchTest(const CPiece& s, const BoardGrid& grid, QPoint o, QSize board, int k)
{
    auto near = [&](QPoint t) { return std::abs(s.x - t.x()) < 4 && std::abs(s.y - t.y()) < 4; };
    Match m;
    const int C = grid.columns(), R = grid.rows();
    if (s.rotation == 0) {
        struct Corner {
            int c, r;
            QPoint target;
        };
        const Corner corners[4] = {
            {0, 0, o},
            {C - 1, 0, o + QPoint(board.width() - k, 0)},
            {0, R - 1, o + QPoint(0, board.height() - k)},
            {C - 1, R - 1, o + QPoint(board.width() - k, board.height() - k)},
        };
        for (const Corner& c : corners) {
            if (s.column == c.c && s.row == c.r && near(c.target)) {
                m.kind = Match::Corner;
                m.target = c.target;
                return m;
            }
        }
    }
    for (const Neighbour& nb : kMatchOrder) {
        CPiece* n = grid.at(s.column + nb.dc, s.row + nb.dr);
        if (!n || n == &s || n->rotation != s.rotation || n->carried)
            continue;
        const QPoint e = expectedPosition(nb.side, s.rotation, k, QPoint(n->x, n->y));
        if (near(e)) {
            m.kind = Match::Neighbour;
            m.target = e;
            m.neighbour = n;
            return m;
        }
    }
    return m;
}

QPoint clampIntoView(const QRect& g, int w, int h, int cxDlg, int cyDlg)
{
    // Right and bottom as the platform has them: one past the last pixel.
    const int left = g.left(), top = g.top();
    const int right = left + g.width(), bottom = top + g.height();
    int x = left, y = top;
    if (left < 0)
        x = 0;
    else if (right > w)
        x = w - g.width();
    if (top < 0)
        y = 0;
    else if (bottom > h + cyDlg - 71 && right > w + cxDlg - 375)
        y = h + cyDlg - 71 - g.height();
    else if (bottom > h)
        y = h - g.height();
    return {x, y};
}

QPoint shiftInside(const QRect& box, const QRect& area)
{
    QPoint d;
    if (box.left() < area.left())
        d.rx() = area.left() - box.left();
    else if (box.right() > area.right())
        d.rx() = area.right() - box.right();
    if (box.top() < area.top())
        d.ry() = area.top() - box.top();
    else if (box.bottom() > area.bottom())
        d.ry() = area.bottom() - box.bottom();
    return d;
}

QPoint turnedPosition(QPoint s, int dc, int dr, int q, int k)
{
    switch (q & 3) {
    case 0: return s + QPoint(k * dc, k * dr);
    case 1: return s + QPoint(-k * dr, k * dc);
    case 2: return s + QPoint(-k * dc, -k * dr);
    default: return s + QPoint(k * dr, -k * dc);
    }
}

QSize thumbnailSize(QSize pic)
{
    const int w = pic.width(), h = pic.height();
    if (w <= 190 && h <= 139)
        return pic;
    const float fx = float(w) / 190.0f, fy = float(h) / 139.0f;
    if (fy >= fx)
        return QSize(int(float(w) / fy), 139);
    return QSize(190, int(float(h) / fx));
}

} // namespace board_rules
