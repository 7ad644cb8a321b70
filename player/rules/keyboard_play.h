#pragma once
// What the keys mean when the player is played without a mouse: the order
// Tab walks the pieces in, how far an arrow moves the carried piece, where a
// piece lifted from the column or a tray first lies on the board, and how the
// carried piece is kept on the board. No widgets: the frame asks, then acts.

#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

class CPiece;

namespace keyboard_play {

// Where a piece Tab can choose lies; the column first, then the board, then the trays.
enum class Source { Column = 0, Board = 1, Tray = 2 };

struct Candidate {
    CPiece* piece = nullptr;
    Source source = Source::Column;
    int tray = -1; // the tray's place in the tray list, for Source::Tray
};

// The next (or, backwards, the previous) candidate after `current`, wrapping
// round; -1 when there is none. A current piece that is no candidate (or -1)
// starts at the first one (backwards: the last one).
int nextIndex(int count, int current, bool backwards);

// The board's entries for Tab: one per loose group, its topmost piece (the
// last of the group in board order), ordered by that piece's place in the
// board list. `groupOf(i)` names the group of board piece i (any number the
// pieces of one group share); `fixed(i)` whether it is fixed.
template <typename GroupOf, typename Fixed>
std::vector<int> looseGroupEntries(int boardCount, GroupOf groupOf, Fixed fixed)
{
    std::vector<int> entries;
    std::vector<int> seen;
    for (int i = boardCount - 1; i >= 0; --i) {
        if (fixed(i))
            continue;
        const int g = groupOf(i);
        bool known = false;
        for (int s : seen)
            known = known || s == g;
        if (known)
            continue;
        seen.push_back(g);
        entries.insert(entries.begin(), i);
    }
    return entries;
}

enum class Direction { Left, Right, Up, Down };
// One arrow press: a pixel, or with Shift a whole cell.
QPoint step(Direction d, bool wholeCell, int cellSize);

// Moves `box` by `delta` as far as it stays inside `area` (a box larger than
// the area keeps its left or top edge on the area's); returns the new top-left.
QPoint movedInside(const QRect& box, QPoint delta, const QRect& area);

// Where a piece lifted from the column or a tray first lies on the board:
// the first place, scanning rows of cells from the top-left of `area`, where
// a box of `size` overlaps none of `taken`; the top-left when none is free.
QPoint freePlace(QSize size, const QRect& area, const std::vector<QRect>& taken, int cellSize);

// Better still, a cell of the board itself: the origin of the first cell of
// the columns x rows grid at `boardOrigin`, row by row, that no piece on the
// board lies in (`takenOrigins`: their cell origins, any position). A piece
// put there moves by whole cells onto its home place with Shift and the
// arrows, where a drop snaps it. Nothing when every cell is taken.
std::optional<QPoint> freeCell(QPoint boardOrigin, int columns, int rows, int cellSize,
                               const std::vector<QPoint>& takenOrigins);

} // namespace keyboard_play
