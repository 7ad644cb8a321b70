#pragma once
// The rules of the board, free of any window: where a piece belongs beside
// its neighbour, which pieces form a group, when a dropped piece snaps, where
// a dropped group may lie, and how a group turns.

#include "piece.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace board_rules {

// Which neighbour n is of s.
enum class Side { Left, Right, Upper, Lower };

// Where s must lie for it to be joined to n, both turned q quarter turns, k the cell size.
QPoint expectedPosition(Side nIsSOf, int q, int k, QPoint n);

// The pieces on the board by home cell; null where that piece is elsewhere.
class BoardGrid {
public:
    void reset(int columns, int rows);
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    bool contains(int c, int r) const { return c >= 0 && r >= 0 && c < columns_ && r < rows_; }
    CPiece* at(int c, int r) const { return contains(c, r) ? cells_[size_t(c) * size_t(rows_) + size_t(r)] : nullptr; }
    void set(int c, int r, CPiece* p)
    {
        if (contains(c, r))
            cells_[size_t(c) * size_t(rows_) + size_t(r)] = p;
    }

private:
    int columns_ = 0;
    int rows_ = 0;
    std::vector<CPiece*> cells_;
};

// s and n lie exactly where joining puts them (same rotation, no tolerance).
bool joined(const CPiece& s, const CPiece& n, int k);

// The group of the board piece s: every piece reachable through joined
// grid neighbours, s included, listed columns outer and rows inner.
std::vector<CPiece*> group(const BoardGrid& grid, const CPiece& s, int k);

// The loose pieces joined, directly or through other pieces, to a fixed one.
// A fixed piece lies at its home place, so such a piece lies at its own: it
// must become fixed too, or it could never be picked up nor counted and the
// puzzle could never be finished. Linear in the grid's cells.
std::vector<CPiece*> looseJoinedToFixed(const BoardGrid& grid, int k);

struct Match {
    enum Kind { None, Corner, Neighbour } kind = None;
    QPoint target;
    CPiece* neighbour = nullptr;
};

// Whether a piece s just put down snaps: to its board corner (corner pieces at
// rotation 0 only) or beside a neighbour of the same rotation that is not
// being carried, within 3 pixels on each axis.
Match matchTest(const CPiece& s, const BoardGrid& grid, QPoint boardOrigin, QSize board, int k);

// The top-left a dropped rectangle moves to so that it lies inside the view
// (width w, height h) and out of the corner where the picture buttons are.
QPoint clampIntoView(const QRect& r, int w, int h, int cxDlg, int cyDlg);

// How far a carried box must move to lie inside an area (0 on an axis where
// it already does): carried pieces never leave the frame's client area.
QPoint shiftInside(const QRect& box, const QRect& area);

// Where a group piece goes when its group turns about s: (dc, dr) its home
// offset from s, q its new rotation.
QPoint turnedPosition(QPoint s, int dc, int dr, int q, int k);

// The thumbnail of the finished picture: fits a 190 x 139 box, proportions kept.
QSize thumbnailSize(QSize picture);

} // namespace board_rules
