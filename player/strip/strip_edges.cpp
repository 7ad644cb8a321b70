// The column's edge sorting: Edges First keeps the box list in its groups,
// Edges Only shows the column through a filter. The orderings and the
// filter's index mapping are edge_order's; this part keeps the scroll
// position, the current piece and the thumb sound across the changes.

#include "piece_host.h"
#include "piece_strip.h"
#include "strip_geometry.h"

namespace sg = strip_geometry;

edge_order::ShownPieces CPieceStrip::shownPieces() const
{
    if (!pieces_)
        return {};
    return edge_order::ShownPieces(*pieces_, grid(), edgesOnly_);
}

void CPieceStrip::setEdgesFirst(bool on)
{
    if (on == edgesFirst_)
        return;
    edgesFirst_ = on;
    if (on) {
        // The box order is part of the game a save keeps.
        if (pieces_ && edge_order::stablePartition(*pieces_, grid()))
            host_.markModified();
        // The corners the user asked for are at the top now: show them.
        scrollPos_ = 0;
    }
    refresh();
    updateBorderBand();
    update();
    emit edgesFirstChanged(on);
}

void CPieceStrip::setEdgesOnly(bool on)
{
    if (on == edgesOnly_)
        return;
    // The piece in the top row before the change, to keep in view after it.
    const int top = shownPieces().listIndex(sg::firstRow(scrollPos_, cellSize_));
    edgesOnly_ = on;
    const edge_order::ShownPieces shown = shownPieces();
    if (on && pieces_) {
        // A current piece the column no longer shows could still be turned
        // by the Rotate button without the user seeing it.
        const int current = pieces_->indexOf(host_.currentPiece());
        if (current >= 0 && shown.shownRow(current) < 0)
            host_.forgetCurrentPiece();
    }
    scrollPos_ = top < 0 ? 0 : shown.rowAtOrAfter(top) * rowHeight();
    refresh();
    updateBorderBand();
    update();
}

void CPieceStrip::addFilteredRun(std::vector<std::unique_ptr<CPiece>> run, QPoint globalPoint)
{
    // A hidden piece adds no row, so the block shortcut of the whole column
    // does not hold here; the filtered column is short, one by one is cheap.
    const int y = mapFromGlobal(globalPoint).y();
    const edge_order::Grid g = grid();
    for (std::unique_ptr<CPiece>& piece : run) {
        const edge_order::ShownPieces shown = shownPieces();
        const int row = sg::addIndex(y, scrollPos_, cellSize_, shown.count());
        const int count = shown.count() + (edge_order::isEdge(*piece, g) ? 1 : 0);
        pieces_->insert(shown.insertionIndex(row), std::move(piece));
        scrollPos_ = sg::refresh(count, cellSize_, scrollPos_).position;
    }
    refresh();
    updateBorderBand();
    update();
}
