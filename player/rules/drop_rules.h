#pragma once
// Where a single carried piece goes when it is let go, wherever it was
// picked up: the topmost tray under the cursor first, then the board or the
// Piece Viewer, whichever its rectangle meets (the cursor decides when it
// meets both). The rectangle is the one shown, kept inside the client area,
// so a button let go over the caption, the border or outside the window puts
// the piece where the player saw it. Plain rectangles, so it is tested alone.

#include <QPoint>
#include <QRect>

#include <vector>

namespace drop_rules {

// An open tray's whole window, in global coordinates.
struct TrayArea {
    QRect window;
    bool minimised = false;
};

struct Areas {
    QRect board; // empty when there is no board
    QRect strip; // empty when there is no column
    std::vector<TrayArea> trays; // topmost first
};

struct Choice {
    enum Kind { Nowhere, Tray, Board, Strip } kind = Nowhere;
    int tray = -1; // index into Areas::trays when kind is Tray
    bool operator==(const Choice&) const = default;
};

// `cursor` and `dragRect` (the piece with its shadow) in global coordinates.
Choice choose(const Areas& areas, QPoint cursor, const QRect& dragRect);

} // namespace drop_rules
