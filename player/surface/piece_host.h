#pragma once
// All that the board view, the column and the trays know of the window that
// owns them. They never call up past it: the owner decides where a dropped
// piece lands and hands it over, keeps the current piece and the hint, and
// hears that the game changed.

#include "container.h"

#include <QPoint>
#include <QRect>

#include <memory>
#include <vector>

class CDragOverlay;
class CPiece;
class CTrayWnd;
class QWidget;

// Where a single carried piece goes when it is let go.
struct DropTarget {
    enum Kind { Nowhere, Tray, Board, Strip } kind = Nowhere;
    CTrayWnd* tray = nullptr;
};

class PieceHost {
public:
    virtual ~PieceHost() = default;

    // The current piece: the last one clicked, wherever it lies.
    virtual void select(CPiece* piece, ContainerKind kind, QWidget* container) = 0;
    virtual void forgetCurrentPiece() = 0;
    virtual CPiece* currentPiece() const = 0;
    // Flashes a neighbour of the piece (Shift + right click, the Hint button).
    virtual void hint(CPiece* piece) = 0;

    // The layer that carries dragged pieces above everything; null while
    // there is none (the frame is going away).
    virtual CDragOverlay* overlay() const = 0;

    // Where a single piece let go at `cursor` lands; `dragRect` is the piece
    // with its shadow as shown, both in global coordinates.
    virtual DropTarget dropTarget(QPoint cursor, const QRect& dragRect) const = 0;
    // Puts a single piece into a target (never Nowhere) with its origin at a
    // global point, and makes it the current piece there.
    virtual void handOver(std::unique_ptr<CPiece> piece, const DropTarget& target, QPoint globalPoint) = 0;
    // Pieces leaving the board or a closed tray go back to the box, before
    // the first row the column shows, as one run.
    virtual void returnToBox(std::vector<std::unique_ptr<CPiece>> pieces) = 0;

    // Rebuilds a piece's outline and image after it turned.
    virtual void rebuildPiece(CPiece& piece) = 0;
    // The game changed since it was last saved.
    virtual void markModified() = 0;

    // One user action (a drag, a turn, a tray closed) starts, before it
    // changes anything, and is over: the owner keeps what it changed as one
    // step that can be undone.
    virtual void actionStarts() {}
    virtual void actionDone() {}
};
