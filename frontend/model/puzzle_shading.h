#pragma once
// The raised look of a new puzzle: a one-pixel rim drawn into the picture
// along every piece's outline, light towards the upper left and dark towards
// the lower right, so the player needs no shading of its own.

#include <QImage>

#include <cstdint>

class CPiece;

namespace puzzle_shading {

// The four channel rules, by where a rim pixel lies.
inline uint8_t darkenNear(int v) { return uint8_t(v < 20 ? 0 : v - 20); }   // inside, upper left
inline uint8_t darkenFar(int v) { return uint8_t(v < 50 ? 0 : v - 50); }    // inside, lower right
inline uint8_t lightenNear(int v) { return uint8_t(v > 215 ? 255 : v + 40); } // outside, upper left
inline uint8_t lightenFar(int v) { return uint8_t(v > 235 ? 255 : v + 20); }  // outside, lower right

// Shades the rim of one piece, whose outline is built at rotation 0, into
// the picture (32-bit RGB) the grid was cut from.
void shadePiece(QImage& picture, const CPiece& piece, int cellSize);

} // namespace puzzle_shading
