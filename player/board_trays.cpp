// The board view's trays: opening them in a cascade, the most recently used
// at the head of the list, closing them, finding the one under a point, and
// putting a piece on the board exactly where a saved game had it.

#include "board_view.h"

#include "bitmaps.h"
#include "main_frame.h"
#include "tile_mender_app.h"
#include "tray_wnd.h"

#include <algorithm>

using namespace frame_geometry;

QPoint CTileMenderView::firstTrayPosition() { return QPoint(0, 27 - cyDlg - cyCap); }

int CTileMenderView::lowestMinimizedTrayY() const { return height() - 2 * cyDlg - cyCap; }

int CTileMenderView::takeMinimizedTrayY()
{
    const int y = nextMinimizedTrayY;
    nextMinimizedTrayY -= 2 * cyDlg + cyCap;
    if (nextMinimizedTrayY < 0)
        nextMinimizedTrayY = lowestMinimizedTrayY();
    return y;
}

CTrayWnd* CTileMenderView::openTray()
{
    // A saved game with more would not load again.
    if (int(trays_.size()) >= CTrayNumberPool::kMaxTrays)
        return nullptr;
    app_.state.modified = 1;
    const int number = trayNumbers_.take();
    QRect r(nextTrayPosition, QSize(200, 200));
    // One that would reach out of the view starts the cascade again at the top-left.
    if (!rect().contains(r)) {
        nextTrayPosition = firstTrayPosition();
        r.moveTopLeft(nextTrayPosition);
    }
    nextTrayPosition += QPoint(22, 22);

    auto* tray = new CTrayWnd(app_, frame_, *this, number);
    trays_.insert(trays_.begin(), tray);
    WindowPlacement wp = tray->placement();
    wp.setNormalRect(r);
    wp.flags |= WindowPlacement::kSetMinPosition;
    wp.minPosition = QPoint(1, takeMinimizedTrayY());
    tray->setPlacement(wp);
    tray->show();
    tray->raise();
    return tray;
}

CTrayWnd* CTileMenderView::createTray(int number)
{
    trayNumbers_.markUsed(number);
    auto* tray = new CTrayWnd(app_, frame_, *this, number);
    trays_.insert(trays_.begin(), tray);
    tray->show();
    tray->raise();
    return tray;
}

void CTileMenderView::moveTrayToHead(CTrayWnd* tray)
{
    const auto it = std::find(trays_.begin(), trays_.end(), tray);
    if (it != trays_.end())
        std::rotate(trays_.begin(), it, it + 1);
}

void CTileMenderView::closeAllTrays()
{
    // Each closing tray takes itself out of the list.
    const std::vector<CTrayWnd*> closing = trays_;
    for (CTrayWnd* tray : closing)
        tray->closeTray();
    trays_.clear();
}

void CTileMenderView::takeOutOfList(CTrayWnd* tray)
{
    const auto it = std::find(trays_.begin(), trays_.end(), tray);
    if (it != trays_.end())
        trays_.erase(it);
}

void CTileMenderView::discardAllTrays()
{
    std::vector<CTrayWnd*> going;
    going.swap(trays_);
    for (CTrayWnd* tray : going) {
        // The frame forgets a current piece of ours before it is deleted.
        if (CPiece* current = frame_.currentPiece(); current && tray->pieces().indexOf(current) >= 0)
            frame_.clearCurrentPiece();
        tray->discard();
        tray->deleteLater();
    }
    trayNumbers_.setTable(std::vector<int32_t>(CTrayNumberPool::kGrowth, 0));
    nextTrayPosition = firstTrayPosition();
}

void CTileMenderView::trayClosed(CTrayWnd* tray)
{
    if (!tray)
        return; // already gone with another puzzle
    takeOutOfList(tray);
    tray->deleteLater();
}

CTrayWnd* CTileMenderView::trayAt(QPoint globalPoint) const
{
    // Children are kept in stacking order, the topmost last. Only the topmost
    // tray under the point may take a piece: one hidden under it never does.
    const QObjectList& kids = children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
        auto* tray = qobject_cast<CTrayWnd*>(*it);
        if (!tray || tray->closed() || tray->isHidden())
            continue;
        if (!QRect(tray->mapToGlobal(QPoint(0, 0)), tray->size()).contains(globalPoint))
            continue;
        return tray->isMinimizedTray() ? nullptr : tray;
    }
    return nullptr;
}

void CTileMenderView::setFixedCount(int n)
{
    fixedCount_ = n;
    if (fixJoinedPieces() > 0)
        finishIfComplete();
}

void CTileMenderView::placeOnBoard(std::unique_ptr<CPiece> piece)
{
    if (!piece)
        return;
    // Fixed or not, each piece goes on top, so the board keeps the stacking
    // the file has and a load then a save gives the same board block.
    // No repaint of each piece: the load repaints the whole view once, and
    // ten thousand small dirty rectangles cost more than the pieces.
    CPiece* p = piece.get();
    p->carried = 0;
    grid_.set(p->column, p->row, p);
    board_.append(std::move(piece));
}
