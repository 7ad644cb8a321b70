#pragma once
// What the frame's caption part offers the frame's other parts and the
// tests: where the caption buttons and the clock are, and the clock's tick.

#include "main_frame.h"

#include <QRect>
#include <QString>

namespace frame_caption {

class CaptionState;
// The caption's state object, made once by the frame as its child.
CaptionState* createState(CMainFrame* frame);

// The hit rectangle of a caption button in window coordinates (it includes
// its left and top edges and excludes its right and bottom ones); empty for
// NoCaptionButton. The button is drawn over exactly this rectangle.
QRect buttonRect(CMainFrame::CaptionButton b);
// The bitmap a caption button's three looks are stacked in.
int buttonBitmap(CMainFrame::CaptionButton b);

// Where the clock's text goes, the top-left of its opaque cell.
constexpr QPoint kClockAt{350, 2};
// The cell a clock text covers in the caption band.
QRect clockRect(const QFont& font, const QString& text);

// The thumb of the Piece Viewer's scroll bar reaches into the frame's left
// border; this is its part there, in window coordinates.
QRect thumbBorderRect(const CMainFrame& frame);

// One beat of the clock timer: repaints the clock's cell when its text changed.
void clockTick(CMainFrame& frame);

} // namespace frame_caption
