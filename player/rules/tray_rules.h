#pragma once
// Where trays go on the board: new ones in a cascade from the top-left,
// minimised ones stacked up from the bottom; how a tray is kept inside the
// board and out of the picture buttons' corner; where a piece put into a
// tray is pulled to.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tray_rules {

// Where the first tray opens.
QPoint firstTrayPosition();
// The minimised trays' lowest place on a board that high.
int lowestMinimizedTrayY(int boardHeight);

// The two places a saved game keeps: where the next tray opens and where
// the next one goes when it is minimised.
struct TrayCascade {
    QPoint next = firstTrayPosition();
    int nextMinimizedY = 0;

    // The rectangle of a new 200 x 200 tray on a board of this size; one that
    // would reach out of the board starts the cascade again at the top-left.
    QRect open(QSize board);
    // The next minimised tray's y; minimised trays stack upwards from the
    // bottom and start again at the bottom when they would leave the top.
    int takeMinimizedY(int boardHeight);
    // A new puzzle or a restart: both start again.
    void reset(int boardHeight);
    bool operator==(const TrayCascade&) const = default;
};

// Pulls a tray's rectangle (board coordinates) inside a board of that size
// and out of the picture buttons' corner.
QRect keptInside(QRect r, QSize board);

// Where a piece whose box is `pieceBox` at `at` (the tray's client
// coordinates) lies once pulled inside a client area of `client`.
QPoint pulledInside(QPoint at, const QRect& pieceBox, QSize client);

} // namespace tray_rules
