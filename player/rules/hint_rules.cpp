#include "hint_rules.h"

#include "board_rules.h"

#include <algorithm>
#include <cstdlib>

namespace hint_rules {

bool gridNeighbours(const CPiece& a, const CPiece& b)
{
    return (a.row == b.row && std::abs(a.column - b.column) == 1)
           || (a.column == b.column && std::abs(a.row - b.row) == 1);
}

std::vector<Candidate> candidates(const CPiece& piece, const PieceList& box, const PieceList& board,
                                  const std::vector<const PieceList*>& trays, int cellSize)
{
    std::vector<Candidate> out;
    for (const auto& n : box)
        if (gridNeighbours(*n, piece))
            out.push_back({n.get(), ContainerKind::Strip, -1});
    // A neighbour already joined to the piece has nothing left to show; that
    // only means something while the piece itself lies on the board.
    const bool onBoard = board.indexOf(&piece) >= 0;
    for (const auto& n : board)
        if (gridNeighbours(*n, piece) && !(onBoard && board_rules::joined(*n, piece, cellSize)))
            out.push_back({n.get(), ContainerKind::Board, -1});
    for (size_t t = 0; t < trays.size(); ++t)
        for (const auto& n : *trays[t])
            if (gridNeighbours(*n, piece))
                out.push_back({n.get(), ContainerKind::Tray, int(t)});
    return out;
}

void putFirst(std::vector<Candidate>& list, int pick)
{
    if (pick < 0 || pick >= int(list.size()))
        return;
    std::rotate(list.begin(), list.begin() + pick, list.begin() + pick + 1);
}

} // namespace hint_rules
