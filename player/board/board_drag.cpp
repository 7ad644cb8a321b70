// Picking up a group from the board, carrying it above everything, putting
// it down where it snaps, turning groups, and the end of the game.

#include "board_view.h"

#include "bitmaps.h"
#include "drag_overlay.h"
#include "finish_window.h"
#include "imaging.h"
#include "keyboard_play.h"
#include "message_box.h"
#include "piece_host.h"
#include "player_state.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QPainter>

using namespace frame_geometry;

namespace {
// The view's top-left in the frame's client coordinates.
const QPoint kViewInClient = kView.topLeft();
} // namespace

void CTileMenderView::startDrag(CPiece* hit, QPoint board)
{
    if (liftGroup(hit, board))
        grabMouse();
}

bool CTileMenderView::liftGroup(CPiece* hit, QPoint board)
{
    host_.actionStarts();
    host_.select(hit, ContainerKind::Board, this);
    const int k = doc_.cellSize();
    const std::vector<CPiece*> group = board_rules::group(grid_, *hit, k);
    for (const CPiece* g : group) {
        if (g->fixed) {
            // Fixed pieces stay; the click only selected the piece.
            redrawPiece(hit);
            host_.actionDone();
            return false;
        }
    }

    carried_.clear();
    dragging_ = true;
    keyFromOutside_ = false;
    carriedPiece_ = hit;
    QRect bounds;
    for (CPiece* g : group) {
        carried_.append(board_.take(board_.indexOf(g)));
        grid_.set(g->column, g->row, nullptr);
        g->carried = 1;
        bounds |= g->paintBounds().translated(g->x, g->y);
    }
    showCarried(bounds, board);
    return true;
}

void CTileMenderView::showCarried(QRect bounds, QPoint board)
{
    // Room for the shadow.
    bounds.adjust(0, 0, 3, 3);
    groupOrigin_ = bounds.topLeft();
    grabInGroup_ = board - groupOrigin_;
    grabInPiece_ = board - QPoint(carriedPiece_->x, carriedPiece_->y);

    // The lifted group: black shadows 3 pixels right and down, the pieces over them.
    QImage sprite = imaging::deviceCanvas(bounds.size(), devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter p(&sprite);
        for (const auto& g : carried_)
            g->fillOutline(p, g->x - groupOrigin_.x() + 3, g->y - groupOrigin_.y() + 3, Qt::black);
        for (const auto& g : carried_)
            g->draw(p, g->x - groupOrigin_.x(), g->y - groupOrigin_.y());
    }
    groupRect_ = bounds.translated(kViewInClient - scrollPosition());
    host_.overlay()->begin(sprite, groupRect_.topLeft());
}

bool CTileMenderView::keyLiftGroup(CPiece* piece)
{
    if (!piece || dragging_ || board_.indexOf(piece) < 0 || !host_.overlay())
        return false;
    // Held by its middle, as a hand would hold it.
    return liftGroup(piece, QPoint(piece->x, piece->y) + piece->bounds().center());
}

void CTileMenderView::keyLiftPiece(std::unique_ptr<CPiece> piece, QPoint boardAt)
{
    CPiece* p = piece.get();
    p->x = boardAt.x();
    p->y = boardAt.y();
    p->carried = 1;
    carried_.clear();
    carried_.append(std::move(piece));
    dragging_ = true;
    keyFromOutside_ = true;
    carriedPiece_ = p;
    host_.select(p, ContainerKind::Board, this);
    showCarried(p->paintBounds().translated(p->x, p->y), boardAt + p->bounds().center());
}

void CTileMenderView::keyMoveBy(QPoint delta)
{
    if (!keyCarrying())
        return;
    groupRect_.moveTopLeft(keyboard_play::movedInside(groupRect_, delta, kView));
    host_.overlay()->moveTo(groupRect_.topLeft());
}

QRect CTileMenderView::keyCarriedRect() const
{
    return groupRect_.translated(scrollPosition() - kViewInClient);
}

void CTileMenderView::keyDrop()
{
    if (!keyCarrying())
        return;
    // Let go where a mouse holding the group at the same spot would let go.
    drop(mapToGlobal(keyCarriedRect().topLeft() - scrollPosition() + grabInGroup_));
}

std::unique_ptr<CPiece> CTileMenderView::keyCancel()
{
    if (!keyCarrying())
        return nullptr;
    dragging_ = false;
    host_.overlay()->end();
    carriedPiece_ = nullptr;
    if (keyFromOutside_) {
        keyFromOutside_ = false;
        auto piece = carried_.takeFirst();
        piece->carried = 0;
        return piece;
    }
    // Lifted from the board: the group lies down again where it was, untouched.
    while (!carried_.empty())
        putOnBoard(carried_.takeFirst());
    host_.actionDone();
    return nullptr;
}

void CTileMenderView::moveDrag(QPoint global)
{
    CDragOverlay* overlay = host_.overlay();
    // The drag layer covers the frame's client area, whose coordinates the group keeps.
    const QPoint s = overlay->mapFromGlobal(global);
    // The carried piece's box stays inside the client area.
    const QRect box = carriedPiece_->bounds().translated(s - grabInPiece_);
    const QPoint d = board_rules::shiftInside(box, QRect(QPoint(0, 0), kClient.size()));
    groupRect_.moveTopLeft(s + d - grabInGroup_);
    overlay->moveTo(groupRect_.topLeft());
}

void CTileMenderView::drop(QPoint global)
{
    dragging_ = false;
    keyFromOutside_ = false;
    releaseMouse();
    CDragOverlay* overlay = host_.overlay();
    overlay->end();

    // Groups only ever go back onto the board; a single piece may go elsewhere.
    if (carried_.size() == 1) {
        const QRect dragRect(overlay->mapToGlobal(groupRect_.topLeft()), groupRect_.size());
        const DropTarget target = host_.dropTarget(global, dragRect);
        if (target.kind != DropTarget::Board) {
            auto piece = carried_.takeFirst();
            piece->carried = 0;
            if (target.kind == DropTarget::Nowhere) {
                // Nowhere takes it: it goes back where it was picked up.
                putOnBoard(std::move(piece));
            } else {
                // A tray takes the piece where it was seen, the column at the cursor's row.
                const QPoint at = target.kind == DropTarget::Tray ? global - grabInPiece_ : global;
                host_.handOver(std::move(piece), target, at);
            }
            carriedPiece_ = nullptr;
            host_.actionDone();
            return;
        }
    }
    groupDrop(global);
    host_.actionDone();
}

void CTileMenderView::groupDrop(QPoint global)
{
    host_.markModified();
    const int k = doc_.cellSize();
    const QPoint p = mapFromGlobal(global);
    QRect g(p - grabInGroup_, groupRect_.size());
    const QPoint at = board_rules::clampIntoView(g, width(), height(), cxDlg, cyDlg);
    const QPoint shift = at + scrollPosition() - groupOrigin_;
    for (const auto& piece : carried_) {
        piece->x += shift.x();
        piece->y += shift.y();
    }

    QPoint correction;
    for (const auto& s : carried_) {
        const auto m = board_rules::matchTest(*s, grid_, origin_, doc_.guideSize(), k);
        if (m.kind == board_rules::Match::None)
            continue;
        correction = m.target - QPoint(s->x, s->y);
        if (m.kind == board_rules::Match::Corner || m.neighbour->fixed) {
            for (const auto& c : carried_)
                c->fixed = 1;
            fixedCount_ += carried_.size();
        }
        emit piecesJoined();
        break;
    }
    for (const auto& piece : carried_) {
        piece->x += correction.x();
        piece->y += correction.y();
    }
    while (!carried_.empty())
        putOnBoard(carried_.takeFirst());
    carriedPiece_ = nullptr;
    fixJoinedPieces();
    finishIfComplete();
}

void CTileMenderView::putOnBoard(std::unique_ptr<CPiece> piece)
{
    CPiece* p = piece.get();
    p->carried = 0;
    grid_.set(p->column, p->row, p);
    // Fixed pieces lie under everything, loose ones on top.
    if (p->fixed)
        board_.prepend(std::move(piece));
    else
        board_.append(std::move(piece));
    redrawPiece(p);
}

void CTileMenderView::dropSinglePiece(std::unique_ptr<CPiece> s, QPoint global)
{
    host_.markModified();
    const int k = doc_.cellSize();
    QPoint p = mapFromGlobal(global);
    const QRect b = s->bounds().translated(p);
    p += board_rules::clampIntoView(b, width(), height(), cxDlg, cyDlg) - b.topLeft();
    s->x = p.x() + scrollPosition().x();
    s->y = p.y() + scrollPosition().y();
    s->carried = 0;
    const auto m = board_rules::matchTest(*s, grid_, origin_, doc_.guideSize(), k);
    if (m.kind != board_rules::Match::None) {
        s->x = m.target.x();
        s->y = m.target.y();
        if (m.kind == board_rules::Match::Corner || m.neighbour->fixed) {
            s->fixed = 1;
            ++fixedCount_;
        }
        emit piecesJoined();
    }
    putOnBoard(std::move(s));
    fixJoinedPieces();
    finishIfComplete();
}

void CTileMenderView::turnGroup(CPiece* s)
{
    if (!s || !state_.rotationAllowed || s->fixed)
        return;
    host_.actionStarts();
    host_.markModified();
    const int k = doc_.cellSize();
    const std::vector<CPiece*> group = board_rules::group(grid_, *s, k);
    // Fixed pieces never turn, nor does anything joined to them.
    for (const CPiece* g : group) {
        if (g->fixed) {
            host_.actionDone();
            return;
        }
    }
    const QPoint at(s->x, s->y);
    QRect changed;
    for (CPiece* g : group) {
        changed |= g->paintBounds().translated(g->x, g->y);
        g->rotation = (g->rotation + 1) % 4;
        doc_.rebuildPiece(*g);
        const QPoint to = board_rules::turnedPosition(at, g->column - s->column, g->row - s->row, g->rotation, k);
        g->x = to.x();
        g->y = to.y();
        changed |= g->paintBounds().translated(g->x, g->y);
    }
    update(changed.translated(-scrollPosition()));
    snapTurnedGroup(group);
    fixJoinedPieces();
    finishIfComplete();
    host_.actionDone();
}

void CTileMenderView::snapTurnedGroup(const std::vector<CPiece*>& group)
{
    // Turned where it lies, the group may now lie where a drop would snap it:
    // it snaps and joins just as that drop would. While it is tested its own
    // pieces count as carried, so none of them is taken for a neighbour.
    const int k = doc_.cellSize();
    for (CPiece* g : group)
        g->carried = 1;
    board_rules::Match match;
    const CPiece* matched = nullptr;
    for (const CPiece* g : group) {
        match = board_rules::matchTest(*g, grid_, origin_, doc_.guideSize(), k);
        if (match.kind != board_rules::Match::None) {
            matched = g;
            break;
        }
    }
    for (CPiece* g : group)
        g->carried = 0;
    if (!matched)
        return;

    const QPoint correction = match.target - QPoint(matched->x, matched->y);
    const bool fixes = match.kind == board_rules::Match::Corner || match.neighbour->fixed;
    for (CPiece* g : group) {
        redrawPiece(g);
        g->x += correction.x();
        g->y += correction.y();
        if (fixes) {
            g->fixed = 1;
            // Fixed pieces lie under the loose ones, as a drop puts them.
            board_.prepend(board_.take(board_.indexOf(g)));
        }
        redrawPiece(g);
    }
    if (fixes)
        fixedCount_ += int(group.size());
    emit piecesJoined();
}

int CTileMenderView::fixJoinedPieces()
{
    const std::vector<CPiece*> loose = board_rules::looseJoinedToFixed(grid_, doc_.cellSize());
    for (CPiece* p : loose) {
        p->fixed = 1;
        ++fixedCount_;
        // Fixed pieces lie under the loose ones.
        const int i = board_.indexOf(p);
        if (i > 0)
            board_.prepend(board_.take(i));
        redrawPiece(p);
    }
    return int(loose.size());
}

void CTileMenderView::finishIfComplete()
{
    const int all = doc_.columns() * doc_.rows();
    if (all > 0 && fixedCount_ == all && !doc_.finished)
        complete();
}

void CTileMenderView::boardListChanged()
{
    grid_.reset(doc_.columns(), doc_.rows());
    fixedCount_ = 0;
    for (const auto& p : board_) {
        p->carried = 0;
        grid_.set(p->column, p->row, p.get());
        if (p->fixed)
            ++fixedCount_;
    }
    update();
}

void CTileMenderView::clearBoard()
{
    // All at once: one by one, each piece would shift the board and the box.
    std::vector<std::unique_ptr<CPiece>> pieces = board_.takeAll();
    for (const auto& piece : pieces) {
        piece->fixed = 0;
        grid_.set(piece->column, piece->row, nullptr);
    }
    host_.returnToBox(std::move(pieces));
    fixedCount_ = 0;
    update();
}

void CTileMenderView::complete()
{
    doc_.finished = 1;
    emit completed();
    auto* finish = new CFinishWnd(window(), this);
    if (finish->load(doc_.picture())) {
        delete finish_;
        finish_ = finish;
        finish->present();
    } else {
        delete finish;
        messageBox(this, tr("Congratulations! You have completed the puzzle."), messages::boxCaption(), mb::Ok);
    }
}
