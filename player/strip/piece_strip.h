#pragma once
// The Piece Viewer's column: the box list shown as one scrolling column of
// pieces with a "%d/%d" counter above it and a scroll thumb at its left.
// Pieces are dragged out of it onto the board, into trays or to another
// place in the column, and single pieces are dropped back into it. The
// Options menu's Edges First keeps the column sorted corners first, then the
// other edge pieces, then the rest; Edges Only shows just the edge pieces.

#include "edge_order.h"
#include "piece_list.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
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
    // Where the puzzle's size comes from: the edge sorting asks it whenever
    // it looks at the list, so another puzzle needs no call here. Without
    // one every piece counts as interior.
    void setGridSource(std::function<edge_order::Grid()> source) { gridSource_ = std::move(source); }
    // Recomputes the scroll range after the list changed; with Edges First
    // on it sorts the list into its groups first.
    void refresh();

    // Edges First: turning it on sorts the column at once and shows its top;
    // while it is on every change of the list is sorted again. Turning it
    // off leaves the order as it is.
    bool edgesFirst() const { return edgesFirst_; }
    void setEdgesFirst(bool on);
    // Edges Only: the column shows only the edge pieces, corners included,
    // and the counter "shown/in the box". Scrolling, the thumb, hit tests and
    // the rows pieces are added at all count over the shown pieces; the
    // piece at the top stays in view across a change where it can.
    bool edgesOnly() const { return edgesOnly_; }
    void setEdgesOnly(bool on);
    // The column as shown: the list, or its edge pieces under Edges Only.
    edge_order::ShownPieces shownPieces() const;
    // Puts a piece into the column at the row under a global screen point
    // (a point above the column means the first row shown).
    void addPiece(std::unique_ptr<CPiece> piece, QPoint globalPoint);
    // The same for a run of pieces, in one pass: the column ends as adding
    // them one by one in run order leaves it (each before the one added last).
    void addPieces(std::vector<std::unique_ptr<CPiece>> run, QPoint globalPoint);
    // Scrolls so that the piece shows, when it does not already. A piece
    // Edges Only hides turns the filter off first: a hint must show what it
    // points at.
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
    // The counter's text, "first row shown/number of pieces"; under Edges
    // Only "pieces shown/pieces in the box".
    QString counterText() const;
    // The column piece under a point of the strip, or null; `index` gets its
    // place in the whole list.
    CPiece* hitTest(QPoint stripPoint, int* index = nullptr) const;
    // The strip's area in global screen coordinates.
    QRect globalRect() const;
    bool dragging() const { return dragging_; }
    bool thumbDragging() const { return thumbDragging_; }

signals:
    // The thumb moved: the part of it drawn in the frame's left border, in
    // the frame's window coordinates, must be drawn again.
    void thumbBandChanged(const QRect& windowRect);
    // Edges First was turned on or off: the owner keeps the choice for the next run.
    void edgesFirstChanged(bool on);

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
    // addPieces() under Edges Only: one piece after another, each at the
    // shown row the point picks (strip_edges.cpp).
    void addFilteredRun(std::vector<std::unique_ptr<CPiece>> run, QPoint globalPoint);
    edge_order::Grid grid() const { return gridSource_ ? gridSource_() : edge_order::Grid{}; }
    // The pieces in the shown rows from the first one in view on.
    template <typename F> void forEachRowInView(const edge_order::ShownPieces& shown, F f) const;

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
    bool edgesFirst_ = false;
    bool edgesOnly_ = false;
    std::function<edge_order::Grid()> gridSource_;
    CPiece* carried_ = nullptr;
    QRect dragRect_; // the carried piece and its shadow, global coordinates
};
