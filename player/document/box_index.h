#pragma once
// The box, while a saved game is put back, indexed by home cell: each of the
// file's records finds its piece in one step instead of a search of the box,
// which made a file of many records take minutes.

#include "piece_list.h"

#include <vector>

class BoxIndex {
public:
    // Takes every piece out of the box.
    BoxIndex(PieceList& box, int columns, int rows);

    // The piece of that home cell; null when the cell is outside the grid or
    // its piece was taken already (a record naming it a second time).
    PieceList::Ptr take(int column, int row);
    // The pieces nobody took, in the order the box had them.
    std::vector<PieceList::Ptr> rest();

private:
    int columns_;
    int rows_;
    std::vector<PieceList::Ptr> pieces_; // the box's order
    std::vector<int> byCell_;            // column * rows + row -> index into pieces_, or -1
};
