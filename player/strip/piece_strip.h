#pragma once
// The Piece Viewer's column: the box list shown as one scrolling column of
// pieces with a "%d/%d" counter above it and a scroll thumb at its left.
// Pieces are dragged out of it onto the board, into trays or to another
// place in the column, and single pieces are dropped back into it.

#include "piece_list.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class PieceHost;
struct PlayerLook;
struct PlayerState;

class CPieceStrip : public QWidget {
    Q_OBJECT
public:
    enum ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom };

    CPieceStrip(const PlayerLook& look, const PlayerState& state, PieceHost& host, QWidget* parent);

    // The document's box list and cell size; refreshes and repaints.
    void setList(PieceList* pieces, int cellSize);
    PieceList* list() const { return pieces_; }
    int cellSize() const { return cellSize_; }
    // Recomputes the scroll range after the list changed.
    void refresh();
    // Puts a piece into the column at the row under a global screen point
    // (a point above the column means the first row shown).
    void addPiece(std::unique_ptr<CPiece> piece, QPoint globalPoint);
    // The same for a run of pieces, in one pass: the column ends as adding
    // them one by one in run order leaves it (each before the one added last).
    void addPieces(std::vector<std::unique_ptr<CPiece>> run, QPoint globalPoint);
    // Scrolls so that the piece shows, when it does not already.
    void scrollToPiece(const CPiece* piece);
    // Turns a piece of the column a quarter turn (when turning is allowed).
    void turnPiece(CPiece* piece);
    void scroll(ScrollRequest request, int position = 0);
    // Starts dragging the scroll thumb (also from the frame's left border).
    void startThumbDrag();

    int rowHeight() const { return cellSize_ * 3 / 2; }
    int scrollPosition() const { return scrollPos_; }
    int maximumScroll() const { return maxScroll_; }
    // The two values a saved game keeps; refresh() follows.
    void setScrollValues(int maximum, int position);
    // The thumb's offset along its track (0 when nothing scrolls).
    int thumbOffset() const;
    // The thumb's part in the frame's left border, in the frame's window
    // coordinates: where the frame draws the bitmap's left columns and where
    // a press starts a thumb drag.
    QRect borderThumbRect() const;
    // The counter's text, "first row shown/number of pieces".
    QString counterText() const;
    // The column piece under a point of the strip, or null.
    CPiece* hitTest(QPoint stripPoint, int* index = nullptr) const;
    // The strip's area in global screen coordinates.
    QRect globalRect() const;
    bool dragging() const { return dragging_; }
    bool thumbDragging() const { return thumbDragging_; }

signals:
    // The thumb moved: the part of it drawn in the frame's left border, in
    // the frame's window coordinates, must be drawn again.
    void thumbBandChanged(const QRect& windowRect);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    void setPosition(int position);
    void updateBorderBand();
    void leftDown(QMouseEvent* e);
    void rightDown(QMouseEvent* e);
    void startPieceDrag(CPiece* piece, QPoint globalPoint);
    // The carried piece's box under the cursor, kept inside the frame's
    // client area; in the frame's client coordinates.
    void moveDrag(QPoint globalPoint);
    void drop(QPoint globalPoint);
    void endThumbDrag();
    // Ends a drag without moving anything, when the list was replaced under it.
    void abandonDrag();

    const PlayerLook& look_;
    const PlayerState& state_;
    PieceHost& host_;
    PieceList* pieces_ = nullptr;
    int cellSize_ = 1;
    int pieceCount_ = 0;
    int refreshed_ = 0;
    int scrollCount_ = 0;
    int maxScroll_ = 0;
    int scrollPos_ = 0;
    bool dragging_ = false;
    bool thumbDragging_ = false;
    CPiece* carried_ = nullptr;
    QRect dragRect_; // the carried piece and its shadow, global coordinates
    QImage buffer_;  // the strip composed off screen
};
