#pragma once
// Outline geometry of a piece: the cell square with a lens and a circle per
// edge, as plain functions of its edges so that tests can compare a piece's
// outline with the one its edges give.

#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

class CPiece;

namespace piece_geometry {
// The pixels of the ellipse inscribed in the box, a box excluding its right and
// bottom lines. Exact under quarter turns and integer shifts, so neighbouring
// pieces stay complementary at every rotation.
QRegion ellipse(const QRect& box);
// A box given as (left, top, right, bottom) turned a quarter turn clockwise
// about the cell square [0, a) x [0, a).
QRect turnBox(const QRect& box, int a);
// The outline for the given edges and rotation, without touching a piece.
// At a scale above 1 it is measured in pixels that many times smaller (the
// screen's device pixels): the same shape with smoother curves.
QRegion outline(const CPiece& p, int cellSize, int rotation, int scale = 1);
// The outline at scale 1 as one byte per pixel, 1 inside and 0 outside:
// the same pixels as outline(), made without region arithmetic, for code
// that walks every pixel of many outlines once (the shading of a new puzzle).
// The bytes cover `box`, the outline's bounding box, with a border of one
// empty pixel all round: row y of the box starts at bits[(y + 1) * stride
// + 1]. `slack` zero bytes follow, for readers that read past the end.
struct OutlineMask {
    QRect box;
    int stride = 0;
    std::vector<uint8_t> bits;
};
OutlineMask outlineMask(const CPiece& p, int cellSize, int rotation, int slack = 0);
// A box with every coordinate multiplied by the scale.
QRect scaleBox(const QRect& box, int scale);
} // namespace piece_geometry
