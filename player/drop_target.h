#pragma once
// Where a single carried piece goes when it is let go, wherever it was
// picked up: the topmost tray under the cursor first, then the board or the
// Piece Viewer, whichever its rectangle meets (the cursor decides when it
// meets both). The rectangle is the one shown, kept inside the client area,
// so a button let go over the caption, the border or outside the window puts
// the piece where the player saw it.

#include <QPoint>
#include <QRect>

class CMainFrame;
class CTrayWnd;

struct DropTarget {
    enum Kind { Nowhere, Tray, Board, Strip } kind = Nowhere;
    CTrayWnd* tray = nullptr;
};

// `cursor` and `dragRect` (the piece with its shadow) in global coordinates.
DropTarget singlePieceTarget(const CMainFrame& frame, QPoint cursor, const QRect& dragRect);
