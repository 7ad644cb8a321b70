#pragma once
// The Piece Viewer column's numbers without a widget: where rows and the
// thumb go, how far the column scrolls, where an added piece lands. The strip
// calls these; tests check them directly.

#include "system_metrics.h"

#include <QPoint>
#include <QRect>
#include <QString>

namespace strip_geometry {

// The strip's top-left lies at the bottom of the frame's caption band, so
// positions laid out against the whole window lose this much height.
constexpr int kTopOffset = metrics::kCaptionHeight + metrics::kDialogFrameHeight; // 22

// The column of pieces, in strip coordinates.
constexpr int kColumnLeft = 11;
constexpr int kColumnWidth = 125;
constexpr int kColumnHeight = 475;
constexpr int kColumnTop = 77 - kTopOffset;                   // 55
constexpr int kColumnBottom = kColumnTop + kColumnHeight;     // 530
constexpr QRect kColumn{kColumnLeft, kColumnTop, kColumnWidth, kColumnHeight};

// The scroll thumb: bitmap 153, moving along one track whose length every
// painter and every hit test uses, in the strip and in the frame's border.
constexpr int kThumbWidth = 11;
constexpr int kThumbHeight = 42;
constexpr int kThumbTrack = 368;
constexpr int kThumbTopInWindow = 110;                        // track start, frame window y
constexpr int kThumbTop = kThumbTopInWindow - kTopOffset;     // 88, strip y
// The thumb's leftmost columns lie in the frame's left border; the strip
// draws the rest of the bitmap from its own left edge.
constexpr int kThumbColumnsInBorder = metrics::kDialogFrameWidth; // 3

constexpr int rowHeight(int cellSize) { return cellSize * 3 / 2; }

// The scroll range after the list changed.
struct ScrollRange {
    int maximum = 0;
    int position = 0;
};
ScrollRange refresh(int pieceCount, int cellSize, int position);

// Distance of the thumb's top from the track's start.
int thumbOffset(int position, int maximum);
// The thumb's rectangle in strip coordinates (what it covers in the strip
// and answers presses for).
QRect thumbRect(int position, int maximum);
// The frame's border part of the thumb, in the frame's window coordinates.
QRect borderThumbRect(int position, int maximum);
// Scroll position for the cursor at strip height y while the thumb is dragged.
int thumbDragPosition(int stripY, int maximum);

// Index of the first list piece shown, and how many rows can be in view.
inline int firstRow(int position, int cellSize) { return position / rowHeight(cellSize); }
inline int visibleRows(int cellSize) { return kColumnHeight / rowHeight(cellSize) + 2; }
// Origin of the piece in the i-th shown row (0 = the first one shown).
QPoint rowOrigin(int i, int cellSize, int position);

enum class Step { LineUp, LineDown, PageUp, PageDown, Track, Top, Bottom };
int scrolled(Step step, int position, int maximum, int cellSize, int given = 0);

// Where a piece added at strip height y goes: the index to insert before, or
// -1 to append (an empty list).
int addIndex(int stripY, int position, int cellSize, int pieceCount);

// The position that brings list index `index` into view; the position itself
// when that row already shows whole.
int scrollToIndex(int index, int position, int maximum, int cellSize);

// "first row shown/number of pieces", "0/0" when empty.
QString counterText(int position, int cellSize, int pieceCount);

} // namespace strip_geometry
