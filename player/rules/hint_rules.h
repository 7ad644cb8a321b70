#pragma once
// Which pieces a hint may point at: the grid neighbours of a piece that are
// not yet joined to it, the box's first, then the board's, then each tray's.

#include "container.h"
#include "piece_list.h"

#include <vector>

namespace hint_rules {

bool gridNeighbours(const CPiece& a, const CPiece& b);

struct Candidate {
    CPiece* piece = nullptr;
    ContainerKind kind = ContainerKind::Strip;
    int tray = -1; // index into the trays given, for a tray's piece
};

// `trays` in the board view's list order.
std::vector<Candidate> candidates(const CPiece& piece, const PieceList& box, const PieceList& board,
                                  const std::vector<const PieceList*>& trays, int cellSize);

// The one chosen at random heads the list; the others keep their order.
void putFirst(std::vector<Candidate>& list, int pick);

} // namespace hint_rules
