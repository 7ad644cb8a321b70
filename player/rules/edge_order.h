#pragma once
// The Options menu's edge sorting without a widget: which pieces are
// corners and edges of their puzzle, the column ordered corners first, then
// the other edge pieces, then the rest, and the column seen through the
// Edges Only filter as a shorter list of its own. The strip calls these;
// tests check them directly.
//
// The lists are the document's PieceList, taken as templates: the rules
// lie below the document and know only what a list of pieces offers.

#include "piece.h"

#include <QString>

#include <algorithm>
#include <iterator>
#include <vector>

namespace edge_order {

// The puzzle a piece belongs to: its home cells are columns x rows.
struct Grid {
    int columns = 0;
    int rows = 0;
};

// Corner < Edge < Interior: the order the sorted column shows the groups in.
enum class Place { Corner = 0, Edge = 1, Interior = 2 };

// Where the home cell (column, row) lies in the grid. A cell in the first or
// last column and the first or last row is a corner, so a single row or
// column has its two ends as corners and everything else as edge; a cell
// outside the grid counts as interior (it is never sorted to the front).
Place placeOf(int column, int row, Grid grid);
inline Place placeOf(const CPiece& p, Grid grid) { return placeOf(p.column, p.row, grid); }
inline bool isCorner(const CPiece& p, Grid grid) { return placeOf(p, grid) == Place::Corner; }
// Corners count as edge pieces too: they have a flat side.
inline bool isEdge(const CPiece& p, Grid grid) { return placeOf(p, grid) != Place::Interior; }

// Whether the list already shows every corner before every other edge piece
// and those before the rest.
template <typename List> bool isPartitioned(const List& list, Grid grid)
{
    int last = 0;
    for (const auto& p : list) {
        const int place = int(placeOf(*p, grid));
        if (place < last)
            return false;
        last = place;
    }
    return true;
}

// Corners, then the other edge pieces, then the rest, each group in the
// order it had. True when anything moved.
template <typename List> bool stablePartition(List& list, Grid grid)
{
    // Most calls find the column already in order: nothing to move then.
    if (isPartitioned(list, grid))
        return false;
    auto all = list.takeAll();
    std::stable_sort(all.begin(), all.end(), [grid](const auto& a, const auto& b) {
        return int(placeOf(*a, grid)) < int(placeOf(*b, grid));
    });
    list.insertAll(0, std::move(all));
    return true;
}

// The column as the strip shows it: all of the list, or (Edges Only) just
// its edge pieces in list order. Shown rows are numbered from 0; the strip's
// geometry counts over them exactly as over a whole list.
class ShownPieces {
public:
    ShownPieces() = default;
    template <typename List>
    ShownPieces(const List& list, Grid grid, bool edgesOnly)
        : filtered_(edgesOnly), total_(int(std::size(list)))
    {
        if (!filtered_)
            return;
        int i = 0;
        for (const auto& p : list) {
            if (isEdge(*p, grid))
                rows_.push_back(i);
            ++i;
        }
    }

    bool filtered() const { return filtered_; }
    int count() const { return filtered_ ? int(rows_.size()) : total_; }
    int total() const { return total_; }
    // The list index of a shown row; -1 outside 0..count()-1.
    int listIndex(int shownRow) const;
    // The shown row of a list index; -1 when that piece is hidden (or the
    // index is outside the list).
    int shownRow(int listIndex) const;
    // The first row showing the piece at listIndex or one after it in the
    // list; count() when none does.
    int rowAtOrAfter(int listIndex) const;
    // Where a piece goes in the whole list to land before shown row
    // `shownRow`; a row of -1 or at count() appends after every piece.
    int insertionIndex(int shownRow) const;

private:
    bool filtered_ = false;
    int total_ = 0;
    std::vector<int> rows_; // list index of each shown row, when filtered
};

// The counter while Edges Only is on: "pieces shown/pieces in the box".
QString filteredCounterText(int shown, int total);

} // namespace edge_order
