#pragma once
// Choosing a new puzzle's edges: what PuzzleMaker and the fixtures call once
// per piece, in row-major order, when they cut a puzzle.

#include <span>

class CPiece;

// Chooses the edges of the piece at (column, row) of a columns x rows puzzle
// when a new puzzle is cut. `made` holds the pieces made so far in row-major
// order; the piece above and the one to the left may be changed to keep their
// shared edges matching.
void ChooseEdges(CPiece& piece, int columns, int rows, int column, int row,
                 std::span<CPiece* const> made, int cellSize);
