#include "piece_strip.h"

#include "bitmaps.h"
#include "drag_overlay.h"
#include "imaging.h"
#include "piece_host.h"
#include "player_look.h"
#include "player_state.h"
#include "strip_geometry.h"

#include <QCursor>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

namespace sg = strip_geometry;

template <typename F>
void CPieceStrip::forEachRowInView(const edge_order::ShownPieces& shown, F f) const
{
    const int first = sg::firstRow(scrollPos_, cellSize_);
    const int rows = sg::visibleRows(cellSize_);
    for (int i = 0; i < rows && first + i < shown.count(); ++i) {
        const int index = shown.listIndex(first + i);
        f(index, pieces_->at(index), sg::rowOrigin(i, cellSize_, scrollPos_));
    }
}

CPieceStrip::CPieceStrip(const PlayerLook& look, const PlayerState& state, PieceHost& host, QWidget* parent)
    : QWidget(parent), look_(look), state_(state), host_(host)
{
    // Every pixel is painted from the composed picture; nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    // A thumb drag ends on a move without the button, so moves must arrive
    // whether a button is held or not.
    setMouseTracking(true);
}

void CPieceStrip::setList(PieceList* pieces, int cellSize)
{
    if (dragging_ || thumbDragging_)
        abandonDrag();
    pieces_ = pieces;
    cellSize_ = std::max(cellSize, 1);
    refresh();
    update();
}

void CPieceStrip::refresh()
{
    const int oldThumb = thumbOffset();
    if (pieces_ && edgesFirst_)
        edge_order::stablePartition(*pieces_, grid());
    const edge_order::ShownPieces shown = shownPieces();
    pieceCount_ = shown.total();
    scrollCount_ = shown.count();
    refreshed_ = 1;
    const sg::ScrollRange r = sg::refresh(scrollCount_, cellSize_, scrollPos_);
    maxScroll_ = r.maximum;
    scrollPos_ = r.position;
    if (thumbOffset() != oldThumb)
        updateBorderBand();
    update();
}

void CPieceStrip::updateBorderBand()
{
    // The thumb's left columns live in the frame's border, along the whole track.
    emit thumbBandChanged(QRect(0, sg::kThumbTopInWindow, sg::kThumbColumnsInBorder, sg::kThumbTrack + sg::kThumbHeight));
}

void CPieceStrip::setPosition(int position)
{
    const int oldThumb = thumbOffset();
    scrollPos_ = std::clamp(position, 0, std::max(maxScroll_, 0));
    if (thumbOffset() != oldThumb)
        updateBorderBand();
    update();
}

void CPieceStrip::setScrollValues(int maximum, int position)
{
    maxScroll_ = maximum;
    scrollPos_ = std::max(position, 0);
    // The range follows from the list; a stored maximum only matters through
    // the position it allowed.
    refresh();
}

int CPieceStrip::thumbOffset() const { return sg::thumbOffset(scrollPos_, maxScroll_); }

QRect CPieceStrip::borderThumbRect() const { return sg::borderThumbRect(scrollPos_, maxScroll_); }

QString CPieceStrip::counterText() const
{
    if (edgesOnly_) {
        const edge_order::ShownPieces shown = shownPieces();
        return edge_order::filteredCounterText(shown.count(), shown.total());
    }
    return sg::counterText(scrollPos_, cellSize_, pieces_ ? pieces_->size() : 0);
}

QRect CPieceStrip::globalRect() const { return QRect(mapToGlobal(QPoint(0, 0)), size()); }

CPiece* CPieceStrip::hitTest(QPoint point, int* index) const
{
    if (index)
        *index = -1;
    // Rows reach past the column's ends, where they are cut off; only what
    // the user can see may be picked up.
    if (!pieces_ || !sg::kColumn.contains(point))
        return nullptr;
    CPiece* hit = nullptr;
    forEachRowInView(shownPieces(), [&](int listIndex, CPiece* p, QPoint origin) {
        if (hit || !p->outline().contains(point - origin))
            return;
        hit = p;
        if (index)
            *index = listIndex;
    });
    return hit;
}

void CPieceStrip::addPiece(std::unique_ptr<CPiece> piece, QPoint globalPoint)
{
    if (!piece || !pieces_)
        return;
    host_.markModified();
    // The row is one of the rows shown; an empty column (or one that shows
    // nothing) takes the piece at its end.
    const edge_order::ShownPieces shown = shownPieces();
    const int row = sg::addIndex(mapFromGlobal(globalPoint).y(), scrollPos_, cellSize_, shown.count());
    pieces_->insert(shown.insertionIndex(row), std::move(piece));
    refresh();
    update();
}

void CPieceStrip::addPieces(std::vector<std::unique_ptr<CPiece>> run, QPoint globalPoint)
{
    if (run.empty() || !pieces_)
        return;
    host_.markModified();
    if (edgesOnly_) {
        addFilteredRun(std::move(run), globalPoint);
        return;
    }
    // One by one, a piece goes to the point's row, clamped in front of the
    // last piece while the column is shorter than that, and each refresh
    // settles the scroll position on a whole row. Once it has settled and the
    // column is long enough, every later piece goes to that same row, each
    // in front of the one before: the rest of the run lands there as one
    // block, reversed. Until then (a piece or two) they go one by one.
    const int y = mapFromGlobal(globalPoint).y();
    auto rowAt = [this, y] { return sg::addIndex(y, scrollPos_, cellSize_, std::numeric_limits<int>::max()); };
    auto next = run.begin();
    for (; next != run.end(); ++next) {
        const bool settled = sg::refresh(pieces_->size() + 1, cellSize_, scrollPos_).position == scrollPos_;
        if (settled && pieces_->size() > rowAt())
            break;
        const int index = sg::addIndex(y, scrollPos_, cellSize_, pieces_->size());
        if (index >= 0)
            pieces_->insert(index, std::move(*next));
        else
            pieces_->append(std::move(*next));
        scrollPos_ = sg::refresh(pieces_->size(), cellSize_, scrollPos_).position;
    }
    const int row = rowAt();
    std::vector<std::unique_ptr<CPiece>> rest(std::make_move_iterator(next), std::make_move_iterator(run.end()));
    std::reverse(rest.begin(), rest.end());
    pieces_->insertAll(row, std::move(rest));
    refresh();
    // The position may have moved before refresh() saw it: the thumb's band too.
    updateBorderBand();
    update();
}

void CPieceStrip::scrollToPiece(const CPiece* piece)
{
    if (!pieces_)
        return;
    const int b = pieces_->indexOf(piece);
    if (b < 0)
        return;
    if (edgesOnly_ && !edge_order::isEdge(*piece, grid()))
        setEdgesOnly(false);
    setPosition(sg::scrollToIndex(shownPieces().shownRow(b), scrollPos_, maxScroll_, cellSize_));
}

void CPieceStrip::turnPiece(CPiece* piece)
{
    if (!piece || !state_.rotationAllowed)
        return;
    host_.markModified();
    piece->rotation = (piece->rotation + 1) % 4;
    host_.rebuildPiece(*piece);
    update();
    host_.actionDone();
}

void CPieceStrip::scroll(ScrollRequest request, int position)
{
    sg::Step step = sg::Step::Top;
    switch (request) {
    case LineUp: step = sg::Step::LineUp; break;
    case LineDown: step = sg::Step::LineDown; break;
    case PageUp: step = sg::Step::PageUp; break;
    case PageDown: step = sg::Step::PageDown; break;
    case ThumbPosition:
    case ThumbTrack: step = sg::Step::Track; break;
    case Top: step = sg::Step::Top; break;
    case Bottom: step = sg::Step::Bottom; break;
    }
    setPosition(sg::scrolled(step, scrollPos_, maxScroll_, cellSize_, position));
}

// ---- painting ----

void CPieceStrip::paintEvent(QPaintEvent* e)
{
    // Straight into the window's backing store, which the toolkit flushes
    // whole once every widget has painted: no picture of our own to fill
    // and copy.
    QPainter p(this);
    const QRect all = rect();
    // The strip shows the part of the window's picture that lies behind it.
    if (look_.background && !look_.background->isNull())
        imaging::paint(p, *look_.background, all.translated(0, sg::kTopOffset), all, e->rect());
    else
        p.fillRect(e->rect(), Qt::black);

    // The bitmap's left columns are drawn by the frame in its border, so
    // from our left edge on comes the rest: one thumb across the seam.
    static const QImage thumb = playerBitmap(153);
    if (!thumb.isNull()) {
        const QRect r = sg::thumbRect(scrollPos_, maxScroll_);
        p.drawImage(QPoint(0, r.top()), thumb,
                    QRect(sg::kThumbColumnsInBorder, 0, thumb.width() - sg::kThumbColumnsInBorder, thumb.height()));
    }

    if (pieces_ && !pieces_->empty()) {
        p.save();
        p.setClipRect(sg::kColumn & e->rect());
        forEachRowInView(shownPieces(), [&p](int, CPiece* piece, QPoint o) { piece->draw(p, o.x(), o.y()); });
        p.restore();
    }

    p.setFont(look_.largeFont);
    p.setPen(QColor(255, 242, 0));
    p.drawText(QRect(sg::kColumnLeft, 0, sg::kColumnWidth, sg::kColumnTop), Qt::AlignHCenter | Qt::AlignBottom,
               counterText());
}

// ---- mouse ----

void CPieceStrip::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        leftDown(e);
    else if (e->button() == Qt::RightButton)
        rightDown(e);
    e->accept();
}

void CPieceStrip::mouseDoubleClickEvent(QMouseEvent* e)
{
    // A quick second click is a click of its own, not lost to the double click.
    mousePressEvent(e);
}

void CPieceStrip::leftDown(QMouseEvent* e)
{
    if (dragging_ || thumbDragging_)
        return;
    const QPoint pos = e->position().toPoint();
    if (sg::thumbRect(scrollPos_, maxScroll_).contains(pos)) {
        // Our own press already holds the mouse until its release.
        thumbDragging_ = true;
        return;
    }
    if (CPiece* piece = hitTest(pos))
        startPieceDrag(piece, e->globalPosition().toPoint());
}

void CPieceStrip::rightDown(QMouseEvent* e)
{
    if (dragging_ || thumbDragging_)
        return;
    CPiece* piece = hitTest(e->position().toPoint());
    if (!piece)
        return;
    host_.actionStarts();
    host_.select(piece, ContainerKind::Strip, this);
    if (e->modifiers() & Qt::ShiftModifier)
        host_.hint(piece);
    else
        turnPiece(piece);
}

void CPieceStrip::mouseMoveEvent(QMouseEvent* e)
{
    if (thumbDragging_) {
        if (!(e->buttons() & Qt::LeftButton)) {
            endThumbDrag();
            return;
        }
        const int y = mapFromGlobal(e->globalPosition().toPoint()).y();
        setPosition(sg::thumbDragPosition(y, maxScroll_));
    } else if (dragging_) {
        // A release we never saw (it happened outside every window of ours)
        // still ends the drag where the button came up.
        if (!(e->buttons() & Qt::LeftButton))
            drop(e->globalPosition().toPoint());
        else
            moveDrag(e->globalPosition().toPoint());
    }
}

void CPieceStrip::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (thumbDragging_)
        endThumbDrag();
    else if (dragging_)
        drop(e->globalPosition().toPoint());
}

void CPieceStrip::focusOutEvent(QFocusEvent* e)
{
    if (thumbDragging_)
        endThumbDrag();
    if (dragging_)
        drop(QCursor::pos());
    QWidget::focusOutEvent(e);
}

void CPieceStrip::wheelEvent(QWheelEvent* e)
{
    const int dy = e->angleDelta().y();
    if (dy > 0)
        scroll(PageUp);
    else if (dy < 0)
        scroll(PageDown);
    e->accept();
}

// ---- thumb ----

void CPieceStrip::startThumbDrag()
{
    if (dragging_ || thumbDragging_)
        return;
    // The press that starts this one went to the frame's border: take the
    // mouse over so the moves and the release come here.
    thumbDragging_ = true;
    grabMouse();
}

void CPieceStrip::endThumbDrag()
{
    thumbDragging_ = false;
    releaseMouse();
}

// ---- dragging a piece out ----

void CPieceStrip::startPieceDrag(CPiece* piece, QPoint globalPoint)
{
    CDragOverlay* overlay = host_.overlay();
    if (!overlay)
        return;
    // The piece is current whatever follows; the column repaints it selected
    // before the overlay takes its snapshot, so it shows in both places.
    host_.actionStarts();
    host_.select(piece, ContainerKind::Strip, this);
    carried_ = piece;
    carried_->carried = 1;
    dragging_ = true;
    // Centred under the cursor.
    dragRect_ = overlay->beginPiece(*piece, globalPoint - QPoint(cellSize_ / 2, cellSize_ / 2));
    // The press holds the mouse for us until its release; the focus tells us
    // when the user switched away in the middle.
    setFocus(Qt::MouseFocusReason);
}

void CPieceStrip::moveDrag(QPoint globalPoint)
{
    CDragOverlay* overlay = host_.overlay();
    if (!overlay || !carried_)
        return;
    dragRect_ = overlay->movePiece(*carried_, globalPoint - QPoint(cellSize_ / 2, cellSize_ / 2));
}

void CPieceStrip::drop(QPoint s)
{
    dragging_ = false;
    releaseMouse();
    if (CDragOverlay* overlay = host_.overlay())
        overlay->end();

    CPiece* piece = carried_;
    carried_ = nullptr;
    const QRect dragRect = dragRect_;
    dragRect_ = QRect();
    const int index = pieces_ ? pieces_->indexOf(piece) : -1;
    if (index < 0) {
        // The piece left the list while it was carried; nothing of ours to move.
        update();
        host_.actionDone();
        return;
    }
    piece->carried = 0;
    const int half = cellSize_ / 2;
    const QPoint q = s - QPoint(half, half);

    const DropTarget target = host_.dropTarget(s, dragRect);
    if (target.kind != DropTarget::Nowhere) {
        std::unique_ptr<CPiece> taken = pieces_->take(index);
        // Another place in the column is found in the column as it was; any
        // other target sees the column without the piece.
        if (target.kind != DropTarget::Strip)
            refresh();
        host_.handOver(std::move(taken), target, q);
    }
    // Neither: the piece stays where it was in the column.
    update();
    host_.actionDone();
}

void CPieceStrip::abandonDrag()
{
    if (dragging_) {
        dragging_ = false;
        if (CDragOverlay* overlay = host_.overlay())
            overlay->end();
        // Only pointers are compared: the piece may already be gone with its list.
        if (pieces_ && pieces_->indexOf(carried_) >= 0)
            carried_->carried = 0;
        carried_ = nullptr;
        dragRect_ = QRect();
    }
    thumbDragging_ = false;
    releaseMouse();
}
